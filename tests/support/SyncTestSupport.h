#pragma once

#include "account/AuthProviding.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncManager.h"
#include "account/SyncProviding.h"
#include "backend-local/SyncAccount.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "support/AccountTestSupport.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// An auth provider the tests steer: a fixed token, a session generation the
// test can bump, and a refresh that does what the test says.
class TestAuthProvider final : public AuthProviding
{
public:
    QString accessToken;
    bool authenticated = true;
    quint64 generation = 1;
    int forceRefreshCalls = 0;
    std::function<std::expected<QString, BackendAPIError>()> onForceRefresh;

    QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override;
    QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override;
    bool isAuthenticated() const override { return authenticated; }
    quint64 sessionGeneration() const override { return generation; }
};

// A provider with no session: every request fails as not authenticated.
std::shared_ptr<AuthProviding> signedOutAuth();

// The account side of the application over the stand-in backend: an
// AuthManager that signs in through the simulated browser when asked, the
// store and the offline queue in a temporary folder, the synchroniser over
// them, and an environment holding all of it. While `clock` is valid it is
// the synchroniser's and the screens' time.
struct AccountServices
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    QTemporaryDir dir;
    AppModelContainer models{dir.filePath(QStringLiteral("TalvoroApp.store"))};
    std::shared_ptr<OfflineSyncQueue> queue;
    std::unique_ptr<SyncManager> sync;
    std::unique_ptr<DefaultSyncProvider> syncProvider;
    QDateTime clock;
    AppEnvironment environment;

    AccountServices();
    ~AccountServices();

    QString userId() const;
    // The synced data the backend holds for an account (the signed-in one
    // by default), and the write of it back.
    backendlocal::SyncAccount account(const QString &userId = {});
    void storeAccount(const backendlocal::SyncAccount &account, const QString &userId = {});
    int requests(const QString &path) const { return backend.server.requestCount(path); }
};
