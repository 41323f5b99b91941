#include "app/ui/ScreenRegistry.h"

// The application's screens. Each line replaces the placeholder of one
// place, for example:
//     registry.setSidebarScreen(SidebarItem::history,
//                               [](const ScreenContext &c) { return new HistoryView(c); });
// Keep one blank line between entries so that parallel additions merge.
void registerAppScreens(ScreenRegistry &registry)
{
    Q_UNUSED(registry);
}
