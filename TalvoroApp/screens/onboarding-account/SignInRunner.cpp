#include "screens/onboarding-account/SignInRunner.h"

#include "account/AuthManager.h"
#include "platform/StartTask.h"

SignInRunner::SignInRunner(AuthManager *auth, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
{
}

bool SignInRunner::canStart() const
{
    return m_auth && !m_signingIn;
}

void SignInRunner::start()
{
    if (!m_auth)
        return;
    m_signingIn = true;
    m_failureText.reset();
    Q_EMIT changed();
    talvoro::startTask(this, run(m_auth, ++m_attempt), "sign-in from a screen");
}

void SignInRunner::cancel()
{
    if (!m_signingIn)
        return;
    ++m_attempt;
    m_signingIn = false;
    Q_EMIT changed();
    if (m_auth)
        m_auth->cancelSignIn();
}

QCoro::Task<> SignInRunner::run(QPointer<AuthManager> auth, quint64 attempt)
{
    QPointer<SignInRunner> self(this);
    auto signIn = auth->signIn();
    const auto result = co_await std::move(signIn);
    // The screen may have gone (the wizard skipped) while the browser was
    // open, or the attempt was cancelled or replaced.
    if (!self || attempt != m_attempt)
        co_return;
    if (!result)
        m_failureText = signInFailureText(result.error());
    m_signingIn = false;
    Q_EMIT changed();
    if (m_failureText)
        Q_EMIT failed(*m_failureText);
}
