#pragma once

#include "screens/dictation-settings/TalvoroSettingsModel.h"

class SyncManager;

// The dictation settings screen's hooks bound to the synchroniser: a change
// starts `pushSettings`, the start task awaits `pullIfStale`. A null
// synchroniser gives hooks that do nothing.
TalvoroSettingsModel::Hooks settingsSyncHooks(SyncManager *sync);
