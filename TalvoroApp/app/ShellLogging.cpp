#include "app/ShellLogging.h"

Q_LOGGING_CATEGORY(lcLaunchAtLogin, "com.torvenak.talvoro-mac.LaunchAtLoginManager")
Q_LOGGING_CATEGORY(lcAppUpdater, "com.torvenak.talvoro-mac.AppUpdater")
