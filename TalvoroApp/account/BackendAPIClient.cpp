#include "account/BackendAPIClient.h"

#include "account/ReplyActivity.h"
#include "platform/ModelValues.h"
#include "texts/Localization.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <limits>

using namespace std::chrono_literals;

namespace {

constexpr auto kAccountCallTimeout = 15s;
constexpr auto kLongCallTimeout = 30s;
// Ten MiB over a slow uplink.
constexpr auto kImageUploadDeadline = 5min;
constexpr qint64 kDefaultRetryAfterSeconds = 60;

std::optional<QJsonObject> jsonObjectFromBody(const QByteArray &body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The deletions' one success: 200 with {"success": true}.
bool isDocumentedSuccess(const BackendReply &reply)
{
    const auto object = jsonObjectFromBody(reply.body);
    return reply.status == 200 && object && object->value(QLatin1String("success")) == QJsonValue(true);
}

// Typed or pasted text can hold half of a UTF-16 pair; JSON would carry it
// as "\ud800", which strict parsers refuse. Each such half becomes U+FFFD.
QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

QByteArray jsonBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

qint64 retryAfterSeconds(const QByteArray &header, const QJsonObject &object)
{
    bool ok = false;
    const qint64 fromHeader = header.trimmed().toLongLong(&ok);
    if (ok && fromHeader >= 0)
        return fromHeader;
    const QJsonValue fromBody = object.value(QLatin1String("retryAfter"));
    // 1e308 would not fit the integer: held at the end of the range.
    if (fromBody.isDouble() && fromBody.toDouble() >= 0)
        return talvoro::clampedInteger(fromBody.toDouble(), 0, std::numeric_limits<qint32>::max());
    return kDefaultRetryAfterSeconds;
}

// Why a reply was cut short by the client itself.
// `gone`: deleted with its manager before it finished (nothing of it may be touched).
enum class ReplyCut { none, deadlinePassed, tooLarge, cancelled, gone };

// Waits for the reply, aborting it when the deadline passes or its body
// grows past the limit. The read buffer is bounded too, so Qt stops reading
// from the socket instead of filling memory before the check runs.
QCoro::Task<ReplyCut> finishWithin(QNetworkReply *reply, std::chrono::milliseconds deadline, qint64 maxBytes,
                                   QPointer<RequestCancellation> cancellation)
{
    auto cut = std::make_shared<ReplyCut>(ReplyCut::none);
    const auto stop = [reply, cut](ReplyCut why) {
        if (*cut == ReplyCut::none && !reply->isFinished()) {
            *cut = why;
            reply->abort();
        }
    };
    reply->setReadBufferSize(maxBytes + 1);
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply, [stop] { stop(ReplyCut::deadlinePassed); });
    timer->start(deadline);
    if (cancellation)
        QObject::connect(cancellation, &RequestCancellation::cancelled, reply, [stop] { stop(ReplyCut::cancelled); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, stop, maxBytes] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            stop(ReplyCut::tooLarge);
    });
    // readyRead, not downloadProgress: Qt emits the latter at most every
    // 100 ms, time enough for tens of megabytes over a fast link.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, stop, maxBytes] {
        if (reply->bytesAvailable() > maxBytes)
            stop(ReplyCut::tooLarge);
    });
    // The manager deletes its replies when it goes first (quitting
    // mid-request): the wait ends then too, instead of never.
    const QPointer<QNetworkReply> alive(reply);
    while (alive && !reply->isFinished())
        co_await ReplyActivity(reply);
    co_return alive ? *cut : ReplyCut::gone;
}

