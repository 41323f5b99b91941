#pragma once

#include <QLoggingCategory>

// Categories of the application shell.
Q_DECLARE_LOGGING_CATEGORY(lcMainWindow)
Q_DECLARE_LOGGING_CATEGORY(lcMenuBar)
Q_DECLARE_LOGGING_CATEGORY(lcSingleInstance)
