#pragma once

#include <QWidget>

class HotkeyManager;
class PermissionManager;
class QLabel;
class QVBoxLayout;
class UserDefaultsProviding;
class OnboardingWizard;

namespace talvoro::ui {
class ActionButton;
class StyledLabel;
}

namespace talvoro::onboarding {

class OnboardingPermissionBadge;
class SignInCancelButton;

// The frame every page shares: the symbol in the accent colour, the title,
// the description (secondary, centred) and the page's own controls.
class OnboardingStepPage : public QWidget
{
    Q_OBJECT
public:
    struct Header
    {
        QString symbol;
        int symbolSize;
        QFont titleFont;
        QString title;
        QFont descriptionFont;
        QString description;
    };

    OnboardingStepPage(const Header &header, UserDefaultsProviding &settings, QWidget *parent = nullptr);

protected:
    void addControl(QWidget *control, int extraSpaceAbove = 0);
    // The action button form the microphone, accessibility and login pages share.
    ui::ActionButton *makeActionButton(const QString &text, const QString &symbol);
    // "Atalhos globais não estão disponíveis nesta área de trabalho."
    static ui::StyledLabel *hotkeysUnavailableLabel();

private:
    QVBoxLayout *m_column;
};

class OnboardingWelcomeStep : public OnboardingStepPage
{
    Q_OBJECT
public:
    explicit OnboardingWelcomeStep(UserDefaultsProviding &settings, QWidget *parent = nullptr);
};

// "Permitir Microfone" asks for access; both it and the badge follow the flag.
class OnboardingMicrophoneStep : public OnboardingStepPage
{
    Q_OBJECT
public:
    OnboardingMicrophoneStep(PermissionManager *permissions, UserDefaultsProviding &settings,
                             QWidget *parent = nullptr);
};

// "Abrir Configurações" opens where the permission is granted; the page requests nothing.
class OnboardingAccessibilityStep : public OnboardingStepPage
{
    Q_OBJECT
public:
    OnboardingAccessibilityStep(PermissionManager *permissions, const QString &explanation,
                                UserDefaultsProviding &settings, QWidget *parent = nullptr);
};

// The dictation hotkey's recorder on a card (left out without hotkeys).
class OnboardingHotkeyStep : public OnboardingStepPage
{
    Q_OBJECT
public:
    OnboardingHotkeyStep(HotkeyManager *hotkeys, UserDefaultsProviding &settings, QWidget *parent = nullptr);
};

// Signed in: the account; signed out: "Entrar" and the last failure, and
// "Cancelar" while a sign-in waits for the browser. The wizard holds the
// sign-in; the page only reads its state and asks it to start or cancel.
class OnboardingLoginStep : public OnboardingStepPage
{
    Q_OBJECT
public:
    OnboardingLoginStep(OnboardingWizard &wizard, UserDefaultsProviding &settings, QWidget *parent = nullptr);

private:
    void refresh();

    OnboardingWizard &m_wizard;
    QWidget *m_signedIn;
    ui::StyledLabel *m_name;
    ui::StyledLabel *m_email;
    QWidget *m_signedOut;
    ui::ActionButton *m_signIn;
    QLabel *m_error;
    SignInCancelButton *m_cancel;
};

} // namespace talvoro::onboarding
