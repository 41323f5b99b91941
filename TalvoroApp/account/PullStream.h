#pragma once

#include "account/BackendAPIClient.h"
#include "account/PullReplyDecoder.h"

#include <QCoroTask>
#include <QNetworkReply>
#include <QPointer>
#include <QTemporaryFile>

#include <chrono>
#include <expected>
#include <optional>

// `sync/pull` read as its reply arrives: the rows come in batches, one per
// event-loop turn, whenever the link pauses and after the body's end; the
// reply's other members come once it is whole. The request is the same one
// the backend always took.
//
// Qt's HTTP reply ignores a read buffer size and takes the body as fast as
// the network brings it, faster than rows merge into the store. So every
// byte that arrives is moved at once into a private temporary file, and the
// decoder reads it back from there a chunk at a time, at the merge's pace:
// what waits in memory is one chunk, one batch of rows, and what Qt took in
// since the last turn, whatever the account's size.
class PullStream
{
public:
    static constexpr qsizetype kBatchRows = 250;
    static constexpr qint64 kChunkBytes = 64 * 1024;
    // Rows merge once no byte came for this long (or the body has ended).
    static constexpr std::chrono::milliseconds kArrivalPause{5};
    // A whole account over a slow link; a silent server still fails after
    // the transfer time-out.
    static constexpr std::chrono::minutes kDeadline{30};
    // The largest body taken: an account of 100,000 dictations of 800 bytes
    // replies about 100 MB, so 1 GiB is well above any real one. A reply
    // that goes on past it (a server streaming for ever) ends the pull with
    // an error, logged, before it fills the disk; the cursor stays.
    static constexpr qint64 kMaxBodyBytes = qint64(1) << 30;

    // `kinds` ("rules", "dictionaryEntries", "transcriptions"): only those
    // rows are asked for; empty asks for all.
    PullStream(BackendAPIClient &client, double since, QString timeZone, QPointer<RequestCancellation> cancellation,
               const QStringList &kinds = {}, qint64 maxBodyBytes = kMaxBodyBytes);
    ~PullStream();

    // The next batch of rows (a reply holding rows only); nothing once the
    // body has ended. Fails when the request fails, the body is cut short or
    // turns out malformed (parseError); rows of earlier batches stand.
    [[nodiscard]] QCoro::Task<std::expected<std::optional<SyncPullResponse>, BackendAPIError>> next();
    // After next() gave nothing: the reply's other members (cursor, settings,
    // statistics, totals) and the problems of all its rows.
    std::expected<SyncPullResponse, BackendAPIError> finish();

private:
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> open(QString token);
    // Moves what the reply holds into the file; why the pull must end when
    // the file cannot take it or the body passed its limit.
    std::optional<BackendAPIError> spool();
    BackendAPIError spoolFailure();
    static BackendAPIError unreadable(const QString &why);

    BackendAPIClient *m_client;
    QByteArray m_body;
    QPointer<RequestCancellation> m_cancellation;
    StreamedReply m_reply;
    // The reply's manager deletes it when the manager goes first (the
    // application quitting mid-pull): the stream then ends, cancelled.
    QPointer<QNetworkReply> m_replyAlive;
    bool replyGone() const { return m_reply && !m_replyAlive; }
    QTemporaryFile m_spool;
    QMetaObject::Connection m_spooling;
    qint64 m_spooled = 0; // bytes written to the file
    qint64 m_decoded = 0; // bytes of it fed to the decoder
    qint64 m_maxBodyBytes;
    std::optional<BackendAPIError> m_spoolFailure;
    PullReplyDecoder m_decoder;
    bool m_gaveBatch = false;
};
