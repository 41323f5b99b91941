#pragma once

#include "account/SignInError.h"

#include <QCoroTask>
#include <QString>
#include <QUrl>

#include <chrono>
#include <expected>
#include <memory>

class QObject;
class SignInWaiter;
class UrlOpener;

// The browser half of a sign-in: PKCE (S256) and a `state` value, the
// authorisation page opened in the browser, and the callback that brings the
// code back. One runs at a time; a new one cancels the running one. Stops
// when its owner (the sign-in state's holder) goes away.
class BrowserSignIn
{
public:
    // What the callback grants: the code and the verifier to exchange it with.
    struct Grant
    {
        QString code;
        QString verifier;
    };

    BrowserSignIn(UrlOpener *urlOpener, QUrl baseURL, QObject *owner);
    ~BrowserSignIn();

    QUrl authorizationURL(const QString &codeChallenge, const QString &state) const;
    bool isRunning() const;
    // Ends the running sign-in as cancelled.
    void cancel();
    // True when the URL was a sign-in callback of the running sign-in.
    bool handleCallbackURL(const QUrl &url);
    // Opens the browser and waits for the callback, cancel() or the time-out
    // (both cancelled).
    [[nodiscard]] QCoro::Task<std::expected<Grant, SignInError>> run(std::chrono::milliseconds timeout);

private:
    UrlOpener *m_urlOpener;
    QUrl m_baseURL;
    QObject *m_owner;
    std::shared_ptr<SignInWaiter> m_running;
};
