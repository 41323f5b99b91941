#pragma once

#include "platform/AppUpdateDriving.h"

// The driver where no update feed exists (every Linux build: packages are
// updated by the distribution or the user). The two flags are only kept in
// memory and the check does nothing.
class NoOpAppUpdateDriver final : public AppUpdateDriving
{
public:
    bool isConfigured() const override { return false; }
    bool automaticallyChecksForUpdates() const override { return m_checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { m_checks = enabled; }
    bool automaticallyDownloadsUpdates() const override { return m_downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override { m_downloads = enabled; }
    void checkForUpdates() override;

private:
    bool m_checks = false;
    bool m_downloads = false;
};
