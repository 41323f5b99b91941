#include "screens/onboarding-account/AccountDeletion.h"

#include "account/AuthManager.h"
#include "account/BackendAPIClient.h"
#include "platform/StartTask.h"

Q_LOGGING_CATEGORY(lcAccountManagementView, "com.torvenak.talvoroapp.AccountManagementView")

AccountDeletion::AccountDeletion(AuthManager *auth, std::shared_ptr<BackendAPIClient> client)
    : QObject(auth)
    , m_auth(auth)
    , m_client(std::move(client))
{
}

void AccountDeletion::start()
{
    if (m_started)
        return;
    m_started = true;
    qCInfo(lcAccountManagementView) << "Account delete: starting";
    talvoro::startTask(this, run(m_auth, std::move(m_client)), "account deletion");
}

QCoro::Task<> AccountDeletion::run(QPointer<AuthManager> auth, std::shared_ptr<BackendAPIClient> client)
{
    QPointer<AccountDeletion> self(this);
    std::expected<void, BackendAPIError> result = std::unexpected(BackendAPIError::notAuthenticated());
    // The session the deletion is for: a sign-out or another sign-in while
    // the request runs means the deleted account is no longer the one
    // signed in, and nobody else is signed out for it.
    const quint64 generation = auth ? auth->sessionGeneration() : 0;
    if (auth && client) {
        BackendAPIClient *api = client.get();
        auto request = api->withAuthorizedRetry([api](QString token) { return api->deleteAccount(token); });
        result = co_await std::move(request);
    }

    // The page's state first, then the sign-out that may take the page away.
    if (self)
        Q_EMIT finished(result ? std::nullopt : std::optional<BackendAPIError>(result.error()));
    if (!result) {
        qCCritical(lcAccountManagementView, "Account delete FAILED: %s",
                   qUtf8Printable(result.error().errorDescription()));
    } else if (auth && auth->sessionGeneration() == generation) {
        qCInfo(lcAccountManagementView) << "Account delete: backend success, signing out";
        auth->signOut();
    } else {
        qCInfo(lcAccountManagementView) << "Account delete: backend success after the session changed; "
                                           "nobody signed out";
    }
    if (self)
        self->deleteLater();
}
