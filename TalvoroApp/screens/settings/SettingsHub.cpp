#include "screens/settings/SettingsHub.h"

#include "platform/AppUpdater.h"
#include "texts/Localization.h"

namespace talvoro::settings {

QString accountRowText(const std::optional<QString> &email)
{
    if (email && !email->isEmpty())
        return *email;
    return localized("Não autenticado");
}

UpdateControls updateControls(const AppUpdater &updater)
{
    const bool configured = updater.isConfigured();
    return {configured, configured, configured && updater.automaticallyChecksForUpdates()};
}

void setUpdateFlag(AppUpdater &updater, UpdateFlag flag, bool value)
{
    AppUpdateDriving &driver = updater.driver();
    const bool checks = flag == UpdateFlag::automaticChecks;
    if ((checks ? driver.automaticallyChecksForUpdates() : driver.automaticallyDownloadsUpdates()) == value)
        return;
    if (checks)
        driver.setAutomaticallyChecksForUpdates(value);
    else
        driver.setAutomaticallyDownloadsUpdates(value);
    updater.refreshFromDriver();
}

} // namespace talvoro::settings
