#pragma once

#include <QString>

// The synchronisation rows of talvoro-bench: the offline queue, the first
// sync of a large history and the sync JSON encoder, each printed against a
// baseline measured in the same run. `storePath` holds `rows` transcriptions;
// the first sync is measured `syncRuns` times, and so is the first pull of an
// account of `pullRows` transcriptions (at least 3,000).
// Returns false when --check is set and a target is missed.
bool runSyncBench(const QString &storePath, int rows, int pullRows, int syncRuns, bool check);
