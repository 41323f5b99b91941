#include "screens/dictation-settings/ui/TalvoroSettingsView.h"

#include "account/AuthManager.h"
#include "texts/Localization.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/SettingsStore.h"
#include "platform/StartTask.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "screens/dictation-settings/ui/CountBadge.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsDetailRowView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/ToolbarStrip.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace talvoro;
using namespace talvoro::settings;
using talvoro::dictationsettings::CountBadge;

namespace {

constexpr int kPageSpacing = 24;
constexpr int kPagePadding = 32;
constexpr int kTranslationRowSpacing = 12;
constexpr int kTitleStackSpacing = 2;

QComboBox *makePicker(const QString &objectName, QWidget *parent)
{
    auto *picker = new MenuPicker(parent);
    picker->setObjectName(objectName);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker->setFocusPolicy(Qt::StrongFocus);
    return picker;
}

// Shows the item whose data is `code`; none when no item has it.
void selectCode(QComboBox *picker, const QString &code)
{
    const QSignalBlocker blocker(picker);
    picker->setCurrentIndex(picker->findData(code));
}

} // namespace

TalvoroSettingsView::TalvoroSettingsView(const AppEnvironment &environment, PushRoute pushRoute, QWidget *parent)
    : QWidget(parent)
    , m_model(nullptr)
    , m_settings(*environment.settings)
    , m_auth(environment.auth)
    , m_avatarLoader(environment.avatarLoader)
    , m_pushRoute(std::move(pushRoute))
{
    m_model = new TalvoroSettingsModel(m_settings, environment.models, environment.syncProvider, this);
    build();
}

TalvoroSettingsView::TalvoroSettingsView(TalvoroSettingsModel *model, UserDefaultsProviding &settings,
                                         AuthManager *auth, PushRoute pushRoute, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_settings(settings)
    , m_auth(auth)
    , m_pushRoute(std::move(pushRoute))
{
    if (!m_model->parent())
        m_model->setParent(this);
    build();
}

TalvoroSettingsView::~TalvoroSettingsView() = default;

void TalvoroSettingsView::build()
{
    setObjectName(QStringLiteral("talvoroSettingsView"));

    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("talvoroSettingsPage"));
    auto *column = new QVBoxLayout(page);
    column->setSpacing(kPageSpacing);
    column->setContentsMargins(kPagePadding, kPagePadding, kPagePadding, kPagePadding);
    auto *header = new BrandedHeaderView(QStringLiteral("talvoro"), m_settings, page);
    header->setObjectName(QStringLiteral("brandedHeader"));
    column->addWidget(header, 0, Qt::AlignLeft);
    column->addWidget(buildTranscriptionCard());
    column->addWidget(buildTranslationCard());
    column->addStretch(1);

    m_scrollArea = new QScrollArea;
    m_scrollArea->setObjectName(QStringLiteral("talvoroSettingsScroll"));
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setWidget(page);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolbar());
    layout->addWidget(new DetailCardModifier(m_scrollArea, this), 1);

    connect(m_model, &TalvoroSettingsModel::transcriptionLanguageChanged, this,
            &TalvoroSettingsView::refreshLanguage);
    connect(m_model, &TalvoroSettingsModel::translationEnabledChanged, this,
            &TalvoroSettingsView::refreshTranslation);
    connect(m_model, &TalvoroSettingsModel::translationTargetLanguageChanged, this,
            &TalvoroSettingsView::refreshTarget);
    connect(m_model, &TalvoroSettingsModel::formattingOptionsChanged, this,
            &TalvoroSettingsView::refreshFormatting);
    connect(m_model, &TalvoroSettingsModel::countsChanged, this, &TalvoroSettingsView::refreshCounts);

    refreshLanguage();
    refreshTranslation();
    refreshTarget();
    refreshFormatting();
    refreshCounts();
}

QWidget *TalvoroSettingsView::buildToolbar()
{
    auto *toolbar = new ToolbarStrip(QString(), ToolbarStrip::Placement::root, this);
    auto *account = new AccountToolbarItem(m_auth, m_settings, m_avatarLoader);
    connect(account, &AccountToolbarItem::accountRequested, this, [this] {
        if (m_pushRoute)
            m_pushRoute(DetailRoute::account);
    });
    toolbar->setTrailingItem(account);
    return toolbar;
}

