#include "app/ui/ScreenRegistry.h"

#include "app/ui/PlaceholderScreen.h"

#include "account/SyncManager.h"
#include "navigation/MainWindowModel.h"
#include "app/ShellAnimations.h"
#include "dictation/SoundEffectPlayer.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "screens/onboarding-account/ui/LoginView.h"
#include "screens/onboarding-account/ui/OnboardingView.h"
#include "screens/settings/ui/GeneralSettingsSheetView.h"
#include "screens/settings/ui/PermissionsView.h"
#include "screens/settings/ui/SettingsView.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "screens/home-history-stats/ui/HistoryDetailView.h"
#include "screens/home-history-stats/ui/HistoryView.h"
#include "screens/home-history-stats/ui/StatsDetailView.h"
#include "screens/home-history-stats/ui/HomeView.h"
#include "screens/onboarding-account/ui/FeedbackView.h"
#include "screens/onboarding-account/ui/AccountManagementView.h"
#include "screens/onboarding-account/ui/AccountView.h"

#include <QPointer>

// The application's screens. Each line replaces the placeholder of one
// place, for example:
//     registry.setSidebarScreen(SidebarItem::history,
//                               [](const ScreenContext &c) { return new HistoryView(c); });
// Keep one blank line between entries so that parallel additions merge.
void registerAppScreens(ScreenRegistry &registry)
{
    registry.setSidebarScreen(SidebarItem::home, [](const ScreenContext &c) -> QWidget * {
        QPointer<MainWindowModel> window(&c.window);
        return new talvoro::home::HomeView(
            c.environment,
            [window](const NavigationDestination &destination) {
                if (window)
                    window->push(destination);
            });
    });

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
            });
    });

    registry.setHistoryDetailScreen([](const ScreenContext &c, const QUuid &id) -> QWidget * {
        return new HistoryRecordScreen(c.environment, id);
    });

    registry.setRouteScreen(DetailRoute::statsDetail, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::stats::StatsDetailView(c.environment);
    });

    registry.setRouteScreen(DetailRoute::replacementRules, [](const ScreenContext &c) -> QWidget * {
        // The rules live in the store: without one there is nothing to edit.
        if (!c.environment.settings || !c.environment.models)
            return new QWidget;
        QPointer<MainWindowModel> window(&c.window);
        return new ReplacementRulesView(c.environment, [window] {
            if (window)
                window->push(DetailRoute::account);
        });
    });

    registry.setRouteScreen(DetailRoute::dictionary, [](const ScreenContext &c) -> QWidget * {
        if (!c.environment.settings || !c.environment.models)
            return new QWidget;
        QPointer<MainWindowModel> window(&c.window);
        return new talvoro::dictionary::DictionaryView(c.environment, [window] {
            if (window)
                window->push(DetailRoute::account);
        });
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

    registry.setSheet(SettingsModal::system, [](const ScreenContext &c) -> QWidget * {
        QPointer<MainWindowModel> window(&c.window);
        return new talvoro::settings::SystemSettingsSheetView(
            c.environment,
            [window] {
                if (window)
                    window->openPermissions();
            },
            [window] {
                if (window)
                    window->resetOnboarding();
            });
    });

    registry.setRouteScreen(DetailRoute::permissions, [](const ScreenContext &c) -> QWidget * {
        return new talvoro::settings::PermissionsView(c.environment);
    });

    registry.setRouteScreen(DetailRoute::account, [](const ScreenContext &c) -> QWidget * {
        if (!c.environment.settings)
            return new PlaceholderScreen(QStringLiteral("account"));
        QPointer<MainWindowModel> window(&c.window);
        talvoro::account::AccountView::Actions actions;
        // Takes the management page along when it is on top.
        actions.dismiss = [window] {
            if (window)
                window->dismiss(DetailRoute::account);
        };
        actions.openAccountManagement = [window] {
            if (window)
                window->push(DetailRoute::accountManagement);
        };
        return new talvoro::account::AccountView(c.environment, std::move(actions));
    });

    registry.setSidebarScreen(SidebarItem::settings, [](const ScreenContext &c) -> QWidget * {
        QPointer<MainWindowModel> window(&c.window);
        talvoro::settings::SettingsView::Actions actions;
        actions.push = [window](DetailRoute route) {
            if (window)
                window->push(route);
        };
        actions.openSheet = [window](SettingsModal modal) {
            if (window)
                window->setActiveSettingsModal(modal, MainWindowModel::Animation::navigation);
        };
        return new talvoro::settings::SettingsView(c.environment, std::move(actions));
    });

    registry.setRouteScreen(DetailRoute::accountManagement, [](const ScreenContext &c) -> QWidget * {
        // Deleting needs the account and a backend client.
        if (!c.environment.auth || !c.environment.makeBackendClient)
            return new PlaceholderScreen(QStringLiteral("accountManagement"));
        return new talvoro::account::AccountManagementView(c.environment);
    });
}
