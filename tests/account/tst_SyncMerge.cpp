#include "account/SyncMerge.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime at(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC); }

ReplacementRule localRule(const QString &replacement, qint64 updatedMs)
{
    ReplacementRule rule(QStringLiteral("vc"), replacement);
    rule.createdAt = at(1000);
    rule.updatedAt = at(updatedMs);
    return rule;
}

SyncRulePayload remote(const ReplacementRule &rule, const QString &replacement, double updatedMs, bool deleted = false)
{
    SyncRulePayload p = SyncMerge::payloadFromRule(rule, deleted);
    p.replacementText = replacement;
    p.updatedAt = updatedMs;
    return p;
}

} // namespace

class TestSyncMerge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lastWriterWinsOnUpdatedAt()
    {
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("TalvoroApp.store")));
        ModelContext &context = container.mainContext();
        const ReplacementRule older = localRule(QStringLiteral("local-old"), 5000);
        const ReplacementRule newer = localRule(QStringLiteral("local-new"), 9000);
        const ReplacementRule editedAfterDeletion = localRule(QStringLiteral("kept"), 9000);
        const ReplacementRule deletedRemotely = localRule(QStringLiteral("gone"), 5000);
        const ReplacementRule sameTime = localRule(QStringLiteral("local-same"), 7000);
        for (const auto &rule : {older, newer, editedAfterDeletion, deletedRemotely, sameTime})
            context.insert(rule);
        QVERIFY(context.save().has_value());

        SyncPullResponse response;
        const ReplacementRule added(QStringLiteral("pq"), QStringLiteral("porque"));
        response.rules = {remote(older, QStringLiteral("remote"), 6000.4),
                          remote(newer, QStringLiteral("remote-stale"), 8000),
                          remote(editedAfterDeletion, {}, 8000, true),
                          remote(deletedRemotely, {}, 6000, true),
                          remote(sameTime, QStringLiteral("remote-same"), 7000),
                          SyncMerge::payloadFromRule(added, false)};
        const auto counts = SyncMerge::apply(context, response, {});
        QVERIFY(counts.has_value());
        QCOMPARE(counts->inserted, 1);
        QCOMPARE(counts->updated, 1);
        QCOMPARE(counts->deleted, 1);
        QCOMPARE(counts->keptLocal, 2);

        auto fetched = [&](const ReplacementRule &rule) { return container.makeContext()->fetchById<ReplacementRule>(rule.id); };
        QCOMPARE(fetched(older)->replacementText, QString("remote"));
        QCOMPARE(fetched(older)->updatedAt.toMSecsSinceEpoch(), 6000);
        QCOMPARE(fetched(newer)->replacementText, QString("local-new"));
        QCOMPARE(fetched(editedAfterDeletion)->replacementText, QString("kept"));
        QVERIFY(!fetched(deletedRemotely).has_value());
        QCOMPARE(fetched(sameTime)->replacementText, QString("local-same")); // equal times change nothing
        QCOMPARE(fetched(added)->replacementText, QString("porque"));
    }

    void pendingDeletionsAreNotUndone()
    {
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("TalvoroApp.store")));
        ModelContext &context = container.mainContext();
        const DictionaryEntry entry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual"));
        const TranscriptionRecord record(QStringLiteral("texto"), 1, 2.0, QStringLiteral("pt"));
        const TranscriptionRecord other(QStringLiteral("outro"), 1, 2.0, QStringLiteral("pt"));

        SyncPullResponse response;
        SyncDictionaryEntryPayload newerCopy = SyncMerge::payloadFromEntry(entry, false);
        newerCopy.updatedAt += 60'000;
        response.dictionaryEntries = {newerCopy};
        response.transcriptions = {SyncMerge::payloadFromTranscription(record),
                                   SyncMerge::payloadFromTranscription(other)};
        const QStringList pending{QStringLiteral("dictionaryEntry:") + entry.idString(),
                                  QStringLiteral("deleteTranscription:") + record.idString()};
        const auto counts = SyncMerge::apply(context, response, [&](OfflineSyncKind kind, const QString &id) {
            return pending.contains(offlineSyncKindName(kind) + QLatin1Char(':') + id);
        });
        QCOMPARE(counts->keptLocal, 2);
        QVERIFY(!container.makeContext()->fetchById<DictionaryEntry>(entry.id).has_value());
        QVERIFY(!container.makeContext()->fetchById<TranscriptionRecord>(record.id).has_value());
        const auto inserted = container.makeContext()->fetchById<TranscriptionRecord>(other.id);
        QVERIFY(inserted.has_value());
        QCOMPARE(*inserted, other);
    }
};

QTEST_GUILESS_MAIN(TestSyncMerge)
#include "tst_SyncMerge.moc"
