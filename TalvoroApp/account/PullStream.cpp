#include "account/PullStream.h"

#include "account/ReplyActivity.h"
#include "account/SyncLogging.h"
#include "account/SyncRequests.h"
#include "platform/AppPaths.h"
#include "platform/OrderedJson.h"

#include <QCoroTimer>
#include <QDir>
#include <QJsonArray>
#include <QNetworkReply>

using namespace std::chrono_literals;

PullStream::PullStream(BackendAPIClient &client, double since, QString timeZone,
                       QPointer<RequestCancellation> cancellation, const QStringList &kinds, qint64 maxBodyBytes)
    : m_client(&client)
    , m_cancellation(std::move(cancellation))
    , m_maxBodyBytes(maxBodyBytes > 0 ? maxBodyBytes : kMaxBodyBytes)
{
    QList<OrderedJson::Field> members{
        {QStringLiteral("since"), OrderedJson::value(since)},
        {QStringLiteral("timeZone"), OrderedJson::value(timeZone)},
    };
    if (!kinds.isEmpty())
        members.append({QStringLiteral("kinds"), OrderedJson::value(QJsonArray::fromStringList(kinds))});
    m_body = OrderedJson::object(members);
}

PullStream::~PullStream()
{
    // The reply is only deleted later: it must not write into a file that is gone.
    QObject::disconnect(m_spooling);
    if (replyGone())
        (void)m_reply.release(); // already deleted by its manager
}

QCoro::Task<std::expected<void, BackendAPIError>> PullStream::open(QString token)
{
    BackendRequest request{"POST", QString::fromLatin1(SyncRequests::kPullPath), m_body, 60s, token};
    request.cancellation = m_cancellation;
    request.maxReplyBytes = kChunkBytes;
    request.deadline = kDeadline;
    auto opening = m_client->openStream(std::move(request));
    auto opened = co_await std::move(opening);
    if (!opened)
        co_return std::unexpected(opened.error());
    m_reply.reset(opened->reply);
    m_replyAlive = opened->reply;
    m_spool.setFileTemplate(AppPaths::cacheDir() + QStringLiteral("/pull-XXXXXX.json"));
    if (!QDir().mkpath(AppPaths::cacheDir()) || !m_spool.open())
        co_return std::unexpected(spoolFailure());
    m_spooling = QObject::connect(m_reply.get(), &QNetworkReply::readyRead, m_reply.get(), [this] { spool(); });
    spool();
    co_return {};
}

std::optional<BackendAPIError> PullStream::spool()
{
    while (!m_spoolFailure && m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(kChunkBytes);
        if (m_spooled + chunk.size() > m_maxBodyBytes) {
            // Not aborted here (inside readyRead): the stream's owner ends it.
            qCWarning(lcSyncManager, "The pull reply passed %lld MiB without ending, more than any account holds; "
                      "ending the pull", qlonglong(m_maxBodyBytes >> 20));
            m_spoolFailure = BackendAPIError::networkError(BackendAPIClient::connectionFailureText());
        } else if (!m_spool.seek(m_spooled) || m_spool.write(chunk) != chunk.size()) {
            m_spoolFailure = spoolFailure();
        }
        m_spooled += chunk.size();
    }
    return m_spoolFailure;
}

BackendAPIError PullStream::spoolFailure()
{
    qCWarning(lcSyncManager, "Cannot keep the pull reply on disk: %s", qUtf8Printable(m_spool.errorString()));
    return BackendAPIError::networkError(BackendAPIClient::connectionFailureText());
}

BackendAPIError PullStream::unreadable(const QString &why)
{
    qCWarning(lcSyncManager, "Unreadable pull reply: %s", qUtf8Printable(why));
    return BackendAPIError::parseError();
}

QCoro::Task<std::expected<std::optional<SyncPullResponse>, BackendAPIError>> PullStream::next()
{
    if (!m_reply) {
        // A 401 comes before any row: the retry with a new token starts afresh.
        auto opening = m_client->withAuthorizedRetry([this](QString token) { return open(token); });
        auto opened = co_await std::move(opening);
        if (!opened)
            co_return std::unexpected(opened.error());
    } else if (m_gaveBatch) {
        co_await QCoro::sleepFor(0ms); // the previous batch had this turn
        if (replyGone())
            co_return std::unexpected(BackendAPIError::cancelled());
    }
    for (;;) {
        if (m_decoder.pendingRows() >= kBatchRows)
            break;
        // While bytes keep coming, only move them to the file: a merge holds
        // the UI thread, and Qt queues the body in memory meanwhile.
        for (qint64 before = m_spooled; !m_reply->isFinished(); before = m_spooled) {
            co_await QCoro::sleepFor(kArrivalPause);
            if (replyGone())
                co_return std::unexpected(BackendAPIError::cancelled());
            if (const auto failure = spool())
                co_return std::unexpected(*failure);
            if (m_spooled == before)
                break;
        }
        if (const auto failure = spool())
            co_return std::unexpected(*failure);
        if (m_decoded < m_spooled) {
            m_spool.seek(m_decoded);
            const QByteArray chunk = m_spool.read(std::min(kChunkBytes, m_spooled - m_decoded));
            m_decoded += chunk.size();
            if (chunk.isEmpty() || !m_decoder.feed(chunk))
                co_return std::unexpected(unreadable(chunk.isEmpty() ? m_spool.errorString() : m_decoder.error()));
            continue;
        }
        if (m_reply->isFinished()) {
            if (m_reply->error() == QNetworkReply::NoError)
                break;
            if (m_cancellation && m_cancellation->isCancelled())
                co_return std::unexpected(BackendAPIError::cancelled());
            qCWarning(lcSyncManager) << "The pull reply was cut short:" << m_reply->error();
            co_return std::unexpected(BackendAPIError::networkError(BackendAPIClient::connectionFailureText()));
        }
        co_await ReplyActivity(m_reply.get());
        if (replyGone())
            co_return std::unexpected(BackendAPIError::cancelled());
        if (m_spoolFailure)
            co_return std::unexpected(*m_spoolFailure);
    }
    if (m_decoder.pendingRows() == 0)
        co_return std::optional<SyncPullResponse>();
    m_gaveBatch = true;
    co_return std::optional(m_decoder.takeRows());
}

std::expected<SyncPullResponse, BackendAPIError> PullStream::finish()
{
    auto response = m_decoder.finish();
    if (!response)
        return std::unexpected(unreadable(response.error()));
    return std::move(*response);
}