// A reply that brought no usable HTTP status, or a redirect the policy
// refused (which keeps its 3xx status): the network error with its reason in
// the log. nullopt for a reply with a status to map.
std::optional<BackendAPIError> transportFailure(QNetworkReply *reply, ReplyCut cut, const QString &what)
{
    if (cut == ReplyCut::cancelled) {
        qCInfo(lcBackendAPIClient).nospace() << what << " cancelled";
        return BackendAPIError::cancelled();
    }
    const auto fail = [&](const char *reason) {
        qCWarning(lcBackendAPIClient).nospace() << what << " failed: " << reason;
        return BackendAPIError::networkError(BackendAPIClient::connectionFailureText());
    };
    if (cut == ReplyCut::deadlinePassed)
        return fail("no complete reply before the deadline");
    if (cut == ReplyCut::tooLarge)
        return fail("the reply exceeds its size limit");
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    if (reply->error() == QNetworkReply::InsecureRedirectError || reply->error() == QNetworkReply::TooManyRedirectsError
        || (code >= 300 && code <= 399))
        return fail("redirected to another origin, not followed");
    if (!status.isValid()) {
        if (reply->error() != QNetworkReply::NoError) {
            qCWarning(lcBackendAPIClient).nospace() << what << " failed: " << reply->error();
            return BackendAPIError::networkError(BackendAPIClient::connectionFailureText());
        }
        return BackendAPIError::networkError(BackendAPIClient::invalidResponseText());
    }
    return std::nullopt;
}

// Credentials and bodies stay with the origin they were meant for.
QNetworkRequest backendNetworkRequest(const QUrl &url, std::chrono::milliseconds transferTimeout)
{
    QNetworkRequest networkRequest(url);
    networkRequest.setTransferTimeout(static_cast<int>(transferTimeout.count()));
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    return networkRequest;
}

} // namespace

QJsonObject BackendAPIClient::FeedbackSubmission::toJSONObject() const
{
    return QJsonObject{
        {QStringLiteral("topic"), topic},
        {QStringLiteral("subject"), withoutLoneSurrogates(subject)},
        {QStringLiteral("description"), withoutLoneSurrogates(description)},
        {QStringLiteral("imageStorageIds"), QJsonArray::fromStringList(imageStorageIds)},
        {QStringLiteral("appVersion"), appVersion},
        {QStringLiteral("locale"), locale},
        {QStringLiteral("platform"), platform},
    };
}

BackendAPIClient::BackendAPIClient(std::shared_ptr<AuthProviding> authProvider, QNetworkAccessManager *session,
                                   QUrl baseURL)
    : m_auth(std::move(authProvider)),
      m_session(session ? session : sharedSession()),
      m_baseURL(std::move(baseURL))
{
}

QNetworkAccessManager *BackendAPIClient::sharedSession()
{
    // Owned by the application object so it goes before the event loop does.
    static QPointer<QNetworkAccessManager> session;
    if (!session) {
        session = new QNetworkAccessManager(QCoreApplication::instance());
        session->setTransferTimeout(60'000);
    }
    return session;
}

QUrl BackendAPIClient::urlForPath(const QString &path) const
{
    QString base = m_baseURL.toString();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base + path);
}

QString BackendAPIClient::connectionFailureText()
{
    return talvoro::isPortuguese()
        ? QStringLiteral("Não foi possível concluir a solicitação. Verifique sua conexão e tente novamente.")
        : QStringLiteral("Unable to complete the request. Check your connection and try again.");
}

QString BackendAPIClient::invalidServerAddressText()
{
    return talvoro::isPortuguese() ? QStringLiteral("Endereço do servidor inválido.")
                                   : QStringLiteral("Invalid server address.");
}

QString BackendAPIClient::invalidResponseText()
{
    return talvoro::isPortuguese() ? QStringLiteral("Resposta inválida do servidor.")
                                   : QStringLiteral("Invalid response from the server.");
}

QString BackendAPIClient::serverFailureText()
{
    return talvoro::isPortuguese() ? QStringLiteral("Algo deu errado do nosso lado. Tente novamente mais tarde.")
                                   : QStringLiteral("Something went wrong on our side. Try again later.");
}

