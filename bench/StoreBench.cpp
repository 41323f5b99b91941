// Measures the local store against hand-written SQLite on the same rows and
// schema, in the same run, and prints each figure with its ratio:
//   bulk insert in one transaction, fetch all newest first, delete one,
//   a live query after one insert, commit included (against one raw
//   single-row INSERT), a live query after a commit of 33 rows (in ms), and
//   the dictation settings screen's two counts (against a raw fetch of the
//   rules and the terms).
// Usage: talvoro-bench [--rows N] [--repeats R] [--check]
// --check exits with 1 when a target is missed.

#include "bench/SyncBench.h"
#include "platform/AppModelContainer.h"
#include "platform/LiveCountQuery.h"
#include "platform/LiveQuery.h"
#include "platform/ModelContext.h"
#include "platform/SearchFolding.h"
#include "platform/StoreSchema.h"
#include "transcription/StoreQueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct RawRow
{
    std::string id;
    std::string text;
    qint64 createdAt = 0;
    qint64 wordCount = 0;
    double durationSeconds = 0;
    std::string language;
    QByteArray folded; // what the store writes beside the text (searchText)
};

// Dictated text: 20 to 200 words of everyday Portuguese, about 150 speech
// words a minute.
std::vector<TranscriptionRecord> makeRecords(int count)
{
    static const char *const words[] = {
        "então", "amanhã", "reunião", "cliente", "projeto", "precisamos", "revisar", "o", "a", "de", "para",
        "com", "que", "não", "relatório", "enviar", "equipe", "próxima", "semana", "orçamento", "aprovação",
        "implantação", "servidor", "banco", "dados", "obrigado", "por", "favor", "confirmar", "horário",
        "depois", "almoço", "ligação", "também", "importante", "prazo", "entrega", "versão", "teste", "é"};
    std::mt19937 random(42);
    std::uniform_int_distribution<int> wordCount(20, 200);
    std::uniform_int_distribution<int> wordIndex(0, int(std::size(words)) - 1);
    std::uniform_int_distribution<qint64> age(0, 365LL * 86400 * 1000);
    const qint64 now = 1'750'000'000'000;
    const QString languages[] = {QStringLiteral("pt"), QStringLiteral("pt"), QStringLiteral("en"),
                                 QStringLiteral("es")};
    std::vector<TranscriptionRecord> records;
    records.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int n = wordCount(random);
        QString text;
        for (int w = 0; w < n; ++w) {
            if (w)
                text += QLatin1Char(' ');
            text += QString::fromUtf8(words[wordIndex(random)]);
        }
        text += QLatin1Char('.');
        records.emplace_back(text, n, n / 2.5 + (i % 10) / 10.0, languages[i % 4],
                             QDateTime::fromMSecsSinceEpoch(now - age(random), Qt::UTC));
    }
    return records;
}

