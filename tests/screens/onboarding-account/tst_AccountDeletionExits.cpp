// Every way out of the account deletion's two dialogs on the page itself:
// the first alert answered by Esc or "Cancelar" opens nothing; the sheet
// closed by Esc or a click beside it keeps the typed word for the next time,
// its "Cancelar" clears it, and only "Confirmar" sends the deletion.
#include "account/BackendAPIClient.h"
#include "screens/onboarding-account/AccountManagementViewModel.h"
#include "screens/onboarding-account/ui/AccountManagementView.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "support/AccountTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

using namespace talvoro::account;

namespace {

QMessageBox *visibleAlert(QWidget *page)
{
    // A closed alert lingers until its deferred deletion.
    for (auto *box : page->findChildren<QMessageBox *>(QStringLiteral("deleteAccountAlert")))
        if (box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class AccountDeletionExitsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useLanguage(QStringLiteral("pt-BR")); }

    void onlyTheConfirmButtonDeletesAndOnlyCancelForgetsTheWord()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        QVERIFY(harness.signIn());
        AppEnvironment environment;
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        environment.makeBackendClient = [&] {
            return std::make_shared<BackendAPIClient>(harness.authProvider(), &harness.network,
                                                      backend.baseURL());
        };
        AccountManagementView page(environment);
        page.resize(700, 700);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto *row = page.findChild<QAbstractButton *>(QStringLiteral("deleteAccountRow"));
        AccountManagementViewModel &model = *page.viewModel();
        const auto openSheet = [&] {
            row->click();
            QMessageBox *alert = visibleAlert(&page);
            QVERIFY(alert);
            alert->findChild<QAbstractButton *>(QStringLiteral("continueButton"))->click();
            QVERIFY(page.sheets()->isPresented());
        };
        const auto sheet = [&] { return qobject_cast<DeleteConfirmationSheet *>(page.sheets()->form()); };

        // The first alert: Esc and "Cancelar" lead nowhere.
        for (const bool escape : {true, false}) {
            row->click();
            QMessageBox *alert = visibleAlert(&page);
            QVERIFY(alert);
            if (escape)
                QTest::keyClick(alert, Qt::Key_Escape);
            else
                alert->findChild<QAbstractButton *>(QStringLiteral("cancelButton"))->click();
            QTRY_VERIFY(!visibleAlert(&page));
            QVERIFY(!model.showDeleteFirstAlert());
            QVERIFY(!page.sheets()->isPresented());
        }

        // The sheet: Esc and a click beside it keep the word typed.
        openSheet();
        QTest::keyClicks(sheet()->field(), QStringLiteral("APA"));
        QTest::keyClick(sheet()->field(), Qt::Key_Escape);
        QVERIFY(!page.sheets()->isPresented());
        openSheet();
        QCOMPARE(sheet()->field()->text(), QStringLiteral("APA"));
        QTest::keyClicks(sheet()->field(), QStringLiteral("GAR"));
        QTest::mouseClick(sheet()->parentWidget()->parentWidget(), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!page.sheets()->isPresented());
        QVERIFY(!model.showDeleteConfirmation());
        openSheet();
        QCOMPARE(sheet()->field()->text(), QStringLiteral("APAGAR"));

        // "Cancelar" forgets it.
        sheet()->findChild<QAbstractButton *>(QStringLiteral("cancelDeletion"))->click();
        QVERIFY(!page.sheets()->isPresented());
        QVERIFY(model.deleteConfirmationText().isEmpty());
        openSheet();
        QCOMPARE(sheet()->field()->text(), QString());
        QCOMPARE(backend.server.requestCount(QStringLiteral("user/account")), 0);

        // Only "Confirmar" sends it.
        QTest::keyClicks(sheet()->field(), QStringLiteral("APAGAR"));
        sheet()->findChild<QAbstractButton *>(QStringLiteral("confirmDeletion"))->click();
        QTRY_COMPARE(backend.server.requestCount(QStringLiteral("user/account")), 1);
        QTRY_VERIFY(!harness.auth->isAuthenticated());
    }
};

QTEST_MAIN(AccountDeletionExitsTest)
#include "tst_AccountDeletionExits.moc"
