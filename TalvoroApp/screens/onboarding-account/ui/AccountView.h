#pragma once

#include "screens/onboarding-account/AccountViewModel.h"

#include <QPointer>
#include <QWidget>

#include <expected>
#include <functional>

class QAbstractButton;
class QLabel;
class QMenu;
class QMessageBox;
class UserDefaultsProviding;
struct AppEnvironment;

namespace talvoro::ui {
class PlainButton;
class Spinner;
class StyledLabel;
class SymbolLabel;
}

namespace talvoro::account {

class AvatarArea;

// "Conta": who is signed in, whether the application is authenticated, the
// week's transcriptions or what working without an account means, the link
// to the account's data, and the sign-in or sign-out button. The rules live
// in the view model; this draws them.
class AccountView : public QWidget
{
    Q_OBJECT
public:
    using ImportResult = std::expected<QList<QUrl>, QString>;
    // Shows an image picker over `parent` without blocking and hands its
    // outcome to `done` (an empty list when cancelled).
    using AvatarPicker = std::function<void(QWidget *parent, std::function<void(const ImportResult &)> done)>;

    struct Actions
    {
        // Takes the screen, and whatever it opened, off the navigation path.
        std::function<void()> dismiss;
        std::function<void()> openAccountManagement;
    };

    AccountView(const AppEnvironment &environment, Actions actions, QWidget *parent = nullptr);

    AccountViewModel *viewModel() const { return m_model; }
    void setAvatarPicker(AvatarPicker picker) { m_picker = std::move(picker); }
    // The avatar's context menu as it would open now; null without items.
    QMenu *makeAvatarMenu(QWidget *parent);
    QMessageBox *signInErrorAlert() const;

    // The desktop's file dialog, images only, one file.
    static void openImageFileDialog(QWidget *parent, std::function<void(const ImportResult &)> done);

private:
    QWidget *buildProfileCard(const AppEnvironment &environment);
    QWidget *buildStatusCard();
    QWidget *buildUsageCard();
    QWidget *buildPrivacyCard();
    QWidget *buildAccountButton();
    void pickAvatar();
    void accountButtonClicked();
    void refresh();
    void showSignInError();

    UserDefaultsProviding &m_settings;
    Actions m_actions;
    AccountViewModel *m_model;
    AvatarPicker m_picker = &AccountView::openImageFileDialog;

    AvatarArea *m_avatar = nullptr;
    ui::StyledLabel *m_name = nullptr;
    ui::StyledLabel *m_email = nullptr;
    ui::SymbolLabel *m_statusIcon = nullptr;
    ui::StyledLabel *m_statusText = nullptr;
    QWidget *m_signedOutUsage = nullptr;
    QWidget *m_signedInUsage = nullptr;
    ui::PlainButton *m_signInRow = nullptr;
    ui::Spinner *m_signInSpinner = nullptr;
    ui::SymbolLabel *m_signInArrow = nullptr;
    ui::StyledLabel *m_weeklyText = nullptr;
    QWidget *m_privacyCard = nullptr;
    ui::PlainButton *m_accountButton = nullptr;
    ui::SymbolLabel *m_accountButtonIcon = nullptr;
    QLabel *m_accountButtonText = nullptr;
    QColor m_accent;
    QPointer<QMessageBox> m_alert;
};

} // namespace talvoro::account
