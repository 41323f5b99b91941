#include "screens/home-history-stats/ui/HistoryDetailView.h"

#include "look/Theme.h"
#include "look/ui/StyledLabel.h"
#include "platform/AppPaths.h"
#include "platform/UrlOpener.h"
#include "screens/home-history-stats/HistoryTexts.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/CapsuleButton.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/ScrollingColumn.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"
#include "texts/LocalizedTexts.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QSaveFile>
#include <QScrollArea>
#include <QStackedLayout>
#include <QStandardPaths>
#include <QUrlQuery>
#include <QVBoxLayout>

using namespace talvoro;
using namespace talvoro::history;
using namespace talvoro::settings;

namespace {

constexpr int kColumnMaxWidth = 600;
constexpr int kColumnSpacing = 24;
constexpr QMargins kColumnMargins{24, 20, 24, 20};
constexpr int kCardPadding = 20;
constexpr int kHeaderCardSpacing = 16;
constexpr int kTextCardSpacing = 12;
constexpr int kActionSpacing = 12;
constexpr int kDateTitleSize = 20;
constexpr int kTextSize = 18;

QWidget *paddedColumn(int spacing, QVBoxLayout *&layout)
{
    auto *content = new QWidget;
    layout = new QVBoxLayout(content);
    layout->setContentsMargins(kCardPadding, kCardPadding, kCardPadding, kCardPadding);
    layout->setSpacing(spacing);
    return content;
}

ui::StyledLabel *plainLabel(ui::StyledLabel::Style style, const QFont &font, QWidget *parent)
{
    auto *label = new ui::StyledLabel(QString(), style, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

QString metaText(const TranscriptionRecord &record)
{
    const QLocale locale;
    const QString dot = QStringLiteral("\u00b7");
    return QStringList{detailTimeText(record.createdAt, locale), dot,
                       localizedWordCount(record.wordCount, isPortuguese()), dot, languageLabel(record.language)}
        .join(QLatin1Char(' '));
}

} // namespace

HistoryDetailView::HistoryDetailView(const TranscriptionRecord &record, UserDefaultsProviding &defaults,
                                     UrlOpener *urlOpener, QWidget *parent)
    : QWidget(parent)
    , m_record(record)
    , m_urlOpener(urlOpener)
{
    setObjectName(QStringLiteral("historyDetailView"));
    const ScrollingColumn page = makeScrollingColumn(QStringLiteral("historyDetail"), kColumnMaxWidth, this);
    QVBoxLayout *columnLayout = page.layout;
    columnLayout->setContentsMargins(kColumnMargins);
    columnLayout->setSpacing(kColumnSpacing);
    columnLayout->addWidget(buildHeaderCard(defaults));
    columnLayout->addWidget(buildTextCard());
    columnLayout->addStretch(1);
    page.scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new ToolbarStrip(localized("Transcrição"), ToolbarStrip::Placement::pushed, this));
    layout->addWidget(page.scroll, 1);
    setRecord(record);
}

QWidget *HistoryDetailView::buildHeaderCard(UserDefaultsProviding &defaults)
{
    QVBoxLayout *layout = nullptr;
    QWidget *content = paddedColumn(kHeaderCardSpacing, layout);
    m_dateTitle = plainLabel(ui::StyledLabel::Style::primary, serifFont(kDateTitleSize, QFont::DemiBold), content);
    m_dateTitle->setObjectName(QStringLiteral("detailDateTitle"));
    m_metaLine = plainLabel(ui::StyledLabel::Style::secondary, appHelperFont(), content);
    m_metaLine->setObjectName(QStringLiteral("detailMetaLine"));
    m_metaLine->setWordWrap(true);
    layout->addWidget(m_dateTitle);
    layout->addWidget(m_metaLine);
    layout->addWidget(new SettingsSeparator(content));

    auto *actions = new QHBoxLayout;
    actions->setSpacing(kActionSpacing);
    m_copy = new CopyButton([this] { return m_record.text; }, defaults, content);
    m_share = new CapsuleButton(QStringLiteral("square.and.arrow.up"), localized("Compartilhar"), defaults, content);
    m_share->setObjectName(QStringLiteral("shareButton"));
    connect(m_share, &QAbstractButton::clicked, this, &HistoryDetailView::showShareMenu);
    actions->addWidget(m_copy, 0, Qt::AlignVCenter);
    actions->addWidget(m_share, 0, Qt::AlignVCenter);
    actions->addStretch(1);
    layout->addLayout(actions);
    auto *card = cardContainer(content);
    card->setObjectName(QStringLiteral("detailHeaderCard"));
    return card;
}

QWidget *HistoryDetailView::buildTextCard()
{
    QVBoxLayout *layout = nullptr;
    QWidget *content = paddedColumn(kTextCardSpacing, layout);
    QFont captionFont = appHelperFont();
    captionFont.setWeight(QFont::DemiBold);
    captionFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    auto *caption = plainLabel(ui::StyledLabel::Style::tertiary, captionFont, content);
    caption->setObjectName(QStringLiteral("detailTextCaption"));
    caption->setText(localized("Transcrição"));
    m_text = plainLabel(ui::StyledLabel::Style::primary, serifFont(kTextSize), content);
    m_text->setObjectName(QStringLiteral("detailText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setCursor(Qt::IBeamCursor);
    layout->addWidget(caption);
    layout->addWidget(m_text);
    auto *card = cardContainer(content);
    card->setObjectName(QStringLiteral("detailTextCard"));
    return card;
}

void HistoryDetailView::setRecord(const TranscriptionRecord &record)
{
    m_record = record;
    m_dateTitle->setText(detailDateTitle(record.createdAt, QLocale()));
    m_metaLine->setText(metaText(record));
    m_text->setText(record.text);
}

QUrl HistoryDetailView::mailURL() const
{
    // No subject: the body alone, percent-encoded as a mailto query wants.
    QUrl url(QStringLiteral("mailto:"));
    url.setQuery(QStringLiteral("body=") + QString::fromLatin1(QUrl::toPercentEncoding(m_record.text)),
                 QUrl::StrictMode);
    return url;
}

bool HistoryDetailView::saveAsTextFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = m_record.text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

void HistoryDetailView::showShareMenu()
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("shareMenu"));
    menu.addAction(localized("Enviar por E-mail"), this, [this] {
        if (m_urlOpener)
            m_urlOpener->open(mailURL());
    });
    menu.addAction(localized("Salvar como Arquivo de Texto…"), this, &HistoryDetailView::openTextFileDialog);
    menu.exec(m_share->mapToGlobal(QPoint(0, m_share->height())));
}

void HistoryDetailView::openTextFileDialog()
{
    // Opened in the user's documents, not wherever the process was started,
    // and without a nested event loop: the outcome arrives as a signal.
    const QDir folder(AppPaths::userFolder(QStandardPaths::DocumentsLocation));
    auto *dialog = new QFileDialog(this, localized("Transcrição de Voz"), folder.filePath(suggestedTextFileName()),
                                   QStringLiteral("*.txt"));
    dialog->setObjectName(QStringLiteral("textFilePicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QStringList chosen = dialog->selectedFiles();
        if (chosen.isEmpty() || saveAsTextFile(chosen.constFirst()))
            return;
        settings::openAlert(this, localized("Não foi possível salvar o arquivo"),
                            localized("“%1” não pôde ser gravado. Escolha outra pasta ou outro nome.")
                                .arg(QDir::toNativeSeparators(chosen.constFirst())),
                            {{localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("okButton")}});
    });
    dialog->open();
}

HistoryRecordScreen::HistoryRecordScreen(const AppEnvironment &environment, const QUuid &id, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_stack(new QStackedLayout(this))
{
    setObjectName(QStringLiteral("historyRecordScreen"));
    if (environment.models) {
        m_record = new LiveRecord<TranscriptionRecord>(*environment.models, id, this);
        connect(m_record, &LiveRecordBase::changed, this, &HistoryRecordScreen::refresh);
    }
    refresh();
}

void HistoryRecordScreen::refresh()
{
    const std::optional<TranscriptionRecord> &value = m_record ? m_record->value() : std::nullopt;
    if (value && m_detail) {
        m_detail->setRecord(*value);
        return;
    }
    if (value) {
        Q_ASSERT(m_environment.settings);
        m_detail = new HistoryDetailView(*value, *m_environment.settings, m_environment.urlOpener, this);
        m_stack->addWidget(m_detail);
        m_stack->setCurrentWidget(m_detail);
        return;
    }
    // Gone: the page goes with its pending copy confirmation.
    delete m_detail;
    m_detail = nullptr;
    if (!m_notFound) {
        m_notFound = new ContentUnavailableView(QStringLiteral("doc.questionmark"), localized("Registro não encontrado"),
                                                QString(), this);
        m_stack->addWidget(m_notFound);
    }
    m_stack->setCurrentWidget(m_notFound);
}
