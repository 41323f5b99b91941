#pragma once

#include "screens/onboarding-account/OnboardingStep.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

struct AppEnvironment;
class AuthManager;
class PermissionManager;
class SignInRunner;
class UserDefaultsProviding;

// The first-run wizard without widgets: the page shown, what the navigation
// row offers, the sign-in of the login page, the permission poll while the
// wizard is on screen and the completion. Starts on the welcome page.
class OnboardingWizard : public QObject
{
    Q_OBJECT
public:
    // `environment.settings` is required; without `permissions` both flags
    // read false, without `auth` nobody is signed in and signing in does nothing.
    explicit OnboardingWizard(const AppEnvironment &environment, QObject *parent = nullptr);
    ~OnboardingWizard() override;

    OnboardingStep currentStep() const { return m_currentStep; }

    // The permission pages wait for their permission, unless this desktop
    // cannot grant it at all.
    bool canContinue() const;
    bool showsBack() const { return m_currentStep != OnboardingStep::welcome; }
    bool showsContinue() const { return m_currentStep != OnboardingStep::login; }
    // "Concluir": on the login page, only while somebody is signed in.
    bool showsFinish() const;

    bool isAuthenticated() const;
    bool isSigningIn() const;
    std::optional<QString> signInError() const;

    void advance();
    void goBack();
    void completeOnboarding();
    void startSignIn();
    // Ends a sign-in waiting for the browser, silently.
    void cancelSignIn();

    // The poll runs while the wizard is on screen.
    void shown();
    void hidden();

    PermissionManager *permissions() const;
    AuthManager *auth() const;

Q_SIGNALS:
    // Either direction: pages always enter from the trailing edge.
    void currentStepChanged(OnboardingStep step);
    // Anything the navigation row or the login page shows changed.
    void changed();

private:
    void setCurrentStep(OnboardingStep step);
    void stopPolling();

    UserDefaultsProviding &m_settings;
    QPointer<PermissionManager> m_permissions;
    QPointer<AuthManager> m_auth;
    SignInRunner *m_signIn;
    OnboardingStep m_currentStep = OnboardingStep::welcome;
};
