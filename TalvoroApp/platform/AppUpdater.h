#pragma once

#include "platform/AppUpdateDriving.h"

#include <QObject>

#include <memory>

// The application's updater as the screens see it: the driver's state,
// published.
class AppUpdater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isConfigured READ isConfigured NOTIFY isConfiguredChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(bool automaticallyDownloadsUpdates READ automaticallyDownloadsUpdates NOTIFY automaticallyDownloadsUpdatesChanged)
public:
    // Without a driver the updater uses NoOpAppUpdateDriver.
    explicit AppUpdater(std::unique_ptr<AppUpdateDriving> driver = {}, QObject *parent = nullptr);
    ~AppUpdater() override;

    bool isConfigured() const { return m_isConfigured; }
    bool automaticallyChecksForUpdates() const { return m_automaticallyChecksForUpdates; }
    bool automaticallyDownloadsUpdates() const { return m_automaticallyDownloadsUpdates; }
    AppUpdateDriving &driver() const { return *m_driver; }

    // Copies the driver's three values into the published properties.
    void refreshFromDriver();

    // Write through the driver, then publish what it now reports.
    void setAutomaticallyChecksForUpdates(bool enabled);
    void setAutomaticallyDownloadsUpdates(bool enabled);
    void checkForUpdates();

Q_SIGNALS:
    void isConfiguredChanged();
    void automaticallyChecksForUpdatesChanged();
    void automaticallyDownloadsUpdatesChanged();

private:
    std::unique_ptr<AppUpdateDriving> m_driver;
    bool m_isConfigured = false;
    bool m_automaticallyChecksForUpdates = false;
    bool m_automaticallyDownloadsUpdates = false;
};
