#pragma once

#include "account/AccountLogging.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIError.h"

#include <QByteArray>
#include <QCoroTask>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class QNetworkAccessManager;
class QNetworkReply;

// Aborts the requests made with it, at once, when cancelled (a pull whose
// result nobody wants any more); they fail with `cancelled`.
class RequestCancellation : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void cancel();
    bool isCancelled() const { return m_cancelled; }

Q_SIGNALS:
    void cancelled();

private:
    bool m_cancelled = false;
};

// One request to the backend: the path is appended to the base URL.
struct BackendRequest
{
    QByteArray method = "GET";
    QString path;
    // Sent with "Content-Type: application/json" when present.
    std::optional<QByteArray> jsonBody;
    // Transfer time-out: no bytes for that long.
    std::chrono::milliseconds timeout{60'000};
    // Empty: no "Authorization" header.
    QString accessToken;
    // Overall deadline of the whole round trip; zero: twice the transfer
    // time-out, so a server that drips bytes cannot hold the call for ever.
    std::chrono::milliseconds deadline{0};
    // Largest reply body read; a bigger one fails the call.
    qint64 maxReplyBytes = BackendRequest::kDefaultMaxReplyBytes;
    // Null: the request runs to its end.
    QPointer<RequestCancellation> cancellation;

    static constexpr qint64 kDefaultMaxReplyBytes = 1024 * 1024;
};

// Aborts a reply read as it arrives when it still runs, and deletes it later.
struct StreamedReplyDeleter
{
    void operator()(QNetworkReply *reply) const;
};
using StreamedReply = std::unique_ptr<QNetworkReply, StreamedReplyDeleter>;
// What openStream() hands over: the reply, for the caller to own.
struct OpenedStream
{
    QNetworkReply *reply = nullptr;
};

// The reply of a request that reached the server and got a 2xx status.
struct BackendReply
{
    int status = 0;
    QByteArray body;
};

// The backend client. Not shared: every user builds its own with an auth
// provider, an HTTP session and the base URL. Every call returns its result
// or one BackendAPIError; nothing throws. Paths and formats: docs/backend-api.md.
//
// Coroutine calls here are made in a statement of their own and then awaited
// (`auto call = f(x); co_await std::move(call);`): GCC 12 destroys objects
// made inside a co_await expression twice (GCC bug 99576). And QCoro 0.8
// moves from a non-const lvalue given to co_return: return copies of members.
class BackendAPIClient
{
public:
    // The body of the feedback request: one JSON object with these seven keys.
    struct FeedbackSubmission
    {
        QString topic;
        QString subject;
        QString description;
        QStringList imageStorageIds;
        QString appVersion;
        QString locale;
        QString platform;

        QJsonObject toJSONObject() const;
    };

    using JSONObjectRequest = std::function<QCoro::Task<std::expected<QJsonObject, BackendAPIError>>(QString accessToken)>;
    using Request = std::function<QCoro::Task<std::expected<void, BackendAPIError>>(QString accessToken)>;

    static constexpr qint64 kMaxImageUploadBytes = 10 * 1024 * 1024;

    BackendAPIClient(std::shared_ptr<AuthProviding> authProvider, QNetworkAccessManager *session, QUrl baseURL);

    // The one HTTP session of the backend clients, made on first use:
    // 60 s transfer time-out by default.
    static QNetworkAccessManager *sharedSession();

    QUrl baseURL() const { return m_baseURL; }
    QUrl urlForPath(const QString &path) const;
    AuthProviding *authProvider() const { return m_auth.get(); }
    QNetworkAccessManager *session() const { return m_session; }

    // Gets a valid token, runs the request, and after a 401 forces one token
    // refresh and runs it exactly once more. A reader result of nothing
    // gives parseError.
    template<typename Reader>
    [[nodiscard]] auto withAuthorizedRetryForJSONObject(JSONObjectRequest request, Reader reader)
        -> QCoro::Task<std::expected<typename std::invoke_result_t<Reader, const QJsonObject &>::value_type,
                                     BackendAPIError>>;
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> withAuthorizedRetry(Request request);

    // Account and feedback.
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> requestAvatarUploadURL(QString accessToken);
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> requestFeedbackUploadURL(QString accessToken);
    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> uploadImage(QString uploadURL, QByteArray jpegData);
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> updateAvatar(QString accessToken, QByteArray body);
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> deleteAvatar(QString accessToken);
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> deleteAccount(QString accessToken);
    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> submitFeedback(FeedbackSubmission submission);

