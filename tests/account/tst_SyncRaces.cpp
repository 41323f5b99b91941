// Data paths that meet: a deletion still on its way while a pull brings the
// same row back, a pulled deletion stamped with the local row's own time
// (each for rules, dictionary terms and dictations), and a pull asked for
// while one runs.
#include "account/SyncMerge.h"
#include "platform/ModelContext.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Long enough to hold the deletion's answer over a whole pull on a loaded
// machine; a pull that still outlasts it meets an answered deletion instead,
// which must keep the row out all the same.
constexpr std::chrono::milliseconds kHeldAnswer = 3000ms;

ReplacementRule ruleAt(qint64 updatedMs)
{
    ReplacementRule rule(QStringLiteral("tlv"), QStringLiteral("Talvoro"));
    rule.updatedAt = at(updatedMs);
    return rule;
}

DictionaryEntry entryAt(qint64 updatedMs)
{
    DictionaryEntry entry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual"));
    entry.updatedAt = at(updatedMs);
    return entry;
}

// Awaits `running`, then notes whether `joined` had ended by then.
QCoro::Task<> awaitThenCheck(QCoro::Task<> running, const QCoro::Task<> *joined, bool *joinedEndedFirst)
{
    co_await std::move(running);
    *joinedEndedFirst = joined->isReady();
}

} // namespace

class TestSyncRaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aDeletionOnItsWayIsNotUndoneByAPullOfTheSameRow()
    {
        AccountServices services;
        QVERIFY(services.harness.signIn());
        ModelContext &context = services.models.mainContext();
        const ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        const DictionaryEntry entry(QStringLiteral("x"), QStringLiteral("pt"), QStringLiteral("manual"));
        const TranscriptionRecord record(QStringLiteral("texto"), 1, 1.0, QStringLiteral("pt"));
        context.insert(rule);
        context.insert(entry);
        context.insert(record);
        QVERIFY(context.save().has_value());
        QCoro::waitFor(services.sync->pull(context)); // the three rows reach the account
        QVERIFY(services.account().rule(rule.idString()).has_value());
        QVERIFY(services.account().dictionaryEntry(entry.idString()).has_value());
        QVERIFY(services.account().transcription(record.idString()).has_value());

        // Deleted here; the account hears of each deletion only after a pull
        // that still finds all three rows there.
        for (const char *path : {"sync/rules", "sync/dictionary-entries", "sync/transcriptions"})
            services.backend.server.injectFailure(QLatin1String(path), {1, 0, kHeldAnswer});
        const auto removedRule = context.remove<ReplacementRule>(rule.id);
        const auto removedEntry = context.remove<DictionaryEntry>(entry.id);
        QVERIFY(context.remove<TranscriptionRecord>(record.id));
        QVERIFY(context.save().has_value());
        QVERIFY(removedRule && removedEntry);
        auto rulePush = services.sync->pushRuleModel(*removedRule, true);
        auto entryPush = services.sync->pushDictionaryEntryModel(*removedEntry, true);
        auto recordPush = services.sync->deleteTranscription(record.idString());
        QTRY_VERIFY(services.requests(QStringLiteral("sync/rules")) >= 1
                    && services.requests(QStringLiteral("sync/dictionary-entries")) >= 1
                    && services.requests(QStringLiteral("sync/transcriptions")) >= 1);

        services.harness.settings.store->remove(QStringLiteral("syncPullCursor")); // a full pull
        QCoro::waitFor(services.sync->pull(context));
        const auto counts = [&] {
            auto fresh = services.models.makeContext();
            return QList<qsizetype>{*fresh->fetchCount<ReplacementRule>(), *fresh->fetchCount<DictionaryEntry>(),
                                    *fresh->fetchCount<TranscriptionRecord>()};
        };
        QCOMPARE(counts(), (QList<qsizetype>{0, 0, 0}));

        QCoro::waitFor(std::move(rulePush));
        QCoro::waitFor(std::move(entryPush));
        QCoro::waitFor(std::move(recordPush));
        QCOMPARE(counts(), (QList<qsizetype>{0, 0, 0}));
        QCOMPARE(services.queue->count(), 0);
        QVERIFY(services.account().rule(rule.idString())->value(QStringLiteral("isDeleted")).toBool());
        QVERIFY(services.account().dictionaryEntry(entry.idString())->value(QStringLiteral("isDeleted")).toBool());
        QVERIFY(services.account().transcription(record.idString())->value(QStringLiteral("isDeleted")).toBool());
    }

    // A pull asked for while one runs joins it and ends as it ends, before
    // anything else runs: at quit no event-loop turn follows. It ends too when
    // the manager went away before the pull it joined.
    void aJoinedPullEndsWithTheOneItJoined_data()
    {
        QTest::addColumn<bool>("managerGoesFirst");
        QTest::newRow("the pull ends") << false;
        QTest::newRow("the manager goes, then the pull ends") << true;
    }

    void aJoinedPullEndsWithTheOneItJoined()
    {
        QFETCH(bool, managerGoesFirst);
        AccountServices services;
        QVERIFY(services.harness.signIn());
        ModelContext &context = services.models.mainContext();
        QSignalSpy held(&services.backend.server, &backendlocal::BackendServer::requestHeld);
        services.backend.server.scriptRequestsUnder(QStringLiteral("sync/"), {{.status = 0, .held = true}});
        auto running = services.sync->pull(context);
        QTRY_COMPARE_WITH_TIMEOUT(held.count(), 1, 10000);
        auto joined = services.sync->pull(context);
        QVERIFY(!joined.isReady());
        bool joinedEndedFirst = false;
        auto watched = awaitThenCheck(std::move(running), &joined, &joinedEndedFirst);
        if (managerGoesFirst) {
            services.syncProvider.reset();
            services.sync.reset();
        }
        services.backend.server.releaseHeld();
        QTRY_VERIFY_WITH_TIMEOUT(watched.isReady(), 10000);
        QVERIFY(joinedEndedFirst);
    }

    void aPulledDeletionAtTheLocalRowsOwnTimeDeletesIt()
    {
        // A deletion confirmed in the editors goes out with the row's own
        // time: on another device that is the time of the row it deletes.
        // Newer rows stay; a pulled dictation's deletion has no time to weigh.
        TemporaryProfile profile;
        ModelContext &context = profile.models.mainContext();
        const ReplacementRule sameRule = ruleAt(7000);
        const ReplacementRule newerRule = ruleAt(7001);
        const DictionaryEntry sameEntry = entryAt(7000);
        const DictionaryEntry newerEntry = entryAt(7001);
        const TranscriptionRecord record = dictation(QStringLiteral("texto"), at(7000));
        context.insert(sameRule);
        context.insert(newerRule);
        context.insert(sameEntry);
        context.insert(newerEntry);
        context.insert(record);
        QVERIFY(context.save().has_value());

        SyncPullResponse response;
        SyncRulePayload olderRuleDeletion = SyncMerge::payloadFromRule(newerRule, true);
        olderRuleDeletion.updatedAt = 7000;
        SyncDictionaryEntryPayload olderEntryDeletion = SyncMerge::payloadFromEntry(newerEntry, true);
        olderEntryDeletion.updatedAt = 7000;
        response.rules = {SyncMerge::payloadFromRule(sameRule, true), olderRuleDeletion};
        response.dictionaryEntries = {SyncMerge::payloadFromEntry(sameEntry, true), olderEntryDeletion};
        SyncTranscriptionPayload recordDeletion = SyncMerge::payloadFromTranscription(record);
        recordDeletion.isDeleted = true;
        response.transcriptions = {recordDeletion};
        const auto counts = SyncMerge::apply(context, response, {});
        QVERIFY(counts.has_value());
        QCOMPARE(counts->deleted, 3);
        QCOMPARE(counts->keptLocal, 2);

        auto fresh = profile.models.makeContext();
        QVERIFY(!fresh->fetchById<ReplacementRule>(sameRule.id));
        QVERIFY(!fresh->fetchById<DictionaryEntry>(sameEntry.id));
        QVERIFY(!fresh->fetchById<TranscriptionRecord>(record.id));
        QVERIFY(fresh->fetchById<ReplacementRule>(newerRule.id));
        QVERIFY(fresh->fetchById<DictionaryEntry>(newerEntry.id));
    }
};

QTEST_GUILESS_MAIN(TestSyncRaces)
#include "tst_SyncRaces.moc"
