#pragma once

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class AuthManager;

// One sign-in started from a screen: busy while it runs, then the text to
// show when it failed. The sign-in goes on when the screen goes away (it is
// not cancelled); its result then reaches nothing. A sign-in nobody answers
// ends as a cancellation after AuthManager's own time-out, or at once by
// cancel(): the browser has no sheet of its own to close, so the screen
// offers that way out.
class SignInRunner : public QObject
{
    Q_OBJECT
public:
    // Without an account layer there is nothing to sign in to: start() does nothing.
    explicit SignInRunner(AuthManager *auth, QObject *parent = nullptr);

    bool isSigningIn() const { return m_signingIn; }
    // The failure text of the last attempt, until the next one starts.
    std::optional<QString> failureText() const { return m_failureText; }
    bool canStart() const;

    // Starts a sign-in; one already running is replaced (AuthManager ends
    // it as cancelled and its result is dropped here).
    void start();
    // Ends the running sign-in the way a closed browser sheet would:
    // silently, busy no more, no failure text.
    void cancel();

Q_SIGNALS:
    void changed();
    // An attempt ended with a text to show (never for a cancellation).
    void failed(const QString &text);

private:
    [[nodiscard]] QCoro::Task<> run(QPointer<AuthManager> auth, quint64 attempt);

    QPointer<AuthManager> m_auth;
    bool m_signingIn = false;
    // Only the latest attempt's result counts.
    quint64 m_attempt = 0;
    std::optional<QString> m_failureText;
};
