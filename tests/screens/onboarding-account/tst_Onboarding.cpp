// The onboarding wizard and the sign-in view, over the stand-in backend.
#include "account/AppConfig.h"
#include "account/AuthManager.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/OnboardingWizard.h"
#include "screens/onboarding-account/ui/LoginView.h"
#include "screens/onboarding-account/ui/OnboardingPermissionBadge.h"
#include "screens/onboarding-account/ui/OnboardingSteps.h"
#include "screens/onboarding-account/ui/OnboardingView.h"
#include "support/AccountTestSupport.h"
#include "support/DictationFakes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace std::chrono_literals;
using talvoro::onboarding::LoginView;
using talvoro::onboarding::OnboardingView;
using talvoro::ui::ActionButton;

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

// An account over the stand-in backend and an environment holding it; the
// screen under test is `View`.
template<class View>
struct Fixture
{
    LocalBackend backend;
    AuthHarness account{backend.baseURL()};
    AppEnvironment environment;
    std::unique_ptr<View> view;

    Fixture()
    {
        environment.settings = account.settings.store.get();
        environment.auth = account.auth.get();
    }

    ActionButton *button(const char *name) { return view->template findChild<ActionButton *>(QString::fromLatin1(name)); }
    bool shown(const char *name) { return button(name)->isVisibleTo(view.get()); }
    bool setting(const QString &key) { return account.settings.store->boolValue(key); }
};

// The wizard, with permission answers the test gives.
struct WizardFixture : Fixture<OnboardingView>
{
    std::shared_ptr<FakePermissionChecks::State> permissionState = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener permissionOpener;
    PermissionManager permissions{std::make_unique<FakePermissionChecks>(permissionState), permissionOpener};
    HotkeyManager hotkeys{*account.settings.store, std::make_unique<FakeKeyboardMonitor>()};

    WizardFixture()
    {
        environment.permissions = &permissions;
        environment.hotkeys = &hotkeys;
        view = std::make_unique<OnboardingView>(environment, false);
        view->show();
    }
    ~WizardFixture() { view.reset(); } // before the services it uses

    OnboardingWizard &wizard() { return view->wizard(); }
    // From the login page, a sign-in the browser never answers.
    void startUnansweredSignIn()
    {
        account.opener.onOpen = nullptr;
        account.auth->setSignInTimeout(200ms);
        goTo(OnboardingStep::login);
        button("onboarding.signIn")->click();
    }
    void goTo(OnboardingStep step)
    {
        while (wizard().currentStep() != step)
            wizard().advance();
    }
};

struct LoginFixture : Fixture<LoginView>
{
    RecordingUrlOpener links;

    LoginFixture()
    {
        environment.urlOpener = &links;
        view = std::make_unique<LoginView>(environment);
        view->show();
    }
    ~LoginFixture() { view.reset(); }

    bool bannerShown() { return view->findChild<QWidget *>(QStringLiteral("login.sessionExpired"))->isVisibleTo(view.get()); }
};

} // namespace

