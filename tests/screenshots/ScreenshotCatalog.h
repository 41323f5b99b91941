#pragma once

#include "account/AuthProviding.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "navigation/AppEnvironment.h"
#include "support/DictationFakes.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QCoroSignal>
#include <QObject>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class AppModelContainer;
class AuthManager;
class InMemorySecretStore;
class MainWindowModel;
class QWidget;

// Everything one rendering starts from: its own temporary settings, a
// signed-out state for the window's gate and an environment over them. Made afresh for
// every file, so no entry sees another's settings.
struct ScreenshotContext
{
    ScreenshotContext(bool portuguese, bool dark);
    ~ScreenshotContext();

    TemporarySettings settings;
    FakeAuthState auth;
    // Hotkeys over the context's settings, grabbing nothing; two microphones.
    HotkeyManager hotkeys{*settings.store, std::make_unique<FakeKeyboardMonitor>()};
    FixedMicrophones microphones;
    // Microphone granted, accessibility and speech recognition not: set the
    // state and call permissions.refresh() for another picture.
    std::shared_ptr<FakePermissionChecks::State> permissionState = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener opener;
    PermissionManager permissions;
    AppEnvironment environment;
    const bool portuguese;
    const bool dark;

    SettingsStore &defaults() { return *settings.store; }
    // The window's model over this context; created once, outlives the widget.
    MainWindowModel &windowModel();
    // A store in the context's folder, put into the environment on first use.
    AppModelContainer &models();
    // Signs a user in (from the settings alone, no network) and puts the
    // account into the environment and the window's gate.
    AuthManager &signIn(const QString &userName);

private:
    std::unique_ptr<MainWindowModel> m_windowModel;
    std::unique_ptr<AppModelContainer> m_models;
    std::unique_ptr<InMemorySecretStore> m_secrets;
    std::unique_ptr<AuthManager> m_account;
};

// Where the tokens that never come are held back. The tool hangs it up once
// a picture is taken: every wait still open ends as `cancelled`, as a request
// ends whose network manager went away, so the work pictured runs to its end
// and lets go of what it holds (the images of an upload among them).
class UnansweredTokens : public QObject
{
    Q_OBJECT
public:
    static UnansweredTokens &line();
    static void hangUp() { Q_EMIT line().hungUp(); }

Q_SIGNALS:
    void hungUp();
};

// A token that never comes while the picture is taken: work started with it
// stays at its first step, so a busy screen (an avatar upload, an account
// deletion) can be pictured.
class NeverAnsweringAuth final : public AuthProviding
{
public:
    QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override
    {
        co_await qCoro(&UnansweredTokens::line(), &UnansweredTokens::hungUp);
        co_return std::unexpected(BackendAPIError::cancelled());
    }
    QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override { return validAccessToken(); }
    bool isAuthenticated() const override { return true; }
    quint64 sessionGeneration() const override { return 0; }
};

// One picture: <screen>[-<state>]-<pt|en>-<light|dark>.png. The builder
// returns a widget that the tool owns, sizes, shows and grabs.
struct ScreenshotEntry
{
    QString screen;
    QString state;
    std::function<QWidget *(ScreenshotContext &)> build;
    QSize size{1100, 720};
};

// The one list of pictures; add a screen's entries at its end.
QList<ScreenshotEntry> screenshotEntries();
// The wizard's pages and states and the sign-in view's states.
QList<ScreenshotEntry> onboardingScreenshotEntries();
