#include "account/AuthManager.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/OnboardingWizard.h"
#include "screens/onboarding-account/ui/OnboardingPermissionBadge.h"
#include "screens/onboarding-account/ui/OnboardingView.h"
#include "support/AccountTestSupport.h"
#include "support/DictationFakes.h"
#include "texts/Localization.h"

#include <QLabel>
#include <QTest>

using namespace std::chrono_literals;
using talvoro::onboarding::OnboardingView;
using talvoro::ui::ActionButton;

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

// The wizard over the stand-in backend, fake permission answers and its own settings.
struct Fixture
{
    LocalBackend backend;
    AuthHarness account{backend.baseURL()};
    std::shared_ptr<FakePermissionChecks::State> permissionState = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener permissionOpener;
    PermissionManager permissions{std::make_unique<FakePermissionChecks>(permissionState), permissionOpener};
    HotkeyManager hotkeys{*account.settings.store, std::make_unique<NullKeyboardMonitor>()};
    AppEnvironment environment;
    std::unique_ptr<OnboardingView> view;

    Fixture()
    {
        environment.settings = account.settings.store.get();
        environment.auth = account.auth.get();
        environment.permissions = &permissions;
        environment.hotkeys = &hotkeys;
        view = std::make_unique<OnboardingView>(environment, false);
        view->show();
    }

    OnboardingWizard &wizard() { return view->wizard(); }
    ActionButton *button(const char *name) { return view->findChild<ActionButton *>(QString::fromLatin1(name)); }
    bool shown(const char *name) { return button(name)->isVisibleTo(view.get()); }
    void goTo(OnboardingStep step)
    {
        while (wizard().currentStep() != step)
            wizard().advance();
    }
    bool setting(const QString &key) { return account.settings.store->boolValue(key); }
};

} // namespace

