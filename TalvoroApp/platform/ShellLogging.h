#pragma once

#include <QLoggingCategory>

// Log categories of the application shell.
Q_DECLARE_LOGGING_CATEGORY(lcLaunchAtLogin)
Q_DECLARE_LOGGING_CATEGORY(lcAppUpdater)
Q_DECLARE_LOGGING_CATEGORY(lcMainWindow)
Q_DECLARE_LOGGING_CATEGORY(lcMenuBar)
Q_DECLARE_LOGGING_CATEGORY(lcSingleInstance)
Q_DECLARE_LOGGING_CATEGORY(lcAppLifecycle)
