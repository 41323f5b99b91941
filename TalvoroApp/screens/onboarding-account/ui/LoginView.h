#pragma once

#include <QPointer>
#include <QWidget>

struct AppEnvironment;
class QMessageBox;
class SignInRunner;

namespace talvoro::settings {
class TintedFrame;
}

namespace talvoro::ui {
class ActionButton;
}

namespace talvoro::onboarding {

class SignInCancelButton;

// The sign-in screen between the wizard and the main interface: the banner
// of an ended session, "Entrar" (the browser sign-in), "Pular" (go on
// without an account), the note on what is lost, the legal links and the
// failure alert. While a sign-in waits for the browser, "Cancelar" (or
// Escape) ends it without a word. It never navigates: the gate follows the sign-in state and
// `allowUnauthenticatedAccess`.
class LoginView : public QWidget
{
    Q_OBJECT
public:
    explicit LoginView(const AppEnvironment &environment, QWidget *parent = nullptr);

    // The alert "Erro ao entrar" while it is shown.
    QMessageBox *errorAlert() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void showError(const QString &text);
    void openLink(const QString &link);

    const AppEnvironment &m_environment;
    SignInRunner *m_signIn;
    settings::TintedFrame *m_banner;
    ui::ActionButton *m_signInButton;
    ui::ActionButton *m_skip;
    SignInCancelButton *m_cancel;
    QPointer<QMessageBox> m_alert;
};

} // namespace talvoro::onboarding
