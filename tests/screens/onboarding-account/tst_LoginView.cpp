#include "account/AppConfig.h"
#include "account/AuthManager.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/ui/LoginView.h"
#include "support/AccountTestSupport.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace std::chrono_literals;
using talvoro::onboarding::LoginView;
using talvoro::ui::ActionButton;

namespace {

const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

struct Fixture
{
    LocalBackend backend;
    AuthHarness account{backend.baseURL()};
    RecordingUrlOpener links;
    AppEnvironment environment;
    std::unique_ptr<LoginView> view;

    Fixture()
    {
        environment.settings = account.settings.store.get();
        environment.auth = account.auth.get();
        environment.urlOpener = &links;
        view = std::make_unique<LoginView>(environment);
        view->show();
    }

    ActionButton *button(const char *name) { return view->findChild<ActionButton *>(QString::fromLatin1(name)); }
    bool bannerShown() { return view->findChild<QWidget *>(QStringLiteral("login.sessionExpired"))->isVisibleTo(view.get()); }
};

} // namespace

class TestLoginView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { talvoro::ui::applyAppearance(false); }
    void init() { talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")}); }

    // The one rule every sign-in screen shows failures by.
    void failureTexts()
    {
        const AuthError refused = AuthError::serverError(500, QStringLiteral("boom"));
        QCOMPARE(signInFailureText(refused), refused.errorDescription());
        QCOMPARE(signInFailureText(BrowserSessionError{}), std::nullopt);
        const QString generic = QStringLiteral("Não foi possível entrar. Tente novamente.");
        QCOMPARE(signInFailureText(BrowserSessionError{BrowserSessionError::Code::presentationContextInvalid}),
                 generic);
        QCOMPARE(signInFailureText(SecretStoreError{QStringLiteral("locked")}), generic);
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("en")});
        QCOMPARE(signInFailureText(SecretStoreError{}), QStringLiteral("Couldn't sign in. Try again."));
    }

    // "Pular" writes only the unauthenticated choice; the links open the
    // configured pages; the banner follows an ended session live.
    void skipLinksAndBanner()
    {
        Fixture f;
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
        QVERIFY(f.account.settings.store->boolValue(kAllow));
        QVERIFY(!f.account.settings.store->contains(SettingsKeys::onboardingCompleted.key()));

        QVERIFY(f.account.signIn());
        QVERIFY(!f.bannerShown());
    }

    // Both buttons wait for the sign-in; a refusal is an alert with its
    // text and one "OK"; a cancellation (the browser never came back) is none.
    void signInOutcomes()
    {
        Fixture f;
        f.account.browserApproves = false;
        f.button("login.signIn")->click();
        QVERIFY(!f.button("login.signIn")->isEnabled());
        QVERIFY(!f.button("login.skip")->isEnabled());
        QTRY_VERIFY(f.view->errorAlert());
        QMessageBox *alert = f.view->errorAlert();
        QCOMPARE(alert->text(), QStringLiteral("Erro ao entrar"));
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

QTEST_MAIN(TestLoginView)
#include "tst_LoginView.moc"
