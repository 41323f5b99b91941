#pragma once

#include "account/SyncPayloads.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QString>

#include <expected>
#include <memory>
#include <optional>

class QObject;
class QThread;

// The requests of the initial push (sync/push), each a complete body of about
// `bodyBytes` at most: the transcriptions in slices, with the rules, the
// dictionary entries and the settings block in the first. The transcriptions
// are read from the store file and encoded on a worker thread through a
// connection of its own, so a history of any size never stalls the window;
// a body is made only when asked for, so memory holds one at a time.
class InitialPushBodies
{
public:
    static constexpr qsizetype kBodyBytes = 4 * 1024 * 1024;

    struct Body
    {
        QByteArray json;
        qsizetype transcriptions = 0;
    };
    using Next = std::expected<std::optional<Body>, QString>;

    // Reads the committed transcriptions of the store file at `storePath`.
    InitialPushBodies(const QString &storePath, QList<OrderedJson::Field> firstBodyMembers,
                      qsizetype bodyBytes = kBodyBytes);
    // Encodes the given rows on the calling thread (a store without a file).
    InitialPushBodies(QList<SyncTranscriptionPayload> rows, QList<OrderedJson::Field> firstBodyMembers,
                      qsizetype bodyBytes = kBodyBytes);
    ~InitialPushBodies();
    InitialPushBodies(const InitialPushBodies &) = delete;
    InitialPushBodies &operator=(const InitialPushBodies &) = delete;

    // The next body; nullopt after the last one; an error when the store cannot be read.
    [[nodiscard]] QCoro::Task<Next> next();

    struct Source;

private:
    std::shared_ptr<Source> m_source;
    // Null for given rows; both delete themselves when the thread ends.
    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr; // lives in m_thread
};
