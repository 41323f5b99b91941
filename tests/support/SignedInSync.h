#pragma once

#include "account/SyncManager.h"
#include "backend-local/SyncAccount.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "support/AccountTestSupport.h"

#include <QTemporaryDir>

#include <memory>

// A user signed in on the stand-in backend, with the real synchroniser over a
// temporary store and queue, and an environment holding them (with the
// harness's URL opener). `now`, when given, is the synchroniser's and the
// environment's clock.
struct SignedInSync
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    QTemporaryDir dir;
    AppModelContainer container{dir.filePath(QStringLiteral("TalvoroApp.store"))};
    SyncManager::Dependencies deps;
    std::unique_ptr<SyncManager> sync;
    AppEnvironment environment;
    bool signedIn = false;

    explicit SignedInSync(std::function<QDateTime()> now = {});
    // The account's synchronised data as the backend holds it now.
    backendlocal::SyncAccount account();
};