class TestOnboarding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { talvoro::ui::applyAppearance(false); }
    void init() { talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")}); }

    // The navigation row on each page, and the ends of the step order.
    void navigationRowPerStep()
    {
        WizardFixture f;
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
        QVERIFY(f.view->currentPage()->findChild<QWidget *>(QStringLiteral("onboarding.hotkeysUnavailable"))->isHidden());
    }

    // Where the desktop offers no global hotkeys, the hotkey page says so.
    void hotkeyPageSaysWhenTheDesktopHasNoGlobalHotkeys()
    {
        TemporarySettings settings;
        HotkeyManager none(*settings.store, std::make_unique<NullKeyboardMonitor>());
        talvoro::onboarding::OnboardingHotkeyStep page(&none, *settings.store);
        auto *note = page.findChild<QLabel *>(QStringLiteral("onboarding.hotkeysUnavailable"));
        QVERIFY(note);
        QCOMPARE(note->text(), QStringLiteral("Atalhos globais não estão disponíveis nesta área de trabalho."));
    }

    // The accessibility page as the desktop's hotkeys leave it: bound, not
    // (yet) bound, or impossible on a desktop without global hotkeys, where
    // it is not pending and the wizard goes on to the sign-in page.
    void accessibilityPageFollowsTheDesktop_data()
    {
        QTest::addColumn<bool>("granted");
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("canContinue");
        QTest::addColumn<QString>("badge"); // empty: hidden
        QTest::addColumn<int>("missing");
        QTest::newRow("bound") << true << true << true << QStringLiteral("Permissão concedida") << 0;
        QTest::newRow("refused or unanswered")
            << false << true << false << QStringLiteral("Aguardando permissão...") << 1;
        QTest::newRow("no global hotkeys on this desktop") << false << false << true << QString() << 0;
    }
    void accessibilityPageFollowsTheDesktop()
    {
        QFETCH(bool, granted);
        QFETCH(bool, available);
        QFETCH(bool, canContinue);
        QFETCH(QString, badge);
        QFETCH(int, missing);
        WizardFixture f;
        f.permissionState->microphone = MicrophoneAuthorization::authorized;
        f.permissionState->speech = SpeechRecognitionAuthorization::authorized;
        f.permissionState->accessibility = granted;
        f.permissionState->accessibilityAvailable = available;
        f.permissions.refresh();
        QCOMPARE(f.permissions.missingPermissionCount(), missing);
        QCOMPARE(f.permissions.allPermissionsGranted(), missing == 0);

        f.button("onboarding.continue")->click();
        f.button("onboarding.continue")->click();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::accessibility);
        QWidget *page = f.view->currentPage();
        auto *shownBadge = page->findChild<talvoro::onboarding::OnboardingPermissionBadge *>();
        QCOMPARE(shownBadge->isVisibleTo(page) ? shownBadge->text() : QString(), badge);
        QCOMPARE(f.shown("onboarding.openAccessibilitySettings"), !badge.isEmpty());
        auto *note = page->findChild<QLabel *>(QStringLiteral("onboarding.hotkeysUnavailable"));
        QCOMPARE(note->isVisibleTo(page), !available);
        QCOMPARE(note->text(), QStringLiteral("Atalhos globais não estão disponíveis nesta área de trabalho."));
        QCOMPARE(f.button("onboarding.continue")->isEnabled(), canContinue);
        if (!canContinue)
            return;
        f.button("onboarding.continue")->click();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::hotkey);
        f.button("onboarding.continue")->click();
        QCOMPARE(f.wizard().currentStep(), OnboardingStep::login);
        QVERIFY(f.shown("onboarding.signIn"));
    }

    // "Continuar" and the pages follow the permission flags while shown; a
    // page never granted still lets the user leave through "Pular".
    void continueFollowsPermissionsLive()
    {
        WizardFixture f;
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
            WizardFixture f;
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
            WizardFixture f;
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
        WizardFixture f;
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
            WizardFixture f;
            f.startUnansweredSignIn();
            QVERIFY(f.wizard().isSigningIn());
            QTRY_VERIFY(!f.wizard().isSigningIn());
            QVERIFY(!f.wizard().signInError());
            QVERIFY(f.button("onboarding.signIn")->isEnabled());
        }
        {
            WizardFixture f;
            f.startUnansweredSignIn();
            f.view->findChild<ActionButton *>(QStringLiteral("onboarding.skip"))->click();
            QVERIFY(f.setting(kAllow));
            f.view.reset();
            QTRY_VERIFY(!f.account.auth->isSigningIn());
        }
    }

    // While the browser never answers, "Cancelar" or Escape ends the sign-in
    // at once and silently: the screen is back as before the press.
    void cancelWhileTheBrowserNeverAnswers()
    {
        LoginFixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
        f.account.opener.onOpen = nullptr;
        QVERIFY(!f.shown("login.cancelSignIn"));
        for (const bool byEscape : {false, true}) {
            f.button("login.signIn")->click();
            QVERIFY(f.account.auth->isSigningIn());
            QVERIFY(f.shown("login.cancelSignIn"));
            QVERIFY(!f.button("login.skip")->isEnabled());
            // The keyboard moves to the cancel, and back once it is done.
            QCOMPARE(QApplication::focusWidget(), f.button("login.cancelSignIn"));
            if (byEscape)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                f.button("login.cancelSignIn")->click();
            QVERIFY(!f.account.auth->isSigningIn());
            QVERIFY(f.button("login.signIn")->isEnabled() && f.button("login.skip")->isEnabled());
            QVERIFY(!f.shown("login.cancelSignIn"));
            QCOMPARE(QApplication::focusWidget(), f.button("login.signIn"));
            QVERIFY(!f.view->errorAlert());
        }

        WizardFixture w;
        w.account.opener.onOpen = nullptr;
        w.goTo(OnboardingStep::login);
        QVERIFY(QTest::qWaitForWindowActive(w.view.get()));
        // Tab goes as the page reads: "Pular", "Entrar", then "Voltar".
        w.button("onboarding.skip")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.button("onboarding.signIn"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.button("onboarding.back"));
        w.button("onboarding.signIn")->click();
        QVERIFY(w.shown("onboarding.cancelSignIn"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w.account.auth->isSigningIn() && !w.wizard().isSigningIn());
        QVERIFY(!w.wizard().signInError());
        QVERIFY(w.button("onboarding.signIn")->isEnabled());
        QVERIFY(!w.shown("onboarding.cancelSignIn"));
    }

    // The one rule every sign-in screen shows failures by.
    void failureTexts()
    {
        const QString generic = QStringLiteral("Não foi possível entrar. Tente novamente.");
        QCOMPARE(signInFailureText(BrowserSessionError{BrowserSessionError::Code::presentationContextInvalid}),
                 generic);
        QCOMPARE(signInFailureText(SecretStoreError{QStringLiteral("locked")}), generic);
    }

    // "Pular" writes only the unauthenticated choice; the links open the
    // configured pages; the banner follows an ended session live.
    void skipLinksAndBanner()
    {
        LoginFixture f;
        QVERIFY(!f.bannerShown());
        f.account.settings.store->setString(SettingsKeys::authUserId.key(), QStringLiteral("u1"));
        f.view.reset();
        f.account.restart();
        f.environment.settings = f.account.settings.store.get();
        f.environment.auth = f.account.auth.get();
        f.view = std::make_unique<LoginView>(f.environment);
        f.view->show();
        QCoro::waitFor(f.account.auth->restoreSession());
        QVERIFY(f.account.auth->sessionExpired());
        QVERIFY(f.bannerShown());

        auto *terms = f.view->findChild<QLabel *>(QStringLiteral("login.link.terms"));
        Q_EMIT terms->linkActivated(QStringLiteral("terms"));
        auto *privacy = f.view->findChild<QLabel *>(QStringLiteral("login.link.privacy"));
        Q_EMIT privacy->linkActivated(QStringLiteral("privacy"));
        QCOMPARE(f.links.opened, (QList<QUrl>{AppConfig::termsOfUseURL(), AppConfig::privacyPolicyURL()}));

        f.button("login.skip")->click();
        QVERIFY(f.setting(kAllow));
        QVERIFY(!f.account.settings.store->contains(kCompleted));

        QVERIFY(f.account.signIn());
        QVERIFY(!f.bannerShown());
    }

    // Both buttons wait for the sign-in; a refusal is an alert with its
    // text and one "OK"; a cancellation (the browser never came back) is none.
    void signInOutcomes()
    {
        LoginFixture f;
        f.account.browserApproves = false;
        f.button("login.signIn")->click();
        QVERIFY(!f.button("login.signIn")->isEnabled());
        QVERIFY(!f.button("login.skip")->isEnabled());
        QTRY_VERIFY(f.view->errorAlert());
        QMessageBox *alert = f.view->errorAlert();
        QCOMPARE(alert->informativeText(), AuthError::missingAuthorizationCode().errorDescription());
        QCOMPARE(alert->buttons().size(), 1);
        QVERIFY(f.button("login.signIn")->isEnabled());
        QVERIFY(f.button("login.skip")->isEnabled());
        alert->buttons().constFirst()->click();
        QTRY_VERIFY(!f.view->errorAlert());

        f.account.opener.onOpen = nullptr;
        f.account.auth->setSignInTimeout(200ms);
        f.button("login.signIn")->click();
        QTRY_VERIFY(f.button("login.signIn")->isEnabled());
        QVERIFY(!f.view->errorAlert());
        QVERIFY(f.button("login.skip")->isEnabled());
    }
};

QTEST_MAIN(TestOnboarding)
#include "tst_Onboarding.moc"
