// The files holding the user's history, settings and queued changes are
// theirs alone, whatever the umask and whatever rights older files had.
#include "account/OfflineSyncQueue.h"
#include "platform/AppModelContainer.h"
#include "platform/AppPaths.h"
#include "platform/ModelContext.h"
#include "platform/SettingsStore.h"
#include "platform/SqliteDatabase.h"
#include "transcription/ReplacementRule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Settings, a store with a saved row (its WAL and shared-memory files stay
// while it is open) and a queue with one item, all in `folder`; `whileOpen`
// runs with the three still open.
void writeAll(const QString &folder, const std::function<void()> &whileOpen = {})
{
    SettingsStore settings(folder + QStringLiteral("/settings.ini"));
    settings.setString(QStringLiteral("name"), QStringLiteral("Ana"));
    QVERIFY(settings.synchronize());
    AppModelContainer store(folder + QStringLiteral("/store/TalvoroApp.store"));
    store.mainContext().insert(ReplacementRule(QStringLiteral("vc"), QStringLiteral("você")));
    QVERIFY(store.mainContext().save().has_value());
    OfflineSyncQueue queue(folder + QStringLiteral("/queue/offline-queue.json"));
    queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", "6F9619FF-8B86-D011-B42D-00C04FC964FF"}});
    QVERIFY(queue.flush());
    if (whileOpen)
        whileOpen();
}

const QStringList kFiles{QStringLiteral("settings.ini"), QStringLiteral("store/TalvoroApp.store"),
                         QStringLiteral("store/TalvoroApp.store-wal"), QStringLiteral("store/TalvoroApp.store-shm"),
                         QStringLiteral("queue/offline-queue.json")};
const QStringList kFolders{QString(), QStringLiteral("store"), QStringLiteral("queue")};

void verifyPrivate(const QString &folder)
{
    for (const QString &name : kFolders)
        QVERIFY2(modeOf(folder + QLatin1Char('/') + name) == 0700, qPrintable(name));
    for (const QString &name : kFiles)
        QVERIFY2(modeOf(folder + QLatin1Char('/') + name) == 0600, qPrintable(name));
}

} // namespace

class PrivateFilesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newFilesAreTheUsersAloneWhateverTheUmask()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("first-run/app"));
        const mode_t saved = ::umask(0);
        writeAll(folder, [&] { verifyPrivate(folder); });
        ::umask(saved);
    }

    void olderFilesAreClosedToOthersOnStart()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("app"));
        writeAll(folder);
        // The WAL and shared-memory files go with the store's last close:
        // another connection keeps them.
        SqliteDatabase keeper;
        QCOMPARE(keeper.open(folder + QStringLiteral("/store/TalvoroApp.store")), 0);
        QCOMPARE(keeper.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")), 0);
        for (const QString &name : kFolders)
            QVERIFY(QFile::setPermissions(folder + QLatin1Char('/') + name, QFileDevice::Permissions(0x7755)));
        for (const QString &name : kFiles)
            QVERIFY2(QFile::setPermissions(folder + QLatin1Char('/') + name, QFileDevice::Permissions(0x6644)),
                     qPrintable(name));
        writeAll(folder, [&] { verifyPrivate(folder); });

        // The application's own folders too, when they exist already.
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        const QString dataFolder = dir.filePath(QStringLiteral("data/com.torvenak.talvoro-mac"));
        QVERIFY(QDir().mkpath(dataFolder));
        QFile::setPermissions(dataFolder, QFileDevice::Permissions(0x7755));
        QCOMPARE(AppPaths::dataDir(), dataFolder);
        QCOMPARE(modeOf(dataFolder), mode_t(0700));
        qputenv("XDG_DATA_HOME", savedData);
    }
};

QTEST_GUILESS_MAIN(PrivateFilesTest)
#include "tst_PrivateFiles.moc"