    // Sign-in, without an access token: exchange of the authorisation code
    // and rotation of the refresh token. Reply objects as in the docs.
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> requestSession(QString code, QString codeVerifier,
                                                                            QString redirectURI);
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> refreshSession(QString refreshToken);

    static std::optional<QString> parseUploadURL(const QJsonObject &object);
    static std::optional<QString> parseAvatarURL(const QJsonObject &object);
    static std::optional<QString> jsonStringValue(const QJsonObject &object, const QString &key);

    // The generic round trip the endpoints (and the synchroniser's paths)
    // are built on. A transport failure, time-out, passed deadline, oversize
    // reply or redirect to another origin gives networkError with the
    // connection text; a non-2xx status goes through errorForStatus.
    [[nodiscard]] QCoro::Task<std::expected<BackendReply, BackendAPIError>> send(BackendRequest request);
    // send() for a reply read as it arrives (the pull): waits for the headers
    // only. A 2xx gives the reply with its body unread; at most
    // `request.maxReplyBytes` wait unread in it (Qt stops reading the socket
    // meanwhile), and the body's size has no limit. The deadline and the
    // cancellation abort it at any point; once it finished, `error()` of the
    // reply says whether the body arrived whole. The caller owns the reply
    // (hold it in a StreamedReply).
    [[nodiscard]] QCoro::Task<std::expected<OpenedStream, BackendAPIError>> openStream(BackendRequest request);
    // send() and a JSON object from the reply body (parseError otherwise).
    [[nodiscard]] QCoro::Task<std::expected<QJsonObject, BackendAPIError>> sendForJSONObject(BackendRequest request);
    // send() for the deletions, whose only success is 200 {"success": true};
    // any other reply is parseError.
    [[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> sendExpectingSuccess(BackendRequest request);

    // The status mapping of every call: 401 notAuthenticated, 413
    // fileTooLarge, 429 by the reply's "error" code (hourly cap, weekly cap,
    // upload throttling) else rateLimited with Retry-After, 409 and 425 by
    // the reply's "error" code (processing states) else serverError, 404 on
    // an audio path fileNotFound... see docs/backend-api.md.
    static BackendAPIError errorForStatus(int status, const QByteArray &body, const QByteArray &retryAfterHeader);

    // The texts the endpoints and wrappers use, by the language choice.
    static QString connectionFailureText();
    static QString invalidServerAddressText();
    static QString invalidResponseText();
    static QString serverFailureText();

private:
    // The request on its way, or why it cannot leave.
    std::expected<QNetworkReply *, BackendAPIError> start(const BackendRequest &request);

    template<typename Result, typename Operation>
    [[nodiscard]] QCoro::Task<std::expected<Result, BackendAPIError>> runAuthorized(Operation operation);

    std::shared_ptr<AuthProviding> m_auth;
    QNetworkAccessManager *m_session;
    QUrl m_baseURL;
};

template<typename Result, typename Operation>
[[nodiscard]] QCoro::Task<std::expected<Result, BackendAPIError>> BackendAPIClient::runAuthorized(Operation operation)
{
    if (!m_auth)
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    auto token = co_await m_auth->validAccessToken();
    if (!token)
        co_return std::unexpected(token.error());
    auto first = operation(*token);
    auto result = co_await std::move(first);
    if (result || result.error().kind() != BackendAPIError::Kind::notAuthenticated)
        co_return result;

    qCInfo(lcBackendAPIClient) << "Got 401, forcing token refresh and retrying";
    auto refreshed = co_await m_auth->forceRefresh();
    if (!refreshed)
        co_return std::unexpected(refreshed.error());
    auto second = operation(*refreshed);
    result = co_await std::move(second);
    if (!result)
        qCWarning(lcBackendAPIClient, "Retry after token refresh failed: %s",
                  qUtf8Printable(result.error().errorDescription()));
    co_return result;
}

template<typename Reader>
auto BackendAPIClient::withAuthorizedRetryForJSONObject(JSONObjectRequest request, Reader reader)
    -> QCoro::Task<std::expected<typename std::invoke_result_t<Reader, const QJsonObject &>::value_type,
                                 BackendAPIError>>
{
    using Value = typename std::invoke_result_t<Reader, const QJsonObject &>::value_type;
    auto run = runAuthorized<QJsonObject>(std::move(request));
    auto object = co_await std::move(run);
    if (!object)
        co_return std::unexpected(object.error());
    std::optional<Value> value = reader(*object);
    if (!value)
        co_return std::unexpected(BackendAPIError::parseError());
    co_return std::move(*value);
}
