#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAuthManager)
Q_DECLARE_LOGGING_CATEGORY(lcBackendAPIClient)
