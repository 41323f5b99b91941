#pragma once

// What the updater's screens use of an update framework.
class AppUpdateDriving
{
public:
    virtual ~AppUpdateDriving() = default;

    virtual bool isConfigured() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool enabled) = 0;
    // Starts a user-initiated check.
    virtual void checkForUpdates() = 0;
};