class TestOnboardingWizard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::ui::applyAppearance(false);
    }

    // The navigation row on each page, and the ends of the step order.
    void navigationRowPerStep()
    {
        Fixture f;
        f.permissionState->microphone = MicrophoneAuthorization::authorized;
        f.permissionState->accessibility = true;
        f.permissions.refresh();

        QVERIFY(!f.shown("onboarding.back"));
        QVERIFY(f.shown("onboarding.continue"));
        f.wizard().goBack();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::welcome);

        f.goTo(OnboardingStep::login);
        QVERIFY(f.shown("onboarding.back"));
        QVERIFY(!f.shown("onboarding.continue"));
        QVERIFY(!f.shown("onboarding.finish"));
        f.wizard().advance();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::login);

        f.button("onboarding.back")->click();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::hotkey);
        QVERIFY(f.view->currentPage()->findChild<QWidget *>(QStringLiteral("hotkeySetting.dictation")));
    }

    // "Continuar" and the pages follow the permission flags while shown; a
    // page never granted still lets the user leave through "Pular".
    void continueFollowsPermissionsLive()
    {
        Fixture f;
        QVERIFY(f.permissions.pollingTask());
        f.button("onboarding.continue")->click();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::microphone);
        auto *badge = f.view->currentPage()->findChild<talvoro::onboarding::OnboardingPermissionBadge *>();
        QVERIFY(!f.button("onboarding.continue")->isEnabled());
        QCOMPARE(badge->text(), QStringLiteral("Aguardando permissão..."));

        f.button("onboarding.requestMicrophone")->click();
        QVERIFY(f.permissionState->pendingMicrophoneAnswer);
        f.permissionState->microphone = MicrophoneAuthorization::authorized;
        f.permissionState->pendingMicrophoneAnswer(true);
        QTRY_VERIFY(f.button("onboarding.continue")->isEnabled());
        QCOMPARE(badge->text(), QStringLiteral("Permissão concedida"));
        QVERIFY(!f.button("onboarding.requestMicrophone")->isEnabled());

        f.button("onboarding.continue")->click();
        QVERIFY(!f.button("onboarding.continue")->isEnabled());
        f.button("onboarding.openAccessibilitySettings")->click();
        QCOMPARE(f.permissionOpener.opened.size(), 1);
        // Granted outside the application: the poll sees it within a second.
        f.permissionState->accessibility = true;
        QTRY_VERIFY_WITH_TIMEOUT(f.button("onboarding.continue")->isEnabled(), 3000);
        QVERIFY(!f.button("onboarding.openAccessibilitySettings")->isEnabled());
        f.permissionState->accessibility = false;
        QTRY_VERIFY_WITH_TIMEOUT(!f.button("onboarding.continue")->isEnabled(), 3000);
    }

    // Completion: who is signed in decides whether the unauthenticated
    // choice is written; the poll runs only while the wizard is shown.
    void completionAndPoll()
    {
        {
            Fixture f;
            QVERIFY(f.permissions.pollingTask());
            f.view->hide();
            QVERIFY(!f.permissions.pollingTask());
            f.view->show();
            auto task = f.permissions.pollingTask();
            QVERIFY(task);
            f.view->findChild<ActionButton *>(QStringLiteral("onboarding.skip"))->click();
            QVERIFY(f.setting(kAllow));
            QVERIFY(f.setting(kCompleted));
            QVERIFY(task->isCancelled());
            QVERIFY(!f.permissions.pollingTask());
        }
        {
            Fixture f;
            QVERIFY(f.account.signIn());
            f.goTo(OnboardingStep::login);
            QVERIFY(f.shown("onboarding.finish"));
            f.button("onboarding.finish")->click();
            QVERIFY(f.setting(kCompleted));
            QVERIFY(!f.account.settings.store->contains(kAllow));
            // Deleted while shown, as the gate does: the poll still ends.
            f.view->wizard().shown();
            f.view.reset();
            QVERIFY(!f.permissions.pollingTask());
        }
    }

    // A whole sign-in from the login page against the stand-in backend; a
    // refusal shows its text, which the next attempt clears.
    void signInThroughTheWizard()
    {
        Fixture f;
        f.goTo(OnboardingStep::login);
        auto *signIn = f.button("onboarding.signIn");
        auto *error = f.view->findChild<QLabel *>(QStringLiteral("onboarding.signInError"));

        f.account.browserApproves = false;
        signIn->click();
        QVERIFY(!signIn->isEnabled());
        QCOMPARE(signIn->shownText(), QStringLiteral("Entrando..."));
        QTRY_VERIFY(signIn->isEnabled());
        QCOMPARE(error->text(), AuthError::missingAuthorizationCode().errorDescription());
        QVERIFY(error->isVisibleTo(f.view.get()));

        f.account.browserApproves = true;
        f.account.browserEmail = QStringLiteral("ana@example.com");
        signIn->click();
        QVERIFY(!error->isVisibleTo(f.view.get()));
        QTRY_VERIFY(f.account.auth->isAuthenticated());
        QVERIFY(f.shown("onboarding.finish"));
        auto *email = f.view->findChild<QLabel *>(QStringLiteral("onboarding.userEmail"));
        QCOMPARE(email->text(), QStringLiteral("ana@example.com"));
        QVERIFY(email->isVisibleTo(f.view.get()));
    }

    // A browser that never answers ends as a cancellation: no message, the
    // button back. Skipping meanwhile leaves the late result nothing to touch.
    void unansweredSignIn()
    {
        {
            Fixture f;
            f.account.opener.onOpen = nullptr;
            f.account.auth->setSignInTimeout(200ms);
            f.goTo(OnboardingStep::login);
            f.button("onboarding.signIn")->click();
            QVERIFY(f.wizard().isSigningIn());
            QTRY_VERIFY(!f.wizard().isSigningIn());
            QVERIFY(!f.wizard().signInError());
            QVERIFY(f.button("onboarding.signIn")->isEnabled());
        }
        {
            Fixture f;
            f.account.opener.onOpen = nullptr;
            f.account.auth->setSignInTimeout(200ms);
            f.goTo(OnboardingStep::login);
            f.button("onboarding.signIn")->click();
            f.view->findChild<ActionButton *>(QStringLiteral("onboarding.skip"))->click();
            QVERIFY(f.setting(kAllow));
            f.view.reset();
            QTRY_VERIFY(!f.account.auth->isSigningIn());
        }
    }
};

QTEST_MAIN(TestOnboardingWizard)
#include "tst_OnboardingWizard.moc"
