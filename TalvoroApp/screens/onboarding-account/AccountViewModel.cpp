#include "screens/onboarding-account/AccountViewModel.h"

#include "account/AuthManager.h"
#include "account/BackendAPIClient.h"
#include "platform/SettingsKeys.h"
#include "platform/StartTask.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/onboarding-account/SignInRunner.h"
#include "texts/LocalizedTexts.h"

#include <QJsonDocument>
#include <QJsonObject>

Q_LOGGING_CATEGORY(lcAccountView, "com.torvenak.talvoro-mac.AccountView")

namespace talvoro::account {

namespace {

constexpr QSize kAvatarSize{256, 256};
constexpr int kAvatarJpegQuality = 80;

// A result that arrives after a sign-out or another sign-in belongs to
// nobody: it would give the next account this one's avatar.
bool accountChanged(const QPointer<AuthManager> &auth, quint64 generation, const char *flow)
{
    if (auth && auth->sessionGeneration() == generation)
        return false;
    qCInfo(lcAccountView, "%s: the account changed meanwhile; result dropped", flow);
    return true;
}

QString localPath(const QUrl &file)
{
    return file.isLocalFile() ? file.toLocalFile() : file.toString();
}

// The upload's steps. Free of the view model, which may go away meanwhile:
// the flow still ends for the account it started for.
QCoro::Task<> runAvatarUpload(AccountViewModel::ClientFactory makeClient, QPointer<AuthManager> auth, QUrl file)
{
    qCInfo(lcAccountView, "Avatar upload: starting");
    const quint64 generation = auth->sessionGeneration();
    // Linux grants file access by the file's own permissions: no scoped
    // access to start here or to end at the finish.
    const QString path = localPath(file);
    const auto bytes = readImageFile(path, AccountViewModel::kMaxAvatarFileBytes);
    if (!bytes) {
        qCCritical(lcAccountView, "Avatar upload: failed to read file data from %s", qUtf8Printable(path));
        co_return;
    }
    const auto prepared = prepareImageData(*bytes, AccountViewModel::avatarImageOptions());
    if (!prepared) {
        if (prepared.error() == ImagePreparationFailure::notAnImage)
            qCCritical(lcAccountView, "Avatar upload: failed to create NSImage from data (%lld bytes)",
                       qlonglong(bytes->size()));
        else
            qCCritical(lcAccountView, "Avatar upload: failed to create JPEG data from resized image");
        co_return;
    }
    const QByteArray jpeg = prepared->jpeg;
    qCInfo(lcAccountView, "Avatar upload: image prepared (%lld bytes JPEG)", qlonglong(jpeg.size()));

    const std::shared_ptr<BackendAPIClient> client = makeClient ? makeClient() : nullptr;
    if (!client) {
        qCCritical(lcAccountView, "Avatar upload step 1 FAILED (get upload URL): %s", "no backend");
        co_return;
    }
    BackendAPIClient *api = client.get();

    auto requestURL = api->withAuthorizedRetryForJSONObject(
        [api](QString token) { return api->requestAvatarUploadURL(token); }, &BackendAPIClient::parseUploadURL);
    const auto uploadURL = co_await std::move(requestURL);
    if (accountChanged(auth, generation, "Avatar upload"))
        co_return;
    if (!uploadURL) {
        qCCritical(lcAccountView, "Avatar upload step 1 FAILED (get upload URL): %s",
                   qUtf8Printable(uploadURL.error().errorDescription()));
        co_return;
    }
    qCInfo(lcAccountView, "Avatar upload step 1 OK: got upload URL");

    // The storage URL carries its own permission: no token, no retry.
    auto upload = api->uploadImage(*uploadURL, jpeg);
    const auto storageId = co_await std::move(upload);
    if (accountChanged(auth, generation, "Avatar upload"))
        co_return;
    if (!storageId) {
        qCCritical(lcAccountView, "Avatar upload step 2 FAILED (upload to storage): %s",
                   qUtf8Printable(storageId.error().errorDescription()));
        co_return;
    }
    qCInfo(lcAccountView, "Avatar upload step 2 OK: storageId = %s", qUtf8Printable(*storageId));

    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("storageId"), *storageId}})
                                .toJson(QJsonDocument::Compact);
    auto save = api->withAuthorizedRetryForJSONObject(
        [api, body](QString token) { return api->updateAvatar(token, body); }, &BackendAPIClient::parseAvatarURL);
    const auto avatarURL = co_await std::move(save);
    if (accountChanged(auth, generation, "Avatar upload"))
        co_return;
    if (!avatarURL) {
        qCCritical(lcAccountView, "Avatar upload step 3 FAILED (save storageId): %s",
                   qUtf8Printable(avatarURL.error().errorDescription()));
        co_return;
    }
    qCInfo(lcAccountView, "Avatar upload step 3 OK: avatarUrl = %s", qUtf8Printable(*avatarURL));

    auth->updateAvatarURL(AccountViewModel::avatarURLFromString(*avatarURL));
    qCInfo(lcAccountView, "Avatar upload: complete");
}

