#include "screens/onboarding-account/OnboardingWizard.h"

#include "account/AuthManager.h"
#include "dictation/PermissionManager.h"
#include "navigation/AppEnvironment.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/onboarding-account/SignInRunner.h"

OnboardingWizard::OnboardingWizard(const AppEnvironment &environment, QObject *parent)
    : QObject(parent)
    , m_settings(*environment.settings)
    , m_permissions(environment.permissions)
    , m_auth(environment.auth)
    , m_signIn(new SignInRunner(environment.auth, this))
{
    connect(m_signIn, &SignInRunner::changed, this, &OnboardingWizard::changed);
    if (m_permissions) {
        connect(m_permissions, &PermissionManager::permissionsChanged, this, &OnboardingWizard::changed);
    }
    if (m_auth) {
        connect(m_auth, &AuthManager::isAuthenticatedChanged, this, &OnboardingWizard::changed);
        connect(m_auth, &AuthManager::userNameChanged, this, &OnboardingWizard::changed);
        connect(m_auth, &AuthManager::userEmailChanged, this, &OnboardingWizard::changed);
    }
}

OnboardingWizard::~OnboardingWizard() = default;

PermissionManager *OnboardingWizard::permissions() const
{
    return m_permissions;
}

AuthManager *OnboardingWizard::auth() const
{
    return m_auth;
}

bool OnboardingWizard::canContinue() const
{
    switch (m_currentStep) {
    case OnboardingStep::microphone:
        return m_permissions && m_permissions->microphoneGranted();
    case OnboardingStep::accessibility:
        // Where this desktop cannot grant it, waiting would never end.
        return m_permissions && (m_permissions->accessibilityGranted() || !m_permissions->accessibilityAvailable());
    case OnboardingStep::welcome:
    case OnboardingStep::hotkey:
    case OnboardingStep::login:
        break;
    }
    return true;
}

bool OnboardingWizard::showsFinish() const
{
    return m_currentStep == OnboardingStep::login && isAuthenticated();
}

bool OnboardingWizard::isAuthenticated() const
{
    return m_auth && m_auth->isAuthenticated();
}

bool OnboardingWizard::isSigningIn() const
{
    return m_signIn->isSigningIn();
}

std::optional<QString> OnboardingWizard::signInError() const
{
    return m_signIn->failureText();
}

void OnboardingWizard::advance()
{
    if (auto next = onboardingStepFromRawValue(int(m_currentStep) + 1))
        setCurrentStep(*next);
}

void OnboardingWizard::goBack()
{
    if (auto previous = onboardingStepFromRawValue(int(m_currentStep) - 1))
        setCurrentStep(*previous);
}

void OnboardingWizard::completeOnboarding()
{
    // A sign-in still running is left to finish; the gate follows its result.
    if (!isAuthenticated())
        m_settings.set(SettingsKeys::allowUnauthenticatedAccess, true);
    m_settings.set(SettingsKeys::onboardingCompleted, true);
    stopPolling();
}

void OnboardingWizard::startSignIn()
{
    m_signIn->start();
}

void OnboardingWizard::cancelSignIn()
{
    m_signIn->cancel();
}

void OnboardingWizard::shown()
{
    if (m_permissions)
        m_permissions->startPolling();
}

void OnboardingWizard::hidden()
{
    stopPolling();
}

void OnboardingWizard::setCurrentStep(OnboardingStep step)
{
    m_currentStep = step;
    Q_EMIT currentStepChanged(step);
    Q_EMIT changed();
}

void OnboardingWizard::stopPolling()
{
    if (!m_permissions)
        return;
    if (auto task = m_permissions->pollingTask())
        task->cancel();
    m_permissions->setPollingTask(nullptr);
}
