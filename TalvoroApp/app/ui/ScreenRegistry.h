#pragma once

#include "navigation/Navigation.h"
#include "navigation/ScreenContext.h"

#include <QHash>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>

class QWidget;

using ScreenBuilder = std::function<QWidget *(const ScreenContext &)>;
using HistoryDetailBuilder = std::function<QWidget *(const ScreenContext &, const QUuid &)>;

// The table from every place of the main window to the function that builds
// its screen. Every entry starts as a placeholder page showing its name; a
// screen takes its place with one line in ScreenTable.cpp. The shell only
// ever builds through this table.
//
// Sheets: the window draws the sheet's frame (rounded background, border,
// shadow) and gives the sheet widget exactly MainWindowModel::sheetSize();
// the sheet draws its content on a transparent background.
class ScreenRegistry
{
public:
    // Placeholders everywhere.
    ScreenRegistry();

    // Placeholders, then the application's screens (ScreenTable.cpp).
    static ScreenRegistry withAppScreens();

    void setSidebarScreen(SidebarItem item, ScreenBuilder builder);
    void setRouteScreen(DetailRoute route, ScreenBuilder builder);
    void setHistoryDetailScreen(HistoryDetailBuilder builder);
    void setSheet(SettingsModal modal, ScreenBuilder builder);
    void setGateScreen(GatePage page, ScreenBuilder builder);

    // Every built widget gets an objectName naming its place ("screen.home",
    // "route.permissions", "route.historyDetail", "sheet.general",
    // "gate.onboarding") unless its builder gave one.
    QWidget *buildSidebarScreen(SidebarItem item, const ScreenContext &context) const;
    QWidget *buildDestination(const NavigationDestination &destination,
                              const ScreenContext &context) const;
    QWidget *buildSheet(SettingsModal modal, const ScreenContext &context) const;
    // GatePage::mainInterface has no entry: the window builds it.
    QWidget *buildGateScreen(GatePage page, const ScreenContext &context) const;

private:
    std::map<SidebarItem, ScreenBuilder> m_sidebar;
    std::map<DetailRoute, ScreenBuilder> m_routes;
    HistoryDetailBuilder m_historyDetail;
    std::map<SettingsModal, ScreenBuilder> m_sheets;
    std::map<GatePage, ScreenBuilder> m_gate;
};

// ScreenTable.cpp: the application's screens replacing placeholders.
void registerAppScreens(ScreenRegistry &registry);
