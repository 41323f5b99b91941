#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

// The single owner of the sign-in state. Published state only, for now.
class AuthManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)
    Q_PROPERTY(bool sessionExpired READ sessionExpired NOTIFY sessionExpiredChanged)
public:
    explicit AuthManager(QObject *parent = nullptr);
    static AuthManager &shared();

    bool isAuthenticated() const { return m_isAuthenticated; }
    bool sessionExpired() const { return m_sessionExpired; }
    std::optional<QString> userName() const { return m_userName; }
    std::optional<QString> userEmail() const { return m_userEmail; }
    std::optional<QUrl> userAvatarURL() const { return m_userAvatarURL; }

Q_SIGNALS:
    void isAuthenticatedChanged();
    void sessionExpiredChanged();
    void userNameChanged();
    void userEmailChanged();
    void userAvatarURLChanged();

protected:
    bool m_isAuthenticated = false;
    bool m_sessionExpired = false;
    std::optional<QString> m_userName;
    std::optional<QString> m_userEmail;
    std::optional<QUrl> m_userAvatarURL;
};