std::vector<RawRow> rawRows(const std::vector<TranscriptionRecord> &records)
{
    std::vector<RawRow> rows;
    rows.reserve(records.size());
    for (const auto &r : records) {
        rows.push_back({r.idString().toStdString(), r.text.toStdString(), r.createdAt.toMSecsSinceEpoch(),
                        r.wordCount, r.durationSeconds, r.language.toStdString(), talvoro::foldForSearch(r.text)});
    }
    return rows;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

sqlite3 *openRaw(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    return db;
}

// `withFolded`: the table has the store's folded copy of each text, and the
// row is written with it, folded beforehand (the same bytes the store writes).
double rawInsert(const QString &path, const std::vector<RawRow> &rows, bool withFolded = false)
{
    QFile::remove(path);
    sqlite3 *db = openRaw(path);
    sqlite3_exec(db, talvoro::store::schemaMigrations().first().toUtf8().constData(), nullptr, nullptr, nullptr);
    if (withFolded)
        sqlite3_exec(db, "ALTER TABLE transcriptions ADD COLUMN searchText BLOB", nullptr, nullptr, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       withFolded ? "INSERT INTO transcriptions (id, text, createdAt, wordCount, durationSeconds, "
                                    "language, searchText) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
                                  : "INSERT INTO transcriptions (id, text, createdAt, wordCount, durationSeconds, "
                                    "language) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &insert, nullptr);
    for (const RawRow &row : rows) {
        sqlite3_bind_text(insert, 1, row.id.data(), int(row.id.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, row.text.data(), int(row.text.size()), SQLITE_STATIC);
        sqlite3_bind_int64(insert, 3, row.createdAt);
        sqlite3_bind_int64(insert, 4, row.wordCount);
        sqlite3_bind_double(insert, 5, row.durationSeconds);
        sqlite3_bind_text(insert, 6, row.language.data(), int(row.language.size()), SQLITE_STATIC);
        if (withFolded)
            sqlite3_bind_blob(insert, 7, row.folded.constData(), int(row.folded.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = timer.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ms;
}

// Reads every row into plain structs, newest first.
double rawFetch(sqlite3 *db, size_t expected)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT id, text, createdAt, wordCount, durationSeconds, language FROM transcriptions "
                       "ORDER BY createdAt DESC, id ASC",
                       -1, &select, nullptr);
    std::vector<RawRow> rows;
    while (sqlite3_step(select) == SQLITE_ROW) {
        RawRow row;
        row.id.assign(reinterpret_cast<const char *>(sqlite3_column_text(select, 0)), size_t(sqlite3_column_bytes(select, 0)));
        row.text.assign(reinterpret_cast<const char *>(sqlite3_column_text(select, 1)), size_t(sqlite3_column_bytes(select, 1)));
        row.createdAt = sqlite3_column_int64(select, 2);
        row.wordCount = sqlite3_column_int64(select, 3);
        row.durationSeconds = sqlite3_column_double(select, 4);
        row.language.assign(reinterpret_cast<const char *>(sqlite3_column_text(select, 5)), size_t(sqlite3_column_bytes(select, 5)));
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(select);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (rows.size() != expected)
        std::fprintf(stderr, "raw fetch read %zu rows, expected %zu\n", rows.size(), expected);
    return ms;
}

double rawDelete(sqlite3 *db, const std::string &id)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *remove = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM transcriptions WHERE id = ?1", -1, &remove, nullptr);
    sqlite3_bind_text(remove, 1, id.data(), int(id.size()), SQLITE_STATIC);
    sqlite3_step(remove);
    sqlite3_finalize(remove);
    return timer.nsecsElapsed() / 1e6;
}

// One single-row INSERT, committed on its own (autocommit), as an app would.
double rawSingleInsert(sqlite3 *db, const RawRow &row)
{
    static sqlite3_stmt *insert = nullptr;
    static sqlite3 *preparedFor = nullptr;
    if (preparedFor != db) {
        sqlite3_finalize(insert);
        sqlite3_prepare_v3(db,
                           "INSERT INTO transcriptions (id, text, createdAt, wordCount, durationSeconds, language) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                           -1, SQLITE_PREPARE_PERSISTENT, &insert, nullptr);
        preparedFor = db;
    }
    QElapsedTimer timer;
    timer.start();
    sqlite3_bind_text(insert, 1, row.id.data(), int(row.id.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, row.text.data(), int(row.text.size()), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 3, row.createdAt);
    sqlite3_bind_int64(insert, 4, row.wordCount);
    sqlite3_bind_double(insert, 5, row.durationSeconds);
    sqlite3_bind_text(insert, 6, row.language.data(), int(row.language.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    return timer.nsecsElapsed() / 1e6;
}

// Every column of every rule and term, into plain structs.
double rawFetchRulesAndTerms(sqlite3 *db)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::vector<std::string>> rows;
    for (const char *sql : {"SELECT id, originalText, replacementText, isEnabled, useCount, createdAt, updatedAt "
                            "FROM replacementRules",
                            "SELECT id, term, language, source, useCount, lastUsedAt, createdAt, updatedAt "
                            "FROM dictionaryEntries"}) {
        sqlite3_stmt *select = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &select, nullptr);
        while (sqlite3_step(select) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select, c));
                row.emplace_back(text ? text : "");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(select);
    }
    return timer.nsecsElapsed() / 1e6;
}

struct Figure
{
    const char *name;
    double store;
    double baseline;
    const char *baselineName;
    double target; // the largest acceptable ratio
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int rows = 100'000;
    int repeats = 3;
    int pullRows = 0; // 0: as many as --rows
    bool check = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--rows") && i + 1 < args.size())
            rows = std::max(10, args[++i].toInt());
        else if (args[i] == QStringLiteral("--repeats") && i + 1 < args.size())
            repeats = std::max(1, args[++i].toInt());
        else if (args[i] == QStringLiteral("--pull-rows") && i + 1 < args.size())
            pullRows = std::max(10, args[++i].toInt());
        else if (args[i] == QStringLiteral("--check"))
            check = true;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("com.torvenak.talvoro-mac.ModelStore.info=false"));

    QTemporaryDir dir;
    const std::vector<TranscriptionRecord> records = makeRecords(rows);
    const std::vector<RawRow> raw = rawRows(records);
    qint64 textBytes = 0;
    for (const RawRow &row : raw)
        textBytes += qint64(row.text.size());
    std::printf("talvoro-bench: %d transcriptions, %lld bytes of text on average, median of %d runs\n", rows,
                textBytes / rows, repeats);

    // Bulk insert in one transaction.
    std::vector<double> storeInsert, rawInsertTimes, rawFoldedInsertTimes;
    const QString rawPath = dir.filePath(QStringLiteral("raw.sqlite"));
    const QString rawFoldedPath = dir.filePath(QStringLiteral("raw-folded.sqlite"));
    const QString storePath = dir.filePath(QStringLiteral("TalvoroApp.store"));
    for (int run = 0; run < repeats; ++run) {
        rawInsertTimes.push_back(rawInsert(rawPath, raw));
        rawFoldedInsertTimes.push_back(rawInsert(rawFoldedPath, raw, true));
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(storePath + suffix);
        AppModelContainer container(storePath);
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        QElapsedTimer timer;
        timer.start();
        for (const auto &record : records)
            context->insert(record);
        const bool saved = context->save().has_value();
        storeInsert.push_back(timer.nsecsElapsed() / 1e6);
        if (!saved)
            std::fprintf(stderr, "store insert failed\n");
    }

    // Open of the full store after a clean close (informative).
    QElapsedTimer openTimer;
    openTimer.start();
    AppModelContainer container(storePath);
    const double openMs = openTimer.nsecsElapsed() / 1e6;
    auto context = container.makeContext();
    sqlite3 *rawDb = openRaw(rawPath);

    // Fetch all, newest first.
    std::vector<double> storeFetch, rawFetchTimes;
    for (int run = 0; run < repeats; ++run) {
        rawFetchTimes.push_back(rawFetch(rawDb, raw.size()));
        QElapsedTimer timer;
        timer.start();
        const auto fetched = context->fetch(StoreQueries::transcriptionsNewestFirst());
        storeFetch.push_back(timer.nsecsElapsed() / 1e6);
        if (!fetched || fetched->size() != records.size())
            std::fprintf(stderr, "store fetch returned the wrong rows\n");
    }

    // Delete one (each run a different record), with nobody listening.
    std::vector<double> storeDelete, rawDeleteTimes;
    const int deletes = std::max(repeats, 20);
    for (int run = 0; run < deletes; ++run) {
        rawDeleteTimes.push_back(rawDelete(rawDb, raw[size_t(run) * 7 % raw.size()].id));
        QElapsedTimer timer;
        timer.start();
        const bool removed = context->remove<TranscriptionRecord>(records[size_t(run) * 7 % records.size()].id)
                                 .has_value()
            && context->save().has_value();
        storeDelete.push_back(timer.nsecsElapsed() / 1e6);
        if (!removed)
            std::fprintf(stderr, "store delete failed\n");
    }
    sqlite3_close(rawDb);

    // A live query after one insert, from the insert to the query holding the
    // row (the commit included), against a raw single-row INSERT; then after
    // a commit of 33 rows at random places.
    std::vector<double> liveInsert, rawSingle, liveBatch;
    {
        TranscriptionsQuery history(container, StoreQueries::transcriptionsNewestFirst());
        sqlite3 *rawDb = openRaw(rawPath);
        std::mt19937 random(7);
        const std::vector<TranscriptionRecord> extra = makeRecords(std::max(repeats, 50) * 34);
        const std::vector<RawRow> rawExtra = rawRows(extra);
        size_t next = 0;
        for (int run = 0; run < std::max(repeats, 50); ++run) {
            rawSingle.push_back(rawSingleInsert(rawDb, rawExtra[next]));
            QElapsedTimer timer;
            timer.start();
            context->insert(extra[next++]);
            const bool saved = context->save().has_value();
            liveInsert.push_back(timer.nsecsElapsed() / 1e6);
            if (!saved || history.indexOf(extra[next - 1].id) < 0)
                std::fprintf(stderr, "live query missed an insert\n");
        }
        for (int run = 0; run < std::max(repeats, 20); ++run) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < 33; ++i)
                context->insert(extra[next++]);
            const bool saved = context->save().has_value();
            liveBatch.push_back(timer.nsecsElapsed() / 1e6);
            if (!saved || history.count() != *container.countCommitted<TranscriptionRecord>())
                std::fprintf(stderr, "live query missed a batch\n");
        }
        sqlite3_close(rawDb);
    }

    // The dictation settings screen's two counts at 10,000 rules and 5,000
    // terms, against a raw fetch of both tables.
    std::vector<double> counts, rawRulesAndTerms;
    {
        const int ruleCount = std::max(10, rows / 10);
        std::vector<ReplacementRule> rules;
        std::vector<DictionaryEntry> terms;
        for (int i = 0; i < ruleCount; ++i) {
            ReplacementRule rule(QStringLiteral("original %1").arg(i), QStringLiteral("replacement %1").arg(i));
            rule.isEnabled = i % 3 != 0;
            rules.push_back(rule);
            if (i % 2 == 0)
                terms.emplace_back(QStringLiteral("termo %1").arg(i), QStringLiteral("pt"), QStringLiteral("manual"));
        }
        context->upsertAll(rules);
        context->upsertAll(terms);
        sqlite3 *rawDb = openRaw(storePath);
        for (int run = 0; run < repeats; ++run) {
            rawRulesAndTerms.push_back(rawFetchRulesAndTerms(rawDb));
            QElapsedTimer timer;
            timer.start();
            LiveCountQuery<ReplacementRule> enabled(container, StoreQueries::enabledRules());
            LiveCountQuery<DictionaryEntry> allTerms(container, FetchDescriptor<DictionaryEntry>{});
            counts.push_back(timer.nsecsElapsed() / 1e6);
            if (allTerms.count() != qsizetype(terms.size()))
                std::fprintf(stderr, "term count is wrong\n");
        }
        sqlite3_close(rawDb);
    }

    const std::vector<Figure> figures{
        {"bulk insert, one transaction", median(storeInsert), median(rawInsertTimes), "raw SQLite", 2.0},
        {"bulk insert, same bytes", median(storeInsert), median(rawFoldedInsertTimes), "raw + folded copy", 2.0},
        {"fetch all, newest first", median(storeFetch), median(rawFetchTimes), "raw SQLite", 2.0},
        {"delete one", median(storeDelete), median(rawDeleteTimes), "raw SQLite", 0},
        {"live query after one insert", median(liveInsert), median(rawSingle), "raw single INSERT", 3.0},
        {"two settings counts", median(counts), median(rawRulesAndTerms), "raw fetch of both", 0.5},
    };
    std::printf("%-32s %12s %12s  %-17s %8s  %s\n", "figure", "store ms", "baseline ms", "baseline", "ratio",
                "target");
    bool allMet = true;
    for (const Figure &f : figures) {
        const double ratio = f.baseline > 0 ? f.store / f.baseline : 0;
        QString target = QStringLiteral("-");
        if (f.target > 0) {
            const bool met = ratio <= f.target;
            allMet = allMet && met;
            target = QStringLiteral("<= %1 %2").arg(f.target).arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"));
        }
        std::printf("%-32s %12.3f %12.3f  %-17s %8.3f  %s\n", f.name, f.store, f.baseline, f.baselineName, ratio,
                    qPrintable(target));
    }
    const double batchMs = median(liveBatch);
    const bool batchMet = batchMs <= 5.0;
    allMet = allMet && batchMet;
    std::printf("%-32s %12.3f  %-17s %8s  <= 5 ms %s\n", "live query after 33-row commit", batchMs, "-", "-",
                batchMet ? "met" : "MISSED");
    std::printf("%-32s %12.3f\n", "open (no crash marker)", openMs);
    const bool syncMet = runSyncBench(storePath, rows, pullRows > 0 ? pullRows : rows, std::max(repeats, 5), check);
    return check && (!allMet || !syncMet) ? 1 : 0;
}
