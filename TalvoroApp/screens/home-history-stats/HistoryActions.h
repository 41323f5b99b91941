#pragma once

#include "transcription/TranscriptionRecord.h"

class AppModelContainer;
class SyncProviding;

namespace talvoro::history {

// Every screen asks for a pull when the last one is older than this.
inline constexpr int kPullMinimumInterval = 30;

// Deletes the record in a context of its own and saves it; only once the
// deletion is committed is the account asked to delete it too. A failed
// save leaves the record in place, here and on the account, with nothing
// pending anywhere. Returns whether the deletion committed. `sync` may be null.
bool deleteTranscription(AppModelContainer &container, const QUuid &id, SyncProviding *sync);

} // namespace talvoro::history
