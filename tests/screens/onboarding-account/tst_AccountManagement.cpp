#include "account/BackendAPIClient.h"
#include "app/ShellAnimations.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/AccountManagementViewModel.h"
#include "screens/onboarding-account/ui/AccountManagementView.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "texts/Localization.h"
#include "support/AccountTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

using namespace std::chrono_literals;
using namespace talvoro::account;

namespace {

// A signed-in account on the stand-in backend and the page's rules over it.
struct Account
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    AppEnvironment environment;
    QString userId;

    explicit Account(bool signIn = true)
    {
        if (signIn && !harness.signIn())
            qFatal("sign-in failed");
        userId = harness.auth->userId().value_or(QString());
        backend.server.resetRequestCounts();
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        environment.makeBackendClient = [this] {
            return std::make_shared<BackendAPIClient>(harness.authProvider(), &harness.network,
                                                      backend.baseURL());
        };
    }

    // Through both confirmations to "Confirmar".
    static void confirm(AccountManagementViewModel &model)
    {
        model.requestDeletion();
        model.continueToConfirmation();
        model.setDeleteConfirmationText(QStringLiteral("APAGAR"));
        model.confirmDeletion();
    }

    bool signedIn() const { return harness.auth->isAuthenticated(); }
};

QAbstractButton *alertButton(QWidget *view, const char *alert, const char *button)
{
    // A closed alert lingers until its deferred deletion.
    for (auto *box : view->findChildren<QMessageBox *>(QLatin1String(alert)))
        if (box->isVisible())
            return box->findChild<QAbstractButton *>(QLatin1String(button));
    return nullptr;
}

} // namespace

class AccountManagementTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")}); }

    void onlyTheExactWordConfirms_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("confirms");
        QTest::newRow("the word") << QStringLiteral("APAGAR") << true;
        QTest::newRow("lower case") << QStringLiteral("apagar") << false;
        QTest::newRow("space before") << QStringLiteral(" APAGAR") << false;
        QTest::newRow("space after") << QStringLiteral("APAGAR ") << false;
        QTest::newRow("english") << QStringLiteral("DELETE") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void onlyTheExactWordConfirms()
    {
        QFETCH(QString, typed);
        QFETCH(bool, confirms);
        AccountManagementViewModel model(nullptr, {});
        model.setDeleteConfirmationText(typed);
        QCOMPARE(model.canConfirm(), confirms);
    }

    // Every outcome ends with the sheet closed, the text cleared and nothing
    // running; only a success signs out.
    void deletionOutcomes_data()
    {
        QTest::addColumn<bool>("signedInBefore");
        QTest::addColumn<int>("injectedStatus");
        QTest::addColumn<int>("deleteRequests");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("deleted") << true << 0 << 1 << 0 << QString();
        QTest::newRow("server failure") << true << 500 << 1 << 0 << QStringLiteral("Erro do servidor (500)");
        QTest::newRow("no token") << false << 0 << 0 << 0 << QStringLiteral("Não autenticado");
        QTest::newRow("401 refreshed once") << true << 401 << 2 << 1 << QString();
    }

    void deletionOutcomes()
    {
        QFETCH(bool, signedInBefore);
        QFETCH(int, injectedStatus);
        QFETCH(int, deleteRequests);
        QFETCH(int, refreshes);
        QFETCH(QString, errorStart);
        Account account(signedInBefore);
        if (injectedStatus)
            account.backend.server.injectFailure(QStringLiteral("user/account"), {1, injectedStatus});
        AccountManagementViewModel model(account.environment.auth, account.environment.makeBackendClient);
        LogCapture log;

        Account::confirm(model);
        QVERIFY(model.isDeletingAccount() || !signedInBefore);
        QVERIFY(!model.canConfirm());
        model.confirmDeletion(); // a second press while it runs sends nothing
        QTRY_VERIFY(!model.isDeletingAccount());

        QVERIFY(!model.showDeleteConfirmation());
        QVERIFY(model.deleteConfirmationText().isEmpty());
        QCOMPARE(account.backend.server.requestCount(QStringLiteral("user/account")), deleteRequests);
        QCOMPARE(account.backend.server.requestCount(QStringLiteral("auth/refresh")), refreshes);
        if (errorStart.isEmpty()) {
            QVERIFY(!account.signedIn());
            QVERIFY(!account.backend.state().users.contains(account.userId));
            QVERIFY(!model.showDeleteError());
            QVERIFY(log.contains(QStringLiteral("Account delete: backend success, signing out")));
        } else {
            QCOMPARE(account.signedIn(), signedInBefore);
            QVERIFY(model.showDeleteError());
            QVERIFY2(model.deleteErrorMessage().value_or(QString()).startsWith(errorStart),
                     qPrintable(model.deleteErrorMessage().value_or(QString())));
            QVERIFY(log.contains(QStringLiteral("Account delete FAILED: ") + *model.deleteErrorMessage()));
        }
    }

    // Only 200 {"success": true} means deleted: any other answer shows
    // "Erro ao excluir conta" and keeps the account and the session.
    void anyOtherReplyKeepsTheAccountAndTheSession_data()
    {
        QTest::addColumn<QString>("impostor");
        for (const QString &impostor : LocalBackend::impostorReplies())
            QTest::newRow(qPrintable(impostor)) << impostor;
    }

    void anyOtherReplyKeepsTheAccountAndTheSession()
    {
        QFETCH(QString, impostor);
        Account account;
        account.backend.answerNextWithImpostor(QStringLiteral("user/account"), impostor);
        AccountManagementView page(account.environment);
        page.show();
        LogCapture log;

        Account::confirm(*page.viewModel());
        QTRY_VERIFY(!page.viewModel()->isDeletingAccount());
        QTRY_VERIFY(page.findChild<QMessageBox *>(QStringLiteral("deleteAccountErrorAlert")));
        QCOMPARE(page.findChild<QMessageBox *>(QStringLiteral("deleteAccountErrorAlert"))->windowTitle(),
                 QStringLiteral("Erro ao excluir conta"));
        QVERIFY(account.signedIn());
        QVERIFY(account.backend.state().users.contains(account.userId));
        QVERIFY(!log.contains(QStringLiteral("Account delete: backend success, signing out")));
    }

    // Through the window: the alert, the sheet (Return does nothing, Esc
    // keeps the text), the progress. The page leaves before the answer, which
    // still signs out; the gate shows the sign-in view and both account
    // screens are off the path, so the next sign-in lands on the hub.
    void throughTheWindowALateSuccessStillSignsOut()
    {
        talvoro::setShellAnimationsEnabled(false);
        Account account;
        account.backend.server.injectFailure(QStringLiteral("user/account"), {1, 0, 2000ms});
        SettingsStore &settings = *account.harness.settings.store;
        settings.set(SettingsKeys::onboardingCompleted, true);
        MainWindowModel model(settings, account.harness.auth.get());
        MainWindow window(account.environment, model, ScreenRegistry::withAppScreens());
        window.show();
        model.selectSidebarItem(SidebarItem::settings);
        model.push(DetailRoute::account);
        model.push(DetailRoute::accountManagement);
        QPointer<AccountManagementView> page = window.findChild<AccountManagementView *>();
        auto *row = page->findChild<QAbstractButton *>(QStringLiteral("deleteAccountRow"));

        row->click();
        alertButton(page, "deleteAccountAlert", "cancelButton")->click();
        QVERIFY(!page->sheets()->isPresented());
        row->click();
        alertButton(page, "deleteAccountAlert", "continueButton")->click();
        auto *sheet = qobject_cast<DeleteConfirmationSheet *>(page->sheets()->form());
        // Shift+Tab goes round the sheet, never out to the sidebar behind it.
        window.activateWindow(); // the alert had the focus
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *overlay = sheet->parentWidget()->parentWidget();
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(window.windowHandle(), Qt::Key_Tab, Qt::ShiftModifier);
            QVERIFY(overlay->isAncestorOf(QApplication::focusWidget()));
        }
        QTest::keyClicks(sheet->field(), QStringLiteral("APAGAR"));
        QTest::keyClick(sheet->field(), Qt::Key_Return);
        QTest::keyClick(sheet->field(), Qt::Key_Escape);
        QVERIFY(!page->sheets()->isPresented());
        QVERIFY(!page->viewModel()->isDeletingAccount());
        page->viewModel()->continueToConfirmation();
        sheet = qobject_cast<DeleteConfirmationSheet *>(page->sheets()->form());
        QCOMPARE(sheet->field()->text(), QStringLiteral("APAGAR"));
        sheet->findChild<QAbstractButton *>(QStringLiteral("confirmDeletion"))->click();
        QVERIFY(!row->isEnabled());
        QVERIFY(page->findChild<QWidget *>(QStringLiteral("deleteAccountSpinner"))->isVisible());
        QVERIFY(sheet->findChild<QWidget *>(QStringLiteral("deletionProgress"))->isVisible());

        model.pop();
        QTRY_VERIFY(!page);
        QVERIFY(account.signedIn());
        QTRY_COMPARE(model.gatePage(), GatePage::login);
        QVERIFY(!account.backend.state().users.contains(account.userId));
        QVERIFY(model.path().isEmpty());
        QVERIFY(account.harness.signIn());
        QCOMPARE(model.gatePage(), GatePage::mainInterface);
        QVERIFY(model.path().isEmpty());
    }

    // A success that arrives after the user signed out and in again belongs
    // to a session that is gone: it signs nobody out.
    void aSuccessForAnEndedSessionSignsNobodyOut()
    {
        Account account;
        account.backend.server.injectFailure(QStringLiteral("user/account"), {1, 0, 500ms});
        AccountManagementViewModel model(account.environment.auth, account.environment.makeBackendClient);
        Account::confirm(model);
        QTRY_COMPARE(account.backend.server.requestCount(QStringLiteral("user/account")), 1);
        account.harness.auth->signOut();
        QVERIFY(account.harness.signIn());
        QTRY_VERIFY(!model.isDeletingAccount());
        QVERIFY(account.signedIn());
    }
};

QTEST_MAIN(AccountManagementTest)
#include "tst_AccountManagement.moc"
