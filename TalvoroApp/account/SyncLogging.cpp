#include "account/SyncLogging.h"

Q_LOGGING_CATEGORY(lcSyncManager, "com.torvenak.talvoro-mac.SyncManager")
Q_LOGGING_CATEGORY(lcOfflineSyncQueue, "com.torvenak.talvoro-mac.OfflineSyncQueue")
