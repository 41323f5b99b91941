#pragma once

#include "account/BackendAPIError.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AuthManager;
class BackendAPIClient;

namespace talvoro::account {

// The word that confirms the deletion: exact, case-sensitive, untrimmed.
inline constexpr const char *kDeleteConfirmationWord = "APAGAR";
bool isDeleteConfirmation(const QString &typed);

// The state of the account management page: the first alert, the typed
// confirmation sheet, the running deletion and its error alert. The
// deletion itself runs in an AccountDeletion that outlives the page.
class AccountManagementViewModel : public QObject
{
    Q_OBJECT
public:
    using ClientFactory = std::function<std::shared_ptr<BackendAPIClient>()>;

    AccountManagementViewModel(AuthManager *auth, ClientFactory makeClient, QObject *parent = nullptr);

    bool showDeleteFirstAlert() const { return m_showDeleteFirstAlert; }
    bool showDeleteConfirmation() const { return m_showDeleteConfirmation; }
    QString deleteConfirmationText() const { return m_deleteConfirmationText; }
    bool isDeletingAccount() const { return m_isDeletingAccount; }
    std::optional<QString> deleteErrorMessage() const { return m_deleteErrorMessage; }
    bool showDeleteError() const { return m_showDeleteError; }

    // "Confirmar": the word typed exactly and no deletion running.
    bool canConfirm() const;

    // The "Excluir Conta" row (disabled while a deletion runs).
    void requestDeletion();
    // The first alert's buttons; either one closes it.
    void cancelFirstAlert();
    void continueToConfirmation();
    void setDeleteConfirmationText(const QString &text);
    // The sheet's "Cancelar" clears the text; any other way out keeps it.
    void cancelConfirmation();
    void confirmationDismissed();
    // "Confirmar": starts the deletion when canConfirm().
    void confirmDeletion();
    void dismissError();

Q_SIGNALS:
    void changed();

private:
    void deletionFinished(const std::optional<BackendAPIError> &error);

    QPointer<AuthManager> m_auth;
    ClientFactory m_makeClient;
    bool m_showDeleteFirstAlert = false;
    bool m_showDeleteConfirmation = false;
    QString m_deleteConfirmationText;
    bool m_isDeletingAccount = false;
    std::optional<QString> m_deleteErrorMessage;
    bool m_showDeleteError = false;
};

} // namespace talvoro::account
