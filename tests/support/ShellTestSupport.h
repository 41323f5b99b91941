#pragma once

#include <QObject>

// Publishes a signed-in state the way AuthManager does (`isAuthenticated`
// with its change signal), for tests and pictures of the window shell.
class FakeAuthState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)
public:
    using QObject::QObject;

    bool isAuthenticated() const { return m_isAuthenticated; }
    void setAuthenticated(bool value)
    {
        if (m_isAuthenticated == value)
            return;
        m_isAuthenticated = value;
        Q_EMIT isAuthenticatedChanged();
    }

Q_SIGNALS:
    void isAuthenticatedChanged();

private:
    bool m_isAuthenticated = false;
};
