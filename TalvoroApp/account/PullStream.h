#pragma once

#include "account/BackendAPIClient.h"
#include "account/PullReplyDecoder.h"

#include <QCoroTask>
#include <QPointer>

#include <chrono>
#include <expected>
#include <optional>

// `sync/pull` read as its reply arrives: the rows come in batches, one per
// event-loop turn, while the body is still on its way; the reply's other
// members come once it is whole. Memory holds one chunk of the body and one
// batch of rows, whatever the account's size. The request is the same one the
// backend always took.
class PullStream
{
public:
    static constexpr qsizetype kBatchRows = 1000;
    static constexpr qint64 kChunkBytes = 64 * 1024;
    // Unread bytes Qt holds before it stops reading the socket.
    static constexpr qint64 kReadBufferBytes = 4 * kChunkBytes;
    // A whole account over a slow link; a silent server still fails after
    // the transfer time-out.
    static constexpr std::chrono::minutes kDeadline{30};

    PullStream(BackendAPIClient &client, double since, QString timeZone, QPointer<RequestCancellation> cancellation);

    // The next batch of rows (a reply holding rows only); nothing once the
    // body has ended. Fails when the request fails, the body is cut short or
    // turns out malformed (parseError); rows of earlier batches stand.
    [[nodiscard]] QCoro::Task<std::expected<std::optional<SyncPullResponse>, BackendAPIError>> next();
    // After next() gave nothing: the reply's other members (cursor, settings,
    // statistics, totals) and the problems of all its rows.
    std::expected<SyncPullResponse, BackendAPIError> finish();

private:
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> open(QString token);
    static BackendAPIError unreadable(const QString &why);

    BackendAPIClient *m_client;
    QByteArray m_body;
    QPointer<RequestCancellation> m_cancellation;
    StreamedReply m_reply;
    PullReplyDecoder m_decoder;
    bool m_gaveBatch = false;
};
