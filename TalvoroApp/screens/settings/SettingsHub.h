#pragma once

#include <QString>

#include <optional>

class AppUpdater;

// The rules of the settings hub, apart from its widgets.
namespace talvoro::settings {

// The account row's trailing text: the e-mail, or "Não autenticado" when
// there is none (signed in or not).
QString accountRowText(const std::optional<QString> &email);

// Which update controls can be used.
struct UpdateControls
{
    bool checkEnabled;
    bool automaticChecksEnabled;
    bool automaticDownloadsEnabled;
};
UpdateControls updateControls(const AppUpdater &updater);

enum class UpdateFlag { automaticChecks, automaticDownloads };

// A switch set to `value`: written to the driver, and the published values
// refreshed from it, only when the driver holds something else. A driver
// changed behind the hub's back shows at the hub's next appearance.
void setUpdateFlag(AppUpdater &updater, UpdateFlag flag, bool value);

} // namespace talvoro::settings
