#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <array>
#include <optional>
#include <variant>

// The places of the main window: the sidebar items, the routes pushed onto
// the detail navigation stack and the two settings sheets.

enum class SidebarItem { home, history, talvoroSettings, settings };
inline constexpr std::array kAllSidebarItems{SidebarItem::home, SidebarItem::history,
                                             SidebarItem::talvoroSettings, SidebarItem::settings};

// No raw values: routes live only in the window's navigation path.
enum class DetailRoute {
    statsDetail,
    replacementRules,
    dictionary,
    permissions,
    account,
    accountManagement,
    feedback,
};
inline constexpr std::array kAllDetailRoutes{
    DetailRoute::statsDetail, DetailRoute::replacementRules,  DetailRoute::dictionary,
    DetailRoute::permissions, DetailRoute::account,           DetailRoute::accountManagement,
    DetailRoute::feedback};

// The history list's own route: one saved transcription by id.
struct HistoryDetailRoute
{
    QUuid transcriptionID;
    bool operator==(const HistoryDetailRoute &) const = default;
};

// What the detail navigation path holds.
using NavigationDestination = std::variant<DetailRoute, HistoryDetailRoute>;
using NavigationPath = QList<NavigationDestination>;

// Raw values are the case names ("general", "system").
enum class SettingsModal { general, system };
inline constexpr std::array kAllSettingsModals{SettingsModal::general, SettingsModal::system};

// What the window shows as a whole: the first-run wizard, the sign-in view or
// the sidebar with its detail.
enum class GatePage { onboarding, login, mainInterface };
inline constexpr std::array kAllGatePages{GatePage::onboarding, GatePage::login,
                                          GatePage::mainInterface};

namespace talvoro {

// Stable lower-camel names, used for object names, logs and screenshots.
QString name(SidebarItem item);
QString name(DetailRoute route);
QString name(GatePage page);
QString name(const NavigationDestination &destination);

QString rawValue(SettingsModal modal);
std::optional<SettingsModal> settingsModalFromRawValue(const QString &raw);

// The sidebar's caption of an item, localised.
QString sidebarTitle(SidebarItem item);

} // namespace talvoro

Q_DECLARE_METATYPE(SidebarItem)
Q_DECLARE_METATYPE(GatePage)
