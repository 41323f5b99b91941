#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

class UserDefaultsProviding;
class AuthManager;
class SyncManager;
class SyncProviding;
class AppModelContainer;
class HotkeyManager;
class PermissionManager;
class AppUpdater;
class UrlOpener;
class SpellChecking;
class AvatarImageLoader;
class AvatarImageCache;
class MicrophoneProviding;
class BackendAPIClient;
class DiskFullReports;

// What every screen receives instead of reaching for globals. The composition
// root fills it with the shared services; tests fill it with fakes. A member
// left null means the screen runs without that service.
struct AppEnvironment
{
    UserDefaultsProviding *settings = nullptr;
    AuthManager *auth = nullptr;
    // The synchroniser's published state (`isSyncing`, `lastSyncDate`), its
    // manual pull and its backend client.
    SyncManager *sync = nullptr;
    // What screens ask of the synchroniser: pulls, pushes, the queue's drain.
    SyncProviding *syncProvider = nullptr;
    AppModelContainer *models = nullptr;
    HotkeyManager *hotkeys = nullptr;
    PermissionManager *permissions = nullptr;
    AppUpdater *updater = nullptr;
    UrlOpener *urlOpener = nullptr;
    SpellChecking *spellChecker = nullptr;
    AvatarImageLoader *avatarLoader = nullptr;
    AvatarImageCache *avatarCache = nullptr;
    MicrophoneProviding *microphones = nullptr;
    // Writes of the user's data that a full disk stopped, for the shell to tell.
    DiskFullReports *diskFull = nullptr;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // A new backend client for one flow of a screen (an avatar upload, an
    // account deletion): the default auth provider, the shared session and
    // the configured base URL. Empty: the screen has no backend.
    std::function<std::shared_ptr<BackendAPIClient>()> makeBackendClient;
};
