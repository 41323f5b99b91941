#include "screens/onboarding-account/SignInRunner.h"

#include "account/AuthManager.h"
#include "platform/StartTask.h"

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
    talvoro::startTask(this, run(m_auth), "sign-in from a screen");
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
