#pragma once

#include "account/BackendAPIError.h"

#include <QCoroTask>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class AuthManager;
class BackendAPIClient;

// The management page logs under the application's other identifier.
Q_DECLARE_LOGGING_CATEGORY(lcAccountManagementView)

// One deletion of the account: DELETE user/account through the client's
// retry wrapper, then the sign-out. It lives on the AuthManager, not on the
// page, so that leaving the page cancels nothing and a late success still
// signs out; it deletes itself when done.
class AccountDeletion : public QObject
{
    Q_OBJECT
public:
    // Without an account layer or a client the deletion fails as
    // notAuthenticated and sends nothing.
    AccountDeletion(AuthManager *auth, std::shared_ptr<BackendAPIClient> client);

    // Connect to finished() first: a failure known at once is reported
    // before start() returns.
    void start();

Q_SIGNALS:
    // The request's outcome (nothing: deleted), before the sign-out.
    void finished(const std::optional<BackendAPIError> &error);

private:
    [[nodiscard]] QCoro::Task<> run(QPointer<AuthManager> auth, std::shared_ptr<BackendAPIClient> client);

    QPointer<AuthManager> m_auth;
    std::shared_ptr<BackendAPIClient> m_client;
    bool m_started = false;
};
