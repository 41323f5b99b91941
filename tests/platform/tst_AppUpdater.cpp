#include "platform/AppUpdater.h"
#include "platform/NoOpAppUpdateDriver.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct ScriptedDriver final : AppUpdateDriving
{
    bool configured = true;
    bool checks = true;
    bool downloads = false;
    int checkCount = 0;
    bool isConfigured() const override { return configured; }
    bool automaticallyChecksForUpdates() const override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { checks = enabled; }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override { downloads = enabled; }
    void checkForUpdates() override { ++checkCount; }
};

} // namespace

class TestAppUpdater : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void withoutAFeedNothingIsConfigured()
    {
        AppUpdater updater;
        QVERIFY(!updater.isConfigured());
        updater.setAutomaticallyChecksForUpdates(true);
        QVERIFY(updater.automaticallyChecksForUpdates()); // kept as a plain value
        QTest::ignoreMessage(QtInfoMsg, "Update check requested, but no update feed is configured");
        updater.checkForUpdates();
    }

    void refreshCopiesTheDriversState()
    {
        auto driver = std::make_unique<ScriptedDriver>();
        auto *raw = driver.get();
        AppUpdater updater(std::move(driver));
        QVERIFY(updater.isConfigured());
        QVERIFY(updater.automaticallyChecksForUpdates());
        QVERIFY(!updater.automaticallyDownloadsUpdates());

        QSignalSpy downloads(&updater, &AppUpdater::automaticallyDownloadsUpdatesChanged);
        QSignalSpy configured(&updater, &AppUpdater::isConfiguredChanged);
        raw->downloads = true;
        raw->configured = false;
        QVERIFY(!updater.automaticallyDownloadsUpdates()); // not before the refresh
        updater.refreshFromDriver();
        QVERIFY(updater.automaticallyDownloadsUpdates());
        QVERIFY(!updater.isConfigured());
        QCOMPARE(downloads.count(), 1);
        QCOMPARE(configured.count(), 1);
        updater.refreshFromDriver();
        QCOMPARE(downloads.count(), 1);

        updater.setAutomaticallyChecksForUpdates(false);
        QVERIFY(!raw->checks);
        QVERIFY(!updater.automaticallyChecksForUpdates());
        updater.checkForUpdates();
        QCOMPARE(raw->checkCount, 1);
    }
};

QTEST_GUILESS_MAIN(TestAppUpdater)
#include "tst_AppUpdater.moc"
