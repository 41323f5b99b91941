// The sheet "Sistema" over the real synchroniser, signed in to the stand-in
// backend on loopback.
#include "account/AppConfig.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncManager.h"
#include "look/AccentColorOption.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "screens/settings/SystemSettings.h"
#include "screens/settings/ui/SettingsRowBase.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "support/AccountTestSupport.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace talvoro::settings;

namespace {

const QString kAccent = SettingsKeys::keyboardAccentColor.key();
const QString kSettingsPush = QStringLiteral("sync/settings");

struct Fixture
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    QTemporaryDir dir;
    AppModelContainer container{dir.filePath(QStringLiteral("TalvoroApp.store"))};
    SyncManager::Dependencies deps;
    std::unique_ptr<SyncManager> sync;
    QDateTime clock = QDateTime(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
    AppEnvironment environment;

    Fixture()
    {
        if (!harness.signIn())
            qFatal("sign-in failed");
        auto provider = std::make_shared<DefaultAuthProvider>();
        deps.auth = provider;
        deps.client = std::make_shared<BackendAPIClient>(provider, &harness.network, backend.baseURL());
        deps.queue = std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("offline-queue.json")));
        deps.defaults = harness.settings.store.get();
        deps.container = &container;
        deps.accountId = [this] { return harness.auth->userId().value_or(QString()); };
        deps.timeZoneId = [] { return QStringLiteral("UTC"); };
        deps.now = [this] { return clock; };
        sync = std::make_unique<SyncManager>(deps);
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        environment.sync = sync.get();
        environment.models = &container;
        environment.urlOpener = &harness.opener;
        environment.now = [this] { return clock; };
    }
};

QStringList selectedSwatches(const SystemSettingsSheetView &sheet)
{
    QStringList selected;
    for (auto *swatch : sheet.swatches()) {
        if (swatch->isSelected())
            selected << swatch->rawValue();
    }
    return selected;
}

} // namespace

class TestSystemSettingsSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::ui::applyAppearance(false);
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::installTranslations();
    }

    void relativeTexts()
    {
        const QDateTime now(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
        const QLocale pt = talvoro::textLocale(true);
        const QLocale en = talvoro::textLocale(false);
        QCOMPARE(talvoro::relativeDateText(now, now, en), QStringLiteral("now"));
        QCOMPARE(talvoro::relativeDateText(now.addSecs(-5), now, pt), QStringLiteral("há 5 segundos"));
        QCOMPARE(talvoro::relativeDateText(now.addSecs(-150), now, en), QStringLiteral("2 minutes ago"));
        QCOMPARE(talvoro::relativeDateRefreshMs(now.addMSecs(-5'250), now), 750);
        QCOMPARE(talvoro::relativeDateRefreshMs(now.addSecs(-150), now), 30'000);
    }

    void swatches()
    {
        Fixture f;
        f.environment.settings->setString(kAccent, QStringLiteral("Orange"));
        SystemSettingsSheetView sheet(f.environment, {}, {});
        sheet.show();
        // Only an exact raw value selects.
        QCOMPARE(selectedSwatches(sheet), QStringList{});

        f.backend.server.resetRequestCounts();
        auto *orange = sheet.findChild<AccentSwatch *>(QStringLiteral("swatch.orange"));
        orange->click();
        QCOMPARE(f.environment.settings->stringValue(kAccent), QStringLiteral("orange"));
        QCOMPARE(selectedSwatches(sheet), QStringList{QStringLiteral("orange")});
        QTRY_COMPARE(f.backend.server.requestCount(kSettingsPush), 1);
        QTRY_COMPARE(orange->scale(), AccentSwatch::kSelectedScale);

        // The selected swatch writes and pushes again.
        orange->click();
        QTRY_COMPARE(f.backend.server.requestCount(kSettingsPush), 2);
        QCOMPARE(selectedSwatches(sheet), QStringList{QStringLiteral("orange")});
    }

    void syncRowStates()
    {
        Fixture f;
        SystemSettingsSheetView sheet(f.environment, {}, {});
        sheet.show();
        auto *row = sheet.findChild<SettingsRowBase *>(QStringLiteral("syncNow"));
        auto *spinner = sheet.findChild<talvoro::ui::Spinner *>(QStringLiteral("syncSpinner"));
        auto *text = sheet.findChild<QLabel *>(QStringLiteral("lastSyncText"));
        // Never synced: nothing.
        QVERIFY(!spinner->isVisible() && !text->isVisible());

        Q_EMIT row->clicked();
        QTRY_VERIFY(f.sync->isSyncing());
        QVERIFY(spinner->isVisible());
        QVERIFY(!row->isEnabled());
        QTRY_VERIFY(!f.sync->isSyncing());
        QVERIFY(row->isEnabled());
        QVERIFY(!spinner->isVisible());
        QCOMPARE(text->text(), QStringLiteral("agora"));

        // The text keeps itself current.
        f.clock = f.clock.addSecs(125);
        QTRY_COMPARE_WITH_TIMEOUT(text->text(), QStringLiteral("há 2 minutos"), 3000);
    }

    void linksAndOnboarding()
    {
        Fixture f;
        int resets = 0;
        SystemSettingsSheetView sheet(f.environment, {}, [&] { resets++; });
        sheet.show();
        f.harness.opener.opened.clear();
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("terms"))->clicked();
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("privacy"))->clicked();
        QCOMPARE(f.harness.opener.opened, (QList<QUrl>{AppConfig::termsOfUseURL(), AppConfig::privacyPolicyURL()}));
        QVERIFY(sheet.isVisible());
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("redoOnboarding"))->clicked();
        QCOMPARE(resets, 1);
    }
};

QTEST_MAIN(TestSystemSettingsSheet)
#include "tst_SystemSettingsSheet.moc"
