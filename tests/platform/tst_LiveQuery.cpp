#include "platform/AppModelContainer.h"
#include "platform/LiveCountQuery.h"
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "support/TestSupport.h"
#include "transcription/StoreQueries.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

TranscriptionRecord transcription(const QString &text, qint64 createdMs)
{
    return dictation(text, at(createdMs));
}

// Signals the list model sent, as text: "insert 1", "remove 0", "move 3>0",
// "change 2", "reset".
class ModelLog
{
public:
    explicit ModelLog(QAbstractItemModel &model)
    {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, [this](auto, int first, int last) {
            m_lines << QStringLiteral("insert %1").arg(range(first, last));
        });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [this](auto, int first, int last) {
            m_lines << QStringLiteral("remove %1").arg(range(first, last));
        });
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, [this](auto, int first, int, auto, int to) {
            m_lines << QStringLiteral("move %1>%2").arg(first).arg(to);
        });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, [this](const QModelIndex &a, const QModelIndex &b) {
            m_lines << QStringLiteral("change %1").arg(range(a.row(), b.row()));
        });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { m_lines << QStringLiteral("reset"); });
    }
    QStringList take() { return std::exchange(m_lines, {}); }

private:
    static QString range(int first, int last)
    {
        return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
    }
    QStringList m_lines;
};

} // namespace

class TestLiveQuery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("live-%1.store").arg(++m_files)); }

    // The model shows exactly what a fresh fetch returns, and every id finds
    // its row.
    template<class T>
    static bool sameAsStore(AppModelContainer &container, const LiveQuery<T> &query, const QAbstractItemModel &model)
    {
        const auto fetched = container.fetchCommitted<T>(query.descriptor());
        if (!fetched || qsizetype(fetched->size()) != query.count() || model.rowCount() != query.count())
            return false;
        for (qsizetype row = 0; row < query.count(); ++row) {
            const QUuid id = (*fetched)[size_t(row)].id;
            if (query.results()[row] != (*fetched)[size_t(row)] || query.indexOf(id) != row
                || model.index(int(row), 0).data(LiveListModel::IdRole).toUuid() != id)
                return false;
        }
        return true;
    }

