// The composition root as main() builds it, twice in one process: the
// services it owns are the ones the named accessors hand out, what the
// window's session leaves in the store and the settings is written at quit,
// and the next composition finds it (so the first let go of everything).

#include "account/AuthManager.h"
#include "account/SyncManager.h"
#include "app/AppComposition.h"
#include "app/ui/MainWindow.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "transcription/StoreQueries.h"
#include "transcription/TranscriptionRecord.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

class TestAppComposition : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { AppComposition::configureApplication(); }

    void servicesLiveAndDieWithTheComposition()
    {
        for (int round = 0; round < 2; ++round) {
            SingleInstance instance(QStringLiteral("tst_AppComposition-%1-%2")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(round));
            QCOMPARE(instance.start({}), SingleInstance::Role::primary);
            auto composition = std::make_unique<AppComposition>(instance, QStringList{});
            QCOMPARE(SettingsStore::shared().filePath(), SettingsStore::applicationFilePath());
            QCOMPARE(AppModelContainer::shared().filePath(), AppModelContainer::applicationStorePath());
            QVERIFY(!AuthManager::shared().isAuthenticated());
            QVERIFY(!SyncManager::shared().isSyncing());
            MainWindow &window = composition->shell().window();
            QTRY_VERIFY(window.isVisible());

            ModelContext &store = AppModelContainer::shared().mainContext();
            if (round == 0) {
                // Left unsaved and unsynchronised: the quit writes them.
                QVERIFY(!window.mainInterface());
                sharedDefaults().set(SettingsKeys::onboardingCompleted, true);
                sharedDefaults().set(SettingsKeys::allowUnauthenticatedAccess, true);
                store.insert(TranscriptionRecord(QStringLiteral("ditado"), 1, 1.0, QStringLiteral("pt"),
                                                 QDateTime::currentDateTimeUtc()));
            } else {
                QTRY_VERIFY(window.mainInterface());
                QCOMPARE(store.fetch(StoreQueries::transcriptionsNewestFirst()).value().size(), size_t(1));
            }
            composition->saveBeforeExit();
            composition.reset();
        }
    }
};

int main(int argc, char **argv)
{
    // Fresh folders on every run, and no X display: the composition would
    // grab the global hotkeys on the display the other tests share.
    QTemporaryDir folders;
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, folders.filePath(QString::fromLatin1(variable)).toLocal8Bit());
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    TestAppComposition test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AppComposition.moc"