QWidget *TalvoroSettingsView::buildTranscriptionCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("transcriptionCard"));
    card->addHeader(localized("Transcrição"));

    // Language.
    m_languagePicker = makePicker(QStringLiteral("languagePicker"), card);
    for (SupportedLanguage language : kAllSupportedLanguages)
        m_languagePicker->addItem(displayName(language), rawValue(language));
    connect(m_languagePicker, &QComboBox::activated, this, [this](int index) {
        if (auto language = supportedLanguageFromRawValue(m_languagePicker->itemData(index).toString()))
            m_model->selectLanguage(*language);
    });
    auto *languageRow = new SettingsDetailRowView(
        QStringLiteral("globe"), localized("Idioma"),
        localized("Se você mistura idiomas ao falar, recomendamos utilizar \"Auto-detectar\"."),
        m_languagePicker, m_settings, card);
    languageRow->setObjectName(QStringLiteral("languageRow"));
    card->addRow(languageRow);

    // Tone: the same shape as a settings row.
    m_tonePicker = makePicker(QStringLiteral("tonePicker"), card);
    for (Tone tone : kAllTones)
        m_tonePicker->addItem(TalvoroSettingsModel::toneDisplayName(tone), rawValue(tone));
    connect(m_tonePicker, &QComboBox::activated, this, [this](int index) {
        if (auto tone = toneFromRawValue(m_tonePicker->itemData(index).toString()))
            m_model->selectTone(*tone);
    });
    auto *toneRow = new SettingsRowView(QStringLiteral("text.quote"), localized("Tom"), m_tonePicker,
                                        m_settings, card);
    toneRow->setObjectName(QStringLiteral("toneRow"));
    card->addRow(toneRow);

    // Links to the rules and dictionary screens, with their counts.
    const auto addLink = [&](const QString &objectName, const char *icon, const char *title,
                             CountBadge *&badge, DetailRoute route) {
        badge = new CountBadge(m_settings);
        badge->setObjectName(objectName + QStringLiteral("Count"));
        auto *row = new SettingsRowView(QString::fromLatin1(icon), localized(title),
                                        dictationsettings::makeCountBadgeWithChevron(badge), m_settings, card);
        row->setObjectName(objectName);
        row->setClickable(true);
        connect(row, &SettingsRowView::clicked, this, [this, route] {
            if (m_pushRoute)
                m_pushRoute(route);
        });
        card->addRow(row);
    };
    addLink(QStringLiteral("rulesLink"), "arrow.left.arrow.right", QT_TRANSLATE_NOOP("Talvoro", "Regras de Substituição"),
            m_ruleCount, DetailRoute::replacementRules);
    addLink(QStringLiteral("dictionaryLink"), "character.book.closed", QT_TRANSLATE_NOOP("Talvoro", "Dicionário Pessoal"),
            m_termCount, DetailRoute::dictionary);

    // The five formatting switches.
    for (const auto &row : TalvoroSettingsModel::formattingSwitchRows()) {
        auto *toggle = new ui::ToggleSwitch(m_settings, card);
        toggle->setObjectName(QString::fromLatin1(row.objectName));
        toggle->setAccessibleName(localized(row.title));
        const auto flag = row.flag;
        connect(toggle, &ui::ToggleSwitch::toggled, this, [this, toggle, flag](bool on) {
            m_model->setFormattingFlag(flag, on);
            // A failed save leaves the stored value: show that.
            const QSignalBlocker blocker(toggle);
            toggle->setChecked(m_model->formattingFlag(flag));
        });
        m_formattingSwitches.append(toggle);
        card->addRow(new SettingsRowView(QString::fromLatin1(row.icon), localized(row.title), toggle,
                                         m_settings, card));
    }
    return card;
}

