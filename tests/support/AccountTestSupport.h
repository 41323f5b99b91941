#pragma once

#include "account/AuthManager.h"
#include "account/AuthProviding.h"
#include "backend-local/BackendServer.h"
#include "platform/SecretStore.h"
#include "support/RecordingUrlOpener.h"
#include "support/TestSupport.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The stand-in backend, listening on a free loopback port for one test.
struct LocalBackend
{
    backendlocal::BackendServer server;

    LocalBackend() { server.listen(0); }
    QUrl baseURL() const { return server.baseURL(); }
    backendlocal::BackendState &state() { return server.state(); }

    // Replies a captive portal or a confused proxy gives in place of a
    // documented one: a page, other JSON, no body, a redirect.
    static const QStringList &impostorReplies();
    // The next request of `path` gets that impostor reply.
    void answerNextWithImpostor(const QString &path, const QString &impostor);
};

// A browser that follows the stand-in's authorisation page the way a user
// would: loads it, submits its form (or presses cancel) and returns the
// callback URL the answer hands to the app.
class SimulatedBrowser
{
public:
    explicit SimulatedBrowser(QNetworkAccessManager *network) : m_network(network) {}

    // Empty e-mail and name: the form's own values; a name left empty with
    // an e-mail given is the e-mail's local part.
    QCoro::Task<std::optional<QUrl>> follow(QUrl authorizationURL, bool approve = true, QString email = {},
                                            QString name = {});
    // The callback link of the page shown after approval.
    static std::optional<QUrl> callbackOfPage(const QByteArray &page);

private:
    QNetworkAccessManager *m_network;
};

// An AuthManager on an in-memory keychain, temporary settings and a
// recording URL opener, talking to the given backend.
struct AuthHarness
{
    InMemorySecretStore secrets;
    TemporarySettings settings;
    RecordingUrlOpener opener;
    QNetworkAccessManager network;
    std::unique_ptr<AuthManager> auth;
    SimulatedBrowser browser{&network};
    // When set, opening a URL sends it through the browser and the callback
    // to the manager, as the desktop and the single-instance hand-off do.
    bool browserApproves = true;
    QString browserEmail;
    QString browserName;
    // The manager's bound on an unanswered keychain, from the next (re)start.
    std::chrono::milliseconds keychainTimeout = AuthManager::kKeychainTimeout;

    explicit AuthHarness(const QUrl &baseURL);
    ~AuthHarness();

    // Makes a new manager over the same keychain and settings (a restart).
    void restart();
    // A client's provider asking this harness's manager, the current one
    // after a restart. The harness must outlive it.
    std::shared_ptr<AuthProviding> authProvider();
    // Signs in through the browser; fails the test on error.
    bool signIn();

private:
    QUrl m_baseURL;
    void makeManager();
};
