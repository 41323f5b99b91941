#include "app/NoOpAppUpdateDriver.h"

#include "app/ShellLogging.h"

void NoOpAppUpdateDriver::checkForUpdates()
{
    qCInfo(lcAppUpdater) << "Update check requested, but no update feed is configured";
}
