#include "account/OfflineSyncQueue.h"
#include "account/SyncBackoff.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QJsonObject rule(const QString &clientId, double updatedAt, bool deleted = false)
{
    return {{"clientId", clientId}, {"originalText", "a"}, {"replacementText", "b"}, {"isEnabled", true},
            {"useCount", 0}, {"createdAt", 1.0}, {"updatedAt", updatedAt}, {"isDeleted", deleted}};
}

const QString kRuleId = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");
const QString kOtherId = QStringLiteral("11111111-2222-3333-4444-555555555555");

} // namespace

class TestOfflineSyncQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void itemsSurviveARestartWithRetryState()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
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
        OfflineSyncQueue again(path);
        QCOMPARE(again.count(), 1);
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

    void corruptFileIsKeptAsideAndQueueStartsEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"version\":1,\"items\":[{\"kind\":");
        file.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Offline queue was corrupt .* kept it as .*corrupt-"));
        OfflineSyncQueue queue(path);
        QCOMPARE(queue.count(), 0);
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")});
        QCOMPARE(aside.size(), 1);
        queue.enqueue(OfflineSyncKind::settings, {{"updatedAt", 1.0}});
        QCOMPARE(OfflineSyncQueue(path).count(), 1);
    }

    void unreadableItemsAreReportedAndTheRestKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("offline-queue.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QJsonObject good{{"id", "a"}, {"kind", "rule"}};
        good.insert("payload", rule(kRuleId, 1));
        QJsonObject unknownKind{{"id", "b"}, {"kind", "teleport"}};
        unknownKind.insert("payload", QJsonObject());
        QJsonObject noClientId{{"id", "c"}, {"kind", "rule"}};
        noClientId.insert("payload", QJsonObject());
        QJsonArray items;
        items.append(good);
        items.append(unknownKind);
        items.append(noClientId);
        QJsonObject root;
        root.insert("version", 1);
        root.insert("items", items);
        file.write(QJsonDocument(root).toJson());
        file.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Offline queue held 2 unreadable item"));
        OfflineSyncQueue queue(path);
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.items()[0].id, QStringLiteral("a"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")}).size(), 1);
        QCOMPARE(OfflineSyncQueue(path).count(), 1);

        // A document of another shape is kept aside whole.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[1,2,3]");
        file.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unknown layout"));
        QCOMPARE(OfflineSyncQueue(path).count(), 0);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("offline-queue.json.corrupt-*")}).size(), 2);
    }

    void backoffDoublesUpToAnHourAndHonoursTheServer()
    {
        QCOMPARE(SyncBackoff::delayForRetry(1), 30s);
        QCOMPARE(SyncBackoff::delayForRetry(2), 60s);
        QCOMPARE(SyncBackoff::delayForRetry(5), 480s);
        QCOMPARE(SyncBackoff::delayForRetry(8), 3600s);
        QCOMPARE(SyncBackoff::delayForRetry(500), 3600s);
        QCOMPARE(SyncBackoff::delayForRetry(0), 30s);
        QCOMPARE(SyncBackoff::delayForRetry(1, 600s), 600s);
        QCOMPARE(SyncBackoff::delayForRetry(3, 5s), 120s);
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
        QCOMPARE(SyncBackoff::nextRetryTime(now, 2), now.addSecs(60));
    }
};

QTEST_GUILESS_MAIN(TestOfflineSyncQueue)
#include "tst_OfflineSyncQueue.moc"
