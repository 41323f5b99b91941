#include "account/InitialPushBodies.h"

#include "account/SyncMerge.h"
#include "platform/ModelStoreEngine.h"
#include "platform/SqliteDatabase.h"
#include "transcription/TranscriptionRecord.h"

#include <QCoroFuture>
#include <QPromise>
#include <QThread>

using RowResult = std::expected<std::optional<SyncTranscriptionPayload>, QString>;

struct InitialPushBodies::Source
{
    QList<OrderedJson::Field> firstBodyMembers;
    qsizetype bodyBytes = kBodyBytes;
    bool firstBodyMade = false;
    bool exhausted = false;

    // Rows given by the caller.
    QList<SyncTranscriptionPayload> rows;
    qsizetype nextRow = 0;

    // Rows read from the store file (worker thread only).
    QString storePath;
    SqliteDatabase database;
    SqliteStatement *statement = nullptr;

    RowResult readRow()
    {
        if (storePath.isEmpty()) {
            if (nextRow >= rows.size())
                return std::nullopt;
            return rows[nextRow++];
        }
        if (!statement) {
            if (const int rc = database.open(storePath); rc != SQLITE_OK)
                return std::unexpected(QStringLiteral("cannot open the store (%1)").arg(rc));
            // Reads only, and keeps a small page cache of its own.
            database.exec(QStringLiteral("PRAGMA query_only = 1; PRAGMA cache_size = -256; PRAGMA busy_timeout = 2000;"));
            int rc = SQLITE_OK;
            statement = database.cached(QStringLiteral("SELECT ") + talvoro::store::columnList<TranscriptionRecord>()
                                            + QStringLiteral(" FROM transcriptions"),
                                        &rc);
            if (!statement)
                return std::unexpected(QStringLiteral("cannot read the transcriptions (%1)").arg(rc));
        }
        const int rc = statement->step();
        if (rc == SQLITE_DONE)
            return std::nullopt;
        if (rc != SQLITE_ROW)
            return std::unexpected(QStringLiteral("reading the transcriptions failed (%1)").arg(rc));
        return SyncMerge::payloadFromTranscription(ModelTraits<TranscriptionRecord>::read(*statement));
    }

    Next makeBody()
    {
        if (exhausted)
            return std::nullopt;
        Body body;
        body.json.reserve(bodyBytes + bodyBytes / 8);
        OrderedJson::Writer writer(body.json);
        writer.beginObject();
        writer.key(QLatin1String("transcriptions"));
        writer.beginArray();
        while (body.json.size() < bodyBytes) {
            auto row = readRow();
            if (!row)
                return std::unexpected(row.error());
            if (!*row) {
                exhausted = true;
                break;
            }
            (*row)->writeJson(writer);
            ++body.transcriptions;
        }
        writer.endArray();
        if (firstBodyMade && body.transcriptions == 0)
            return std::nullopt;
        if (firstBodyMade) {
            writer.key(QLatin1String("rules"));
            writer.raw("[]");
            writer.key(QLatin1String("dictionaryEntries"));
            writer.raw("[]");
        } else {
            for (const auto &[key, json] : firstBodyMembers) {
                writer.key(key);
                writer.raw(json);
            }
        }
        writer.endObject();
        firstBodyMade = true;
        return body;
    }
};

InitialPushBodies::InitialPushBodies(const QString &storePath, QList<OrderedJson::Field> firstBodyMembers,
                                     qsizetype bodyBytes)
    : m_source(std::make_shared<Source>())
    , m_thread(new QThread)
{
    m_source->storePath = storePath;
    m_source->firstBodyMembers = std::move(firstBodyMembers);
    m_source->bodyBytes = bodyBytes;
    m_thread->setObjectName(QStringLiteral("InitialPushReader"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread);
    // Both go once the thread has ended; the UI thread never waits for it.
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start();
}

InitialPushBodies::InitialPushBodies(QList<SyncTranscriptionPayload> rows, QList<OrderedJson::Field> firstBodyMembers,
                                     qsizetype bodyBytes)
    : m_source(std::make_shared<Source>())
{
    m_source->rows = std::move(rows);
    m_source->firstBodyMembers = std::move(firstBodyMembers);
    m_source->bodyBytes = bodyBytes;
}

InitialPushBodies::~InitialPushBodies()
{
    // A body being made finishes on its own; the source (and its connection)
    // goes with the last reference.
    if (m_thread)
        m_thread->quit();
}

QCoro::Task<InitialPushBodies::Next> InitialPushBodies::next()
{
    if (!m_thread)
        co_return m_source->makeBody();
    auto promise = std::make_shared<QPromise<Next>>();
    QFuture<Next> future = promise->future();
    promise->start();
    QMetaObject::invokeMethod(
        m_worker,
        [source = m_source, promise] {
            promise->addResult(source->makeBody());
            promise->finish();
        },
        Qt::QueuedConnection);
    Next made = co_await future;
    co_return made;
}