BackendAPIError BackendAPIClient::errorForStatus(int status, const QByteArray &body, const QByteArray &retryAfterHeader)
{
    const QJsonObject object = jsonObjectFromBody(body).value_or(QJsonObject{});
    const QString code = object.value(QLatin1String("error")).toString();
    const auto number = [&](const char *key) {
        // A count from the reply; out of range (1e308, NaN) it is held at the ends.
        return talvoro::clampedInteger(object.value(QLatin1String(key)).toDouble(), 0,
                                       std::numeric_limits<qint32>::max());
    };

    if (status == 401)
        return BackendAPIError::notAuthenticated();
    if (status == 413)
        return BackendAPIError::fileTooLarge();
    // The reply's error code names the quota and processing states,
    // whatever status carries it.
    if (code == QLatin1String("hourly_cap_exceeded"))
        return BackendAPIError::hourlyCapExceeded(retryAfterSeconds(retryAfterHeader, object), number("used"),
                                                  number("limit"));
    if (code == QLatin1String("weekly_cap_exceeded"))
        return BackendAPIError::weeklyCapExceeded(number("used"), number("limit"));
    if (code == QLatin1String("upload_preparation_throttled"))
        return BackendAPIError::uploadPreparationThrottled(retryAfterSeconds(retryAfterHeader, object));
    if (code == QLatin1String("processing_in_progress"))
        return BackendAPIError::processingInProgress();
    if (code == QLatin1String("remote_recovery_pending"))
        return BackendAPIError::remoteRecoveryPending();
    if (code == QLatin1String("file_not_found"))
        return BackendAPIError::fileNotFound();
    if (status == 429)
        return BackendAPIError::rateLimited(retryAfterSeconds(retryAfterHeader, object));

    const QString message = object.value(QLatin1String("message")).toString();
    return BackendAPIError::serverError(status, message.isEmpty() ? serverFailureText() : message);
}

void RequestCancellation::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    Q_EMIT cancelled();
}

std::expected<QNetworkReply *, BackendAPIError> BackendAPIClient::start(const BackendRequest &request)
{
    const QUrl url = urlForPath(request.path);
    if (!url.isValid() || url.host().isEmpty())
        return std::unexpected(BackendAPIError::networkError(invalidServerAddressText()));
    if (request.cancellation && request.cancellation->isCancelled())
        return std::unexpected(BackendAPIError::cancelled());

    QNetworkRequest networkRequest = backendNetworkRequest(url, request.timeout);
    if (!request.accessToken.isEmpty())
        networkRequest.setRawHeader("Authorization", "Bearer " + request.accessToken.toUtf8());
    if (request.jsonBody)
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    return m_session->sendCustomRequest(networkRequest, request.method, request.jsonBody.value_or(QByteArray{}));
}

QCoro::Task<std::expected<BackendReply, BackendAPIError>> BackendAPIClient::send(BackendRequest request)
{
    const auto started = start(request);
    if (!started)
        co_return std::unexpected(started.error());
    QNetworkReply *reply = *started;
    const auto deadline = request.deadline.count() > 0 ? request.deadline : 2 * request.timeout;
    auto finishing = finishWithin(reply, deadline, request.maxReplyBytes, request.cancellation);
    const ReplyCut cut = co_await std::move(finishing);
    if (cut == ReplyCut::gone)
        co_return std::unexpected(BackendAPIError::cancelled());
    reply->deleteLater();
    if (auto failure = transportFailure(reply, cut, QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path))
        co_return std::unexpected(*failure);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    if (status < 200 || status > 299) {
        const BackendAPIError error = errorForStatus(status, body, reply->rawHeader("Retry-After"));
        qCWarning(lcBackendAPIClient).nospace() << request.method.constData() << " " << request.path
                                                << " returned " << status;
        co_return std::unexpected(error);
    }
    co_return BackendReply{status, body};
}

void StreamedReplyDeleter::operator()(QNetworkReply *reply) const
{
    if (!reply->isFinished())
        reply->abort();
    reply->deleteLater();
}

