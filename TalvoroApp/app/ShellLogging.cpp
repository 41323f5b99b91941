#include "app/ShellLogging.h"

Q_LOGGING_CATEGORY(lcMainWindow, "com.torvenak.talvoro-mac.MainWindow")
Q_LOGGING_CATEGORY(lcMenuBar, "com.torvenak.talvoro-mac.MenuBar")
Q_LOGGING_CATEGORY(lcSingleInstance, "com.torvenak.talvoro-mac.SingleInstance")
