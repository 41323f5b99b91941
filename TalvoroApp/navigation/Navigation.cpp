#include "navigation/Navigation.h"

#include "texts/Localization.h"

namespace talvoro {

QString name(SidebarItem item)
{
    switch (item) {
    case SidebarItem::home: return QStringLiteral("home");
    case SidebarItem::history: return QStringLiteral("history");
    case SidebarItem::talvoroSettings: return QStringLiteral("talvoroSettings");
    case SidebarItem::settings: return QStringLiteral("settings");
    }
    return {};
}

QString name(DetailRoute route)
{
    switch (route) {
    case DetailRoute::statsDetail: return QStringLiteral("statsDetail");
    case DetailRoute::replacementRules: return QStringLiteral("replacementRules");
    case DetailRoute::dictionary: return QStringLiteral("dictionary");
    case DetailRoute::permissions: return QStringLiteral("permissions");
    case DetailRoute::account: return QStringLiteral("account");
    case DetailRoute::accountManagement: return QStringLiteral("accountManagement");
    case DetailRoute::feedback: return QStringLiteral("feedback");
    }
    return {};
}

QString name(GatePage page)
{
    switch (page) {
    case GatePage::onboarding: return QStringLiteral("onboarding");
    case GatePage::login: return QStringLiteral("login");
    case GatePage::mainInterface: return QStringLiteral("mainInterface");
    }
    return {};
}

QString name(const NavigationDestination &destination)
{
    if (const auto *route = std::get_if<DetailRoute>(&destination))
        return name(*route);
    return QStringLiteral("historyDetail");
}

QString rawValue(SettingsModal modal)
{
    return modal == SettingsModal::general ? QStringLiteral("general") : QStringLiteral("system");
}

std::optional<SettingsModal> settingsModalFromRawValue(const QString &raw)
{
    for (SettingsModal modal : kAllSettingsModals) {
        if (rawValue(modal) == raw)
            return modal;
    }
    return std::nullopt;
}

QString sidebarTitle(SidebarItem item)
{
    switch (item) {
    case SidebarItem::home: return localized("Início");
    case SidebarItem::history: return localized("Histórico");
    case SidebarItem::talvoroSettings: return localized("Ditado");
    case SidebarItem::settings: return localized("Ajustes");
    }
    return {};
}

} // namespace talvoro
