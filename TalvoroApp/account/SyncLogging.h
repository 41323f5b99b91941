#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSyncManager)
Q_DECLARE_LOGGING_CATEGORY(lcOfflineSyncQueue)
