#include "screens/dictation-settings/SettingsSyncHooks.h"

TalvoroSettingsModel::Hooks settingsSyncHooks(SyncManager *sync)
{
    Q_UNUSED(sync);
    return {};
}