QCoro::Task<> runAvatarRemoval(AccountViewModel::ClientFactory makeClient, QPointer<AuthManager> auth)
{
    qCInfo(lcAccountView, "Avatar remove: starting");
    const quint64 generation = auth->sessionGeneration();
    const std::shared_ptr<BackendAPIClient> client = makeClient ? makeClient() : nullptr;
    if (!client) {
        qCCritical(lcAccountView, "Avatar remove FAILED: %s", "no backend");
        co_return;
    }
    BackendAPIClient *api = client.get();
    auto request = api->withAuthorizedRetry([api](QString token) { return api->deleteAvatar(token); });
    const auto removed = co_await std::move(request);
    if (accountChanged(auth, generation, "Avatar remove"))
        co_return;
    if (!removed) {
        qCCritical(lcAccountView, "Avatar remove FAILED: %s", qUtf8Printable(removed.error().errorDescription()));
        co_return;
    }
    auth->updateAvatarURL(std::nullopt);
    qCInfo(lcAccountView, "Avatar remove: complete");
}

} // namespace

AccountViewModel::AccountViewModel(AuthManager *auth, UserDefaultsProviding &settings, ClientFactory makeClient,
                                   std::function<void()> dismiss, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_settings(settings)
    , m_makeClient(std::move(makeClient))
    , m_dismiss(std::move(dismiss))
    , m_signIn(new SignInRunner(auth, this))
{
    connect(m_signIn, &SignInRunner::changed, this, &AccountViewModel::changed);
    connect(m_signIn, &SignInRunner::failed, this, [this](const QString &text) {
        m_signInErrorMessage = text;
        Q_EMIT changed();
    });
    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::weeklyUsed)
            Q_EMIT changed();
    });
    if (m_auth) {
        m_wasAuthenticated = m_auth->isAuthenticated();
        connect(m_auth, &AuthManager::isAuthenticatedChanged, this, &AccountViewModel::authenticationChanged);
        connect(m_auth, &AuthManager::userNameChanged, this, &AccountViewModel::changed);
        connect(m_auth, &AuthManager::userEmailChanged, this, &AccountViewModel::changed);
        connect(m_auth, &AuthManager::userAvatarURLChanged, this, &AccountViewModel::changed);
    }
}

void AccountViewModel::authenticationChanged()
{
    const bool now = isAuthenticated();
    const bool signedOut = m_wasAuthenticated && !now;
    m_wasAuthenticated = now;
    Q_EMIT changed();
    // Followed whether or not the screen is on show: the gate may already
    // have left the main interface, and the path must not keep the screen.
    if (signedOut && m_dismiss)
        m_dismiss();
}

bool AccountViewModel::isAuthenticated() const
{
    return m_auth && m_auth->isAuthenticated();
}

std::optional<QString> AccountViewModel::userName() const
{
    return m_auth ? m_auth->userName() : std::nullopt;
}

std::optional<QString> AccountViewModel::userEmail() const
{
    return m_auth ? m_auth->userEmail() : std::nullopt;
}

std::optional<QUrl> AccountViewModel::avatarURL() const
{
    return m_auth ? m_auth->userAvatarURL() : std::nullopt;
}

QString AccountViewModel::weeklyCountText() const
{
    return weeklyTranscriptionCountText(m_settings.value(SettingsKeys::weeklyUsed),
                                        isPortuguese());
}

bool AccountViewModel::isSigningIn() const
{
    return m_signIn->isSigningIn();
}

bool AccountViewModel::canSignIn() const
{
    return m_signIn->canStart();
}

void AccountViewModel::clearSignInError()
{
    if (!m_signInErrorMessage)
        return;
    m_signInErrorMessage.reset();
    Q_EMIT changed();
}

void AccountViewModel::signIn()
{
    // The account button stays live while a sign-in runs: a second press
    // starts over (the browser tab of the first may be gone).
    m_signInErrorMessage.reset();
    m_signIn->start();
}

void AccountViewModel::signOut()
{
    if (m_auth)
        m_auth->signOut();
}

void AccountViewModel::handleAvatarImport(const std::expected<QList<QUrl>, QString> &result)
{
    if (!result) {
        qCCritical(lcAccountView, "File importer error: %s", qUtf8Printable(result.error()));
        return;
    }
    if (result->isEmpty())
        return;
    talvoro::startTask(this, uploadAvatar(result->first()), "avatar upload");
}

void AccountViewModel::startAvatarRemoval()
{
    talvoro::startTask(this, removeAvatar(), "avatar removal");
}

void AccountViewModel::avatarFlowStarted()
{
    if (++m_runningAvatarFlows == 1)
        Q_EMIT changed();
}

void AccountViewModel::avatarFlowEnded()
{
    if (--m_runningAvatarFlows == 0)
        Q_EMIT changed();
}

QCoro::Task<> AccountViewModel::uploadAvatar(QUrl file)
{
    if (!m_auth)
        co_return;
    QPointer<AccountViewModel> self(this);
    avatarFlowStarted();
    auto flow = runAvatarUpload(m_makeClient, m_auth, file);
    co_await std::move(flow);
    if (self)
        avatarFlowEnded();
}

QCoro::Task<> AccountViewModel::removeAvatar()
{
    if (!m_auth)
        co_return;
    QPointer<AccountViewModel> self(this);
    avatarFlowStarted();
    auto flow = runAvatarRemoval(m_makeClient, m_auth);
    co_await std::move(flow);
    if (self)
        avatarFlowEnded();
}

ImagePreparationOptions AccountViewModel::avatarImageOptions()
{
    ImagePreparationOptions options;
    options.maxFileBytes = kMaxAvatarFileBytes;
    options.exactSize = kAvatarSize;
    options.jpegQuality = kAvatarJpegQuality;
    options.background = Qt::white;
    return options;
}

std::optional<QUrl> AccountViewModel::avatarURLFromString(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

} // namespace talvoro::account