QCoro::Task<std::expected<OpenedStream, BackendAPIError>> BackendAPIClient::openStream(BackendRequest request)
{
    const auto started = start(request);
    if (!started)
        co_return std::unexpected(started.error());
    StreamedReply reply(*started);
    reply->setReadBufferSize(request.maxReplyBytes);
    auto cut = std::make_shared<ReplyCut>(ReplyCut::none);
    const auto stop = [raw = reply.get(), cut](ReplyCut why) {
        if (*cut == ReplyCut::none && !raw->isFinished()) {
            *cut = why;
            raw->abort();
        }
    };
    auto *timer = new QTimer(reply.get());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply.get(), [stop] { stop(ReplyCut::deadlinePassed); });
    timer->start(request.deadline.count() > 0 ? request.deadline : 2 * request.timeout);
    if (request.cancellation)
        QObject::connect(request.cancellation, &RequestCancellation::cancelled, reply.get(),
                         [stop] { stop(ReplyCut::cancelled); });

    // The manager deletes its replies when it goes first (quitting mid-request).
    const QPointer<QNetworkReply> alive(reply.get());
    const auto deletedByItsManager = [&] { return !alive && reply.release(); };
    while (!reply->isFinished() && !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        co_await ReplyActivity(reply.get());
        if (deletedByItsManager())
            co_return std::unexpected(BackendAPIError::cancelled());
    }
    const QString what = QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path;
    if (auto failure = transportFailure(reply.get(), *cut, what))
        co_return std::unexpected(*failure);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        // An error's body is small: read it whole, up to the usual limit.
        while (!reply->isFinished() && reply->bytesAvailable() < std::min(request.maxReplyBytes, BackendRequest::kDefaultMaxReplyBytes)) {
            co_await ReplyActivity(reply.get());
            if (deletedByItsManager())
                co_return std::unexpected(BackendAPIError::cancelled());
        }
        const BackendAPIError error = errorForStatus(status, reply->read(BackendRequest::kDefaultMaxReplyBytes),
                                                     reply->rawHeader("Retry-After"));
        qCWarning(lcBackendAPIClient).nospace() << request.method.constData() << " " << request.path << " returned "
                                                << status;
        co_return std::unexpected(error);
    }
    co_return OpenedStream{reply.release()};
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::sendForJSONObject(BackendRequest request)
{
    auto sending = send(std::move(request));
    auto reply = co_await std::move(sending);
    if (!reply)
        co_return std::unexpected(reply.error());
    auto object = jsonObjectFromBody(reply->body);
    if (!object)
        co_return std::unexpected(BackendAPIError::parseError());
    co_return *object;
}

QCoro::Task<std::expected<void, BackendAPIError>> BackendAPIClient::sendExpectingSuccess(BackendRequest request)
{
    const QByteArray label = request.method + ' ' + request.path.toUtf8();
    auto sending = send(std::move(request));
    auto reply = co_await std::move(sending);
    if (!reply)
        co_return std::unexpected(reply.error());
    // A 2xx of any other shape (a portal's page, an empty body, a 204,
    // {"success": false}) has not done the deletion.
    if (!isDocumentedSuccess(*reply)) {
        qCWarning(lcBackendAPIClient).nospace() << label.constData() << " answered " << reply->status
                                                << " without {\"success\": true}";
        co_return std::unexpected(BackendAPIError::parseError());
    }
    co_return {};
}

