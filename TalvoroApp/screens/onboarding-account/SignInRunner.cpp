#include "screens/onboarding-account/SignInRunner.h"

#include "account/AuthManager.h"

SignInRunner::SignInRunner(AuthManager *auth, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
{
}

void SignInRunner::start()
{
    if (!canStart())
        return;
    m_signingIn = true;
    m_failureText.reset();
    Q_EMIT changed();
    // Dropping the task detaches it: it runs to its end on its own.
    auto running = run(m_auth);
    static_cast<void>(running);
}

QCoro::Task<> SignInRunner::run(QPointer<AuthManager> auth)
{
    QPointer<SignInRunner> self(this);
    auto signIn = auth->signIn();
    const auto result = co_await std::move(signIn);
    // The screen may have gone (the wizard skipped) while the browser was open.
    if (!self)
        co_return;
    if (!result)
        m_failureText = signInFailureText(result.error());
    m_signingIn = false;
    Q_EMIT changed();
    if (m_failureText)
        Q_EMIT failed(*m_failureText);
}
