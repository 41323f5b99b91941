#include "platform/AppUpdater.h"

#include "platform/NoOpAppUpdateDriver.h"

AppUpdater::AppUpdater(std::unique_ptr<AppUpdateDriving> driver, QObject *parent)
    : QObject(parent)
    , m_driver(driver ? std::move(driver) : std::make_unique<NoOpAppUpdateDriver>())
{
    refreshFromDriver();
}

AppUpdater::~AppUpdater() = default;

void AppUpdater::refreshFromDriver()
{
    const auto update = [this](bool &field, bool value, void (AppUpdater::*changed)()) {
        if (field == value)
            return;
        field = value;
        Q_EMIT(this->*changed)();
    };
    update(m_isConfigured, m_driver->isConfigured(), &AppUpdater::isConfiguredChanged);
    update(m_automaticallyChecksForUpdates, m_driver->automaticallyChecksForUpdates(),
           &AppUpdater::automaticallyChecksForUpdatesChanged);
    update(m_automaticallyDownloadsUpdates, m_driver->automaticallyDownloadsUpdates(),
           &AppUpdater::automaticallyDownloadsUpdatesChanged);
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool enabled)
{
    m_driver->setAutomaticallyChecksForUpdates(enabled);
    refreshFromDriver();
}

void AppUpdater::setAutomaticallyDownloadsUpdates(bool enabled)
{
    m_driver->setAutomaticallyDownloadsUpdates(enabled);
    refreshFromDriver();
}

void AppUpdater::checkForUpdates()
{
    m_driver->checkForUpdates();
}
