#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class AppModelContainer;
class HotkeyManager;
class PermissionManager;
class SyncManager;
class SyncProviding;
class UserDefaultsProviding;

// The rules of the sheet "Sistema" and of the screen "Permissões", apart from
// their widgets.
namespace talvoro::settings {

// The badge of the sheet's permissions row: "OK", or the pending count.
QString permissionBadgeText(int missingCount, bool portuguese);

// The banner of the permissions screen.
QString permissionBannerText(int missingCount, bool portuguese);

// The sync row's trailing content: a spinner while a pull runs, else the
// age of the last sync, else nothing.
struct SyncStatus
{
    enum class Kind { none, syncing, lastSync };
    Kind kind = Kind::none;
    QString text;
};
SyncStatus syncStatus(bool isSyncing, const std::optional<QDateTime> &lastSyncDate, const QDateTime &now,
                      bool portuguese);

// A swatch's tap: stores the option's raw value, even when it is the stored
// one, and starts the settings push on `sync` (none without it).
void chooseAccentColor(UserDefaultsProviding &settings, SyncProviding *sync, const QString &rawValue);

// "Sincronizar Agora": a pull into a fresh context of `models`, which lives
// until the pull ends. The task belongs to the synchroniser, not the screen.
void startManualPull(SyncManager &sync, AppModelContainer &models);

// One row of the permissions screen.
struct PermissionRow
{
    enum class Kind { microphone, accessibility, speechRecognition };
    Kind kind;
    const char *title;
    const char *description;
    const char *symbol;
};
const QList<PermissionRow> &permissionRows();
bool isGranted(const PermissionManager &manager, PermissionRow::Kind kind);
// What "Ativar" asks of the manager for that row.
void requestPermission(PermissionManager &manager, PermissionRow::Kind kind);
// A missing permission nothing can grant on this desktop: accessibility
// where the desktop offers no global hotkeys at all. Its row says so
// (globalHotkeysUnavailableText) instead of offering "Ativar".
bool isUnavailableOnThisDesktop(const PermissionManager &manager, const HotkeyManager *hotkeys,
                                PermissionRow::Kind kind);
QString globalHotkeysUnavailableText();

} // namespace talvoro::settings
