#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/ModelStoreEngine.h"
#include "platform/SearchFolding.h"
#include "platform/StoreSchema.h"
#include "support/TestSupport.h"
#include "transcription/StoreQueries.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <sqlite3.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

TranscriptionRecord transcription(const QString &text, qint64 createdMs)
{
    return dictation(text, at(createdMs));
}

template<class Rows>
QStringList texts(const Rows &records)
{
    QStringList result;
    for (const auto &record : records)
        result << record.text;
    return result;
}

// While alive, file modes bind this thread even when it runs as root: the
// capabilities that let root read and write any file leave its effective set.
class FileModesApply
{
public:
    FileModesApply()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FileModesApply()
    {
        if (m_changed)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    FileModesApply(const FileModesApply &) = delete;
    FileModesApply &operator=(const FileModesApply &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

} // namespace

class TestAppModelContainer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString storePath(const QString &name = QStringLiteral("TalvoroApp.store")) { return m_dir.filePath(name); }

private Q_SLOTS:
    void recordsRoundTripAcrossRestart()
    {
        const QString path = storePath(QStringLiteral("restart.store"));
        TranscriptionRecord record(QStringLiteral("Olá, mundo — ção 🎙"), 3, 95.4, QStringLiteral("pt"),
                                   at(1'700'000'000'123));
        DictionaryEntry entry(QStringLiteral("Kubernetes"), QStringLiteral("pt"), QStringLiteral("manual"));
        entry.lastUsedAt = at(1'700'000'000'001);
        ReplacementRule rule(QStringLiteral("ponto final"), QStringLiteral("."));
        rule.isEnabled = false;
        rule.useCount = 7;
        TranscriptionRecord nan(QStringLiteral("nan"), 1, std::nan(""), QStringLiteral("pt"));
        TranscriptionRecord inf(QStringLiteral("inf"), 1, HUGE_VAL, QStringLiteral("pt"));
        {
            AppModelContainer container(path);
            QVERIFY(container.isPersistent());
            auto context = container.makeContext();
            context->insert(record);
            context->insert(entry);
            context->insert(rule);
            context->insert(nan);
            context->insert(inf);
            QVERIFY(context->save().has_value());
        }
        AppModelContainer reopened(path);
        auto context = reopened.makeContext();
        QCOMPARE(context->fetchById<TranscriptionRecord>(record.id), record);
        QCOMPARE(context->fetchById<DictionaryEntry>(entry.id), entry);
        QCOMPARE(context->fetchById<ReplacementRule>(rule.id), rule);
        // Non-finite durations come back as they were; NaN equals NaN for the
        // change check, so nothing is rewritten.
        QVERIFY(std::isnan(context->fetchById<TranscriptionRecord>(nan.id)->durationSeconds));
        QVERIFY(std::isinf(context->fetchById<TranscriptionRecord>(inf.id)->durationSeconds));
        QVERIFY(context->update(*context->fetchById<TranscriptionRecord>(nan.id)).has_value());
        QVERIFY(!context->hasChanges());
        // Milliseconds come back exactly (as integers: doubles near 1.7e12 compare with ~2 ms tolerance).
        QCOMPARE(context->fetchById<TranscriptionRecord>(record.id)->createdAt.toMSecsSinceEpoch(),
                 qint64(1'700'000'000'123));
        QCOMPARE(context->fetchById<DictionaryEntry>(entry.id)->lastUsedAt.toMSecsSinceEpoch(),
                 qint64(1'700'000'000'001));
        QCOMPARE(reopened.database().queryText(
                     QStringLiteral("SELECT createdAt FROM transcriptions ORDER BY createdAt LIMIT 1")),
                 QStringLiteral("1700000000123000000")); // nanoseconds since 1970
        QCOMPARE(reopened.database().queryText(QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        QCOMPARE(reopened.database().queryText(QStringLiteral("PRAGMA user_version")),
                 QString::number(AppModelContainer::kSchemaVersion));
        QCOMPARE(reopened.database().queryText(
                     QStringLiteral("SELECT id FROM transcriptions ORDER BY createdAt LIMIT 1")),
                 record.id.toString(QUuid::WithoutBraces).toUpper());
    }

    void schemaVersionsAreRespected()
    {
        // Writes a file as an interrupted run, a newer build or a damaged disk leaves it.
        const auto writeStore = [](const QString &path, const QStringList &statements) {
            SqliteDatabase db;
            QCOMPARE(db.open(path), 0);
            for (const QString &sql : statements)
                QCOMPARE(db.exec(sql), 0);
        };

        // An empty database (version 0), e.g. left by an interrupted first run,
        // gets the whole schema.
        const QString empty = storePath(QStringLiteral("empty.store"));
        writeStore(empty, {QStringLiteral("CREATE TABLE scratch (x)")});
        AppModelContainer migrated(empty);
        QVERIFY(migrated.setAsideFilePath().isEmpty());
        QCOMPARE(migrated.database().queryText(QStringLiteral("PRAGMA user_version")),
                 QString::number(AppModelContainer::kSchemaVersion));
        QCOMPARE(*migrated.countCommitted<DictionaryEntry>(), 0);

        // A file written by a newer build (every step of ours, then its own)
        // is used as it is, not set aside.
        const QString newer = storePath(QStringLiteral("newer.store"));
        writeStore(newer, talvoro::store::schemaMigrations()
                              + QStringList{QStringLiteral("ALTER TABLE transcriptions ADD COLUMN mood TEXT;"
                                                           "PRAGMA user_version = 9")});
        AppModelContainer fromNewer(newer);
        QVERIFY(fromNewer.isPersistent());
        QVERIFY(fromNewer.setAsideFilePath().isEmpty());
        auto context = fromNewer.makeContext();
        const auto record = context->insert(transcription(QStringLiteral("kept"), 1));
        QVERIFY(context->save().has_value());
        QCOMPARE(context->fetchById<TranscriptionRecord>(record.id)->text, QStringLiteral("kept"));
        QCOMPARE(fromNewer.database().queryText(QStringLiteral("PRAGMA user_version")), QStringLiteral("9"));

        // A negative version (a damaged header) is never one we wrote: the
        // file is kept aside, not migrated from a made-up version.
        const QString damaged = storePath(QStringLiteral("negative.store"));
        writeStore(damaged,
                   {talvoro::store::schemaMigrations().first(), QStringLiteral("PRAGMA user_version = -3")});
        AppModelContainer fromDamaged(damaged);
        QVERIFY(fromDamaged.isPersistent());
        QVERIFY(QFile::exists(fromDamaged.setAsideFilePath()));
        QCOMPARE(fromDamaged.database().queryText(QStringLiteral("PRAGMA user_version")),
                 QString::number(AppModelContainer::kSchemaVersion));

        // A store of version 1 (dates in milliseconds) keeps its rows and
        // their order; every date after it keeps its fraction of a millisecond.
        const QString first = storePath(QStringLiteral("version1.store"));
        writeStore(first, {talvoro::store::schemaMigrations().first(),
                           QStringLiteral("INSERT INTO transcriptions (id, text, createdAt) VALUES"
                                          " ('00000000-0000-0000-0000-000000000001', 'old', 1700000000123),"
                                          " ('00000000-0000-0000-0000-000000000002', 'none', NULL),"
                                          " ('00000000-0000-0000-0000-000000000003', 'far', 99000000000000000);"
                                          "INSERT INTO replacementRules (id, originalText, createdAt, updatedAt) VALUES"
                                          " ('00000000-0000-0000-0000-000000000004', 'vc', 1700000000001, 1741600000000);"
                                          "PRAGMA user_version = 1")});
        {
            AppModelContainer fromFirst(first);
            auto rows = fromFirst.makeContext()->fetch(StoreQueries::transcriptionsNewestFirst()).value();
            QCOMPARE(texts(rows), QStringList({"old", "none", "far"})); // a date past 2262 is none
            QCOMPARE(rows[0].createdAt.toMSecsSinceEpoch(), qint64(1700000000123));
            auto context = fromFirst.makeContext();
            auto rule = context->fetch<ReplacementRule>().value().at(0);
            QVERIFY(rule.updatedAt.millisecondsSince1970() == 1741600000000.0); // QCOMPARE would be fuzzy
            rule.updatedAt = talvoro::ModelDate::fromMillisecondsSince1970(1741600000000.2);
            context->update(rule);
            QVERIFY(context->save().has_value());
        }
        AppModelContainer again(first);
        QVERIFY(again.makeContext()->fetch<ReplacementRule>().value().at(0).updatedAt.millisecondsSince1970()
                == 1741600000000.2);
    }

    // A store written by the previous version (its schema, its rows) opens
    // with every text's folded copy filled in, and later writes keep it.
    void aPreviousVersionStoreGainsTheFoldedTexts()
    {
        const QString path = storePath(QStringLiteral("previous.store"));
        const QString old = QStringLiteral("Reunião com o CLIENTE");
        {
            SqliteDatabase db;
            QCOMPARE(db.open(path), 0);
            QCOMPARE(db.exec(talvoro::store::schemaMigrations().first()), 0);
            QCOMPARE(db.exec(QStringLiteral("PRAGMA user_version = 1")), 0);
            QCOMPARE(db.exec(QStringLiteral("INSERT INTO transcriptions (id, text, createdAt) VALUES "
                                            "('00000000-0000-4000-8000-000000000001', '%1', NULL)")
                                 .arg(old)),
                     0);
        }
        AppModelContainer migrated(path);
        QVERIFY(migrated.isPersistent());
        QVERIFY(migrated.setAsideFilePath().isEmpty());
        QCOMPARE(migrated.database().queryText(QStringLiteral("PRAGMA user_version")),
                 QString::number(talvoro::store::schemaMigrations().size()));
        const auto foldedOf = [&](const QUuid &id) {
            SqliteStatement *read = migrated.database().cached(
                QStringLiteral("SELECT searchText FROM transcriptions WHERE id = ?1"));
            read->bindUuid(1, id);
            QByteArray folded;
            if (read->step() == SQLITE_ROW)
                folded = QByteArray(static_cast<const char *>(sqlite3_column_blob(read->handle(), 0)),
                                    sqlite3_column_bytes(read->handle(), 0));
            read->reset();
            return folded;
        };
        const QUuid oldId = *talvoro::uuidFromString(QStringLiteral("00000000-0000-4000-8000-000000000001"));
        QCOMPARE(foldedOf(oldId), talvoro::foldForSearch(old));
        QCOMPARE(migrated.fetchCommitted<TranscriptionRecord>(oldId)->value().text, old);

        // New and edited texts carry their folded copies; other fields leave it alone.
        auto context = migrated.makeContext();
        const TranscriptionRecord added = context->insert(transcription(QStringLiteral("ÉPOCA"), 5));
        QVERIFY(context->modify<TranscriptionRecord>(oldId, [](TranscriptionRecord &r) { r.text = QStringLiteral("Outra Coisa"); }));
        QVERIFY(context->save());
        QCOMPARE(foldedOf(added.id), QByteArray("época"));
        QCOMPARE(foldedOf(oldId), QByteArray("outra coisa"));
        QVERIFY(context->modify<TranscriptionRecord>(oldId, [](TranscriptionRecord &r) { r.wordCount = 9; }));
        QVERIFY(context->save());
        QCOMPARE(foldedOf(oldId), QByteArray("outra coisa"));
    }

    // Every way a text reaches the table leaves its folded copy beside it:
    // the store's inserts write it with the row, the triggers any other write.
    void everyWriteOfATextKeepsItsFoldedCopy_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("folded");
        QTest::newRow("context insert") << "context" << QStringLiteral("Reunião ÀS 9") << QByteArray("reunião às 9");
        QTest::newRow("pull insert") << "ifMissing" << QStringLiteral("CLIENTE") << QByteArray("cliente");
        QTest::newRow("pull insert of a known id keeps the row") << "ifMissingKnown" << QStringLiteral("Ignorado")
                                                                 << QByteArray("antes");
        QTest::newRow("upsert of a known id") << "upsertKnown" << QStringLiteral("Depois") << QByteArray("depois");
        QTest::newRow("SQL insert without it") << "sql" << QStringLiteral("ÉPOCA") << QByteArray("época");
        QTest::newRow("SQL insert of an empty text") << "sql" << QStringLiteral("") << QByteArray("");
        QTest::newRow("SQL edit of the text") << "sqlEdit" << QStringLiteral("Outra COISA") << QByteArray("outra coisa");
        QTest::newRow("context edit of the text") << "contextEdit" << QStringLiteral("Nova") << QByteArray("nova");
    }
    void everyWriteOfATextKeepsItsFoldedCopy()
    {
        QFETCH(QString, how);
        QFETCH(QString, stored);
        QFETCH(QByteArray, folded);
        AppModelContainer container(storePath(QStringLiteral("folded.store")));
        SqliteDatabase &db = container.database();
        TranscriptionRecord record = transcription(stored, 1000);
        if (how.endsWith(QLatin1String("Known")) || how.endsWith(QLatin1String("Edit"))) {
            TranscriptionRecord first = transcription(QStringLiteral("Antes"), 1000);
            first.id = record.id;
            QVERIFY(talvoro::store::insertRowIfMissing(db, first).has_value());
        }
        if (how == QLatin1String("context")) {
            auto context = container.makeContext();
            record = context->insert(record);
            QVERIFY(context->save());
        } else if (how.startsWith(QLatin1String("ifMissing"))) {
            QCOMPARE(*talvoro::store::insertRowIfMissing(db, record), how == QLatin1String("ifMissing"));
        } else if (how == QLatin1String("upsertKnown")) {
            QCOMPARE(*talvoro::store::upsertRow(db, record), false);
        } else if (how.startsWith(QLatin1String("sql"))) {
            SqliteStatement *write = db.cached(how == QLatin1String("sql")
                                                   ? QStringLiteral("INSERT INTO transcriptions (id, text) VALUES (?1, ?2)")
                                                   : QStringLiteral("UPDATE transcriptions SET text = ?2 WHERE id = ?1"));
            write->bindUuid(1, record.id);
            write->bindText(2, stored);
            QCOMPARE(write->step(), SQLITE_DONE);
            write->reset();
        } else {
            auto context = container.makeContext();
            QVERIFY(context->modify<TranscriptionRecord>(record.id, [&](TranscriptionRecord &r) { r.text = stored; }));
            QVERIFY(context->save());
        }
        SqliteStatement *read = db.cached(
            QStringLiteral("SELECT searchText, typeof(searchText), count(*) FROM transcriptions WHERE id = ?1"));
        read->bindUuid(1, record.id);
        QCOMPARE(read->step(), SQLITE_ROW);
        const QByteArray actual(static_cast<const char *>(sqlite3_column_blob(read->handle(), 0)),
                                sqlite3_column_bytes(read->handle(), 0));
        const QString type = read->columnText(1);
        const qint64 rows = read->columnInt64(2);
        read->reset();
        QCOMPARE(rows, 1);
        QCOMPARE(type, QStringLiteral("blob"));
        QCOMPARE(actual, folded);
    }

    void unsavedChangesLiveInTheContextUntilSaved()
    {
        AppModelContainer container(storePath(QStringLiteral("pending.store")));
        auto writer = container.makeContext();
        writer->setAutosaveEnabled(false);
        auto reader = container.makeContext();
        const auto older = transcription(QStringLiteral("older"), 1000);
        const auto newer = transcription(QStringLiteral("newer"), 2000);
        writer->insert(older);
        writer->insert(newer);
        QCOMPARE(texts(*writer->fetch(StoreQueries::transcriptionsNewestFirst())),
                 (QStringList{QStringLiteral("newer"), QStringLiteral("older")}));
        QVERIFY(reader->fetch(StoreQueries::transcriptionsNewestFirst())->empty());
        QVERIFY(writer->save().has_value());
        QCOMPARE(*reader->fetchCount<TranscriptionRecord>(), 2);

        // Pending edits and removals overlay the committed rows, filter included.
        auto edited = writer->modify<TranscriptionRecord>(older.id, [](TranscriptionRecord &r) {
            r.text = QStringLiteral("older, edited");
            r.createdAt = at(3000);
        });
        QVERIFY(edited.has_value());
        QVERIFY(writer->remove<TranscriptionRecord>(newer.id).has_value());
        QCOMPARE(texts(*writer->fetch(StoreQueries::transcriptionsNewestFirst())),
                 QStringList{QStringLiteral("older, edited")});
        FetchDescriptor<TranscriptionRecord> edits{
            [](const TranscriptionRecord &r) { return r.text.contains(QStringLiteral("edited")); }, {}, {}};
        QCOMPARE(*writer->fetchCount(edits), 1);
        QCOMPARE(*reader->fetchCount(edits), 0);
        writer->rollback();
        QCOMPARE(texts(*writer->fetch(StoreQueries::transcriptionsNewestFirst())),
                 (QStringList{QStringLiteral("newer"), QStringLiteral("older")}));

        // With autosave, the changes of one turn are committed together at the next.
        QSignalSpy commits(&container, &AppModelContainer::didCommit);
        ModelContext &context = container.mainContext();
        for (int i = 0; i < 5; ++i)
            context.insert(ReplacementRule(QStringLiteral("a%1").arg(i), QStringLiteral("b")));
        QCOMPARE(commits.count(), 0);
        QVERIFY(context.hasChanges());
        QTRY_COMPARE(commits.count(), 1);
        QVERIFY(!context.hasChanges());
        QCOMPARE(*container.countCommitted<ReplacementRule>(), 5);
    }

    void updatesWriteOnlyTheFieldsThatChanged()
    {
        AppModelContainer container(storePath(QStringLiteral("fields.store")));
        auto screen = container.makeContext();
        auto pipeline = container.makeContext();
        DictionaryEntry entry(QStringLiteral("Qt"), QStringLiteral("en"), QStringLiteral("manual"));
        screen->insert(entry);
        QVERIFY(screen->save().has_value());

        // The screen holds the entry while the pipeline counts a use.
        DictionaryEntry held = *screen->fetchById<DictionaryEntry>(entry.id);
        QVERIFY(pipeline->modify<DictionaryEntry>(entry.id, [](DictionaryEntry &e) { e.useCount += 1; }));
        QVERIFY(pipeline->save().has_value());
        QVERIFY(screen->modify<DictionaryEntry>(held.id, [](DictionaryEntry &e) {
            e.term = QStringLiteral("Qt 6");
            e.updatedAt = at(5000);
        }));
        QVERIFY(screen->save().has_value());
        const auto stored = *container.makeContext()->fetchById<DictionaryEntry>(entry.id);
        QCOMPARE(stored.term, QStringLiteral("Qt 6"));
        QCOMPARE(stored.useCount, 1);
        QCOMPARE(stored.updatedAt, at(5000));

        // A no-op update records nothing.
        QVERIFY(screen->update(stored).has_value());
        QVERIFY(!screen->hasChanges());

        // Two unsaved edits of different fields of one record are both written.
        screen->setAutosaveEnabled(false);
        QVERIFY(screen->modify<DictionaryEntry>(entry.id, [](DictionaryEntry &e) { e.term = QStringLiteral("Qt 7"); }));
        QVERIFY(screen->modify<DictionaryEntry>(entry.id, [](DictionaryEntry &e) { e.useCount = 9; }));
        QVERIFY(screen->save().has_value());
        const auto twice = *container.makeContext()->fetchById<DictionaryEntry>(entry.id);
        QCOMPARE(twice.term, QStringLiteral("Qt 7"));
        QCOMPARE(twice.useCount, 9);
    }

    // Terms sort as a file browser would: case-insensitive, digits by value.
    void termsSortAsAFileBrowserWould()
    {
        AppModelContainer container(storePath(QStringLiteral("terms.store")));
        DictionaryEntriesQuery terms(container, StoreQueries::dictionaryEntriesByTerm());
        auto context = container.makeContext();
        for (const char *term : {"beta", "Alpha", "item10", "item9", "Ágata"})
            context->insert(DictionaryEntry(QString::fromUtf8(term), QStringLiteral("pt"), QStringLiteral("manual")));
        QVERIFY(context->save().has_value());
        context->insert(DictionaryEntry(QStringLiteral("gamma"), QStringLiteral("pt"), QStringLiteral("manual")));
        QVERIFY(context->save().has_value());
        QStringList termOrder;
        for (const auto &entry : terms.results())
            termOrder << entry.term;
        QCOMPARE(termOrder, (QStringList{QStringLiteral("Ágata"), QStringLiteral("Alpha"), QStringLiteral("beta"),
                                         QStringLiteral("gamma"), QStringLiteral("item9"), QStringLiteral("item10")}));
    }

    void aDeletedRecordStaysReadableAsASnapshotAndIsReportedGone()
    {
        AppModelContainer container(storePath(QStringLiteral("snapshot.store")));
        TranscriptionsQuery history(container, StoreQueries::transcriptionsNewestFirst());
        ModelContext &screen = container.mainContext();
        ReplacementRule rule(QStringLiteral("de nada"), QStringLiteral("dnd"));
        rule.useCount = 3;
        const auto record = transcription(QStringLiteral("to delete"), 1000);
        screen.insert(rule);
        screen.insert(record);
        QVERIFY(screen.save().has_value());

        // An open detail page holds the record; a pull in another context deletes it.
        const TranscriptionRecord detail = *history.find(record.id);
        auto pull = container.makeContext();
        QVERIFY(pull->remove<TranscriptionRecord>(record.id).has_value());
        QVERIFY(pull->save().has_value());
        QVERIFY(!history.find(record.id));
        QVERIFY(!screen.fetchById<TranscriptionRecord>(record.id));
        QCOMPARE(detail.text, QStringLiteral("to delete"));
        QCOMPARE(detail.idString(), record.idString());

        // The page's edit comes too late: reported gone, and nothing comes back.
        auto late = screen.modify<TranscriptionRecord>(record.id, [](TranscriptionRecord &r) { r.text = {}; });
        QVERIFY(!late.has_value());
        QCOMPARE(late.error().kind, StoreError::Kind::notFound);
        QVERIFY(!screen.remove(detail).has_value());
        QVERIFY(!screen.hasChanges());

        // An edit already pending when another context deletes the row does
        // not resurrect it either.
        auto stale = container.makeContext();
        stale->setAutosaveEnabled(false);
        QVERIFY(stale->modify<ReplacementRule>(rule.id, [](ReplacementRule &r) { r.useCount += 1; }));
        const auto snapshot = screen.remove<ReplacementRule>(rule.id);
        QVERIFY(snapshot.has_value());
        QVERIFY(screen.save().has_value());
        QVERIFY(stale->save().has_value());
        QCOMPARE(*container.countCommitted<ReplacementRule>(), 0);

        // The push after the deletion reads the values the rule had.
        QCOMPARE(snapshot->originalText, QStringLiteral("de nada"));
        QCOMPARE(snapshot->useCount, 3);
        QCOMPARE(snapshot->createdAt, rule.createdAt);
    }

    void aFailedSaveReportsAndKeepsTheChanges()
    {
        AppModelContainer container(storePath(QStringLiteral("failing.store")));
        auto context = container.makeContext();
        context->setAutosaveEnabled(false);
        context->insert(transcription(QStringLiteral("kept"), 1000));
        // Another connection holds the write lock past the busy timeout.
        SqliteDatabase other;
        QCOMPARE(other.open(container.filePath()), 0);
        QCOMPARE(other.exec(QStringLiteral("PRAGMA busy_timeout = 0; BEGIN IMMEDIATE")), 0);
        sqlite3_busy_timeout(container.database().handle(), 10);
        QSignalSpy commits(&container, &AppModelContainer::didCommit);
        const auto saved = context->save();
        QVERIFY(!saved.has_value());
        QCOMPARE(saved.error().kind, StoreError::Kind::database);
        QVERIFY(context->hasChanges());
        QCOMPARE(commits.count(), 0);
        other.exec(QStringLiteral("ROLLBACK"));
        QVERIFY(context->save().has_value());
        QCOMPARE(*container.countCommitted<TranscriptionRecord>(), 1);

        // Autosave keeps trying once the lock is gone.
        ModelContext &screen = container.mainContext();
        QCOMPARE(other.exec(QStringLiteral("BEGIN IMMEDIATE")), 0);
        LogCapture log;
        screen.insert(transcription(QStringLiteral("autosaved later"), 2000));
        QTRY_VERIFY(log.contains(QStringLiteral("save failed")));
        QVERIFY(screen.hasChanges());
        other.exec(QStringLiteral("ROLLBACK"));
        QTRY_VERIFY_WITH_TIMEOUT(!screen.hasChanges(), 5000);
        QCOMPARE(*container.countCommitted<TranscriptionRecord>(), 2);
    }

    void garbageAndUnreadableFilesAreKeptAside()
    {
        // Kept aside whole; a fresh store starts in its place.
        const QString garbage = storePath(QStringLiteral("garbage.store"));
        const QByteArray bytes = QByteArray("this is not a database at all").repeated(300);
        QVERIFY(writeFile(garbage, bytes));
        AppModelContainer fromGarbage(garbage);
        QVERIFY(fromGarbage.isPersistent());
        QFile aside(fromGarbage.setAsideFilePath());
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), bytes);
        QVERIFY(fromGarbage.makeContext()->upsertAll<TranscriptionRecord>({transcription(QStringLiteral("after"), 1)}));

        // A folder where the file should be cannot be opened as a database.
        // Its companions go with it: a fresh store must not pick up their pages.
        const QString folder = storePath(QStringLiteral("folder.store"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
        for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
            QVERIFY(writeFile(folder + suffix, QByteArray("stale pages ").repeated(100)));
        AppModelContainer fromFolder(folder);
        QVERIFY(fromFolder.isPersistent());
        QVERIFY(QFileInfo(fromFolder.setAsideFilePath()).isDir());
        QVERIFY(QFileInfo::exists(fromFolder.setAsideFilePath() + QStringLiteral("/inside")));
        for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
            QVERIFY2(QFile::exists(fromFolder.setAsideFilePath() + suffix), qPrintable(suffix));

        const QString unreadable = storePath(QStringLiteral("unreadable.store"));
        {
            AppModelContainer container(unreadable);
            container.makeContext()->upsertAll<TranscriptionRecord>({transcription(QStringLiteral("x"), 1)});
        }
        QFile::setPermissions(unreadable, QFileDevice::Permissions());
        const FileModesApply asAnyUser;
        QVERIFY(!QFile(unreadable).open(QIODevice::ReadOnly));
        AppModelContainer fromUnreadable(unreadable);
        QVERIFY(fromUnreadable.isPersistent());
        QVERIFY(QFile::exists(fromUnreadable.setAsideFilePath()));
        QCOMPARE(*fromUnreadable.countCommitted<TranscriptionRecord>(), 0);
    }

    void damageFoundLaterOrAfterACrashIsKeptAside()
    {
        const QString path = storePath(QStringLiteral("deep.store"));
        {
            AppModelContainer container(path);
            std::vector<TranscriptionRecord> rows;
            for (int i = 0; i < 3000; ++i)
                rows.push_back(transcription(QStringLiteral("row %1 ").arg(i).repeated(30), i));
            QVERIFY(container.makeContext()->upsertAll(rows));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 pages = file.size() / 4096;
        QVERIFY(pages > 100);
        // Garbage over a page of rows in the middle, which opening does not read.
        qint64 page = pages / 2;
        for (; page < pages; ++page) {
            file.seek(page * 4096);
            if (file.read(4096).contains("row "))
                break;
        }
        file.seek(page * 4096);
        file.write(QByteArray(4096, char(0x5A)));
        file.close();
        QVERIFY(QFile::copy(path, path + QStringLiteral(".copy")));

        {
            AppModelContainer container(path);
            QVERIFY(container.setAsideFilePath().isEmpty());
            QSignalSpy replaced(&container, &AppModelContainer::storeReplaced);
            TranscriptionsQuery history(container, StoreQueries::transcriptionsNewestFirst());
            QVERIFY(history.lastError());
            QTRY_COMPARE(replaced.count(), 1);
            QVERIFY(container.isPersistent());
            QVERIFY(QFile::exists(container.setAsideFilePath()));
            QCOMPARE(*container.countCommitted<TranscriptionRecord>(), 0);
            QVERIFY(!history.lastError());
        }

        // After a session that did not close the store, every page is read
        // before use.
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(path + QStringLiteral(".copy"), path));
        QFile(path + QLatin1String(AppModelContainer::kOpenMarkerSuffix)).open(QIODevice::WriteOnly);
        AppModelContainer afterCrash(path);
        QVERIFY(afterCrash.isPersistent());
        QVERIFY(QFile::exists(afterCrash.setAsideFilePath()));

        // A truncated file is damaged; a zero-length one is an empty store.
        const QString truncated = storePath(QStringLiteral("truncated.store"));
        QVERIFY(QFile::copy(afterCrash.setAsideFilePath(), truncated));
        QVERIFY(QFile::resize(truncated, 5 * 4096 + 100));
        AppModelContainer fromTruncated(truncated);
        QVERIFY(fromTruncated.isPersistent());
        QVERIFY(QFile::exists(fromTruncated.setAsideFilePath()));
        const QString empty = storePath(QStringLiteral("empty.store"));
        QFile(empty).open(QIODevice::WriteOnly);
        AppModelContainer fromEmpty(empty);
        QVERIFY(fromEmpty.isPersistent());
        QVERIFY(fromEmpty.setAsideFilePath().isEmpty());
    }

    // A file that is healthy but cannot be used now, or a folder that cannot
    // hold one: the app runs in memory and nothing is set aside.
    // With too little room for WAL's files the store still opens on disk
    // with the user's rows (a rollback journal, or the log's index in memory
    // when not even that fits); a write says the disk is full, keeps its
    // changes, and saves them once there is room.
    void aNearlyFullDiskStillOpensTheStoreOnDisk_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<bool>("shared");
        QTest::newRow("room for a rollback journal only") << qint64(8 * 1024) << true;
        QTest::newRow("no room at all") << qint64(0) << false;
    }

    void aNearlyFullDiskStillOpensTheStoreOnDisk()
    {
        QFETCH(qint64, room);
        SmallDisk disk("256k");
        if (!disk.isMounted)
            QSKIP("a private tmpfs needs root");
        const QString path = disk.filePath(QStringLiteral("TalvoroApp.store"));
        {
            AppModelContainer store(path);
            store.mainContext().insert(transcription(QStringLiteral("antes"), 1));
            QVERIFY(store.mainContext().save().has_value());
        }
        disk.fill(room);
        {
            AppModelContainer store(path);
            QVERIFY(store.isPersistent());
            QTEST(store.isShared(), "shared");
            QCOMPARE(texts(*store.fetchCommitted<TranscriptionRecord>()), QStringList{QStringLiteral("antes")});
            QSignalSpy full(&store, &AppModelContainer::writeFailedForLackOfSpace);
            store.mainContext().insert(transcription(QString(16 * 1024, u'x'), 2));
            QVERIFY(!store.mainContext().save().has_value());
            QVERIFY(full.count() >= 1);
            QVERIFY(store.hasFailedForLackOfSpace());
            disk.free();
            QVERIFY(store.mainContext().save().has_value());
        }
        AppModelContainer reopened(path);
        QCOMPARE(reopened.countCommitted<TranscriptionRecord>().value(), 2);
    }

    void openFailuresThatAreNotDamageFallBackToMemory()
    {
        // Another process holds the file past the busy timeout.
        const QString path = storePath(QStringLiteral("locked.store"));
        {
            AppModelContainer container(path);
            container.makeContext()->upsertAll<TranscriptionRecord>({transcription(QStringLiteral("kept"), 1)});
        }
        SqliteDatabase other;
        QCOMPARE(other.open(path), 0);
        QCOMPARE(other.exec(QStringLiteral("PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE")), 0);
        AppModelContainer locked(path);
        QVERIFY(!locked.isPersistent());
        QVERIFY(locked.setAsideFilePath().isEmpty());
        QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("locked.store.broken*")}).isEmpty());
        other.exec(QStringLiteral("ROLLBACK"));
        other.close();
        AppModelContainer reopened(path);
        QCOMPARE(*reopened.countCommitted<TranscriptionRecord>(), 1);

        const QString blocker = storePath(QStringLiteral("not-a-folder"));
        QVERIFY(writeFile(blocker, {}));
        AppModelContainer container(blocker + QStringLiteral("/TalvoroApp.store"));
        QVERIFY(!container.isPersistent());
        QVERIFY(container.setAsideFilePath().isEmpty());
        auto context = container.makeContext();
        context->insert(transcription(QStringLiteral("memory"), 1));
        QVERIFY(context->save().has_value());
        QCOMPARE(*container.countCommitted<TranscriptionRecord>(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAppModelContainer)
#include "tst_AppModelContainer.moc"
