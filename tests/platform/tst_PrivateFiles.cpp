// The files holding the user's history, settings, queued changes and picture are
// theirs alone, whatever the umask and whatever rights older files had.
#include "account/OfflineSyncQueue.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsStore.h"
#include "platform/SqliteDatabase.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "transcription/ReplacementRule.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QStringList kFolders{QString(), QStringLiteral("store"), QStringLiteral("queue"), QStringLiteral("avatars")};
const QStringList kFiles{QStringLiteral("settings.ini"), QStringLiteral("store/TalvoroApp.store"),
                         QStringLiteral("store/TalvoroApp.store-wal"), QStringLiteral("store/TalvoroApp.store-shm"),
                         QStringLiteral("store/TalvoroApp.store.open"), QStringLiteral("queue/offline-queue.json"),
                         QStringLiteral("avatars/avatar.jpg"), QStringLiteral("avatars/avatar-url.txt")};

// Opens settings, store and queue in `folder`, writes to each, and checks
// the rights of every folder and file while they are open.
void writeAllAndCheckRights(const QString &folder)
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
    AvatarImageCache avatars(folder + QStringLiteral("/avatars"));
    avatars.save("picture", QStringLiteral("https://example.invalid/a.jpg"));
    for (const QString &name : kFolders + kFiles) {
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &info), 0);
        QVERIFY2((info.st_mode & 0777) == (S_ISDIR(info.st_mode) ? 0700u : 0600u), qPrintable(name));
    }
}

} // namespace

class PrivateFilesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Whatever the umask of the first start, and whatever rights older files
    // were left with (the group's alone included), the next start closes them.
    void storeSettingsAndQueueAreTheUsersAlone_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("folderRights");
        QTest::addColumn<int>("fileRights");
        QTest::newRow("umask 0, then open to all") << 0 << 0x7755 << 0x6644;
        QTest::newRow("umask 027, then open to the group") << 027 << 0x7750 << 0x6640;
        QTest::newRow("umask 002, then writable by the group") << 002 << 0x7770 << 0x6660;
        QTest::newRow("umask 022, then others may only list") << 022 << 0x7701 << 0x6600;
    }
    void storeSettingsAndQueueAreTheUsersAlone()
    {
        QFETCH(int, umask);
        QFETCH(int, folderRights);
        QFETCH(int, fileRights);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("first-run/app"));
        const mode_t saved = ::umask(mode_t(umask));
        writeAllAndCheckRights(folder);
        ::umask(saved);
        if (QTest::currentTestFailed())
            return;

        // Another connection keeps the WAL and shared-memory files meanwhile.
        SqliteDatabase keeper;
        QCOMPARE(keeper.open(folder + QStringLiteral("/store/TalvoroApp.store")), 0);
        QCOMPARE(keeper.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")), 0);
        for (const QString &name : kFolders + kFiles) {
            const bool isFolder = kFolders.contains(name);
            if (!QFile::exists(folder + QLatin1Char('/') + name))
                continue; // the open marker, gone with the store's close
            QVERIFY(QFile::setPermissions(folder + QLatin1Char('/') + name,
                                          QFileDevice::Permissions(isFolder ? folderRights : fileRights)));
        }
        writeAllAndCheckRights(folder);
    }
};

QTEST_GUILESS_MAIN(PrivateFilesTest)
#include "tst_PrivateFiles.moc"
