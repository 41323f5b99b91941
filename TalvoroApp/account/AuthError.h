#pragma once

#include <QString>

// The sign-in failures of the account layer.
class AuthError
{
public:
    enum class Kind {
        networkError,
        serverError,
        cryptoError,
        missingAuthorizationCode,
        parseError,
        tokenExpired,
        deviceCompromised,
        unknownError,
    };

    static AuthError networkError(const QString &detail) { return {Kind::networkError, 0, detail}; }
    static AuthError serverError(int code, const QString &message) { return {Kind::serverError, code, message}; }
    static AuthError cryptoError(const QString &detail) { return {Kind::cryptoError, 0, detail}; }
    static AuthError missingAuthorizationCode() { return {Kind::missingAuthorizationCode}; }
    static AuthError parseError() { return {Kind::parseError}; }
    static AuthError tokenExpired() { return {Kind::tokenExpired}; }
    static AuthError deviceCompromised() { return {Kind::deviceCompromised}; }
    static AuthError unknownError() { return {Kind::unknownError}; }

    Kind kind() const { return m_kind; }
    // serverError: the HTTP status.
    int code() const { return m_code; }
    // networkError and cryptoError: the detail; serverError: the message.
    QString detail() const { return m_detail; }

    // Never empty; Portuguese or English by the language choice.
    QString errorDescription() const;

    bool operator==(const AuthError &) const = default;

private:
    AuthError(Kind kind, int code = 0, QString detail = {})
        : m_kind(kind), m_code(code), m_detail(std::move(detail))
    {
    }

    Kind m_kind;
    int m_code = 0;
    QString m_detail;
};
