#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HistoryActions.h"
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/HistoryTexts.h"
#include "texts/Localization.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace talvoro;
using namespace talvoro::history;

namespace {

TranscriptionRecord record(const QString &text, const QDateTime &createdAt)
{
    return TranscriptionRecord(text, 1, 1.0, QStringLiteral("pt"), createdAt);
}

QStringList texts(const std::vector<TranscriptionRecord> &records)
{
    QStringList list;
    for (const TranscriptionRecord &r : records)
        list.append(r.text);
    return list;
}

// The list as lines: "#" and the day for headers, else the record's text.
QStringList lines(const HistoryListModel &model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list.append(model.isHeader(row) ? QStringLiteral("#") + model.item(row).day.toString(Qt::ISODate)
                                        : model.record(row)->text);
    return list;
}

} // namespace

class TestHistoryRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
    }

    void search()
    {
        const QString composed = QStringLiteral("Olá, mundo");
        const QString decomposed = QStringLiteral("Ola\u0301, mundo");
        const std::vector<TranscriptionRecord> records{record(composed, {}), record(decomposed, {}),
                                                       record(QStringLiteral("sem-espaco"), {})};
        QCOMPARE(texts(filterRecords(records, QString())).size(), 3);
        // Case-insensitive, accent-sensitive, composed and decomposed alike.
        QCOMPARE(texts(filterRecords(records, QStringLiteral("OLÁ"))), (QStringList{composed, decomposed}));
        QCOMPARE(texts(filterRecords(records, QStringLiteral("OLA\u0301"))), (QStringList{composed, decomposed}));
        QVERIFY(filterRecords(records, QStringLiteral("ola")).empty());
        // Untrimmed: a single space keeps only texts with a space.
        QCOMPARE(texts(filterRecords(records, QStringLiteral(" "))), (QStringList{composed, decomposed}));
        QVERIFY(filterRecords(records, QStringLiteral(" olá")).empty());
        // A match never ends or starts inside a character.
        QVERIFY(!matchesSearch(QStringLiteral("q\u0301"), QStringLiteral("q")));
        QVERIFY(!matchesSearch(QStringLiteral("aq\u0301"), QStringLiteral("\u0301")));
        QVERIFY(matchesSearch(QStringLiteral("q\u0301q"), QStringLiteral("q")));
        // Only the order of the query's characters matches.
        QVERIFY(!matchesSearch(QStringLiteral("mundo"), QStringLiteral("odnum")));
    }

    void groupingAcrossMidnightAndZones()
    {
        const QTimeZone saoPaulo("America/Sao_Paulo");
        const QDateTime now(QDate(2026, 12, 5), QTime(10, 0), saoPaulo);
        const std::vector<TranscriptionRecord> records{
            record(QStringLiteral("today late"), QDateTime(QDate(2026, 12, 5), QTime(9, 0), saoPaulo)),
            record(QStringLiteral("today midnight"), QDateTime(QDate(2026, 12, 5), QTime(0, 0), saoPaulo)),
            record(QStringLiteral("yesterday"), QDateTime(QDate(2026, 12, 4), QTime(23, 59, 59), saoPaulo)),
            record(QStringLiteral("older"), QDateTime(QDate(2026, 12, 3), QTime(12, 0), saoPaulo)),
        };
        const auto groups = groupByDay(records, saoPaulo, now, true);
        QCOMPARE(groups.size(), size_t(3));
        QCOMPARE(groups[0].title, QStringLiteral("Hoje"));
        QCOMPARE(texts(groups[0].items), (QStringList{"today late", "today midnight"}));
        QCOMPARE(groups[1].title, QStringLiteral("Ontem"));
        QCOMPARE(groups[2].title, QStringLiteral("3 de dezembro de 2026"));
        QCOMPARE(groups[0].date, QDateTime(QDate(2026, 12, 5), QTime(0, 0), saoPaulo));

        // Tokyo is 12 hours ahead: the 23:59:59 record is already on the 5th.
        const QTimeZone tokyo("Asia/Tokyo");
        const auto tokyoGroups = groupByDay(records, tokyo, now, true);
        QCOMPARE(tokyoGroups.size(), size_t(2));
        QCOMPARE(texts(tokyoGroups[0].items), (QStringList{"today late", "today midnight", "yesterday"}));

        // Dated titles: no weekday, the year always, future days too.
        const QDate today(2026, 12, 5);
        QCOMPARE(dayTitle(QDate(2026, 1, 9), today, false), QStringLiteral("January 9, 2026"));
        QCOMPARE(dayTitle(QDate(2026, 12, 7), today, true), QStringLiteral("7 de dezembro de 2026"));
        QCOMPARE(daySectionHeaderText(dayTitle(today, today, true), true), QStringLiteral("HOJE"));
        QCOMPARE(daySectionHeaderText(dayTitle(QDate(2026, 4, 1), today, true), true),
                 QStringLiteral("1 DE ABRIL DE 2026"));
    }

    void languageLabels()
    {
        QCOMPARE(languageLabel(QStringLiteral("auto")), QStringLiteral("Auto-detectado"));
        QCOMPARE(languageLabel(QStringLiteral("pt")), QStringLiteral("Português"));
        QCOMPARE(languageLabel(QStringLiteral("de")), QStringLiteral("de"));
        QCOMPARE(languageLabel(QStringLiteral("PT")), QStringLiteral("PT"));
        QCOMPARE(languageLabel(QString()), QString());
        QCOMPARE(languageChipText(QStringLiteral("pt")), QStringLiteral("PT"));
        QCOMPARE(emptyStateText(QStringLiteral("⌃⇧D")),
                 QStringLiteral("Nenhuma transcrição ainda.\nPressione ⌃⇧D para começar."));
    }

    void listFollowsCommitsRowByRow()
    {
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("store")));
        const QTimeZone zone = QTimeZone::systemTimeZone();
        const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), zone);
        ModelContext &context = container.mainContext();
        const TranscriptionRecord older = record(QStringLiteral("older"), now.addDays(-2));
        const TranscriptionRecord morning = record(QStringLiteral("morning"), now.addSecs(-3600));
        context.insert(older);
        context.insert(morning);
        QVERIFY(context.save());

        TranscriptionsQuery query(container, StoreQueries::transcriptionsNewestFirst());
        HistoryListModel model(query, [now] { return now; });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "morning", "#2026-12-03", "older"}));
        QCOMPARE(model.headerText(0), QStringLiteral("HOJE"));

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        // A new dictation: one row under today's header.
        context.insert(record(QStringLiteral("noon"), now));
        QVERIFY(context.save());
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "noon", "morning", "#2026-12-03", "older"}));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0].mid(1), (QVariantList{1, 1}));

        // The day's only record goes with its header.
        QVERIFY(context.remove<TranscriptionRecord>(older.id));
        QVERIFY(context.save());
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "noon", "morning"}));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0].mid(1), (QVariantList{3, 4}));

        // A record edited in place and moved to another day is searched and
        // grouped by its new values.
        TranscriptionRecord edited = morning;
        edited.text = QStringLiteral("manhã");
        edited.createdAt = now.addDays(-1);
        QVERIFY(context.update(edited));
        QVERIFY(context.save());
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "noon", "#2026-12-04", "manhã"}));
        QCOMPARE(resets.size(), 0);
        model.setSearchText(QStringLiteral("MANHÃ"));
        QCOMPARE(lines(model), (QStringList{"#2026-12-04", "manhã"}));
        model.setSearchText(QString());
        QVERIFY(context.remove<TranscriptionRecord>(edited.id));
        QVERIFY(context.save());
        context.insert(morning);
        QVERIFY(context.save());

        // A search narrows; a search without result leaves no line at all.
        QSignalSpy emptied(&model, &HistoryListModel::emptyChanged);
        model.setSearchText(QStringLiteral("MORN"));
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "morning"}));
        model.setSearchText(QStringLiteral("nada"));
        QVERIFY(model.isEmpty());
        QCOMPARE(emptied.size(), 1);
        model.setSearchText(QString());
        QCOMPARE(model.rowCount(), 3);
    }

    void deletionReachesTheAccountOnlyAfterItCommitted()
    {
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("store")));
        const TranscriptionRecord kept = record(QStringLiteral("kept"), QDateTime::currentDateTimeUtc());
        container.mainContext().insert(kept);
        QVERIFY(container.mainContext().save());
        QStringList sent;
        HistorySyncHooks hooks;
        hooks.deleteOnAccount = [&](const QString &clientId) { sent.append(clientId); };

        // A store that refuses the deletion: nothing sent, nothing pending.
        container.database().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE DELETE ON transcriptions BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(!deleteTranscription(container, kept.id, hooks));
        QVERIFY(sent.isEmpty());
        QVERIFY(!container.mainContext().hasChanges());
        QVERIFY(container.fetchCommitted<TranscriptionRecord>(kept.id).value().has_value());

        container.database().exec(QStringLiteral("DROP TRIGGER refuse"));
        QVERIFY(deleteTranscription(container, kept.id, hooks));
        QCOMPARE(sent, QStringList{kept.id.toString(QUuid::WithoutBraces).toUpper()});
        QVERIFY(!container.fetchCommitted<TranscriptionRecord>(kept.id).value().has_value());
    }
};

QTEST_GUILESS_MAIN(TestHistoryRules)
#include "tst_HistoryRules.moc"
