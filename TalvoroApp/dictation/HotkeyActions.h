#pragma once

class HotkeyManager;

namespace talvoro {

// Installs the four hotkey actions of the start-up wiring (dictation toggle,
// translation toggle, cancel, paste last) and starts keyboard monitoring.
// Until the dictation controller exists each action only logs its trigger.
void installHotkeyActions(HotkeyManager &hotkeys);

} // namespace talvoro
