#include "platform/ShellLogging.h"

Q_LOGGING_CATEGORY(lcLaunchAtLogin, "com.torvenak.talvoro-mac.LaunchAtLoginManager")
Q_LOGGING_CATEGORY(lcAppUpdater, "com.torvenak.talvoro-mac.AppUpdater")
Q_LOGGING_CATEGORY(lcMainWindow, "com.torvenak.talvoro-mac.MainWindow")
Q_LOGGING_CATEGORY(lcMenuBar, "com.torvenak.talvoro-mac.MenuBar")
Q_LOGGING_CATEGORY(lcSingleInstance, "com.torvenak.talvoro-mac.SingleInstance")
Q_LOGGING_CATEGORY(lcAppLifecycle, "com.torvenak.talvoro-mac.AppLifecycle")