QCoro::Task<std::expected<void, BackendAPIError>> BackendAPIClient::withAuthorizedRetry(Request request)
{
    auto run = runAuthorized<void>(std::move(request));
    co_return co_await std::move(run);
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::requestAvatarUploadURL(QString accessToken)
{
    auto call = sendForJSONObject(BackendRequest{"POST", QStringLiteral("user/avatar/upload-url"), QByteArray{}, kAccountCallTimeout, accessToken});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::requestFeedbackUploadURL(QString accessToken)
{
    auto call = sendForJSONObject(BackendRequest{"POST", QStringLiteral("feedback/upload-url"), QByteArray{}, kAccountCallTimeout, accessToken});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<QString, BackendAPIError>> BackendAPIClient::uploadImage(QString uploadURL, QByteArray jpegData)
{
    if (jpegData.size() > kMaxImageUploadBytes)
        co_return std::unexpected(BackendAPIError::fileTooLarge());
    const QUrl url(uploadURL, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        co_return std::unexpected(BackendAPIError::networkError(invalidServerAddressText()));

    QNetworkRequest networkRequest = backendNetworkRequest(url, kLongCallTimeout);
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("image/jpeg"));
    QNetworkReply *reply = m_session->post(networkRequest, jpegData);
    auto finishing = finishWithin(reply, kImageUploadDeadline, BackendRequest::kDefaultMaxReplyBytes, nullptr);
    const ReplyCut cut = co_await std::move(finishing);
    if (cut == ReplyCut::gone)
        co_return std::unexpected(BackendAPIError::cancelled());
    reply->deleteLater();
    if (auto failure = transportFailure(reply, cut, QStringLiteral("Image upload")))
        co_return std::unexpected(*failure);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        qCWarning(lcBackendAPIClient) << "Image upload returned" << status;
        co_return std::unexpected(BackendAPIError::serverError(status, serverFailureText()));
    }
    const auto object = jsonObjectFromBody(reply->readAll());
    const auto storageId = object ? jsonStringValue(*object, QStringLiteral("storageId")) : std::nullopt;
    if (!storageId)
        co_return std::unexpected(BackendAPIError::parseError());
    co_return *storageId;
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::updateAvatar(QString accessToken, QByteArray body)
{
    auto call = sendForJSONObject(BackendRequest{"POST", QStringLiteral("user/avatar"), body, kAccountCallTimeout, accessToken});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<void, BackendAPIError>> BackendAPIClient::deleteAvatar(QString accessToken)
{
    auto call = sendExpectingSuccess(BackendRequest{"DELETE", QStringLiteral("user/avatar"), std::nullopt, kAccountCallTimeout, accessToken});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<void, BackendAPIError>> BackendAPIClient::deleteAccount(QString accessToken)
{
    auto call = sendExpectingSuccess(BackendRequest{"DELETE", QStringLiteral("user/account"), std::nullopt, kLongCallTimeout, accessToken});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<QString, BackendAPIError>> BackendAPIClient::submitFeedback(FeedbackSubmission submission)
{
    const QByteArray body = jsonBytes(submission.toJSONObject());
    if (body.isEmpty())
        co_return std::unexpected(BackendAPIError::parseError());
    auto call = withAuthorizedRetryForJSONObject(
        [this, body](QString token) {
            return sendForJSONObject({"POST", QStringLiteral("feedback"), body, kLongCallTimeout, token});
        },
        [](const QJsonObject &object) { return jsonStringValue(object, QStringLiteral("feedbackId")); });
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::requestSession(QString code, QString codeVerifier,
                                                                                         QString redirectURI)
{
    const QByteArray body = jsonBytes({{QStringLiteral("code"), code},
                                       {QStringLiteral("codeVerifier"), codeVerifier},
                                       {QStringLiteral("redirectUri"), redirectURI}});
    auto call = sendForJSONObject(BackendRequest{"POST", QStringLiteral("auth/session"), body, kLongCallTimeout, QString()});
    co_return co_await std::move(call);
}

QCoro::Task<std::expected<QJsonObject, BackendAPIError>> BackendAPIClient::refreshSession(QString refreshToken)
{
    const QByteArray body = jsonBytes({{QStringLiteral("refreshToken"), refreshToken}});
    auto call = sendForJSONObject(BackendRequest{"POST", QStringLiteral("auth/refresh"), body, kLongCallTimeout, QString()});
    co_return co_await std::move(call);
}

std::optional<QString> BackendAPIClient::parseUploadURL(const QJsonObject &object)
{
    return jsonStringValue(object, QStringLiteral("uploadUrl"));
}

std::optional<QString> BackendAPIClient::parseAvatarURL(const QJsonObject &object)
{
    return jsonStringValue(object, QStringLiteral("avatarUrl"));
}

std::optional<QString> BackendAPIClient::jsonStringValue(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}
