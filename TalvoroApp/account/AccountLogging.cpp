#include "account/AccountLogging.h"

Q_LOGGING_CATEGORY(lcAuthManager, "com.torvenak.talvoro-mac.AuthManager")
Q_LOGGING_CATEGORY(lcBackendAPIClient, "com.torvenak.talvoro-mac.BackendAPIClient")
