#pragma once

#include <QString>

// The failure of a backend call, with its user-facing text.
class BackendAPIError
{
public:
    enum class Kind {
        rateLimited,
        hourlyCapExceeded,
        uploadPreparationThrottled,
        weeklyCapExceeded,
        serverError,
        networkError,
        processingInProgress,
        remoteRecoveryPending,
        notAuthenticated,
        fileNotFound,
        fileTooLarge,
        parseError,
        tokenRefreshFailed,
        cancelled,
    };

    static BackendAPIError rateLimited(qint64 retryAfterSeconds) { return {Kind::rateLimited, retryAfterSeconds}; }
    static BackendAPIError hourlyCapExceeded(qint64 retryAfterSeconds, qint64 used = 0, qint64 limit = 0)
    {
        return {Kind::hourlyCapExceeded, retryAfterSeconds, used, limit};
    }
    static BackendAPIError uploadPreparationThrottled(qint64 retryAfterSeconds)
    {
        return {Kind::uploadPreparationThrottled, retryAfterSeconds};
    }
    static BackendAPIError weeklyCapExceeded(qint64 used, qint64 limit) { return {Kind::weeklyCapExceeded, 0, used, limit}; }
    static BackendAPIError serverError(int code, const QString &message)
    {
        return {Kind::serverError, 0, 0, 0, code, message};
    }
    static BackendAPIError networkError(const QString &detail) { return {Kind::networkError, 0, 0, 0, 0, detail}; }
    static BackendAPIError processingInProgress() { return {Kind::processingInProgress}; }
    static BackendAPIError remoteRecoveryPending() { return {Kind::remoteRecoveryPending}; }
    static BackendAPIError notAuthenticated() { return {Kind::notAuthenticated}; }
    static BackendAPIError fileNotFound() { return {Kind::fileNotFound}; }
    static BackendAPIError fileTooLarge() { return {Kind::fileTooLarge}; }
    static BackendAPIError parseError() { return {Kind::parseError}; }
    static BackendAPIError tokenRefreshFailed() { return {Kind::tokenRefreshFailed}; }
    static BackendAPIError cancelled() { return {Kind::cancelled}; }

    Kind kind() const { return m_kind; }
    // rateLimited, hourlyCapExceeded, uploadPreparationThrottled: seconds.
    qint64 retryAfterSeconds() const { return m_seconds; }
    // weeklyCapExceeded (and hourlyCapExceeded when the server said).
    qint64 used() const { return m_used; }
    qint64 limit() const { return m_limit; }
    // serverError: the HTTP status (500 for a reply that is not HTTP).
    int statusCode() const { return m_status; }
    // serverError: the message; networkError: the detail.
    QString message() const { return m_message; }

    // Never empty; Portuguese or English by the language choice.
    QString errorDescription() const;
    QString localizedDescription() const { return errorDescription(); }

    // How background work (offline queue, pipeline) treats the failure:
    // an authentication failure waits for a new session; a retryable one is
    // tried again later; anything else is permanent.
    bool isAuthenticationFailure() const;
    bool isRetryable() const;

    bool operator==(const BackendAPIError &) const = default;

private:
    BackendAPIError(Kind kind, qint64 seconds = 0, qint64 used = 0, qint64 limit = 0, int status = 0,
                    QString message = {})
        : m_kind(kind), m_seconds(seconds), m_used(used), m_limit(limit), m_status(status),
          m_message(std::move(message))
    {
    }

    Kind m_kind;
    qint64 m_seconds = 0;
    qint64 m_used = 0;
    qint64 m_limit = 0;
    int m_status = 0;
    QString m_message;
};

QDebug operator<<(QDebug debug, const BackendAPIError &error);
