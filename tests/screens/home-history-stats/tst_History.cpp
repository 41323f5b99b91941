// The history list and its detail page: the rules without widgets (search,
// grouping by day, the live list model, deletion) and the views.
#include "dictation/HotkeyManager.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HistoryActions.h"
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/HistoryTexts.h"
#include "screens/home-history-stats/ui/HistoryDetailView.h"
#include "screens/home-history-stats/ui/HistoryView.h"
#include "transcription/TranscriptionKeys.h"
#include "screens/settings/CopyConfirmation.h"
#include "screens/settings/MinuteTicker.h"
#include "screens/settings/ui/CapsuleButton.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "support/DictationFakes.h"
#include "account/SyncPayloads.h"
#include "support/FakeSync.h"
#include "support/SyncTestSupport.h"
#include "support/FileDialogDriving.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStackedWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

using namespace talvoro;
using namespace talvoro::history;

namespace {

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

class TestHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporaryProfile> m_profile;

    TranscriptionRecord insert(const QString &text)
    {
        TranscriptionRecord record(text, 2, 3.0, QStringLiteral("pt"));
        m_profile->models.mainContext().insert(record);
        [&] { QVERIFY(m_profile->models.mainContext().save()); }();
        return record;
    }

private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_profile = std::make_unique<TemporaryProfile>();
    }
    void cleanup() { m_profile.reset(); }

    void search()
    {
        const QString composed = QStringLiteral("Olá, mundo");
        const QString decomposed = QStringLiteral("Ola\u0301, mundo");
        const std::vector<TranscriptionRecord> records{dictation(composed, {}), dictation(decomposed, {}),
                                                       dictation(QStringLiteral("sem-espaco"), {})};
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
        // A longer query narrows the previous matches, unless what it adds
        // attaches to the previous query's last character.
        const auto narrows = [](const QString &previous, const QString &next) {
            const QByteArray a = foldForSearch(previous), b = foldForSearch(next);
            return narrowsSearch({a.constData(), size_t(a.size())}, {b.constData(), size_t(b.size())});
        };
        QVERIFY(narrows(QString(), QStringLiteral("re")));
        QVERIFY(narrows(QStringLiteral("re"), QStringLiteral("REU")));
        QVERIFY(!narrows(QStringLiteral("reu"), QStringLiteral("re")));
        QVERIFY(!narrows(QStringLiteral("q"), QStringLiteral("q\u0301")));
        QVERIFY(!narrows(QStringLiteral("reunia"), QStringLiteral("reunia\u0303"))); // composes to "ã"
    }

    // The store's answers, read as key pages of any size, against the rule
    // applied to every text in memory and, without a search, against an
    // offset read at every depth. The texts share times (the pages go on by
    // id) and some have none (they come last).
    void storePagesAndSearchFollowTheRule_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("pageSize");
        QTest::newRow("every record, pages of 1") << QString() << 1;
        QTest::newRow("every record, pages of 7") << QString() << 7;
        QTest::newRow("every record, one page") << QString() << 1000;
        QTest::newRow("capitals find small letters") << QStringLiteral("OLÁ") << 3;
        QTest::newRow("no accent does not find one") << QStringLiteral("ola") << 5;
        QTest::newRow("decomposed finds composed") << QStringLiteral("ola\u0301") << 4;
        QTest::newRow("a single space") << QStringLiteral(" ") << 2;
        QTest::newRow("not inside a letter and its mark") << QStringLiteral("q") << 3;
        QTest::newRow("a lone mark") << QStringLiteral("\u0301") << 6;
        QTest::newRow("dotted capital I") << QStringLiteral("İ") << 2;
        QTest::newRow("sharp s stays") << QStringLiteral("STRASSE") << 3;
        QTest::newRow("an emoji") << QStringLiteral("👍") << 2;
        QTest::newRow("part of a family emoji") << QStringLiteral("👩") << 3;
        QTest::newRow("a flag") << QStringLiteral("🇧🇷") << 1;
        QTest::newRow("nothing matches") << QStringLiteral("zzz") << 4;
    }
    void storePagesAndSearchFollowTheRule()
    {
        QFETCH(QString, query);
        QFETCH(int, pageSize);
        AppModelContainer &container = m_profile->models;
        const QDateTime at(QDate(2026, 12, 5), QTime(12, 0), QTimeZone::utc());
        const QStringList tricky{QStringLiteral("Olá, mundo"), QStringLiteral("Ola\u0301 decomposto"), QStringLiteral("ola sem acento"),
                                 QStringLiteral("q\u0301 marcado"), QStringLiteral("qq"), QStringLiteral("İstanbul"),
                                 QStringLiteral("istanbul"), QStringLiteral("Straße"), QStringLiteral("strasse"),
                                 QStringLiteral("ótimo 👍🏽 feito"), QStringLiteral("👨‍👩‍👧 família"), QStringLiteral("🇧🇷🇵🇹"),
                                 QStringLiteral("sem-espaco"), QString()};
        std::vector<TranscriptionRecord> records;
        for (int i = 0; i < 60; ++i) {
            const QString text = tricky[i % tricky.size()];
            // Three records a minute; every ninth without a time.
            records.push_back(dictation(text, i % 9 == 8 ? QDateTime() : at.addSecs(-(i / 3) * 60)));
        }
        QVERIFY(container.makeContext()->upsertAll(records));

        // What the rule keeps, in the store's order.
        std::vector<TranscriptionRecord> expected = filterRecords(records, query);
        std::sort(expected.begin(), expected.end(), [](const TranscriptionRecord &a, const TranscriptionRecord &b) {
            return keyPrecedes(transcriptionKey(a), transcriptionKey(b));
        });
        std::vector<QUuid> expectedIds;
        for (const TranscriptionRecord &record : expected)
            expectedIds.push_back(record.id);

        const QByteArray folded = query.isEmpty() ? QByteArray() : foldForSearch(query);
        std::vector<QUuid> paged;
        std::optional<TranscriptionKey> after;
        for (int depth = 0;; depth += pageSize) {
            auto page = readTranscriptionKeys(container.database(), after, pageSize, folded);
            QVERIFY(page);
            if (query.isEmpty()) {
                // The same rows as an offset read at this depth.
                auto offset = container.fetchCommitted<TranscriptionRecord>(StoreQueries::transcriptionsNewestFirst());
                QVERIFY(offset);
                std::vector<QUuid> slice;
                for (size_t i = size_t(depth); i < std::min(offset->size(), size_t(depth + pageSize)); ++i)
                    slice.push_back((*offset)[i].id);
                std::vector<QUuid> read;
                for (const TranscriptionKey &key : page->keys)
                    read.push_back(key.id);
                QCOMPARE(read, slice);
            }
            for (const TranscriptionKey &key : page->keys)
                paged.push_back(key.id);
            if (page->complete)
                break;
            QVERIFY(page->last);
            after = page->last;
        }
        QCOMPARE(paged, expectedIds);
    }

    // The list keeps the texts of the rows it draws, not of every record;
    // records reach it as keys.
    void theListHoldsNoTextItDoesNotShow()
    {
        AppModelContainer &container = m_profile->models;
        const QDateTime now = QDateTime::currentDateTime();
        std::vector<TranscriptionRecord> records;
        for (int i = 0; i < 3000; ++i)
            records.push_back(dictation(QStringLiteral("registro %1 com um texto").arg(i), now.addSecs(-qint64(i) * 600)));
        QVERIFY(container.makeContext()->upsertAll(records));
        HistoryView view(m_profile->environment, {}, {});
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY(!view.isReadingPages());
        HistoryListModel &model = *view.listModel();
        view.listView()->viewport()->repaint();
        const int drawn = model.heldRecordCount();
        QVERIFY2(drawn > 0 && drawn <= 20, qPrintable(QString::number(drawn)));
        // Scrolling through keeps at most the cache's worth.
        for (int step = 0; step < 40; ++step) {
            view.listView()->verticalScrollBar()->setValue(view.listView()->verticalScrollBar()->maximum() * step / 40);
            view.listView()->viewport()->repaint();
        }
        QVERIFY(model.heldRecordCount() <= HistoryListModel::kCachedTexts);
        // The last record is listed and read when drawn.
        const int last = model.rowOf(records.back().id);
        QVERIFY(last > 0);
        QCOMPARE(model.record(last)->text, records.back().text);
    }

    // A pull with the history open: its rows are written on the store's
    // writer connection (none through the window's), and the open list
    // shows them, in order, grouped by day, as they are committed.
    void aPullsRowsShowInTheOpenHistory()
    {
        AccountServices services;
        QVERIFY(services.harness.signIn());
        const double newest = SyncTime::msFromDate(QDateTime::currentDateTimeUtc()) - 1000;
        backendlocal::SyncAccount account = services.account();
        std::vector<QString> pulled;
        for (int i = 0; i < 700; ++i) {
            pulled.push_back(newClientId());
            const double at = newest - i * 3'600'000.0;
            QVERIFY(account.pushTranscription(SyncTranscriptionPayload{pulled.back(), QStringLiteral("puxado %1").arg(i), at,
                                                                       2, 1.0, QStringLiteral("pt"), at, false}
                                                  .toJsonObject(),
                                              1 + i)
                        .has_value());
        }
        services.storeAccount(account);
        services.models.mainContext().insert(dictation(QStringLiteral("local"), QDateTime::currentDateTimeUtc()));
        QVERIFY(services.models.mainContext().save());

        int writtenHere = 0;
        sqlite3_update_hook(
            services.models.database().handle(),
            [](void *count, int, const char *, const char *table, sqlite3_int64) {
                *static_cast<int *>(count) += qstrcmp(table, "transcriptions") == 0;
            },
            &writtenHere);
        HistoryView view(services.environment, {}, {});
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY_WITH_TIMEOUT(services.sync->lastSyncDate().has_value(), 20000);
        QTRY_VERIFY(!view.isReadingPages());
        sqlite3_update_hook(services.models.database().handle(), nullptr, nullptr);
        QCOMPARE(writtenHere, 0);

        HistoryListModel fresh(services.models, [] { return QDateTime::currentDateTime(); });
        fresh.finishLoading();
        QCOMPARE(lines(*view.listModel()), lines(fresh));
        QCOMPARE(view.listModel()->record(1)->text, QStringLiteral("local"));
        QVERIFY(view.listModel()->rowOf(*talvoro::uuidFromString(pulled.back())) > 0);
        QCOMPARE(services.models.countCommitted<TranscriptionRecord>().value(), 701);
    }

    void groupingAcrossMidnightAndZones()
    {
        const QTimeZone saoPaulo("America/Sao_Paulo");
        const QDateTime now(QDate(2026, 12, 5), QTime(10, 0), saoPaulo);
        const std::vector<TranscriptionRecord> records{
            dictation(QStringLiteral("today late"), QDateTime(QDate(2026, 12, 5), QTime(9, 0), saoPaulo)),
            dictation(QStringLiteral("today midnight"), QDateTime(QDate(2026, 12, 5), QTime(0, 0), saoPaulo)),
            dictation(QStringLiteral("yesterday"), QDateTime(QDate(2026, 12, 4), QTime(23, 59, 59), saoPaulo)),
            dictation(QStringLiteral("older"), QDateTime(QDate(2026, 12, 3), QTime(12, 0), saoPaulo)),
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

    // Left open past midnight, the list names its days anew when shown again
    // and when the minute ticks over into the new day.
    void theDaysAreRenamedPastMidnight_data()
    {
        QTest::addColumn<bool>("shownAgain");
        QTest::newRow("shown again") << true;
        QTest::newRow("kept open") << false;
    }
    void theDaysAreRenamedPastMidnight()
    {
        QFETCH(bool, shownAgain);
        const QTimeZone zone = QTimeZone::systemTimeZone();
        QDateTime now(QDate(2026, 12, 5), QTime(23, 30), zone);
        m_profile->environment.now = [&now] { return now; };
        ModelContext &context = m_profile->models.mainContext();
        context.insert(dictation(QStringLiteral("tonight"), now.addSecs(-60)));
        context.insert(dictation(QStringLiteral("last night"), now.addDays(-1)));
        QVERIFY(context.save());
        FakeSync sync;
        m_profile->environment.syncProvider = &sync;
        HistoryView view(m_profile->environment, [](const NavigationDestination &) {});
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto shown = [&] {
            QStringList lines;
            for (int row = 0; row < view.listView()->model()->rowCount(); ++row)
                lines.append(view.listView()->model()->index(row, 0).data().toString());
            return lines;
        };
        QCOMPARE(shown(), (QStringList{"HOJE", "tonight", "ONTEM", "last night"}));

        now = now.addSecs(3600);
        if (shownAgain) {
            view.hide();
            view.show();
        } else {
            Q_EMIT view.findChild<settings::MinuteTicker *>()->ticked(now);
        }
        QCOMPARE(shown(), (QStringList{"ONTEM", "tonight", "4 DE DEZEMBRO DE 2026", "last night"}));
    }

    void languageLabels()
    {
        QCOMPARE(languageLabel(QStringLiteral("de")), QStringLiteral("de"));
        QCOMPARE(languageLabel(QStringLiteral("PT")), QStringLiteral("PT"));
        QCOMPARE(languageLabel(QString()), QString());
        QCOMPARE(languageChipText(QStringLiteral("pt")), QStringLiteral("PT"));
    }

    void listFollowsCommitsRowByRow()
    {
        AppModelContainer &container = m_profile->models;
        const QTimeZone zone = QTimeZone::systemTimeZone();
        const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), zone);
        ModelContext &context = container.mainContext();
        const TranscriptionRecord older = dictation(QStringLiteral("older"), now.addDays(-2));
        const TranscriptionRecord morning = dictation(QStringLiteral("morning"), now.addSecs(-3600));
        context.insert(older);
        context.insert(morning);
        QVERIFY(context.save());

        HistoryListModel model(container, [now] { return now; });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(lines(model), (QStringList{"#2026-12-05", "morning", "#2026-12-03", "older"}));
        QCOMPARE(model.headerText(0), QStringLiteral("HOJE"));

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        // A new dictation: one row under today's header.
        context.insert(dictation(QStringLiteral("noon"), now));
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

    // A pull's commit spread over the whole list is merged at once and keeps
    // the view's current line on its record; an edit redraws only its row;
    // typing on narrows the matches to the same lines a fresh search finds.
    void largeCommitsEditsAndTypingKeepTheListExact()
    {
        AppModelContainer &container = m_profile->models;
        const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), QTimeZone::systemTimeZone());
        std::vector<TranscriptionRecord> records;
        for (int i = 0; i < 3000; ++i) {
            records.push_back(dictation(QStringLiteral("registro %1 reunião").arg(i % 7 ? i : -i),
                                        now.addSecs(-qint64(i) * 900)));
        }
        QVERIFY(container.makeContext()->upsertAll(records));
        HistoryListModel model(container, [now] { return now; });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.finishLoading();
        const auto freshLines = [&](const QString &search) {
            HistoryListModel fresh(container, [now] { return now; });
            fresh.setSearchText(search);
            fresh.finishLoading();
            return lines(fresh);
        };
        QPersistentModelIndex current = model.index(model.rowOf(records[1500].id));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        std::vector<TranscriptionRecord> pulled;
        for (int i = 0; i < 280; ++i)
            pulled.push_back(dictation(QStringLiteral("puxado %1").arg(i), now.addSecs(-qint64(i) * 9600 - 450)));
        QVERIFY(container.makeContext()->upsertAll(pulled));
        QCOMPARE(lines(model), freshLines(QString()));
        QCOMPARE(model.data(current, HistoryListModel::IdRole).toUuid(), records[1500].id);
        QCOMPARE(resets.size(), 0);
        for (const TranscriptionRecord &record : {records[0], records[2999], pulled[140]})
            QCOMPARE(model.record(model.rowOf(record.id))->id, record.id);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        ModelContext &context = container.mainContext();
        QVERIFY(context.modify<TranscriptionRecord>(records[10].id, [](TranscriptionRecord &r) { r.text = QStringLiteral("novo"); }));
        QVERIFY(context.save());
        const int row = model.rowOf(records[10].id);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), row);
        QCOMPARE(changed[0][1].toModelIndex().row(), row);

        for (const QString &typed : {QStringLiteral("r"), QStringLiteral("re"), QStringLiteral("reg"), QStringLiteral("registro 1"), QStringLiteral("registro 14")}) {
            model.setSearchText(typed);
            model.finishLoading();
            QCOMPARE(lines(model), freshLines(typed));
        }
        model.setSearchText(QStringLiteral("registro -")); // not an extension: a full scan
        model.finishLoading();
        QCOMPARE(lines(model), freshLines(QStringLiteral("registro -")));

        // A commit while searching, then typing on: the narrowing starts
        // from the lines as the commit left them.
        model.setSearchText(QStringLiteral("puxado 1"));
        QVERIFY(container.makeContext()->upsertAll(std::vector<TranscriptionRecord>{
            dictation(QStringLiteral("puxado 1999 depois"), now.addSecs(-5)),
            dictation(QStringLiteral("puxado 17 depois"), now.addSecs(-3000 * 900))}));
        QVERIFY(context.remove<TranscriptionRecord>(pulled[170].id));
        QVERIFY(context.save());
        model.setSearchText(QStringLiteral("puxado 1 "));
        model.setSearchText(QStringLiteral("puxado 17"));
        model.finishLoading();
        QCOMPARE(lines(model), freshLines(QStringLiteral("puxado 17")));
        QVERIFY(lines(model).contains(QStringLiteral("puxado 17 depois")));
        QVERIFY(!lines(model).contains(QStringLiteral("puxado 170")));
    }

    // A pull's batches in quick succession may reach the lines together;
    // whatever comes next (a small commit, a key, the interval's end, a
    // caller reading everything) shows them all, in place, without a reset.
    void largeCommitsInQuickSuccessionReachTheLinesTogether_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("a dictation") << "dictation";
        QTest::newRow("a search") << "search";
        QTest::newRow("every page read") << "finish";
        QTest::newRow("nothing") << "wait";
    }
    void largeCommitsInQuickSuccessionReachTheLinesTogether()
    {
        QFETCH(QString, then);
        AppModelContainer &container = m_profile->models;
        const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), QTimeZone::systemTimeZone());
        const auto batch = [&](int first) {
            std::vector<TranscriptionRecord> rows;
            for (int i = first; i < first + int(HistoryListModel::kCoalescedCommit) + 36; ++i)
                rows.push_back(dictation(QStringLiteral("puxado %1").arg(i), now.addSecs(-qint64(i % 97) * 4000 - i)));
            return rows;
        };
        QVERIFY(container.makeContext()->upsertAll(batch(0)));
        HistoryListModel model(container, [now] { return now; });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.finishLoading();
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        for (int first : {1000, 2000, 3000})
            QVERIFY(container.makeContext()->upsertAll(batch(first)));
        QString search;
        if (then == QLatin1String("dictation")) {
            container.mainContext().insert(dictation(QStringLiteral("agora"), now));
            QVERIFY(container.mainContext().save());
        } else if (then == QLatin1String("search")) {
            search = QStringLiteral("puxado 2");
            model.setSearchText(search);
            model.finishLoading();
        } else if (then == QLatin1String("finish")) {
            model.finishLoading();
        }
        HistoryListModel fresh(container, [now] { return now; });
        fresh.setSearchText(search);
        fresh.finishLoading();
        if (then == QLatin1String("wait"))
            QTRY_VERIFY_WITH_TIMEOUT(!model.isLoading(), 10000);
        QCOMPARE(lines(model), lines(fresh));
        QCOMPARE(resets.size(), 0);
    }

    // A long history opens on its newest rows and reads the rest a page per
    // turn; commits between the pages (a row deleted inside what is read, a
    // row added beyond it, records sharing one time) lose or repeat nothing.
    void aLongHistoryIsReadAPageAtATime()
    {
        AppModelContainer &container = m_profile->models;
        const QDateTime now = QDateTime::currentDateTime();
        std::vector<TranscriptionRecord> records;
        for (int i = 0; i < 4500; ++i) // pairs share a time: the pages go on by id
            records.push_back(dictation(QStringLiteral("registro %1").arg(i), now.addSecs(-qint64(i / 2) * 600)));
        records.push_back(dictation(QStringLiteral("sem data"), QDateTime()));
        QVERIFY(container.makeContext()->upsertAll(records));

        HistoryView view(m_profile->environment, {}, {});
        QVERIFY(view.isReadingPages());
        QVERIFY(view.listModel()->rowCount() < 2000);
        QVERIFY(container.mainContext().remove<TranscriptionRecord>(records[10].id));
        container.mainContext().insert(dictation(QStringLiteral("antigo"), now.addDays(-200)));
        QVERIFY(container.mainContext().save());
        QTRY_VERIFY(!view.isReadingPages());

        TranscriptionsQuery everything(container, StoreQueries::transcriptionsNewestFirst());
        HistoryListModel fresh(container, [now] { return now; });
        fresh.finishLoading();
        QCOMPARE(lines(*view.listModel()), lines(fresh));
        QCOMPARE(everything.count(), 4501);
    }

    void deletionReachesTheAccountOnlyAfterItCommitted()
    {
        AppModelContainer &container = m_profile->models;
        const TranscriptionRecord kept = dictation(QStringLiteral("kept"), QDateTime::currentDateTimeUtc());
        container.mainContext().insert(kept);
        QVERIFY(container.mainContext().save());
        QStringList sent;
        FakeSync sync;
        sync.onTranscriptionDeletion = [&](const QString &clientId) { sent.append(clientId); };

        // A store that refuses the deletion: nothing sent, nothing pending.
        container.database().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE DELETE ON transcriptions BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(!deleteTranscription(container, kept.id, &sync));
        QVERIFY(sent.isEmpty());
        QVERIFY(!container.mainContext().hasChanges());
        QVERIFY(container.fetchCommitted<TranscriptionRecord>(kept.id).value().has_value());

        container.database().exec(QStringLiteral("DROP TRIGGER refuse"));
        QVERIFY(deleteTranscription(container, kept.id, &sync));
        QCOMPARE(sent, QStringList{kept.id.toString(QUuid::WithoutBraces).toUpper()});
        QVERIFY(!container.fetchCommitted<TranscriptionRecord>(kept.id).value().has_value());
    }
    void emptyStateListAndDeletion()
    {
        HotkeyManager hotkeys(*m_profile->store, std::make_unique<FakeKeyboardMonitor>());
        m_profile->environment.hotkeys = &hotkeys;
        QStringList sent;
        int pulls = 0;
        FakeSync sync;
        sync.onTranscriptionDeletion = [&](const QString &id) { sent.append(id); };
        sync.onPullIfStale = [&](int seconds) -> QCoro::Task<void> {
            pulls += seconds == kPullMinimumInterval;
            return []() -> QCoro::Task<void> { co_return; }();
        };
        m_profile->environment.syncProvider = &sync;
        QList<NavigationDestination> pushed;
        HistoryView view(m_profile->environment, [&](const NavigationDestination &d) { pushed.append(d); });
        view.resize(800, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(pulls, 1);

        auto *content = view.findChild<QStackedWidget *>(QStringLiteral("historyContent"));
        auto *emptyText = view.findChild<QLabel *>(QStringLiteral("emptyStateText"));
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
        QCOMPARE(emptyText->text(), QStringLiteral("Nenhuma transcrição ainda.\nPressione ⌃⇧D para começar."));
        QVERIFY(hotkeys.updateHotkey(HotkeyManager::HotkeyKind::dictation, 40, 0x100000));
        QVERIFY(emptyText->text().contains(QStringLiteral("⌘")));

        // A record shows the list; a search without result the same empty state.
        const TranscriptionRecord record = insert(QStringLiteral("<b>ditado</b>"));
        QCOMPARE(content->currentWidget(), view.listView());
        auto *search = view.findChild<QLineEdit *>(QStringLiteral("searchField"));
        QVERIFY(search->text().isEmpty());
        search->setText(QStringLiteral("nada"));
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
        search->clear();
        QCOMPARE(view.listModel()->rowCount(), 2);

        // Return opens the selected row.
        view.listView()->setFocus();
        view.listView()->setCurrentIndex(view.listModel()->index(1));
        QTest::keyClick(view.listView(), Qt::Key_Return);
        QCOMPARE(pushed, QList<NavigationDestination>{HistoryDetailRoute{record.id}});

        view.copyText(1);
        QCOMPARE(QApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
        QCOMPARE(QApplication::clipboard()->text(), record.text);

        view.deleteRecord(1);
        QCOMPARE(sent, QStringList{record.idString()});
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
    }

    void everyNewSearchStartsAtTheTop()
    {
        for (int i = 0; i < 40; ++i)
            insert(QStringLiteral("nota número %1 com texto").arg(i));
        FakeSync sync;
        m_profile->environment.syncProvider = &sync;
        HistoryView view(m_profile->environment, [](const NavigationDestination &) {});
        view.resize(800, 500);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QScrollBar *bar = view.listView()->verticalScrollBar();
        auto *search = view.findChild<QLineEdit *>(QStringLiteral("searchField"));
        for (const QString &typed : {QStringLiteral("nota"), QStringLiteral(" com")}) {
            QTRY_VERIFY(bar->maximum() > 0);
            bar->setValue(bar->maximum());
            QTest::keyClicks(search, typed);
            QTRY_COMPARE(bar->value(), 0);
        }
    }

    void detailFollowsTheRecordUntilItIsGone()
    {
        TranscriptionRecord record = insert(QStringLiteral("primeira versão"));
        HistoryRecordScreen screen(m_profile->environment, record.id);
        screen.resize(700, 600);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(screen.detailView());
        auto *text = screen.findChild<QLabel *>(QStringLiteral("detailText"));
        QCOMPARE(text->textFormat(), Qt::PlainText);
        QCOMPARE(text->text(), record.text);
        QVERIFY(!screen.findChild<QScrollArea *>()->verticalScrollBar()->isVisible()); // nothing to scroll
        QVERIFY(screen.findChild<QLabel *>(QStringLiteral("detailMetaLine"))->text().endsWith(QStringLiteral("Português")));

        record.text = QStringLiteral("segunda versão & fim");
        QVERIFY(m_profile->models.mainContext().update(record));
        QVERIFY(m_profile->models.mainContext().save());
        QCOMPARE(text->text(), record.text);

        // Sharing: e-mail with the text as the whole body, or a UTF-8 file.
        QCOMPARE(screen.detailView()->mailURL().toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:?body=segunda%20vers%C3%A3o%20%26%20fim"));
        const QString path = m_profile->dir.filePath(QStringLiteral("shared.txt"));
        QVERIFY(screen.detailView()->saveAsTextFile(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), record.text);

        // A pending confirmation goes with the page when a pull deletes the record.
        QTest::mouseClick(screen.detailView()->copyButton(), Qt::LeftButton);
        auto cleared = m_profile->models.makeContext();
        QVERIFY(cleared->remove<TranscriptionRecord>(record.id));
        QVERIFY(cleared->save());
        QVERIFY(screen.showsNotFound());
        auto *notFound = screen.findChild<settings::ContentUnavailableView *>();
        QCOMPARE(notFound->title(), QStringLiteral("Registro não encontrado"));
        QCOMPARE(notFound->symbol(), QStringLiteral("doc.questionmark"));
        QVERIFY(notFound->description().isEmpty());
    }

    void savingAsTextStartsInDocumentsAndReportsAFailedWrite()
    {
        const TranscriptionRecord record = insert(QStringLiteral("texto para guardar"));
        HistoryDetailView page(record, *m_profile->store, nullptr);
        page.show();
        const auto picker = [&] { return shownFileDialog(&page, QStringLiteral("textFilePicker")); };
        // A home of its own, with a documents folder.
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("XDG_CONFIG_HOME", config);
        });
        qputenv("HOME", m_profile->dir.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_profile->dir.filePath(QStringLiteral("home/.config")).toUtf8());
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents));

        // Never in the folder the process was started from.
        page.openTextFileDialog();
        QVERIFY(picker());
        QCOMPARE(picker()->directory().absolutePath(), QDir(documents).absolutePath());
        QFile saved(QDir(documents).filePath(QStringLiteral("nota.txt")));
        QVERIFY(typeIntoFileDialog(picker(), {saved.fileName()}));
        QTRY_VERIFY(saved.exists());
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), record.text);
        QVERIFY(!page.findChild<QMessageBox *>());

        // A file that cannot be written is reported, not dropped.
        page.openTextFileDialog();
        QVERIFY(typeIntoFileDialog(picker(), {m_profile->dir.filePath(QStringLiteral("missing/nota.txt"))}));
        QTRY_VERIFY(page.findChild<QMessageBox *>());
        QCOMPARE(page.findChild<QMessageBox *>()->text(), QStringLiteral("Não foi possível salvar o arquivo"));
        QVERIFY(page.findChild<QMessageBox *>()->informativeText().contains(QStringLiteral("missing/nota.txt")));
    }

    void copyConfirmationEndsTwoSecondsAfterTheFirstCopy()
    {
        TranscriptionRecord record(QString(), 0, 0, QStringLiteral("auto"));
        QApplication::clipboard()->setText(QStringLiteral("anterior"));
        HistoryDetailView page(record, *m_profile->store, nullptr);
        settings::CopyButton *copy = page.copyButton();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(copy->text(), QStringLiteral("Copiado!"));
        QCOMPARE(copy->symbol(), QStringLiteral("checkmark"));
        QVERIFY(QApplication::clipboard()->text().isEmpty());

        // A second copy a second later does not put the end off.
        bool copiedAgain = false;
        QTimer::singleShot(1000, copy, [&] {
            QTest::mouseClick(copy, Qt::LeftButton);
            copiedAgain = true;
        });
        QTRY_COMPARE_WITH_TIMEOUT(copy->text(), QStringLiteral("Copiar"), 3000);
        QVERIFY(copiedAgain);
        QVERIFY2(clock.elapsed() < 2600, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(copy->symbol(), QStringLiteral("doc.on.doc"));
    }

    // The detail's time is hours and minutes in every locale, the C locale
    // (LANG=C.UTF-8) among them, in the machine's zone.
    void theDetailShowsHoursAndMinutes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("time");
        QTest::newRow("C") << "C" << "09:29";
        QTest::newRow("Portuguese") << "pt_BR" << "09:29";
        QTest::newRow("English") << "en_US" << "9:29";
    }

    void theDetailShowsHoursAndMinutes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, time);
        const QLocale before;
        auto restore = qScopeGuard([before] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(locale));
        TranscriptionRecord record(QStringLiteral("texto"), 1, 1.0, QStringLiteral("pt"),
                                   QDateTime(QDate(2026, 12, 4), QTime(9, 29, 26), QTimeZone::systemTimeZone()));
        m_profile->models.mainContext().insert(record);
        QVERIFY(m_profile->models.mainContext().save());
        HistoryRecordScreen screen(m_profile->environment, record.id);
        screen.show();
        const QString meta = screen.findChild<QLabel *>(QStringLiteral("detailMetaLine"))->text();
        QVERIFY2(meta.startsWith(time), qPrintable(meta));
        QVERIFY2(!meta.contains(QStringLiteral("26")), qPrintable(meta));
    }
};

QTEST_MAIN(TestHistory)
#include "tst_History.moc"
