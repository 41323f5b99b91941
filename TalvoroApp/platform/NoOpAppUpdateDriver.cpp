#include "platform/NoOpAppUpdateDriver.h"

#include "platform/ShellLogging.h"

void NoOpAppUpdateDriver::checkForUpdates()
{
    qCInfo(lcAppUpdater) << "Update check requested, but no update feed is configured";
}
