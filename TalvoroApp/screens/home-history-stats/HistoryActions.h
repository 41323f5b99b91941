#pragma once

#include "transcription/TranscriptionRecord.h"

#include <qcorotask.h>

#include <functional>

class AppModelContainer;
class SyncManager;

namespace talvoro::history {

// What the history screens ask of the synchroniser, as hooks so tests can
// count the calls.
struct HistorySyncHooks
{
    // Starts SyncManager.deleteTranscription for a client id (the record id's
    // upper-case text); the task is neither awaited nor cancelled.
    std::function<void(const QString &clientId)> deleteOnAccount;
    // Returns SyncManager.pullIfStale(seconds); must not depend on the hook
    // object staying alive.
    std::function<QCoro::Task<void>(int seconds)> pullIfStale;
};

// Hooks on the environment's synchroniser; null gives hooks that do nothing.
HistorySyncHooks historySyncHooks(SyncManager *sync);

// Every screen asks for a pull when the last one is older than this.
inline constexpr int kPullMinimumInterval = 30;

// Deletes the record in a context of its own and saves it; only once the
// deletion is committed is the account asked to delete it too. A failed
// save leaves the record in place, here and on the account, with nothing
// pending anywhere. Returns whether the deletion committed.
bool deleteTranscription(AppModelContainer &container, const QUuid &id, const HistorySyncHooks &hooks);

} // namespace talvoro::history
