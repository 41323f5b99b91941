#include "app/ui/ScreenRegistry.h"

#include "app/ui/PlaceholderScreen.h"

namespace {

QWidget *named(QWidget *widget, const QString &objectName)
{
    if (widget && widget->objectName().isEmpty())
        widget->setObjectName(objectName);
    return widget;
}

ScreenBuilder placeholder(const QString &title)
{
    return [title](const ScreenContext &) { return new PlaceholderScreen(title); };
}

} // namespace

ScreenRegistry::ScreenRegistry()
{
    for (SidebarItem item : kAllSidebarItems)
        m_sidebar[item] = placeholder(talvoro::name(item));
    for (DetailRoute route : kAllDetailRoutes)
        m_routes[route] = placeholder(talvoro::name(route));
    m_historyDetail = [](const ScreenContext &, const QUuid &id) {
        return new PlaceholderScreen(QStringLiteral("historyDetail"),
                                     id.toString(QUuid::WithoutBraces));
    };
    for (SettingsModal modal : kAllSettingsModals)
        m_sheets[modal] = [modal](const ScreenContext &) {
            return new PlaceholderScreen(talvoro::rawValue(modal), {}, PlaceholderScreen::Style::sheet);
        };
    m_gate[GatePage::onboarding] = placeholder(talvoro::name(GatePage::onboarding));
    m_gate[GatePage::login] = placeholder(talvoro::name(GatePage::login));
}

ScreenRegistry ScreenRegistry::withAppScreens()
{
    ScreenRegistry registry;
    registerAppScreens(registry);
    return registry;
}

void ScreenRegistry::setSidebarScreen(SidebarItem item, ScreenBuilder builder)
{
    m_sidebar[item] = std::move(builder);
}

void ScreenRegistry::setRouteScreen(DetailRoute route, ScreenBuilder builder)
{
    m_routes[route] = std::move(builder);
}

void ScreenRegistry::setHistoryDetailScreen(HistoryDetailBuilder builder)
{
    m_historyDetail = std::move(builder);
}

void ScreenRegistry::setSheet(SettingsModal modal, ScreenBuilder builder)
{
    m_sheets[modal] = std::move(builder);
}

void ScreenRegistry::setGateScreen(GatePage page, ScreenBuilder builder)
{
    if (page != GatePage::mainInterface)
        m_gate[page] = std::move(builder);
}

QWidget *ScreenRegistry::buildSidebarScreen(SidebarItem item, const ScreenContext &context) const
{
    return named(m_sidebar.at(item)(context), QStringLiteral("screen.") + talvoro::name(item));
}

QWidget *ScreenRegistry::buildDestination(const NavigationDestination &destination,
                                          const ScreenContext &context) const
{
    QWidget *widget = nullptr;
    if (const auto *route = std::get_if<DetailRoute>(&destination))
        widget = m_routes.at(*route)(context);
    else
        widget = m_historyDetail(context, std::get<HistoryDetailRoute>(destination).transcriptionID);
    return named(widget, QStringLiteral("route.") + talvoro::name(destination));
}

QWidget *ScreenRegistry::buildSheet(SettingsModal modal, const ScreenContext &context) const
{
    return named(m_sheets.at(modal)(context), QStringLiteral("sheet.") + talvoro::rawValue(modal));
}

QWidget *ScreenRegistry::buildGateScreen(GatePage page, const ScreenContext &context) const
{
    const auto it = m_gate.find(page);
    if (it == m_gate.end())
        return nullptr;
    return named(it->second(context), QStringLiteral("gate.") + talvoro::name(page));
}
