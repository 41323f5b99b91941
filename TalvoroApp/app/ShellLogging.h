#pragma once

#include <QLoggingCategory>

<<<<<<< HEAD
// Categories of the application shell.
Q_DECLARE_LOGGING_CATEGORY(lcMainWindow)
Q_DECLARE_LOGGING_CATEGORY(lcMenuBar)
Q_DECLARE_LOGGING_CATEGORY(lcSingleInstance)
=======
// Log categories of the application shell's services.
Q_DECLARE_LOGGING_CATEGORY(lcLaunchAtLogin)
Q_DECLARE_LOGGING_CATEGORY(lcAppUpdater)
>>>>>>> main
