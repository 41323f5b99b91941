#include "account/AuthManager.h"
#include "account/AuthReplies.h"
#include "account/SignInError.h"
#include "support/AccountTestSupport.h"
#include "support/GuardedObject.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QUrlQuery>

using namespace std::chrono_literals;

namespace {

bool isCancellation(const SignInError &error)
{
    const auto *browser = std::get_if<BrowserSessionError>(&error);
    return browser && browser->isCancellation();
}

std::optional<AuthError> authError(const SignInError &error)
{
    if (const auto *auth = std::get_if<AuthError>(&error))
        return *auth;
    return std::nullopt;
}

} // namespace

class TestAuthManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signInThroughTheBrowserPublishesTheUserAndKeepsTokensInTheKeychain()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        h.browserEmail = QStringLiteral("bia+work@example.com");
        // Typed into the sign-in page's form, which encodes a space as "+".
        h.browserName = QStringLiteral("Bia Sá Ünal+Filho");
        QSignalSpy authenticated(h.auth.get(), &AuthManager::isAuthenticatedChanged);
        const quint64 generation = h.auth->sessionGeneration();

        QVERIFY(h.signIn());

        QVERIFY(h.auth->isAuthenticated());
        QVERIFY(!h.auth->sessionExpired());
        QCOMPARE(authenticated.count(), 1);
        QCOMPARE(h.auth->userEmail(), std::optional<QString>(QStringLiteral("bia+work@example.com")));
        QCOMPARE(h.auth->userName(), std::optional<QString>(QStringLiteral("Bia Sá Ünal+Filho")));
        QVERIFY(!h.auth->userAvatarURL());
        QVERIFY(h.auth->sessionGeneration() > generation);

        // The browser got a PKCE S256 request with a state value.
        QCOMPARE(h.opener.opened.size(), 1);
        const QUrlQuery query(h.opener.opened.first());
        QCOMPARE(query.queryItemValue(QStringLiteral("code_challenge_method")), QStringLiteral("S256"));
        QVERIFY(!query.queryItemValue(QStringLiteral("state")).isEmpty());

        // Tokens in the keychain only; the user's fields in the settings.
        for (const char *item : {AuthManager::kAccessTokenItem, AuthManager::kRefreshTokenItem,
                                 AuthManager::kExpiresAtItem, AuthManager::kSentinelItem})
            QVERIFY2(h.secrets.contains(QLatin1String(item)), item);
        auto &settings = *h.settings.store;
        QCOMPARE(settings.stringValue(SettingsKeys::authUserEmail.key()), QStringLiteral("bia+work@example.com"));
        QCOMPARE(settings.stringValue(SettingsKeys::authUserId.key()), *h.auth->userId());

        // A restart restores the session from settings and keychain.
        h.restart();
        QVERIFY(h.auth->isAuthenticated());
        QCOMPARE(h.auth->userEmail(), std::optional<QString>(QStringLiteral("bia+work@example.com")));
        const auto token = QCoro::waitFor(h.auth->getValidAccessToken());
        QCOMPARE(token, std::optional<QString>(h.secrets.value(QLatin1String(AuthManager::kAccessTokenItem))));
    }

    void secretsNeverReachTheLog()
    {
        LocalBackend backend;
        LogCapture log;
        AuthHarness h(backend.baseURL());
        QString code;
        h.opener.onOpen = [&h, &code](const QUrl &url) {
            QTimer::singleShot(0, h.auth.get(), [&h, &code, url] {
                QCoro::connect(h.browser.follow(url), h.auth.get(), [&h, &code](const std::optional<QUrl> &callback) {
                    if (!callback)
                        return;
                    code = QUrlQuery(*callback).queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
                    h.auth->handleCallbackURL(*callback);
                });
            });
        };
        QVERIFY(h.signIn());
        QVERIFY(!code.isEmpty());
        const QString access = h.secrets.value(QLatin1String(AuthManager::kAccessTokenItem));
        const QString refresh = h.secrets.value(QLatin1String(AuthManager::kRefreshTokenItem));
        const QString challenge = QUrlQuery(h.opener.opened.first()).queryItemValue(QStringLiteral("code_challenge"));
        QVERIFY(QCoro::waitFor(h.auth->forceRefresh()));
        const QString refreshed = h.secrets.value(QLatin1String(AuthManager::kAccessTokenItem));
        h.auth->signOut();

        const QString all = log.lines().join(QLatin1Char('\n'));
        QVERIFY(all.contains(QStringLiteral("Signed in")));
        QVERIFY(all.contains(QStringLiteral("Signed out")));
        for (const QString &secret : {access, refresh, refreshed, challenge, code})
            QVERIFY2(!all.contains(secret), "a secret reached the log");
        QVERIFY(!all.contains(QStringLiteral("code=")));

        // Nor the settings file.
        h.settings.store->synchronize();
        QFile file(h.settings.store->filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString stored = QString::fromUtf8(file.readAll());
        for (const QString &secret : {access, refresh, refreshed, challenge, code})
            QVERIFY2(!stored.contains(secret), "a secret reached the settings");
    }

    void cancellationsAndForeignCallbacksEndOnlyTheirOwnSignIn()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        h.opener.onOpen = nullptr;
        auto first = h.auth->signIn();
        QVERIFY(h.auth->isSigningIn());
        h.auth->cancelSignIn();
        const auto firstResult = QCoro::waitFor(first);
        QVERIFY(!firstResult && isCancellation(firstResult.error()));

        auto second = h.auth->signIn();
        auto third = h.auth->signIn();
        const auto secondResult = QCoro::waitFor(second);
        QVERIFY(!secondResult && isCancellation(secondResult.error()));
        QVERIFY(h.auth->isSigningIn());
        h.auth->signOut(); // sign-out cancels a running browser session too
        const auto thirdResult = QCoro::waitFor(third);
        QVERIFY(!thirdResult && isCancellation(thirdResult.error()));

        // Callbacks of other sign-ins are ignored.
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=x&state=y"))));

        auto pending = h.auth->signIn();
        const QString state = QUrlQuery(h.opener.opened.last()).queryItemValue(QStringLiteral("state"));
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=x&state=forged"))));
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=x"))));
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("https://example.com/auth/callback?code=x&state=") + state)));
        QVERIFY(h.auth->isSigningIn());

        // The matching state without a code: the user refused in the browser.
        QVERIFY(h.auth->handleCallbackURL(QUrl(QStringLiteral("stovelantern-mac://auth/callback?error=access_denied&state=") + state)));
        const auto result = QCoro::waitFor(pending);
        QVERIFY(!result);
        QCOMPARE(authError(result.error()), std::optional(AuthError::missingAuthorizationCode()));

        // A callback that does not parse ends the sign-in with the parse error.
        auto unparsed = h.auth->signIn();
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("https://exa mple.com/"), QUrl::StrictMode)));
        QVERIFY(h.auth->handleCallbackURL(
            QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=a%zz&state=x"), QUrl::StrictMode)));
        const auto unparsedResult = QCoro::waitFor(unparsed);
        QVERIFY(!unparsedResult);
        QCOMPARE(authError(unparsedResult.error()), std::optional(AuthError::parseError()));
        // With no sign-in running there is nothing to end.
        QVERIFY(!h.auth->handleCallbackURL(QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=a%zz"),
                                                QUrl::StrictMode)));
    }

    void signInFailuresAreReportedAsTheirOwnErrors()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());

        h.opener.succeeds = false; // no browser could be started
        h.opener.onOpen = nullptr;
        auto result = QCoro::waitFor(h.auth->signIn());
        QCOMPARE(authError(result.error()), std::optional(AuthError::unknownError()));

        h.opener.succeeds = true;
        h.opener.onOpen = [&h](const QUrl &url) {
            // A code exchanged with another verifier is refused by the server.
            QTimer::singleShot(0, h.auth.get(), [&h, url] {
                QUrl forged = url;
                QUrlQuery query(forged);
                query.removeAllQueryItems(QStringLiteral("code_challenge"));
                query.addQueryItem(QStringLiteral("code_challenge"), QString(43, QLatin1Char('A')));
                forged.setQuery(query);
                QCoro::connect(h.browser.follow(forged), h.auth.get(), [&h](const std::optional<QUrl> &callback) {
                    if (callback)
                        h.auth->handleCallbackURL(*callback);
                });
            });
        };
        result = QCoro::waitFor(h.auth->signIn());
        QVERIFY(!result);
        const auto error = authError(result.error());
        QVERIFY(error);
        QCOMPARE(error->kind(), AuthError::Kind::serverError);
        QCOMPARE(error->code(), 400);
        QVERIFY(!h.auth->isAuthenticated());

        // The keychain refusing the tokens fails the sign-in as well.
        AuthHarness h2(backend.baseURL());
        h2.secrets.setFailure(QStringLiteral("keyring locked"));
        result = QCoro::waitFor(h2.auth->signIn());
        QVERIFY(!result);
        QVERIFY(std::holds_alternative<SecretStoreError>(result.error()));
        QVERIFY(!h2.auth->isAuthenticated());

        // A keychain that never answers (a wallet that does not open) ends
        // the sign-in after its bound, saying so.
        AuthHarness h3(backend.baseURL());
        h3.keychainTimeout = 50ms;
        h3.restart();
        h3.secrets.setUnanswered(true);
        result = QCoro::waitFor(h3.auth->signIn());
        QVERIFY(!result);
        QVERIFY(std::get<SecretStoreError>(result.error()).unanswered);
        QCOMPARE(signInFailureText(result.error()),
                 std::optional(QStringLiteral("O chaveiro do sistema não respondeu. Verifique se ele está "
                                              "desbloqueado e tente novamente.")));
        QVERIFY(!h3.auth->isAuthenticated());
        h3.secrets.setUnanswered(false);
        QCoreApplication::processEvents(); // the waiting keychain call resumes and ends
    }

    // The keychain is read at start only where tokens may be: never at a
    // first start (on KDE the read opens KWallet's wallet wizard), once for
    // a profile from before the flag, and never waited on for long.
    void theKeychainIsReadAtStartOnlyWhereTokensMayBe_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<bool>("tokens");
        QTest::addColumn<bool>("unanswered");
        QTest::addColumn<int>("reads");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("mayBeStored");
        QTest::addColumn<int>("readsNextStart");
        const QString flag = SettingsKeys::authTokensMayBeStored.key();
        const QString user = SettingsKeys::authUserId.key() + QStringLiteral("=u1");
        QTest::addRow("a first start") << QStringList() << false << false << 0 << false << false << 0;
        QTest::addRow("a first start, the wallet never answers")
            << QStringList() << false << true << 0 << false << false << 0;
        QTest::addRow("nothing ever stored") << QStringList{flag + "=false", "onboardingCompleted=true"} << false
                                             << false << 0 << false << false << 0;
        QTest::addRow("a profile from before the flag, signed out")
            << QStringList{"onboardingCompleted=true"} << false << false << 4 << false << false << 0;
        QTest::addRow("a profile from before the flag, signed in")
            << QStringList{user} << true << false << 4 << true << true << 4;
        QTest::addRow("tokens stored, then signed out")
            << QStringList{flag + "=true", "lastAuthenticatedAccountId=u1"} << false << false << 4 << false << false
            << 0;
        QTest::addRow("signed in, the wallet never answers")
            << QStringList{flag + "=true", user} << true << true << 1 << true << true << -1;
    }

    void theKeychainIsReadAtStartOnlyWhereTokensMayBe()
    {
        QFETCH(QStringList, stored);
        QFETCH(bool, tokens);
        QFETCH(bool, unanswered);
        QFETCH(int, reads);
        QFETCH(bool, signedIn);
        QFETCH(bool, mayBeStored);
        QFETCH(int, readsNextStart);
        AuthHarness h(QUrl(QStringLiteral("http://127.0.0.1:9/")));
        auto &settings = *h.settings.store;
        for (const QString &pair : std::as_const(stored)) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            const QString value = pair.section(QLatin1Char('='), 1);
            if (value == QLatin1String("true") || value == QLatin1String("false"))
                settings.setBool(key, value == QLatin1String("true"));
            else
                settings.setString(key, value);
        }
        QVERIFY(settings.synchronize());
        if (tokens) {
            for (const char *item : {AuthManager::kAccessTokenItem, AuthManager::kRefreshTokenItem,
                                     AuthManager::kSentinelItem})
                QVERIFY(QCoro::waitFor(h.secrets.write(QLatin1String(item), QStringLiteral("t"))));
        }
        h.keychainTimeout = 50ms;
        h.restart();
        h.secrets.setUnanswered(unanswered);

        QCoro::waitFor(h.auth->restoreSession());
        QCOMPARE(h.secrets.readCount(), reads);
        QCOMPARE(h.auth->isAuthenticated(), signedIn);
        QCOMPARE(h.settings.store->value(SettingsKeys::authTokensMayBeStored), mayBeStored);
        h.secrets.setUnanswered(false);
        QCoreApplication::processEvents(); // the waiting keychain call resumes and ends
        if (readsNextStart < 0)
            return;
        QVERIFY(h.settings.store->synchronize());
        h.restart();
        QCoro::waitFor(h.auth->restoreSession());
        QCOMPARE(h.secrets.readCount() - reads, readsNextStart);
    }

    void signOutFollowsItsOrder()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());
        const QString userId = *h.auth->userId();
        const quint64 generation = h.auth->sessionGeneration();
        auto &settings = *h.settings.store;

        int cacheClears = 0;
        bool checked = false;
        h.auth->setAvatarCacheClearer([&] { ++cacheClears; });
        // Setting an avatar always empties the cache, even the same URL again.
        QSignalSpy avatarChanged(h.auth.get(), &AuthManager::userAvatarURLChanged);
        const QUrl avatar(QStringLiteral("http://127.0.0.1/a.jpg"));
        h.auth->updateAvatarURL(avatar);
        h.auth->updateAvatarURL(avatar);
        QCOMPARE(cacheClears, 2);
        QCOMPARE(avatarChanged.count(), 1);
        QCOMPARE(settings.stringValue(SettingsKeys::authUserAvatarUrl.key()), avatar.toString());

        h.auth->setAvatarCacheClearer([&] {
            ++cacheClears;
            // By the time the cache is emptied: account id kept, keychain and
            // user keys gone, generation moved on, state not yet published.
            QCOMPARE(settings.stringValue(SettingsKeys::lastAuthenticatedAccountId.key()), userId);
            QVERIFY(h.secrets.items().isEmpty());
            for (const SettingKeyBase *key : {&SettingsKeys::authUserId, &SettingsKeys::authUserEmail,
                                              &SettingsKeys::authUserName, &SettingsKeys::authUserAvatarUrl})
                QVERIFY(!settings.contains(*key));
            QCOMPARE(h.auth->sessionGeneration(), generation + 1);
            QVERIFY(h.auth->isAuthenticated());
            checked = true;
        });
        h.auth->signOut();
        QVERIFY(checked);
        QCOMPARE(cacheClears, 3);
        QVERIFY(!h.auth->isAuthenticated());
        QVERIFY(!h.auth->sessionExpired());
        QVERIFY(!h.auth->userId() && !h.auth->userEmail() && !h.auth->userName() && !h.auth->userAvatarURL());
        QCOMPARE(QCoro::waitFor(h.auth->getValidAccessToken()), std::nullopt);

        h.restart();
        QVERIFY(!h.auth->isAuthenticated());
    }

    void concurrentCallersShareOneRefresh()
    {
        LocalBackend backend;
        backend.state().accessTokenLifetimeSeconds = 30; // inside the refresh margin
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());
        backend.server.resetRequestCounts();
        backend.server.injectFailure(QStringLiteral("auth/refresh"), {1, 0, 300ms});

        auto a = h.auth->getValidAccessToken();
        auto b = h.auth->getValidAccessToken();
        auto c = h.auth->forceRefresh();
        const auto ta = QCoro::waitFor(a);
        const auto tb = QCoro::waitFor(b);
        const auto tc = QCoro::waitFor(c);
        QVERIFY(ta && tb && tc);
        QCOMPARE(*ta, *tb);
        QCOMPARE(*ta, *tc);
        QCOMPARE(backend.server.requestCount(QStringLiteral("auth/refresh")), 1);
        QCOMPARE(h.secrets.value(QLatin1String(AuthManager::kAccessTokenItem)), *ta);
    }

    // A lifetime no integer holds (1e308) is held within a year, and an
    // expiry time past what a date holds is refused; neither is cast as it is
    // (the token counted as expired).
    void tokenLifetimesOutOfRangeAreHeldOrRefused_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("seconds"); // from now to the expiry; -1: none known
        QTest::newRow("an hour") << "expiresIn" << 3600.0 << qint64(3600);
        QTest::newRow("expiresIn 1e308") << "expiresIn" << 1e308 << qint64(366 * 24 * 3600);
        QTest::newRow("expiresIn -1e308") << "expiresIn" << -1e308 << qint64(0);
        QTest::newRow("expiresAt 1e308") << "expiresAt" << 1e308 << qint64(-1);
    }

    void tokenLifetimesOutOfRangeAreHeldOrRefused()
    {
        QFETCH(QString, member);
        QFETCH(double, value);
        QFETCH(qint64, seconds);
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1741600000000, QTimeZone::utc());
        const auto tokens = AuthReplies::tokensFromReply(
            {{"accessToken", "a"}, {"refreshToken", "r"}, {member, value}}, {}, [&] { return now; });
        QVERIFY(tokens);
        if (seconds < 0)
            QVERIFY(!tokens->expiresAt.isValid());
        else
            QCOMPARE(now.secsTo(tokens->expiresAt), seconds);
    }

    void refreshFailuresEndTheSessionOnlyWhenRefused_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("refreshes");
        QTest::newRow("401 invalid grant") << 401 << 1 << true << false;
        QTest::newRow("400 invalid grant") << 400 << 1 << true << false;
        QTest::newRow("403 invalid grant") << 403 << 1 << true << false;
        QTest::newRow("one 503 is retried") << 503 << 1 << false << true;
        QTest::newRow("two 503s") << 503 << 2 << false << false;
        // The server rotated the token and the reply was lost on the way:
        // the retry with the same token is taken within the grace window.
        QTest::newRow("lost reply") << int(backendlocal::BackendServer::Failure::kLostReply) << 1 << false << true;
        // (Qt itself may resend once on a reused connection, hence four.)
        QTest::newRow("lost replies") << int(backendlocal::BackendServer::Failure::kLostReply) << 4 << false << false;
    }

    void refreshFailuresEndTheSessionOnlyWhenRefused()
    {
        QFETCH(int, status);
        QFETCH(int, times);
        QFETCH(bool, ends);
        QFETCH(bool, refreshes);
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());
        backend.server.injectFailure(QStringLiteral("auth/refresh"), {times, status});
        QSignalSpy expired(h.auth.get(), &AuthManager::sessionExpiredChanged);
        const quint64 generation = h.auth->sessionGeneration();

        const auto token = QCoro::waitFor(h.auth->forceRefresh());
        QCOMPARE(bool(token), refreshes);
        QCOMPARE(h.auth->isAuthenticated(), !ends);
        QCOMPARE(h.auth->sessionExpired(), ends);
        if (ends) {
            QCOMPARE(expired.count(), 1);
            QVERIFY(h.auth->sessionGeneration() > generation);
            QVERIFY(h.secrets.items().isEmpty());
            // A new sign-in clears the expired flag.
            QVERIFY(h.signIn());
            QVERIFY(!h.auth->sessionExpired());
            return;
        }
        // The kept session refreshes once the backend answers again, and its
        // token is one the backend knows.
        const auto later = QCoro::waitFor(h.auth->forceRefresh());
        QVERIFY(later);
        QVERIFY(backend.state().userForAccessToken(*later));
        QCOMPARE(h.secrets.value(QLatin1String(AuthManager::kAccessTokenItem)), *later);
    }

    // The expiry read back at a restart is the one written: a token valid
    // for an hour is used as it is, one inside the margin is refreshed.
    void aRestartRefreshesOnlyATokenNearItsExpiry_data()
    {
        QTest::addColumn<int>("lifetimeSeconds");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("valid for an hour") << 3600 << 0;
        QTest::newRow("inside the margin") << 30 << 1;
    }
    void aRestartRefreshesOnlyATokenNearItsExpiry()
    {
        QFETCH(int, lifetimeSeconds);
        QFETCH(int, refreshes);
        LocalBackend backend;
        backend.state().accessTokenLifetimeSeconds = lifetimeSeconds;
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());
        const QString written = h.secrets.value(QLatin1String(AuthManager::kExpiresAtItem));
        backend.server.resetRequestCounts();
        h.restart();
        QCoro::waitFor(h.auth->restoreSession());
        QVERIFY(h.auth->isAuthenticated());
        const auto token = QCoro::waitFor(h.auth->getValidAccessToken());
        QVERIFY(token);
        QCOMPARE(backend.server.requestCount(QStringLiteral("auth/refresh")), refreshes);
        if (refreshes == 0)
            QCOMPARE(h.secrets.value(QLatin1String(AuthManager::kExpiresAtItem)), written);
    }

    // Refreshes further apart than the backend's grace for a spent refresh
    // token, across a restart too: each uses the token the last one stored.
    void refreshesFurtherApartThanTheGraceWindowKeepTheSession()
    {
        LocalBackend backend;
        qint64 offsetMs = 0;
        backend.state().nowMs = [&offsetMs] { return QDateTime::currentMSecsSinceEpoch() + offsetMs; };
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());
        const auto later = [&] { offsetMs += backendlocal::BackendState::kRefreshGraceMs + 60'000; };

        QVERIFY(QCoro::waitFor(h.auth->forceRefresh()));
        later();
        QVERIFY(QCoro::waitFor(h.auth->forceRefresh()));
        later();
        h.restart();
        QCoro::waitFor(h.auth->restoreSession());
        const auto token = QCoro::waitFor(h.auth->forceRefresh());
        QVERIFY(token);
        QVERIFY(h.auth->isAuthenticated());
        QVERIFY(!h.auth->sessionExpired());
        QVERIFY(backend.state().userForAccessToken(*token));
    }

    void resultsArrivingAfterSignOutStoreNothing()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        backend.server.injectFailure(QStringLiteral("auth/session"), {1, 0, 300ms});
        auto signIn = h.auth->signIn();
        QTRY_COMPARE(backend.server.requestCount(QStringLiteral("auth/session")), 1);
        QSignalSpy replies(&h.network, &QNetworkAccessManager::finished);
        h.auth->signOut();
        QVERIFY(!QCoro::waitFor(signIn));
        // The dropped reply arrives: it must not bring the tokens in.
        QTRY_COMPARE(replies.count(), 1);
        QVERIFY(!h.auth->isAuthenticated());
        QVERIFY(h.secrets.items().isEmpty());

        // Likewise a refresh that a sign-out overtakes.
        QVERIFY(h.signIn());
        backend.server.injectFailure(QStringLiteral("auth/refresh"), {1, 0, 300ms});
        const qsizetype before = replies.count();
        auto refresh = h.auth->forceRefresh();
        QTimer::singleShot(50ms, h.auth.get(), [&h] { h.auth->signOut(); });
        QCOMPARE(QCoro::waitFor(refresh), std::nullopt);
        QTRY_COMPARE(replies.count(), before + 1);
        QVERIFY(!h.auth->isAuthenticated());
        QVERIFY(!h.auth->sessionExpired());
        QVERIFY(h.secrets.items().isEmpty());
        QVERIFY(!h.auth->hasStoredAccessToken());
    }

    // Quitting while a sign-in or a refresh waits: the manager is destroyed
    // with the await pending and its memory made unreadable, so a touch of
    // it after the await crashes here. The waits end as cancelled or empty.
    void quittingWhileAnAwaitIsPendingTouchesNothingOfTheManager()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        h.opener.onOpen = {};
        AuthManager::Dependencies deps{&h.secrets, h.settings.store.get(), &h.opener, &h.network, backend.baseURL()};
        const auto approve = [&](AuthManager &manager) {
            auto following = h.browser.follow(h.opener.opened.last());
            const auto callback = QCoro::waitFor(following);
            QVERIFY(callback && manager.handleCallbackURL(*callback));
        };

        // Waiting for the browser; its time-out fires after the manager is gone.
        {
            GuardedObject<AuthManager> manager(deps);
            manager->setSignInTimeout(100ms);
            auto signIn = manager->signIn();
            manager.destroy();
            const auto result = QCoro::waitFor(signIn);
            QVERIFY(!result && isCancellation(result.error()));
        }
        // The code exchange on its way.
        {
            GuardedObject<AuthManager> manager(deps);
            backend.server.injectFailure(QStringLiteral("auth/session"), {1, 0, 300ms});
            auto signIn = manager->signIn();
            approve(*manager.get());
            QTRY_COMPARE(backend.server.requestCount(QStringLiteral("auth/session")), 1);
            manager.destroy();
            const auto result = QCoro::waitFor(signIn);
            QVERIFY(!result && isCancellation(result.error()));
            QVERIFY(h.secrets.items().isEmpty());
        }
        // A token refresh on its way, with a second caller joined to it.
        {
            GuardedObject<AuthManager> manager(deps);
            auto signIn = manager->signIn();
            approve(*manager.get());
            QVERIFY(QCoro::waitFor(signIn).has_value());
            backend.server.injectFailure(QStringLiteral("auth/refresh"), {1, 0, 300ms});
            auto refresh = manager->forceRefresh();
            auto joined = manager->forceRefresh();
            QTRY_COMPARE(backend.server.requestCount(QStringLiteral("auth/refresh")), 1);
            manager.destroy();
            QCOMPARE(QCoro::waitFor(refresh), std::nullopt);
            QCOMPARE(QCoro::waitFor(joined), std::nullopt);
        }
    }

    void restoreRemovesTokensWithoutAUser()
    {
        LocalBackend backend;
        AuthHarness h(backend.baseURL());
        QVERIFY(h.signIn());

        // Tokens without a signed-in user are removed.
        h.settings.store->remove(SettingsKeys::authUserId.key());
        h.restart();
        QCoro::waitFor(h.auth->restoreSession());
        QVERIFY(!h.auth->isAuthenticated());
        QVERIFY(h.secrets.items().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAuthManager)
#include "tst_AuthManager.moc"
