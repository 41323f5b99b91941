#include "app/ui/ScreenRegistry.h"

#include "app/ui/PlaceholderScreen.h"

#include "account/SyncManager.h"
#include "navigation/MainWindowModel.h"
#include "app/ShellAnimations.h"
#include "dictation/SoundEffectPlayer.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "screens/onboarding-account/ui/LoginView.h"
#include "screens/onboarding-account/ui/OnboardingView.h"
#include "screens/settings/ui/GeneralSettingsSheetView.h"
#include "screens/home-history-stats/ui/HistoryDetailView.h"
#include "screens/home-history-stats/ui/HistoryView.h"
#include "screens/onboarding-account/ui/FeedbackView.h"

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

    registry.setSheet(SettingsModal::general, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::settings::GeneralSettingsSheetView(c.environment, SoundEffectPlayer::factory());
    });

    registry.setRouteScreen(DetailRoute::feedback, [](const ScreenContext &c) -> QWidget * {
        // Sending needs the account's client; a test environment may have none.
        if (!c.environment.sync || !c.environment.settings)
            return new PlaceholderScreen(QStringLiteral("feedback"));
        QPointer<MainWindowModel> window(&c.window);
        return new talvoro::feedback::FeedbackView(c.environment.sync->backendClient(), *c.environment.settings,
                                                   [window] {
                                                       if (window)
                                                           window->pop();
                                                   });
    });

    registry.setGateScreen(GatePage::onboarding, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::onboarding::OnboardingView(c.environment, talvoro::shellAnimationsEnabled());
    });

    registry.setGateScreen(GatePage::login, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::onboarding::LoginView(c.environment);
    });
}
