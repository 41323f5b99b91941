#include "screens/settings/ui/SettingsView.h"

#include "account/AuthManager.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/AppUpdater.h"
#include "platform/AppVersion.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/SettingsHub.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace talvoro::settings {

namespace {

constexpr int kPagePadding = 32;
constexpr int kPageSpacing = 24;
constexpr int kSheetRowSpacing = 12;
constexpr int kSheetRowVerticalPadding = 16;
constexpr int kAccountRowSpacing = 8;

// The account row: the whole rectangle is the hit area, Space or Return
// when focused.
class AccountRow : public QWidget
{
public:
    explicit AccountRow(std::function<void()> action)
        : m_action(std::move(action))
    {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(localized("Conta"));
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_action();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            m_action();
        else
            QWidget::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent *) override
    {
        if (!ui::showsFocusRing(this))
            return;
        QPainter painter(this);
        ui::paintFocusRing(painter, rect(), 8, primaryColor(ui::isDark(this)), 3);
    }
    void focusInEvent(QFocusEvent *) override { update(); }
    void focusOutEvent(QFocusEvent *) override { update(); }

private:
    std::function<void()> m_action;
};

} // namespace

SettingsView::SettingsView(const AppEnvironment &environment, Actions actions, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("settingsView"));
    UserDefaultsProviding &settings = *m_environment.settings;

    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("settingsPage"));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(kPagePadding, kPagePadding, kPagePadding, kPagePadding);
    column->setSpacing(kPageSpacing);

    auto *header = new BrandedHeaderView(textLocale(isPortuguese()).toLower(localized("Ajustes")), settings, page);
    header->setObjectName(QStringLiteral("brandedHeader"));
    column->addWidget(header);
    column->addWidget(buildAccountCard());
    column->addWidget(buildSheetCard(QStringLiteral("generalRow"), QStringLiteral("slider.horizontal.3"),
                                     localized("Geral"), SettingsModal::general));
    column->addWidget(buildSheetCard(QStringLiteral("systemRow"), QStringLiteral("gearshape.2"),
                                     localized("Sistema"), SettingsModal::system));
    column->addWidget(buildStatsCard());
    if (m_environment.updater)
        column->addWidget(buildUpdatesCard());

    auto *version = new ui::StyledLabel(localized("Versão %@").replace(QStringLiteral("%@"), appVersionString()),
                                        ui::StyledLabel::Style::tertiary, page);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setFont(captionFont());
    column->addWidget(version, 0, Qt::AlignHCenter);
    column->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("settingsScroll"));
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);

    auto *toolbar = new ToolbarStrip(QString(), ToolbarStrip::Placement::root, this);
    auto *account = new AccountToolbarItem(m_environment.auth, settings, m_environment.avatarLoader);
    connect(account, &AccountToolbarItem::accountRequested, this, [this] { push(DetailRoute::account); });
    toolbar->setTrailingItem(account);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(new DetailCardModifier(scroll, this), 1);

    if (m_environment.auth) {
        connect(m_environment.auth, &AuthManager::isAuthenticatedChanged, this, &SettingsView::refreshAccount);
        connect(m_environment.auth, &AuthManager::userEmailChanged, this, &SettingsView::refreshAccount);
        connect(m_environment.auth, &AuthManager::userNameChanged, this, &SettingsView::rebuildAccountAvatar);
        connect(m_environment.auth, &AuthManager::userAvatarURLChanged, this, &SettingsView::rebuildAccountAvatar);
    }
    refreshAccount();
}

void SettingsView::push(DetailRoute route)
{
    if (m_actions.push)
        m_actions.push(route);
}

QWidget *SettingsView::buildAccountCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("accountCard"));
    card->addHeader(localized("Conta"));
    // Also while signed out: the account screen deals with that state.
    auto *row = new AccountRow([this] { push(DetailRoute::account); });
    row->setObjectName(QStringLiteral("accountRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(metrics::rowMargins);
    layout->setSpacing(kAccountRowSpacing);
    auto *title = new ui::StyledLabel(localized("Conta"), ui::StyledLabel::Style::primary, row);
    title->setFont(settingsRowFont());
    layout->addWidget(title, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    m_accountEmail = new ui::StyledLabel({}, ui::StyledLabel::Style::secondary, row);
    m_accountEmail->setObjectName(QStringLiteral("accountEmail"));
    m_accountEmail->setFont(settingsHelperFont());
    m_accountEmail->setWordWrap(false);
    layout->addWidget(m_accountEmail, 0, Qt::AlignVCenter);
    layout->addWidget(makeChevron(row), 0, Qt::AlignVCenter);
    m_accountRow = row;
    rebuildAccountAvatar();
    card->addRow(row);
    return card;
}

void SettingsView::rebuildAccountAvatar()
{
    AuthManager *auth = m_environment.auth;
    const bool signedIn = auth && auth->isAuthenticated();
    auto *link = new AccountAvatarLink(signedIn ? auth->userName() : std::nullopt,
                                       signedIn ? auth->userAvatarURL() : std::nullopt, *m_environment.settings,
                                       m_environment.avatarLoader, m_accountRow);
    link->setObjectName(QStringLiteral("accountAvatar"));
    link->setFocusPolicy(Qt::NoFocus);
    connect(link, &AccountAvatarLink::clicked, this, [this] { push(DetailRoute::account); });
    auto *layout = static_cast<QHBoxLayout *>(m_accountRow->layout());
    if (m_accountAvatar) {
        // The layout hands back the old widget's item, ours to delete.
        delete layout->replaceWidget(m_accountAvatar, link);
        delete m_accountAvatar;
    } else {
        layout->insertWidget(0, link, 0, Qt::AlignVCenter);
    }
    m_accountAvatar = link;
}

QWidget *SettingsView::buildSheetCard(const QString &objectName, const QString &icon, const QString &title,
                                      SettingsModal modal)
{
    auto *card = new SettingsCardView;
    auto *row = new SettingsRowView(icon, title, makeChevron(), *m_environment.settings, card);
    row->setObjectName(objectName);
    row->setClickable(true);
    if (auto *layout = row->layout()) {
        layout->setContentsMargins(metrics::rowHorizontalPadding, kSheetRowVerticalPadding,
                                   metrics::rowHorizontalPadding, kSheetRowVerticalPadding);
        layout->setSpacing(kSheetRowSpacing);
    }
    connect(row, &SettingsRowBase::clicked, this, [this, modal] {
        if (m_actions.openSheet)
            m_actions.openSheet(modal);
    });
    card->addRow(row);
    return card;
}

QWidget *SettingsView::buildStatsCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("statsCard"));
    auto *stats = new SettingsRowView(QStringLiteral("chart.bar"), localized("Estatísticas Detalhadas"),
                                      makeChevron(), *m_environment.settings, card);
    stats->setObjectName(QStringLiteral("statsRow"));
    stats->setClickable(true);
    connect(stats, &SettingsRowBase::clicked, this, [this] { push(DetailRoute::statsDetail); });
    card->addWidget(stats);
    // Only while signed in; the separator goes with the row.
    m_feedbackSeparator = new SettingsSeparator(card);
    m_feedbackSeparator->setObjectName(QStringLiteral("feedbackSeparator"));
    card->addWidget(m_feedbackSeparator);
    m_feedbackRow = new SettingsRowView(QStringLiteral("envelope"), localized("Enviar Feedback"), makeChevron(),
                                        *m_environment.settings, card);
    m_feedbackRow->setObjectName(QStringLiteral("feedbackRow"));
    m_feedbackRow->setClickable(true);
    connect(m_feedbackRow, &SettingsRowBase::clicked, this, [this] { push(DetailRoute::feedback); });
    card->addWidget(m_feedbackRow);
    return card;
}

