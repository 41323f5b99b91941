#include "backend-local/SyncAccount.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QTest>

using backendlocal::SyncAccount;

namespace {

const QString kA = QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001");
const QString kB = QStringLiteral("BBBBBBBB-0000-0000-0000-000000000002");

QJsonObject rule(const QString &id, const QString &text, double updatedAt, bool deleted = false)
{
    return {{"clientId", id}, {"originalText", text}, {"replacementText", "x"}, {"isEnabled", true},
            {"useCount", 0}, {"createdAt", 1.0}, {"updatedAt", updatedAt}, {"isDeleted", deleted}};
}

QJsonObject transcription(const QString &id, const QDateTime &created, qint64 words)
{
    return {{"clientId", id}, {"text", "t"}, {"createdAt", double(created.toMSecsSinceEpoch())},
            {"wordCount", words}, {"durationSeconds", 2.5}, {"language", "pt"}};
}

} // namespace

class TestSyncAccount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lastWriterWinsOnUpdatedAt()
    {
        SyncAccount account;
        QCOMPARE(account.pushRule(rule(kA, "new", 200), 1000).value(), true);
        QCOMPARE(account.pushRule(rule(kA, "old", 100), 1001).value(), false);
        QCOMPARE(account.rule(kA)->value("originalText").toString(), QString("new"));
        QCOMPARE(account.pushRule(rule(kA.toLower(), "gone", 300, true), 1002).value(), true);
        QVERIFY(account.rule(kA)->value("isDeleted").toBool());
        QCOMPARE(account.rule(kA)->value("clientId").toString(), kA); // ids are kept upper-case
        QVERIFY(!account.pushRule(QJsonObject{{"clientId", kA}}, 1003).has_value());
        QVERIFY(!account.pushRule(rule("nope", "x", 1), 1003).has_value());
    }

    void pullReturnsWhatChangedSinceTheCursor()
    {
        SyncAccount account;
        const QTimeZone utc = QTimeZone::utc();
        account.pushRule(rule(kA, "a", 1), 5000);
        QJsonObject first = account.pull(0, utc, 6000);
        QCOMPARE(first.value("rules").toArray().size(), 1);
        QVERIFY(first.value("settings").isNull());
        const qint64 cursor = qint64(first.value("cursor").toDouble());

        account.pushRule(rule(kB, "b", 1), 5000); // a clock behind the cursor still moves it on
        account.pushSettings({{"accentColor", "green"}, {"updatedAt", 10.0}}, 5000);
        const QJsonObject second = account.pull(cursor, utc, 6000);
        QCOMPARE(second.value("rules").toArray().size(), 1);
        QCOMPARE(second.value("rules").toArray()[0].toObject().value("clientId").toString(), kB);
        QCOMPARE(second.value("settings").toObject().value("accentColor").toString(), QString("green"));
        QVERIFY(second.value("cursor").toDouble() > cursor);

        // State survives the server's own persistence.
        SyncAccount reloaded(account.toJson());
        QCOMPARE(reloaded.pull(0, utc, 6000), account.pull(0, utc, 6000));
    }

    void transcriptionTombstonesWinOverOlderCopies()
    {
        SyncAccount account;
        const QDateTime created = QDateTime::fromMSecsSinceEpoch(1'000'000, Qt::UTC);
        QVERIFY(account.pushTranscription(transcription(kA, created, 3), 2'000'000).value());
        QVERIFY(account.deleteTranscription({{"clientId", kA}, {"updatedAt", 1'500'000.0}}, 2'000'001).value());
        QCOMPARE(account.liveTranscriptionCount(), 0);
        // Another device's initial push still holding the old copy does not bring it back.
        const auto counts = account.pushAll({{"transcriptions", QJsonArray{transcription(kA, created, 3)}}}, 2'000'002);
        QCOMPARE(counts->value("transcriptions").toInt(), 0);
        QCOMPARE(account.liveTranscriptionCount(), 0);
        // A bad row rejects the whole push and changes nothing.
        QVERIFY(!account.pushAll({{"transcriptions", QJsonArray{transcription(kB, created, 1), QJsonObject{}}}}, 3));
        QVERIFY(!account.transcription(kB));
    }

    void aDeletionIsNotUndoneByACopyOfTheSameAge()
    {
        // The rules screen deletes without stamping `updatedAt`: the tombstone
        // carries the time of the last edit, like every copy of that edit.
        SyncAccount account;
        QVERIFY(account.pushRule(rule(kA, "a", 100), 1).value());
        QVERIFY(account.pushRule(rule(kA, "a", 100, true), 2).value());
        QCOMPARE(account.pushRule(rule(kA, "a", 100), 3).value(), false);
        QVERIFY(account.rule(kA)->value("isDeleted").toBool());
        // A later edit is a later writer.
        QVERIFY(account.pushRule(rule(kA, "b", 101), 4).value());
        QVERIFY(!account.rule(kA)->value("isDeleted").toBool());

        // Transcriptions never change: once deleted, no copy brings one back,
        // whatever the clock of the device that made it said.
        const QDateTime created = QDateTime::fromMSecsSinceEpoch(5'000'000, Qt::UTC);
        QVERIFY(account.pushTranscription(transcription(kB, created, 3), 5).value());
        QVERIFY(account.deleteTranscription({{"clientId", kB}, {"updatedAt", 4'000'000.0}}, 6).value());
        QCOMPARE(account.pushTranscription(transcription(kB, created, 3), 7).value(), false);
        QCOMPARE(account.liveTranscriptionCount(), 0);
    }

    void statisticsFollowTheClientsCalendar()
    {
        // Wednesday 12 March 2025, 10:00 in São Paulo.
        const QTimeZone zone("America/Sao_Paulo");
        const QDateTime now(QDate(2025, 3, 12), QTime(10, 0), zone);
        SyncAccount account;
        auto add = [&](const QDateTime &when, qint64 words) {
            QVERIFY(account.pushTranscription(transcription(newClientId(), when, words), 1).has_value());
        };
        add(now.addSecs(-600), 10);               // today, within the hour
        add(now.addDays(-1), 5);                  // Tuesday
        add(now.addDays(-1), 5);                  // Tuesday
        add(now.addDays(-2), 1);                  // Monday
        add(now.addDays(-10), 7);                 // the week before, a lone day
        // 23:30 local on Sunday 9 March is already Monday in UTC: it belongs to last week here.
        add(QDateTime(QDate(2025, 3, 9), QTime(23, 30), zone), 2);

        const QJsonObject reply = account.pull(0, zone, now.toMSecsSinceEpoch());
        const QJsonObject stats = reply.value("statistics").toObject();
        QCOMPARE(stats.value("weekDictations").toInt(), 4);
        QCOMPARE(stats.value("weekWords").toInt(), 21);
        QCOMPARE(stats.value("currentStreak").toInt(), 4);  // Sun, Mon, Tue, Wed
        QCOMPARE(stats.value("last7DaysDictations").toInt(), 5);
        QCOMPARE(stats.value("thisMonthDictations").toInt(), 6);
        QCOMPARE(stats.value("hourlyUsed").toInt(), 1);
        QCOMPARE(stats.value("bestDay").toObject().value("date").toString(), QString("2025-03-11"));
        QCOMPARE(stats.value("bestDay").toObject().value("dictations").toInt(), 2);
        const QJsonArray chart = stats.value("weeklyChart").toArray();
        QCOMPARE(chart.last().toObject().value("weekStart").toString(), QString("2025-03-10"));
        QCOMPARE(chart.at(6).toObject().value("dictations").toInt(), 1); // Sunday 9 March
        QCOMPARE(reply.value("user").toObject().value("totalDictations").toInt(), 6);

        const QJsonObject empty = SyncAccount().pull(0, zone, now.toMSecsSinceEpoch()).value("statistics").toObject();
        QVERIFY(empty.value("bestDay").isNull());
        QCOMPARE(empty.value("currentStreak").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSyncAccount)
#include "tst_SyncAccount.moc"
