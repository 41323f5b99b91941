#include "screens/home-history-stats/ui/RecentTranscriptionsCard.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "platform/PlainTextClipboard.h"
#include "screens/home-history-stats/ui/TranscriptLines.h"
#include "screens/settings/CopyConfirmation.h"
#include "screens/settings/MinuteTicker.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace talvoro::home {

namespace {

constexpr QMargins kHeaderMargins{20, 16, 20, 8};
constexpr QMargins kRowMargins{20, 12, 20, 12};
constexpr QMargins kEmptyMargins{20, 12, 20, 20};
constexpr int kTextSpacing = 6;
constexpr int kEmptySpacing = 8;
constexpr int kTextLines = 2;
constexpr int kButtonPadding = 6;
constexpr qreal kButtonFillOpacity = 0.08;

// The transcript's first lines in the serif design; always two lines high
// so that the rows line up whatever their text.
class TranscriptPreview : public QWidget
{
public:
    explicit TranscriptPreview(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("recentText"));
        setFont(transcriptFont(textStylePixelSize(TextStyle::body)));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QString text() const { return m_text; }
    void setText(const QString &text)
    {
        m_text = text;
        update();
    }
    QSize sizeHint() const override
    {
        return {0, qCeil(QFontMetricsF(font()).lineSpacing() * kTextLines)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(primaryColor(ui::isDark(this)));
        history::drawTranscriptLines(&painter, m_text, font(), QPointF(0, 0), width(), kTextLines);
    }

private:
    QString m_text;
};

// A round symbol button: "doc.on.doc" in the accent colour, "checkmark" in
// green while the copy is confirmed.
class RoundCopyButton : public QAbstractButton
{
public:
    RoundCopyButton(UserDefaultsProviding &defaults, QWidget *parent)
        : QAbstractButton(parent)
        , m_confirmation(new settings::CopyConfirmation(this))
    {
        setObjectName(QStringLiteral("recentCopyButton"));
        setFont(appHelperFont());
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        ui::AccentBinding::bind(this, [this](const QColor &accent) {
            m_accent = accent;
            update();
        }, defaults);
        connect(m_confirmation, &settings::CopyConfirmation::shownChanged, this, [this] { update(); });
    }

    settings::CopyConfirmation *confirmation() const { return m_confirmation; }
    QString symbol() const
    {
        return m_confirmation->isShown() ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc");
    }
    QColor symbolColor() const
    {
        return m_confirmation->isShown() ? AccentColorOption(AccentColorOption::green).color(ui::isDark(this))
                                         : m_accent;
    }

