#include "app/ui/ScreenRegistry.h"

#include "navigation/MainWindowModel.h"
#include "dictation/SoundEffectPlayer.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "screens/settings/ui/GeneralSettingsSheetView.h"
#include "screens/home-history-stats/ui/HistoryDetailView.h"
#include "screens/home-history-stats/ui/HistoryView.h"

#include <QPointer>

// The application's screens. Each line replaces the placeholder of one
// place, for example:
//     registry.setSidebarScreen(SidebarItem::history,
//                               [](const ScreenContext &c) { return new HistoryView(c); });
// Keep one blank line between entries so that parallel additions merge.
void registerAppScreens(ScreenRegistry &registry)
{
    registry.setSidebarScreen(SidebarItem::talvoroSettings, [](const ScreenContext &c) -> QWidget * {
        QPointer<MainWindowModel> window(&c.window);
        return new TalvoroSettingsView(c.environment, [window](DetailRoute route) {
            if (window)
                window->push(route);
        });
    });

    registry.setSidebarScreen(SidebarItem::history, [](const ScreenContext &c) -> QWidget * {
        QPointer<MainWindowModel> window(&c.window);
        return new HistoryView(
            c.environment,
            [window](const NavigationDestination &destination) {
                if (window)
                    window->push(destination);
            },
            talvoro::history::historySyncHooks(c.environment.sync));
    });

    registry.setHistoryDetailScreen([](const ScreenContext &c, const QUuid &id) -> QWidget * {
        return new HistoryRecordScreen(c.environment, id);
    });

    registry.setRouteScreen(DetailRoute::dictionary, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::dictionary::DictionaryView(c.environment,
                                                       talvoro::dictionary::dictionarySyncHooks(c.environment.sync));
    });

    registry.setSheet(SettingsModal::general, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::settings::GeneralSettingsSheetView(c.environment, SoundEffectPlayer::factory());
    });
}