QWidget *TalvoroSettingsView::buildTranslationSwitchRow()
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("translationSwitchRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setSpacing(kTranslationRowSpacing);
    layout->setContentsMargins(metrics::rowMargins);

    auto *icon = new ui::SymbolLabel(QStringLiteral("bubble.left.and.bubble.right"),
                                     qRound(ui::symbolPixelSize(textStylePixelSize(TextStyle::body))), row);
    icon->bindAccent(m_settings);
    icon->setFixedWidth(metrics::rowIconColumnWidth);
    layout->addWidget(icon, 0, Qt::AlignVCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(kTitleStackSpacing);
    auto *title = new ui::StyledLabel(localized("Ativar tradução"), ui::StyledLabel::Style::primary, row);
    QFont titleFont = appRowFont();
    titleFont.setWeight(QFont::Medium);
    title->setFont(titleFont);
    auto *helper = new ui::StyledLabel(localized("Habilita a hotkey de tradução com o idioma selecionado"),
                                       ui::StyledLabel::Style::secondary, row);
    helper->setFont(appHelperFont());
    helper->setWordWrap(true);
    texts->addWidget(title);
    texts->addWidget(helper);
    layout->addLayout(texts, 1);

    m_translationSwitch = new ui::ToggleSwitch(m_settings, row);
    m_translationSwitch->setObjectName(QStringLiteral("translationSwitch"));
    m_translationSwitch->setAccessibleName(title->text());
    connect(m_translationSwitch, &ui::ToggleSwitch::toggled, this, [this](bool on) {
        m_model->setTranslationEnabled(on);
        refreshTranslation();
    });
    layout->addWidget(m_translationSwitch, 0, Qt::AlignVCenter);
    return row;
}

QWidget *TalvoroSettingsView::buildTranslationCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("translationCard"));
    card->addHeader(localized("Tradução"));
    card->addRow(buildTranslationSwitchRow());

    // Shown only while translation is on; its separator goes with it.
    m_targetSeparator = new SettingsSeparator(card);
    m_targetSeparator->setObjectName(QStringLiteral("translationTargetSeparator"));
    card->addWidget(m_targetSeparator);
    m_targetPicker = makePicker(QStringLiteral("translationTargetPicker"), card);
    for (TranslationTarget target : kAllTranslationTargets)
        m_targetPicker->addItem(displayName(target), rawValue(target));
    connect(m_targetPicker, &QComboBox::activated, this, [this](int index) {
        if (auto target = translationTargetFromRawValue(m_targetPicker->itemData(index).toString()))
            m_model->selectTranslationTarget(*target);
    });
    m_targetRow = new SettingsRowView(QStringLiteral("bubble.left.and.bubble.right"), localized("Traduzir para"),
                                      m_targetPicker, m_settings, card);
    m_targetRow->setObjectName(QStringLiteral("translationTargetRow"));
    card->addWidget(m_targetRow);
    return card;
}

void TalvoroSettingsView::refreshLanguage()
{
    selectCode(m_languagePicker, m_model->transcriptionLanguage());
}

void TalvoroSettingsView::refreshTranslation()
{
    const bool enabled = m_model->translationEnabled();
    {
        const QSignalBlocker blocker(m_translationSwitch);
        m_translationSwitch->setChecked(enabled);
    }
    m_targetSeparator->setVisible(enabled);
    m_targetRow->setVisible(enabled);
}

void TalvoroSettingsView::refreshTarget()
{
    selectCode(m_targetPicker, m_model->translationTargetLanguage());
}

void TalvoroSettingsView::refreshFormatting()
{
    const FormattingOptions options = m_model->formattingOptions();
    selectCode(m_tonePicker, rawValue(options.tone));
    const auto &rows = TalvoroSettingsModel::formattingSwitchRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        ui::ToggleSwitch *toggle = m_formattingSwitches.at(qsizetype(i));
        const QSignalBlocker blocker(toggle);
        toggle->setChecked(m_model->formattingFlag(rows[i].flag));
    }
}

void TalvoroSettingsView::refreshCounts()
{
    const bool portuguese = isPortuguese();
    m_ruleCount->setText(m_model->ruleCountText(portuguese));
    m_termCount->setText(m_model->termCountText(portuguese));
    m_ruleCount->updateGeometry();
    m_termCount->updateGeometry();
}

void TalvoroSettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The start task: each time the screen is shown. Owned by the model;
    // nothing runs on the screen after its await.
    talvoro::startTask(m_model, m_model->appear(), "The dictation settings' start task");
}
