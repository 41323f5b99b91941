#pragma once

#include <QLoggingCategory>

// Log categories of the application shell's services.
Q_DECLARE_LOGGING_CATEGORY(lcLaunchAtLogin)
Q_DECLARE_LOGGING_CATEGORY(lcAppUpdater)
