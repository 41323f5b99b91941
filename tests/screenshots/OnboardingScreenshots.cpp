#include "ScreenshotCatalog.h"

#include "account/AuthManager.h"
#include "dictation/PermissionManager.h"
#include "navigation/AppEnvironment.h"
#include "platform/SecretStore.h"
#include "screens/onboarding-account/OnboardingWizard.h"
#include "screens/onboarding-account/ui/LoginView.h"
#include "screens/onboarding-account/ui/OnboardingView.h"
#include "support/DictationFakes.h"

#include <QAbstractButton>
#include <QTimer>
#include <QUrlQuery>

using talvoro::onboarding::LoginView;
using talvoro::onboarding::OnboardingView;

namespace {

enum class Browser { waits, refuses };

// Services a picture needs beyond the context: the permission answers and,
// unless the context signed somebody in, a signed-out account whose browser
// never answers or refuses at once. Lives as long as the pictured widget.
class Services : public QObject
{
public:
    Services(ScreenshotContext &context, bool microphone, bool accessibility, Browser browser, QObject *parent)
        : QObject(parent)
        , m_state(std::make_shared<FakePermissionChecks::State>())
    {
        m_state->microphone = microphone ? MicrophoneAuthorization::authorized : MicrophoneAuthorization::notDetermined;
        m_state->accessibility = accessibility;
        m_permissions = std::make_unique<PermissionManager>(std::make_unique<FakePermissionChecks>(m_state), m_opener);
        context.environment.permissions = m_permissions.get();
        if (context.environment.auth)
            return;
        AuthManager::Dependencies dependencies;
        dependencies.secrets = &m_secrets;
        dependencies.settings = context.settings.store.get();
        dependencies.urlOpener = &m_opener;
        m_auth = std::make_unique<AuthManager>(dependencies);
        if (browser == Browser::refuses)
            m_opener.onOpen = [this](const QUrl &page) {
                const QString state = QUrlQuery(page).queryItemValue(QStringLiteral("state"));
                QTimer::singleShot(0, this, [this, state] {
                    m_auth->handleCallbackURL(QUrl(
                        QStringLiteral("stovelantern-mac://auth/callback?error=access_denied&state=") + state));
                });
            };
        context.environment.auth = m_auth.get();
    }

    ~Services() override
    {
        if (m_auth)
            m_auth->cancelSignIn();
    }

private:
    std::shared_ptr<FakePermissionChecks::State> m_state;
    RecordingUrlOpener m_opener;
    InMemorySecretStore m_secrets;
    std::unique_ptr<PermissionManager> m_permissions;
    std::unique_ptr<AuthManager> m_auth;
};

struct WizardState
{
    OnboardingStep step = OnboardingStep::welcome;
    bool microphone = false;
    bool accessibility = false;
    Browser browser = Browser::waits;
    bool signIn = false;
    const char *signedInAs = nullptr;
};

std::function<QWidget *(ScreenshotContext &)> wizard(WizardState state)
{
    return [state](ScreenshotContext &context) -> QWidget * {
        if (state.signedInAs)
            context.signIn(QString::fromUtf8(state.signedInAs));
        auto *holder = new QObject;
        new Services(context, state.microphone, state.accessibility, state.browser, holder);
        auto *view = new OnboardingView(context.environment, false);
        holder->setParent(view);
        while (view->wizard().currentStep() != state.step)
            view->wizard().advance();
        if (state.signIn)
            view->wizard().startSignIn();
        return view;
    };
}

std::function<QWidget *(ScreenshotContext &)> login(bool signIn, bool sessionExpired)
{
    return [signIn, sessionExpired](ScreenshotContext &context) -> QWidget * {
        if (sessionExpired)
            context.settings.store->setString(SettingsKeys::authUserId.key(), QStringLiteral("u1"));
        auto *holder = new QObject;
        new Services(context, false, false, Browser::waits, holder);
        if (sessionExpired)
            QCoro::waitFor(context.environment.auth->restoreSession());
        auto *view = new LoginView(context.environment);
        holder->setParent(view);
        if (signIn)
            view->findChild<QAbstractButton *>(QStringLiteral("login.signIn"))->click();
        return view;
    };
}

} // namespace

QList<ScreenshotEntry> onboardingScreenshotEntries()
{
    using S = OnboardingStep;
    const QList<std::pair<const char *, WizardState>> pages{
        {"welcome", {}},
        {"microphone-waiting", {.step = S::microphone}},
        {"microphone-granted", {.step = S::microphone, .microphone = true}},
        {"accessibility-waiting", {.step = S::accessibility}},
        {"accessibility-granted", {.step = S::accessibility, .accessibility = true}},
        {"hotkey", {.step = S::hotkey}},
        {"login", {.step = S::login}},
        {"login-signing-in", {.step = S::login, .signIn = true}},
        {"login-error", {.step = S::login, .browser = Browser::refuses, .signIn = true}},
        {"login-signed-in", {.step = S::login, .signedInAs = "Maria Clara Souza"}},
    };
    QList<ScreenshotEntry> entries;
    for (const auto &[state, page] : pages)
        entries.append({"onboarding", state, wizard(page), QSize(680, 520)});
    const QSize loginSize(760, 620);
    entries += {{"signIn", "idle", login(false, false), loginSize},
                {"signIn", "signing-in", login(true, false), loginSize},
                {"signIn", "session-expired", login(false, true), loginSize}};
    return entries;
}
