#include "screens/onboarding-account/AccountManagementViewModel.h"

#include "account/AuthManager.h"
#include "account/BackendAPIClient.h"
#include "screens/onboarding-account/AccountDeletion.h"

namespace talvoro::account {

bool isDeleteConfirmation(const QString &typed)
{
    return typed == QLatin1String(kDeleteConfirmationWord);
}

AccountManagementViewModel::AccountManagementViewModel(AuthManager *auth, ClientFactory makeClient, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_makeClient(std::move(makeClient))
{
}

bool AccountManagementViewModel::canConfirm() const
{
    return isDeleteConfirmation(m_deleteConfirmationText) && !m_isDeletingAccount;
}

void AccountManagementViewModel::requestDeletion()
{
    if (m_isDeletingAccount || m_showDeleteFirstAlert)
        return;
    m_showDeleteFirstAlert = true;
    Q_EMIT changed();
}

void AccountManagementViewModel::cancelFirstAlert()
{
    m_showDeleteFirstAlert = false;
    Q_EMIT changed();
}

void AccountManagementViewModel::continueToConfirmation()
{
    m_showDeleteFirstAlert = false;
    m_showDeleteConfirmation = true;
    Q_EMIT changed();
}

void AccountManagementViewModel::setDeleteConfirmationText(const QString &text)
{
    if (text == m_deleteConfirmationText)
        return;
    m_deleteConfirmationText = text;
    Q_EMIT changed();
}

void AccountManagementViewModel::cancelConfirmation()
{
    m_deleteConfirmationText.clear();
    m_showDeleteConfirmation = false;
    Q_EMIT changed();
}

void AccountManagementViewModel::confirmationDismissed()
{
    if (!m_showDeleteConfirmation)
        return;
    m_showDeleteConfirmation = false;
    Q_EMIT changed();
}

void AccountManagementViewModel::confirmDeletion()
{
    if (!canConfirm())
        return;
    m_isDeletingAccount = true;
    Q_EMIT changed();
    auto *deletion = new AccountDeletion(m_auth, m_makeClient ? m_makeClient() : nullptr);
    connect(deletion, &AccountDeletion::finished, this, &AccountManagementViewModel::deletionFinished);
    deletion->start();
}

void AccountManagementViewModel::deletionFinished(const std::optional<BackendAPIError> &error)
{
    m_isDeletingAccount = false;
    m_deleteConfirmationText.clear();
    m_showDeleteConfirmation = false;
    if (error) {
        m_deleteErrorMessage = error->errorDescription();
        m_showDeleteError = true;
    }
    Q_EMIT changed();
}

void AccountManagementViewModel::dismissError()
{
    m_showDeleteError = false;
    Q_EMIT changed();
}

} // namespace talvoro::account