    QSize sizeHint() const override
    {
        const int side = qRound(symbolSize()) + 2 * kButtonPadding;
        return {side, side};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_accent;
        fill.setAlphaF(float(kButtonFillOpacity * (isDown() ? 2 : 1)));
        painter.setPen(hasFocus() ? QPen(m_accent, 1) : Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        const QRectF symbolRect = QRectF(rect()).adjusted(kButtonPadding, kButtonPadding, -kButtonPadding,
                                                          -kButtonPadding);
        ui::paintSymbol(painter, symbolRect, symbol(), symbolColor(), symbolSize());
    }

private:
    qreal symbolSize() const { return ui::symbolPixelSize(font().pixelSize()); }

    settings::CopyConfirmation *m_confirmation;
    QColor m_accent;
};

} // namespace

class TranscriptionRowView : public QWidget
{
public:
    TranscriptionRowView(UserDefaultsProviding &defaults, QWidget *parent = nullptr)
        : QWidget(parent)
        , m_preview(new TranscriptPreview(this))
        , m_summary(new ui::StyledLabel(QString(), ui::StyledLabel::Style::tertiary, this))
        , m_copy(new RoundCopyButton(defaults, this))
    {
        setObjectName(QStringLiteral("recentTranscriptionRow"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(kRowMargins);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(kTextSpacing);
        texts->addWidget(m_preview);
        m_summary->setObjectName(QStringLiteral("recentSummary"));
        m_summary->setTextFormat(Qt::PlainText);
        m_summary->setFont(appHelperFont());
        texts->addWidget(m_summary);
        layout->addLayout(texts, 1);
        layout->addWidget(m_copy, 0, Qt::AlignBottom);
        connect(m_copy, &QAbstractButton::clicked, this, [this] {
            copyPlainText(m_record.text);
            m_copy->confirmation()->confirm();
        });
    }

    void setRecord(const TranscriptionRecord &record, const QDateTime &now)
    {
        m_record = record;
        m_preview->setText(record.text);
        setNow(now);
    }
    void setNow(const QDateTime &now) { m_summary->setText(m_record.relativeSummaryText(now, isPortuguese())); }

private:
    TranscriptionRecord m_record;
    TranscriptPreview *m_preview;
    ui::StyledLabel *m_summary;
    RoundCopyButton *m_copy;
};

RecentTranscriptionsCard::RecentTranscriptionsCard(const TranscriptionsQuery &query, UserDefaultsProviding &defaults,
                                                   std::function<QDateTime()> clock, QWidget *parent)
    : QWidget(parent)
    , m_query(query)
    , m_defaults(defaults)
    , m_ticker(new settings::MinuteTicker(std::move(clock), this))
    , m_empty(new QWidget)
    , m_rowsLayout(new QVBoxLayout)
{
    setObjectName(QStringLiteral("recentTranscriptionsCard"));
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new ui::StyledLabel(settings::sectionHeaderText(localized("Transcrições Recentes"), isPortuguese()),
                                       ui::StyledLabel::Style::tertiary, content);
    header->setObjectName(QStringLiteral("recentHeader"));
    header->setFont(settings::sectionHeaderFont());
    header->setTracking(settings::metrics::sectionHeaderTracking);
    header->setContentsMargins(kHeaderMargins);
    column->addWidget(header);

    m_empty->setObjectName(QStringLiteral("recentEmptyState"));
    auto *empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(kEmptyMargins);
    empty->setSpacing(kEmptySpacing);
    auto *symbol = new ui::SymbolLabel(QStringLiteral("waveform"),
                                       qRound(ui::symbolPixelSize(textStylePixelSize(TextStyle::title2))), m_empty);
    symbol->setTint(ui::SymbolLabel::Tint::quaternary);
    empty->addWidget(symbol, 0, Qt::AlignHCenter);
    auto *emptyText = new ui::StyledLabel(localized("Sua primeira transcrição aparecerá aqui"),
                                          ui::StyledLabel::Style::tertiary, m_empty);
    emptyText->setObjectName(QStringLiteral("recentEmptyText"));
    emptyText->setFont(appRowFont());
    emptyText->setAlignment(Qt::AlignHCenter);
    empty->addWidget(emptyText);
    column->addWidget(m_empty);

    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    column->addLayout(m_rowsLayout);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settings::cardContainer(content, this));

    connect(&m_query, &LiveQueryBase::changed, this, &RecentTranscriptionsCard::refresh);
    connect(m_ticker, &settings::MinuteTicker::ticked, this, [this](const QDateTime &now) {
        for (TranscriptionRowView *row : std::as_const(m_rows))
            row->setNow(now);
    });
    refresh();
}

RecentTranscriptionsCard::~RecentTranscriptionsCard() = default;

void RecentTranscriptionsCard::refresh()
{
    while (QLayoutItem *item = m_rowsLayout->takeAt(0)) {
        if (qobject_cast<settings::SettingsSeparator *>(item->widget()))
            delete item->widget();
        delete item;
    }
    QHash<QUuid, TranscriptionRowView *> previous;
    previous.swap(m_rows);
    const auto &records = m_query.results();
    const qsizetype count = std::min<qsizetype>(records.size(), kRecentCount);
    for (qsizetype i = 0; i < count; ++i) {
        const TranscriptionRecord &record = records[i];
        TranscriptionRowView *row = previous.take(record.id);
        if (!row)
            row = new TranscriptionRowView(m_defaults, this);
        row->setRecord(record, m_ticker->now());
        if (i > 0)
            m_rowsLayout->addWidget(new settings::SettingsSeparator(this));
        m_rowsLayout->addWidget(row);
        m_rows.insert(record.id, row);
    }
    qDeleteAll(previous);
    m_empty->setVisible(count == 0);
}

} // namespace talvoro::home