private Q_SLOTS:
    void commitsArriveAsRowSignalsAtTheRightRows()
    {
        AppModelContainer container(freshPath());
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        const auto a = context->insert(transcription(QStringLiteral("a"), 4000));
        const auto b = context->insert(transcription(QStringLiteral("b"), 3000));
        const auto c = context->insert(transcription(QStringLiteral("c"), 2000));
        QVERIFY(context->save());

        TranscriptionsQuery history(container, StoreQueries::transcriptionsNewestFirst());
        LiveListModel model(history);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ModelLog log(model);
        QSignalSpy changed(&history, &LiveQueryBase::changed);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.roleNames().value(LiveListModel::IdRole), QByteArray("id"));

        const auto step = [&](const QStringList &expected) {
            QVERIFY(context->save());
            QCOMPARE(log.take(), expected);
            QVERIFY(sameAsStore(container, history, model));
        };
        // Newest first: a (0), b (1), c (2).
        context->insert(transcription(QStringLiteral("between"), 3500));
        step({QStringLiteral("insert 1")});
        QVERIFY(context->modify<TranscriptionRecord>(b.id, [](auto &r) { r.text = QStringLiteral("b2"); }));
        step({QStringLiteral("change 2")});
        QVERIFY(context->modify<TranscriptionRecord>(c.id, [](auto &r) { r.createdAt = at(9000); }));
        step({QStringLiteral("move 3>0"), QStringLiteral("change 0")});
        QVERIFY(context->modify<TranscriptionRecord>(c.id, [](auto &r) { r.createdAt = at(1000); }));
        step({QStringLiteral("move 0>4"), QStringLiteral("change 3")});
        QVERIFY(context->remove<TranscriptionRecord>(a.id));
        step({QStringLiteral("remove 0")});
        QCOMPARE(changed.count(), 5);

        // One commit of several changes: row signals for each, one `changed`.
        changed.clear();
        QVERIFY(context->remove<TranscriptionRecord>(b.id));
        context->insert(transcription(QStringLiteral("newest"), 99000));
        context->insert(transcription(QStringLiteral("oldest"), 1));
        QVERIFY(context->modify<TranscriptionRecord>(c.id, [](auto &r) { r.createdAt = at(50000); }));
        QVERIFY(context->save());
        const QStringList batch = log.take();
        QVERIFY(!batch.contains(QStringLiteral("reset")));
        QCOMPARE(batch.size(), 5); // remove, two inserts, move + change
        QCOMPARE(changed.count(), 1);
        QVERIFY(sameAsStore(container, history, model));

        // A commit that touches other tables or nothing of ours says nothing.
        context->insert(DictionaryEntry(QStringLiteral("termo"), QStringLiteral("pt"), QStringLiteral("manual")));
        QVERIFY(context->save());
        QCOMPARE(log.take(), QStringList());
        QCOMPARE(changed.count(), 1);

        // Clearing the table, and a new descriptor, reload: a reset.
        QVERIFY(context->deleteAll<TranscriptionRecord>());
        QCOMPARE(log.take(), QStringList{QStringLiteral("reset")});
        QCOMPARE(model.rowCount(), 0);
        context->upsertAll<TranscriptionRecord>({transcription(QStringLiteral("x"), 1), transcription(QStringLiteral("y"), 2)});
        QCOMPARE(log.take(), (QStringList{QStringLiteral("insert 0"), QStringLiteral("insert 0")}));
        history.setDescriptor({{}, {{TranscriptionRecord::Field::createdAt, SortOrder::forward}}, std::nullopt});
        QCOMPARE(log.take(), QStringList{QStringLiteral("reset")});
        QVERIFY(sameAsStore(container, history, model));
    }

    void filtersAndLimitsFollowChangedRows()
    {
        AppModelContainer container(freshPath());
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        ReplacementRule on(QStringLiteral("on"), QStringLiteral("1"));
        on.createdAt = at(2000);
        ReplacementRule off(QStringLiteral("off"), QStringLiteral("0"));
        off.createdAt = at(1000);
        off.isEnabled = false;
        context->insert(on);
        context->insert(off);
        QVERIFY(context->save());

        ReplacementRulesQuery enabled(container, StoreQueries::enabledRules());
        LiveListModel model(enabled);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ModelLog log(model);
        QVERIFY(context->modify<ReplacementRule>(off.id, [](auto &r) { r.isEnabled = true; }));
        QVERIFY(context->save());
        QCOMPARE(log.take(), QStringList{QStringLiteral("insert 1")});
        QVERIFY(context->modify<ReplacementRule>(on.id, [](auto &r) { r.isEnabled = false; }));
        QVERIFY(context->save());
        QCOMPARE(log.take(), QStringList{QStringLiteral("remove 0")});
        QVERIFY(sameAsStore(container, enabled, model));

        // A limited query keeps its first rows: a newer row pushes the last
        // one out; a removal below the limit refetches.
        TranscriptionsQuery latest(container, {{}, {{TranscriptionRecord::Field::createdAt, SortOrder::reverse}}, 2});
        LiveListModel latestModel(latest);
        QAbstractItemModelTester latestTester(&latestModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ModelLog latestLog(latestModel);
        std::vector<TranscriptionRecord> rows;
        for (int i = 0; i < 3; ++i)
            rows.push_back(context->insert(transcription(QString::number(i), 1000 * (i + 1))));
        QVERIFY(context->save());
        QVERIFY(sameAsStore(container, latest, latestModel));
        latestLog.take();
        context->insert(transcription(QStringLiteral("newest"), 9000));
        QVERIFY(context->save());
        QCOMPARE(latestLog.take(), (QStringList{QStringLiteral("insert 0"), QStringLiteral("remove 2")}));
        // Rows older than the last one shown (a pull's) change nothing: no
        // signal at all, so nothing is redrawn.
        QSignalSpy latestChanged(&latest, &LiveQueryBase::changed);
        context->insert(transcription(QStringLiteral("older"), 500));
        context->insert(transcription(QStringLiteral("oldest"), 400));
        QVERIFY(context->save());
        QVERIFY(latestLog.take().isEmpty());
        QCOMPARE(latestChanged.size(), 0);
        QVERIFY(sameAsStore(container, latest, latestModel));
        QVERIFY(context->remove<TranscriptionRecord>(rows[2].id));
        QVERIFY(context->save());
        QVERIFY(sameAsStore(container, latest, latestModel));
        QCOMPARE(latest.count(), 2);
        // One commit taking a row out and bringing one older than the rest:
        // the rows between come from the store, not the older one.
        QVERIFY(context->remove<TranscriptionRecord>(rows[1].id));
        context->insert(transcription(QStringLiteral("oldest"), 10));
        QVERIFY(context->save());
        QVERIFY(sameAsStore(container, latest, latestModel));
    }

    // Hundreds of rows (several blocks), random commits of every kind: the
    // model, the results and the id index always match a fresh fetch.
    void randomCommitsKeepTheModelInStepWithTheStore()
    {
        AppModelContainer container(freshPath());
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        std::mt19937 random(11);
        std::vector<QUuid> ids;
        std::vector<TranscriptionRecord> initial;
        for (int i = 0; i < 1500; ++i)
            initial.push_back(transcription(QString::number(i), qint64(random() % 100000)));
        QVERIFY(context->upsertAll(initial));
        for (const auto &r : initial)
            ids.push_back(r.id);

        TranscriptionsQuery history(container, StoreQueries::transcriptionsNewestFirst());
        LiveListModel model(history);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ModelLog log(model);
        for (int commit = 0; commit < 80; ++commit) {
            const int changes = 1 + int(random() % 40);
            for (int c = 0; c < changes; ++c) {
                const QUuid id = ids[random() % ids.size()];
                switch (random() % 4) {
                case 0:
                    // Mostly into one narrow band, so that a block fills and splits.
                    ids.push_back(context->insert(transcription(QStringLiteral("n"), qint64(random() % 1000))).id);
                    break;
                case 1:
                    // Mostly from a band near the top, so that a block empties and joins.
                    std::ignore = context->remove<TranscriptionRecord>(
                        random() % 3 ? history.idAt(qsizetype(300 + random() % 40) % history.count()) : id);
                    break;
                case 2:
                    std::ignore = context->modify<TranscriptionRecord>(
                        id, [&](auto &r) { r.createdAt = at(qint64(random() % 100000)); });
                    break;
                default:
                    std::ignore = context->modify<TranscriptionRecord>(id, [](auto &r) { r.text += u'!'; });
                }
            }
            QVERIFY(context->save());
            QVERIFY2(sameAsStore(container, history, model), qPrintable(QString::number(commit)));
        }
        QVERIFY(!log.take().contains(QStringLiteral("reset")));

        // A batch of a tenth of the rows or more (and over the minimum) may reload.
        std::vector<TranscriptionRecord> bulk;
        for (int i = 0; i < 2000; ++i)
            bulk.push_back(transcription(QStringLiteral("bulk"), i));
        QVERIFY(context->upsertAll(bulk));
        QCOMPARE(log.take(), QStringList{QStringLiteral("reset")});
        QVERIFY(sameAsStore(container, history, model));
    }

    void countsFollowCommitsWithoutFetching()
    {
        AppModelContainer container(freshPath());
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        LiveCountQuery<ReplacementRule> enabled(container, StoreQueries::enabledRules());
        LiveCountQuery<ReplacementRule> all(container, StoreQueries::rulesNewestFirst());
        LiveCountQuery<ReplacementRule> filteredInMemory(
            container, FetchDescriptor<ReplacementRule>{[](const ReplacementRule &r) { return r.useCount > 0; }});
        QSignalSpy enabledChanged(&enabled, &LiveCountQueryBase::changed);
        const auto check = [&] {
            const auto rules = container.fetchCommitted<ReplacementRule>();
            QVERIFY(rules);
            QCOMPARE(all.count(), qsizetype(rules->size()));
            QCOMPARE(enabled.count(), std::count_if(rules->begin(), rules->end(), [](auto &r) { return r.isEnabled; }));
            QCOMPARE(filteredInMemory.count(),
                     std::count_if(rules->begin(), rules->end(), [](auto &r) { return r.useCount > 0; }));
        };
        std::vector<ReplacementRule> rules;
        for (int i = 0; i < 5; ++i) {
            ReplacementRule rule(QString::number(i), QStringLiteral("x"));
            rule.isEnabled = i % 2 == 0;
            rule.useCount = i;
            rules.push_back(context->insert(rule));
        }
        QVERIFY(context->save());
        check();
        QCOMPARE(enabledChanged.count(), 1);
        QVERIFY(context->modify<ReplacementRule>(rules[1].id, [](auto &r) { r.isEnabled = true; r.useCount = 0; }));
        QVERIFY(context->remove<ReplacementRule>(rules[0].id));
        QVERIFY(context->save());
        check();
        // Re-inserting a row that exists (a pull) is no new row.
        QVERIFY(context->upsertAll<ReplacementRule>({rules[2], rules[3]}));
        check();
        enabledChanged.clear();
        QVERIFY(context->upsertAll<ReplacementRule>({rules[3]}));
        QCOMPARE(enabledChanged.count(), 0);
        QVERIFY(context->deleteAll<ReplacementRule>());
        check();
        QCOMPARE(all.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLiveQuery)
#include "tst_LiveQuery.moc"
