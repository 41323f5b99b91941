#include "screens/dictation-settings/SettingsSyncHooks.h"

#include "account/SyncManager.h"
#include "platform/StartTask.h"

#include <QPointer>

namespace {
QCoro::Task<void> noPull() { co_return; }
} // namespace

TalvoroSettingsModel::Hooks settingsSyncHooks(SyncManager *sync)
{
    if (!sync)
        return {};
    QPointer<SyncManager> synchroniser(sync);
    TalvoroSettingsModel::Hooks hooks;
    // `pushSettings` on the environment's synchroniser: started, never
    // awaited; the task belongs to the synchroniser, not to the screen.
    hooks.startSettingsPush = [synchroniser] {
        if (synchroniser)
            talvoro::startTask(synchroniser, synchroniser->pushSettings(), "The settings push");
    };
    hooks.pullIfStale = [synchroniser](int seconds) -> QCoro::Task<void> {
        if (!synchroniser)
            return noPull();
        return synchroniser->pullIfStale(seconds);
    };
    return hooks;
}
