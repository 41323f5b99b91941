#pragma once

#include "platform/SettingKey.h"

namespace talvoro {
// The locale's language when dictation supports it, else "auto": the
// default of `transcriptionLanguage`.
QString defaultTranscriptionLanguage();
} // namespace talvoro

// Every key of the settings store, with its type, default and whether the
// account carries it. Names and stored formats are what earlier versions and
// the account wrote: never rename one. Read and write them through
// `UserDefaultsProviding::value(key)` and `set(key, v)`.
namespace SettingsKeys {

// The dictation settings; all but translationEnabled form the settings block.
inline constexpr SettingKey<QString> transcriptionLanguage{"transcriptionLanguage",
                                                           &talvoro::defaultTranscriptionLanguage, Synced::yes};
// No screen offers a domain any more; the dictation settings screen removes it.
inline constexpr SettingKey<QString> transcriptionDomain{"transcriptionDomain", "general", Synced::yes};
// Compact JSON of FormattingOptions, which decodes absent data as its defaults.
inline constexpr SettingKey<QByteArray> formattingOptions{"formattingOptions", "", Synced::yes};
inline constexpr SettingKey<bool> dictionaryEnabled{"dictionaryEnabled", true, Synced::yes};
inline constexpr SettingKey<bool> replacementRulesEnabled{"replacementRulesEnabled", true, Synced::yes};
// An AccentColorOption raw value; sent as `accentColor`.
inline constexpr SettingKey<QString> keyboardAccentColor{"keyboardAccentColor", "default", Synced::yes};
inline constexpr SettingKey<QString> translationTargetLanguage{"translationTargetLanguage", "en", Synced::yes};
inline constexpr SettingKey<bool> translationEnabled{"translationEnabled", false};

// The account's figures, written by every pull; the usage counters and
// totals are also advanced locally after each dictation.
inline constexpr SettingKey<qint64> syncWeekDictations{"syncWeekDictations", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncWeekWords{"syncWeekWords", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncCurrentStreak{"syncCurrentStreak", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncLongestStreak{"syncLongestStreak", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncThisMonthDictations{"syncThisMonthDictations", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncLast7DaysDictations{"syncLast7DaysDictations", 0, Synced::pulled};
inline constexpr SettingKey<QString> syncBestDayDate{"syncBestDayDate", "", Synced::pulled};
inline constexpr SettingKey<qint64> syncBestDayDictations{"syncBestDayDictations", 0, Synced::pulled};
// Compact JSON array of the received weeks (encodeWeeklyChart).
inline constexpr SettingKey<QByteArray> syncWeeklyChart{"syncWeeklyChart", "", Synced::pulled};
// A limit of 0 or less means none.
inline constexpr SettingKey<qint64> weeklyUsed{"weeklyUsed", 0, Synced::pulled};
inline constexpr SettingKey<qint64> weeklyLimit{"weeklyLimit", 0, Synced::pulled};
inline constexpr SettingKey<qint64> hourlyUsed{"hourlyUsed", 0, Synced::pulled};
inline constexpr SettingKey<qint64> hourlyLimit{"hourlyLimit", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncTotalDictations{"syncTotalDictations", 0, Synced::pulled};
inline constexpr SettingKey<qint64> syncTotalWords{"syncTotalWords", 0, Synced::pulled};
inline constexpr SettingKey<double> syncTotalDurationSeconds{"syncTotalDurationSeconds", 0.0, Synced::pulled};

// Synchronisation's own bookkeeping: the `since` of the next pull and the
// account whose local history went up in the initial push.
inline constexpr SettingKey<qint64> syncPullCursor{"syncPullCursor", 0};
inline constexpr SettingKey<QString> syncInitialPushAccount{"syncInitialPushAccount", ""};

// The signed-in user (empty = none), and the account the local data belongs to.
inline constexpr SettingKey<QString> authUserId{"auth-user-id", ""};
inline constexpr SettingKey<QString> authUserEmail{"auth-user-email", ""};
inline constexpr SettingKey<QString> authUserName{"auth-user-name", ""};
inline constexpr SettingKey<QString> authUserAvatarUrl{"auth-user-avatar-url", ""};
inline constexpr SettingKey<QString> lastAuthenticatedAccountId{"lastAuthenticatedAccountId", ""};
// Whether the keychain may hold this application's tokens: set before a
// sign-in writes them, cleared when a start's read finds none. While it is
// false the keychain is not touched at start (on KDE the first read opens
// KWallet's wallet wizard); a profile from before it is read once.
inline constexpr SettingKey<bool> authTokensMayBeStored{"authTokensMayBeStored", false};

// The main window's gate.
inline constexpr SettingKey<bool> onboardingCompleted{"onboardingCompleted", false};
inline constexpr SettingKey<bool> allowUnauthenticatedAccess{"allowUnauthenticatedAccess", false};

// Hotkeys: macOS virtual key codes and modifier flags (peers read them);
// the default modifiers are control | shift.
inline constexpr quint64 kDefaultHotkeyModifiers = 0x40000 | 0x20000;
inline constexpr SettingKey<qint64> hotkeyKeyCode{"hotkeyKeyCode", 2};
inline constexpr SettingKey<quint64> hotkeyModifiers{"hotkeyModifiers", kDefaultHotkeyModifiers};
inline constexpr SettingKey<qint64> translationHotkeyKeyCode{"translationHotkeyKeyCode", 3};
inline constexpr SettingKey<quint64> translationHotkeyModifiers{"translationHotkeyModifiers", kDefaultHotkeyModifiers};
inline constexpr SettingKey<qint64> pasteLastHotkeyKeyCode{"pasteLastHotkeyKeyCode", 9};
inline constexpr SettingKey<quint64> pasteLastHotkeyModifiers{"pasteLastHotkeyModifiers", kDefaultHotkeyModifiers};

// The overlay, the sound cues and the general sheet.
inline constexpr SettingKey<QString> overlayPosition{"overlayPosition", "bottom"}; // an OverlayPosition case name
inline constexpr SettingKey<bool> soundFeedbackEnabled{"soundFeedbackEnabled", true};
inline constexpr SettingKey<double> soundFeedbackVolume{"soundFeedbackVolume", 0.7};
// Empty: follow the system's default device.
inline constexpr SettingKey<QString> preferredMicrophoneID{"preferredMicrophoneID", ""};
inline constexpr SettingKey<bool> launchAtLogin{"launchAtLogin", false};

// The window said once that closing it quits, where the desktop has no tray.
inline constexpr SettingKey<bool> noTrayCloseNoticeShown{"noTrayCloseNoticeShown", false};

// Every key above, for the checks below and in the synchronisation.
inline constexpr const SettingKeyBase *all[] = {
    &transcriptionLanguage, &transcriptionDomain, &formattingOptions, &dictionaryEnabled,
    &replacementRulesEnabled, &keyboardAccentColor, &translationTargetLanguage, &translationEnabled,
    &syncWeekDictations, &syncWeekWords, &syncCurrentStreak, &syncLongestStreak, &syncThisMonthDictations,
    &syncLast7DaysDictations, &syncBestDayDate, &syncBestDayDictations, &syncWeeklyChart, &weeklyUsed,
    &weeklyLimit, &hourlyUsed, &hourlyLimit, &syncTotalDictations, &syncTotalWords, &syncTotalDurationSeconds,
    &syncPullCursor, &syncInitialPushAccount, &authUserId, &authUserEmail, &authUserName, &authUserAvatarUrl,
    &lastAuthenticatedAccountId, &authTokensMayBeStored, &onboardingCompleted, &allowUnauthenticatedAccess, &hotkeyKeyCode,
    &hotkeyModifiers, &translationHotkeyKeyCode, &translationHotkeyModifiers, &pasteLastHotkeyKeyCode,
    &pasteLastHotkeyModifiers, &overlayPosition, &soundFeedbackEnabled, &soundFeedbackVolume,
    &preferredMicrophoneID, &launchAtLogin, &noTrayCloseNoticeShown,
};
static_assert(SettingsKeysCheck::namesAreUnique(all), "two settings share a stored name");

} // namespace SettingsKeys
