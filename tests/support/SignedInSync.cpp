#include "support/SignedInSync.h"

#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/OfflineSyncQueue.h"

SignedInSync::SignedInSync(std::function<QDateTime()> now)
{
    signedIn = harness.signIn();
    auto provider = std::make_shared<DefaultAuthProvider>();
    deps.auth = provider;
    deps.client = std::make_shared<BackendAPIClient>(provider, &harness.network, backend.baseURL());
    deps.queue = std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("offline-queue.json")));
    deps.defaults = harness.settings.store.get();
    deps.container = &container;
    deps.accountId = [this] { return harness.auth->userId().value_or(QString()); };
    deps.timeZoneId = [] { return QStringLiteral("UTC"); };
    if (now) {
        deps.now = now;
        environment.now = now;
    }
    sync = std::make_unique<SyncManager>(deps);
    environment.settings = harness.settings.store.get();
    environment.auth = harness.auth.get();
    environment.sync = sync.get();
    environment.models = &container;
    environment.urlOpener = &harness.opener;
}

backendlocal::SyncAccount SignedInSync::account()
{
    const auto *user = backend.state().user(harness.auth->userId().value_or(QString()));
    return backendlocal::SyncAccount(user ? user->sync : QJsonObject());
}
