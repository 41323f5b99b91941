// The permissions screen and the sheet's permissions row over a
// PermissionManager whose answers the test sets.
#include "dictation/PermissionManager.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "screens/settings/SystemSettings.h"
#include "screens/settings/ui/PermissionsView.h"
#include "screens/settings/ui/SettingsRowBase.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace talvoro::settings;

namespace {

struct Fixture
{
    TemporarySettings settings;
    std::shared_ptr<FakePermissionChecks::State> state = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener opener;
    std::unique_ptr<PermissionManager> manager;
    AppEnvironment environment;

    Fixture(bool microphone, bool accessibility, bool speech)
    {
        state->microphone = microphone ? MicrophoneAuthorization::authorized : MicrophoneAuthorization::denied;
        state->accessibility = accessibility;
        state->speech = speech ? SpeechRecognitionAuthorization::authorized : SpeechRecognitionAuthorization::denied;
        manager = std::make_unique<PermissionManager>(std::make_unique<FakePermissionChecks>(state), opener);
        environment.settings = settings.store.get();
        environment.permissions = manager.get();
    }
};

QList<bool> enableButtonsShown(const PermissionsView &view)
{
    QList<bool> shown;
    for (int kind = 0; kind < 3; ++kind) {
        auto *row = view.findChild<QWidget *>(QStringLiteral("permission.%1").arg(kind));
        shown << row->findChild<QPushButton *>(QStringLiteral("enable"))->isVisibleTo(row);
    }
    return shown;
}

} // namespace

class TestPermissionsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::ui::applyAppearance(false);
        useLanguage(QStringLiteral("pt-BR"));
    }

    void bannerAndRowsFollowTheManager()
    {
        Fixture f(true, true, false);
        PermissionsView view(f.environment);
        auto *banner = view.findChild<QLabel *>(QStringLiteral("bannerText"));
        QCOMPARE(banner->text(), QStringLiteral("1 permissão pendente"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, false, true}));

        // Accessibility withdrawn, then everything granted, as a refresh reads it.
        f.state->accessibility = false;
        f.manager->refresh();
        QCOMPARE(banner->text(), QStringLiteral("2 permissões pendentes"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, true, true}));
        f.state->accessibility = true;
        f.state->speech = SpeechRecognitionAuthorization::authorized;
        f.manager->refresh();
        QCOMPARE(banner->text(), QStringLiteral("Todas as permissões concedidas"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, false, false}));
    }

    void pollRunsWhileShown()
    {
        Fixture f(false, false, false);
        PermissionsView view(f.environment);
        QVERIFY(!f.manager->pollingTask());
        view.show();
        auto task = f.manager->pollingTask();
        QVERIFY(task);
        f.state->accessibility = true;
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->accessibilityGranted(), 3000);

        view.hide();
        QVERIFY(task->isCancelled());
        QVERIFY(!f.manager->pollingTask());

        // Coming back starts it again; leaving stops a poll someone else started.
        view.show();
        QVERIFY(f.manager->pollingTask());
        f.manager->startPolling();
        auto other = f.manager->pollingTask();
        view.hide();
        QVERIFY(other->isCancelled());
        QVERIFY(!f.manager->pollingTask());
    }

    void sheetBadgeIsLiveWithoutPolling()
    {
        Fixture f(true, false, true);
        int opened = 0;
        SystemSettingsSheetView sheet(f.environment, [&] { opened++; }, {});
        sheet.show();
        QVERIFY(!f.manager->pollingTask());
        auto *badge = sheet.findChild<QLabel *>(QStringLiteral("permissionsBadge"));
        QCOMPARE(badge->text(), QStringLiteral("1 permissão pendente"));
        f.state->accessibility = true;
        f.manager->refresh();
        QCOMPARE(badge->text(), QStringLiteral("OK"));

        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("permissions"))->clicked();
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(TestPermissionsView)
#include "tst_PermissionsView.moc"
