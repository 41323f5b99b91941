#include "account/OfflineSyncQueue.h"
#include "account/SyncBackoff.h"
#include "platform/AtomicJsonFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <functional>

using namespace std::chrono_literals;

namespace {

QJsonObject rule(const QString &clientId, double updatedAt, bool deleted = false)
{
    return {{"clientId", clientId}, {"originalText", "a"}, {"replacementText", "b"}, {"isEnabled", true},
            {"useCount", 0}, {"createdAt", 1.0}, {"updatedAt", updatedAt}, {"isDeleted", deleted}};
}

const QString kRuleId = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");
const QString kOtherId = QStringLiteral("11111111-2222-3333-4444-555555555555");

// A journal line queuing the deletion of one transcription, as the queue writes it.
QByteArray deletionLine(const QString &itemId)
{
    return R"({"id":")" + itemId.toUtf8() + R"(","kind":"deleteTranscription","payload":{"clientId":")"
        + itemId.toUpper().toUtf8() + R"("},"retryCount":0,"nextRetryAt":null,"enqueuedAt":1})";
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList idsOf(const QList<OfflineSyncItem> &items)
{
    QStringList ids;
    for (const OfflineSyncItem &item : items)
        ids.append(item.id);
    return ids;
}

} // namespace

// The offline queue and the file it lives in.
class TestOfflineSyncQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void itemsSurviveARestartWithRetryState()
    {
        QTemporaryDir dir;
        // In a folder not made yet, as on a first run.
        const QString path = dir.filePath(QStringLiteral("nested/offline-queue.json"));
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
        {
            OfflineSyncQueue queue(path);
            queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 10), now);
            auto item = queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}}, now);
            item.retryCount = 3;
            item.nextRetryAt = now.addSecs(120);
            QVERIFY(queue.update(item));
        }
        OfflineSyncQueue reopened(path);
        QCOMPARE(reopened.count(), 2);
        const auto items = reopened.items();
        QCOMPARE(items[0].kind, OfflineSyncKind::rule);
        QCOMPARE(items[0].payload, rule(kRuleId, 10));
        QCOMPARE(items[1].kind, OfflineSyncKind::deleteTranscription);
        QCOMPARE(items[1].retryCount, 3);
        QCOMPARE(items[1].nextRetryAt, now.addSecs(120));
        QCOMPARE(reopened.dueItems(now).size(), 1);
        QCOMPARE(reopened.dueItems(now.addSecs(120)).size(), 2);
        QVERIFY(reopened.hasPendingDeletion(OfflineSyncKind::deleteTranscription, kOtherId.toLower()));
        QVERIFY(!reopened.hasPendingDeletion(OfflineSyncKind::rule, kRuleId));

        QVERIFY(reopened.remove(items[0].id));
        QCoreApplication::processEvents(); // written at the end of the turn
        OfflineSyncQueue again(path);
        QCOMPARE(again.count(), 1);
        // The queue and its journal, no temporary file left beside them.
        QCOMPARE(QDir(dir.filePath(QStringLiteral("nested"))).entryList(QDir::Files),
                 (QStringList{QStringLiteral("offline-queue.json"), QStringLiteral("offline-queue.json.journal")}));
    }

    void pushesOfTheSameThingCoalesce()
    {
        QTemporaryDir dir;
        OfflineSyncQueue queue(dir.filePath(QStringLiteral("q.json")));
        queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 20));
        queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 10)); // older edit: ignored
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.items()[0].payload.value("updatedAt").toDouble(), 20.0);
        queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 5, true)); // deletion always wins
        QCOMPARE(queue.count(), 1);
        QVERIFY(queue.hasPendingDeletion(OfflineSyncKind::rule, kRuleId));
        queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 30)); // an edit never resurrects it
        QVERIFY(queue.hasPendingDeletion(OfflineSyncKind::rule, kRuleId));

        queue.enqueue(OfflineSyncKind::settings, {{"accentColor", "green"}, {"updatedAt", 1.0}});
        queue.enqueue(OfflineSyncKind::settings, {{"accentColor", "pink"}, {"updatedAt", 2.0}});
        QCOMPARE(queue.count(), 2);
        QCOMPARE(queue.pendingSettings()->payload.value("accentColor").toString(), QStringLiteral("pink"));

        queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}});
        queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}});
        queue.enqueue(OfflineSyncKind::dictionaryEntry, rule(kOtherId, 1)); // another kind, same id
        QCOMPARE(queue.count(), 4);
    }

    // Kept whole beside it under a name of its own, even three in a second.
    void corruptFileIsKeptAsideAndQueueStartsEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
        const QList<QByteArray> damaged{"{\"version\":1,\"items\":[{\"kind\":", "", "\xff\xfe"};
        for (const QByteArray &bytes : damaged) {
            QVERIFY(writeFile(path, bytes));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Offline queue was corrupt .* kept it as .*corrupt-"));
            QCOMPARE(OfflineSyncQueue(path).count(), 0);
        }
        QList<QByteArray> kept;
        for (const QString &name : QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")})) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            kept.append(file.readAll());
        }
        QCOMPARE(QSet<QByteArray>(kept.begin(), kept.end()), QSet<QByteArray>(damaged.begin(), damaged.end()));
        OfflineSyncQueue queue(path);
        queue.enqueue(OfflineSyncKind::settings, {{"updatedAt", 1.0}});
        QVERIFY(queue.flush());
        QCOMPARE(OfflineSyncQueue(path).count(), 1);
    }

    void unreadableItemsAreReportedAndTheRestKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
        const QJsonArray items{QJsonObject{{"id", "a"}, {"kind", "rule"}, {"payload", rule(kRuleId, 1)}},
                               QJsonObject{{"id", "b"}, {"kind", "teleport"}, {"payload", QJsonObject()}},
                               QJsonObject{{"id", "c"}, {"kind", "rule"}, {"payload", QJsonObject()}}};
        QVERIFY(writeFile(path, QJsonDocument(QJsonObject{{"version", 1}, {"items", items}}).toJson()));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Offline queue held 2 unreadable item"));
        OfflineSyncQueue queue(path);
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.items()[0].id, QStringLiteral("a"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")}).size(), 1);
        QCOMPARE(OfflineSyncQueue(path).count(), 1);

        // A document of another shape is kept aside whole.
        QVERIFY(writeFile(path, "[1,2,3]"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unknown layout"));
        QCOMPARE(OfflineSyncQueue(path).count(), 0);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")}).size(), 2);
    }

    // One write per event-loop turn, none without a change; what a drain
    // delivers is written when the drain ends, but a new failure at once.
    void writesAreCoalescedPerTurnAndDeferredDuringADrain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("q.json"));
        OfflineSyncQueue queue(path);
        QSignalSpy spy(&queue, &OfflineSyncQueue::changed);
        QList<OfflineSyncItem> items;
        for (int i = 0; i < 50; ++i)
            items.append(queue.enqueue(OfflineSyncKind::deleteTranscription,
                                       {{"clientId", QUuid::createUuid().toString(QUuid::WithoutBraces)}}));
        QVERIFY(!QFile::exists(path));
        QCoreApplication::processEvents();
        QCOMPARE(queue.bytesWritten(), QFileInfo(path).size());
        QCOMPARE(spy.count(), 50);

        QVERIFY(!queue.remove(QStringLiteral("unknown")));
        QVERIFY(queue.update(items[0]));
        QCoreApplication::processEvents();
        QCOMPARE(queue.bytesWritten(), QFileInfo(path).size()); // nothing changed, nothing written

        queue.setDraining(true);
        for (int i = 0; i < 40; ++i)
            QVERIFY(queue.remove(items[i].id));
        QCoreApplication::processEvents();
        QCOMPARE(OfflineSyncQueue(path).count(), 50);
        queue.enqueue(OfflineSyncKind::settings, {{"updatedAt", 1.0}});
        QCoreApplication::processEvents();
        QCOMPARE(OfflineSyncQueue(path).count(), 11);
        QVERIFY(queue.remove(items[40].id));
        queue.setDraining(false);
        QCoreApplication::processEvents();
        QCOMPARE(OfflineSyncQueue(path).count(), 10);
        QCOMPARE(queue.pendingItem(OfflineSyncKind::deleteTranscription, items[41].clientId())->id, items[41].id);
        QVERIFY(!queue.pendingItem(OfflineSyncKind::deleteTranscription, items[0].clientId()));
    }

    // Each turn appends its changes instead of rewriting the queue; reopening
    // replays them in order over the snapshot, and a line a crash cut short
    // is dropped while everything before it is kept.
    void turnsAppendToAJournalThatReplaysInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("q.json"));
        const QString journalPath = path + QStringLiteral(".journal");
        QList<OfflineSyncItem> items;
        {
            OfflineSyncQueue queue(path);
            for (int i = 0; i < 300; ++i) {
                items.append(queue.enqueue(OfflineSyncKind::rule,
                                           {{"clientId", QUuid::createUuid().toString(QUuid::WithoutBraces)},
                                            {"originalText", QString(200, u'x')},
                                            {"updatedAt", double(i)}}));
                QCoreApplication::processEvents();
            }
            items[5].retryCount = 3;
            items[5].nextRetryAt = QDateTime::fromMSecsSinceEpoch(1'741'600'030'000, Qt::UTC);
            QVERIFY(queue.update(items[5]));
            QVERIFY(queue.remove(items[7].id));
            items.removeAt(7);
            QCoreApplication::processEvents();
            const qint64 onDisk = QFileInfo(path).size() + QFileInfo(journalPath).size();
            QVERIFY2(queue.bytesWritten() <= 3 * onDisk,
                     qPrintable(QStringLiteral("%1 bytes written for %2 on disk").arg(queue.bytesWritten()).arg(onDisk)));
        }
        QCOMPARE(OfflineSyncQueue(path).items(), items);

        QFile journal(journalPath);
        QVERIFY(journal.open(QIODevice::Append));
        journal.write("{\"id\":\"cut\",\"kind\":\"ru");
        journal.close();
        {
            OfflineSyncQueue reopened(path);
            QCOMPARE(reopened.items(), items);
            reopened.enqueue(OfflineSyncKind::settings, {{"updatedAt", 1.0}});
        }
        QCOMPARE(OfflineSyncQueue(path).count(), items.size() + 1);

        // A line that cannot be read in the middle: the journal is kept
        // aside for recovery, the readable changes around it apply.
        const OfflineSyncItem last = OfflineSyncQueue(path).items().constLast();
        QVERIFY(journal.open(QIODevice::Append));
        journal.write("not json\n");
        journal.write(QByteArray(R"({"removed":")") + last.id.toUtf8() + "\"}\n");
        journal.close();
        {
            OfflineSyncQueue reopened(path);
            QCOMPARE(reopened.items(), items);
        }
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("q.json.journal.corrupt-*")}).size(), 1);
        QCOMPARE(OfflineSyncQueue(path).items(), items);
    }

    // A writer killed at any moment leaves a file the next start reads, holding
    // every item whose turn had ended.
    void killedWriterLosesNothingCommitted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
        for (int run = 0; run < 8; ++run) {
            QProcess writer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TALVORO_QUEUE_WRITER"), path);
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath());
            QVERIFY(writer.waitForStarted());
            // Killed once it has added a number of items that grows each run.
            int first = -1;
            int committed = -1;
            while ((first < 0 || committed < first + 1 + 2 * run) && writer.waitForReadyRead(30'000)) {
                while (writer.canReadLine()) {
                    const QByteArray line = writer.readLine().trimmed();
                    if (line.startsWith("committed "))
                        committed = line.mid(10).toInt();
                    if (first < 0)
                        first = committed;
                }
            }
            QVERIFY2(writer.state() == QProcess::Running && writer.processId() > 0,
                     QByteArray("the writer stopped by itself: " + writer.readAllStandardError().left(2000)).constData());
            ::kill(pid_t(writer.processId()), SIGKILL);
            writer.waitForFinished();
            QVERIFY2(first >= 0 && committed >= first + 1 + 2 * run, "the writer never got that far");
            const auto loaded = AtomicJsonFile::load(path);
            QCOMPARE(loaded.status, AtomicJsonFile::LoadStatus::loaded);
            OfflineSyncQueue reopened(path);
            QVERIFY2(reopened.count() >= committed,
                     qPrintable(QStringLiteral("%1 items read, %2 committed").arg(reopened.count()).arg(committed)));
        }
    }

    // On a full disk the write fails, says so, and the previous file stays whole.
    void fullDiskKeepsTheOldFile()
    {
        SmallDisk disk("64k");
        if (!disk.isMounted)
            QSKIP("Cannot mount a 64 KiB tmpfs here (needs root and mount rights); full-disk case not run");
        const QString mountPoint = disk.dir.path();
        const QString path = mountPoint + QStringLiteral("/queue.json");
        const QJsonObject good{{"items", QJsonArray{1, 2, 3}}};
        QVERIFY(AtomicJsonFile::write(path, QJsonDocument(good)).has_value());
        for (int size : {100, 20'000, 40'000}) { // buffered in QFileDevice, then beyond its buffer
            disk.fill();
            const auto written = AtomicJsonFile::write(path, QJsonDocument(QJsonObject{{"items", QString(size, 'x')}}));
            QVERIFY2(!written.has_value(), "a write onto a full disk reported success");
            QVERIFY(!written.error().isEmpty());
            const auto loaded = AtomicJsonFile::load(path);
            QCOMPARE(loaded.status, AtomicJsonFile::LoadStatus::loaded);
            QCOMPARE(loaded.document.object(), good);
            QCOMPARE(QDir(mountPoint).entryList(QDir::Files).size(), 1); // no temporary left behind
            disk.free();
        }
    }

    // What an append cut short, or a kill between or before a fold's steps,
    // leaves beside the queue; opening keeps every whole change and only those.
    void filesLeftByACutAppendOrAKillLoadRight_data()
    {
        QTest::addColumn<QByteArray>("snapshot");
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<QStringList>("strays");
        QTest::addColumn<QStringList>("expectedIds");
        QTest::addColumn<QStringList>("expectedFiles");
        const QByteArray empty = R"({"version":1,"items":[]})";

        QTest::newRow("an append cut short, then the next one written on after it")
            << empty << deletionLine("a") + "\n" + deletionLine("b").left(30) + R"({"removed":"a"})" "\n"
                   + deletionLine("b") + "\n"
            << QStringList() << QStringList{"b"} << QStringList{"q.json"};

        // The snapshot the fold wrote, and the journal it was about to remove.
        QTemporaryDir work;
        const QString path = work.filePath(QStringLiteral("q.json"));
        QByteArray foldedJournal;
        QString survivor;
        {
            OfflineSyncQueue queue(path);
            queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kRuleId}});
            QVERIFY(queue.flush());
            queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}});
            QVERIFY(queue.flush());
            foldedJournal = readAll(path + QStringLiteral(".journal"));
            queue.clear();
            survivor = queue.enqueue(OfflineSyncKind::settings, {{"updatedAt", 1.0}}).id;
            QVERIFY(queue.flush());
        }
        QTest::newRow("a kill between the fold's rename and the journal's removal")
            << readAll(path) << foldedJournal << QStringList() << QStringList{survivor} << QStringList{"q.json"};

        QTest::newRow("a kill before the fold's rename")
            << empty << QByteArray() << QStringList{"q.json.x7Kq2Z", "q.json.000000", "q.json.corrupt-20260101-000000"}
            << QStringList() << QStringList{"q.json", "q.json.corrupt-20260101-000000"};

        QTest::newRow("files of the version before")
            << QByteArray(R"({"version":1,"items":[)") + deletionLine("a") + "]}"
            << R"({"removed":"a"})" "\n" + deletionLine("b") + "\n" << QStringList() << QStringList{"b"}
            << QStringList{"q.json", "q.json.journal"};
    }

    void filesLeftByACutAppendOrAKillLoadRight()
    {
        QFETCH(QByteArray, snapshot);
        QFETCH(QByteArray, journal);
        QFETCH(QStringList, strays);
        QFETCH(QStringList, expectedIds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("q.json"));
        QVERIFY(writeFile(path, snapshot));
        if (!journal.isEmpty())
            QVERIFY(writeFile(path + QStringLiteral(".journal"), journal));
        for (const QString &name : strays)
            QVERIFY(writeFile(dir.filePath(name), "{"));
        {
            OfflineSyncQueue queue(path);
            QCOMPARE(idsOf(queue.items()), expectedIds);
        }
        QTEST(QDir(dir.path()).entryList(QDir::Files), "expectedFiles");
        OfflineSyncQueue again(path);
        QCOMPARE(idsOf(again.items()), expectedIds);
        again.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}});
        QVERIFY(again.flush());
        QCOMPARE(OfflineSyncQueue(path).count(), expectedIds.size() + 1);
    }

    // On a full disk an append that got only part of its line on disk is cut
    // back, says why, and the next append (once there is room) starts on a
    // whole line: no change is lost, a queued deletion least of all.
    void anAppendOnAFullDiskIsCutBack()
    {
        SmallDisk disk("64k");
        if (!disk.isMounted)
            QSKIP("a private tmpfs needs root");
        const QString path = disk.filePath(QStringLiteral("q.json"));
        OfflineSyncQueue queue(path);
        QSignalSpy full(&queue, &OfflineSyncQueue::writeFailedForLackOfSpace);
        queue.enqueue(OfflineSyncKind::rule, rule(kRuleId, 1));
        QVERIFY(queue.flush()); // the snapshot
        const OfflineSyncItem deletion = queue.enqueue(OfflineSyncKind::deleteTranscription, {{"clientId", kOtherId}});
        QVERIFY(queue.flush()); // the journal's first page
        const qint64 journalSize = QFileInfo(path + QStringLiteral(".journal")).size();

        disk.fill();
        QJsonObject large = rule(QUuid::createUuid().toString(QUuid::WithoutBraces), 2);
        large.insert(QStringLiteral("originalText"), QString(8000, u'x'));
        queue.enqueue(OfflineSyncKind::rule, large);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Cannot append to offline queue journal"));
        QVERIFY(!queue.flush());
        QCOMPARE(full.count(), 1);
        QCOMPARE(QFileInfo(path + QStringLiteral(".journal")).size(), journalSize);

        disk.free();
        QVERIFY(queue.remove(deletion.id));
        QVERIFY(queue.flush());
        QCOMPARE(OfflineSyncQueue(path).items(), queue.items());
        QCOMPARE(queue.count(), 2);
    }

    void backoffDoublesUpToAnHourAndHonoursTheServer()
    {
        QCOMPARE(SyncBackoff::delayForRetry(2), 2 * SyncBackoff::delayForRetry(1));
        QCOMPARE(SyncBackoff::delayForRetry(500), 3600s);
        QCOMPARE(SyncBackoff::delayForRetry(1, 600s), 600s);
        QCOMPARE(SyncBackoff::delayForRetry(3, 5s), SyncBackoff::delayForRetry(3));
    }
};

// Started by killedWriterLosesNothingCommitted: adds one item a turn and says
// how many had been written when each turn began, until it is killed.
static int runQueueWriter(const QString &path)
{
    OfflineSyncQueue queue(path);
    std::function<void()> step = [&queue, &step] {
        std::printf("committed %d\n", queue.count());
        std::fflush(stdout);
        queue.enqueue(OfflineSyncKind::deleteTranscription,
                      {{"clientId", QUuid::createUuid().toString(QUuid::WithoutBraces)}});
        // Queued after this turn's write, so the next line reports it. Not
        // qApp: with QtGui included it casts this QCoreApplication to a
        // QGuiApplication, which the undefined-behaviour checks stop at.
        QMetaObject::invokeMethod(QCoreApplication::instance(), step, Qt::QueuedConnection);
    };
    step();
    return QCoreApplication::exec();
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString path = qEnvironmentVariable("TALVORO_QUEUE_WRITER"); !path.isEmpty()) {
        QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
        return runQueueWriter(path);
    }
    TestOfflineSyncQueue test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_OfflineSyncQueue.moc"