SettingsRowView *SettingsView::buildToggleRow(const QString &objectName, const QString &icon, const QString &title,
                                              ui::ToggleSwitch *&toggle)
{
    toggle = new ui::ToggleSwitch(*m_environment.settings);
    toggle->setObjectName(objectName + QStringLiteral("Switch"));
    toggle->setAccessibleName(title);
    auto *row = new SettingsRowView(icon, title, toggle, *m_environment.settings);
    row->setObjectName(objectName);
    return row;
}

QWidget *SettingsView::buildUpdatesCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("updatesCard"));
    m_checkRow = new SettingsRowView(QStringLiteral("arrow.down.circle"), localized("Buscar atualizações..."),
                                     makeChevron(), *m_environment.settings, card);
    m_checkRow->setObjectName(QStringLiteral("checkForUpdatesRow"));
    m_checkRow->setClickable(true);
    // A user-initiated check, shown by the driver; the flags stay as they are.
    connect(m_checkRow, &SettingsRowBase::clicked, this, [this] { m_environment.updater->driver().checkForUpdates(); });
    card->addRow(m_checkRow);
    m_checksRow = buildToggleRow(QStringLiteral("automaticChecks"), QStringLiteral("clock.arrow.circlepath"),
                                 localized("Procurar atualizações automaticamente"), m_checksSwitch);
    card->addRow(m_checksRow);
    m_downloadsRow = buildToggleRow(QStringLiteral("automaticDownloads"), QStringLiteral("square.and.arrow.down"),
                                    localized("Baixar atualizações automaticamente"), m_downloadsSwitch);
    card->addRow(m_downloadsRow);

    connect(m_checksSwitch, &QAbstractButton::clicked, this, [this](bool on) {
        setUpdateFlag(*m_environment.updater, UpdateFlag::automaticChecks, on);
        refreshUpdates();
    });
    connect(m_downloadsSwitch, &QAbstractButton::clicked, this, [this](bool on) {
        setUpdateFlag(*m_environment.updater, UpdateFlag::automaticDownloads, on);
        refreshUpdates();
    });
    AppUpdater *updater = m_environment.updater;
    connect(updater, &AppUpdater::isConfiguredChanged, this, &SettingsView::refreshUpdates);
    connect(updater, &AppUpdater::automaticallyChecksForUpdatesChanged, this, &SettingsView::refreshUpdates);
    connect(updater, &AppUpdater::automaticallyDownloadsUpdatesChanged, this, &SettingsView::refreshUpdates);
    refreshUpdates();
    return card;
}

void SettingsView::refreshAccount()
{
    AuthManager *auth = m_environment.auth;
    const bool signedIn = auth && auth->isAuthenticated();
    m_accountEmail->setText(accountRowText(auth ? auth->userEmail() : std::nullopt));
    m_feedbackSeparator->setVisible(signedIn);
    m_feedbackRow->setVisible(signedIn);
    rebuildAccountAvatar();
}

void SettingsView::refreshUpdates()
{
    AppUpdater &updater = *m_environment.updater;
    const auto controls = updateControls(updater);
    m_checkRow->setEnabled(controls.checkEnabled);
    m_checksRow->setEnabled(controls.automaticChecksEnabled);
    m_downloadsRow->setEnabled(controls.automaticDownloadsEnabled);
    const QSignalBlocker checks(m_checksSwitch);
    const QSignalBlocker downloads(m_downloadsSwitch);
    m_checksSwitch->setChecked(updater.automaticallyChecksForUpdates());
    m_downloadsSwitch->setChecked(updater.automaticallyDownloadsUpdates());
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && m_environment.updater)
        m_environment.updater->refreshFromDriver();
}

} // namespace talvoro::settings
