#include "account/AuthKeychain.h"

#include "platform/AwaitOwned.h"
#include "platform/AwaitWithin.h"
#include "platform/StartTask.h"

#include <QObject>

#include <array>

namespace {

// The store's answer, or `unanswered` once `bound` has passed without one.
template <typename T>
QCoro::Task<std::expected<T, SecretStoreError>> answeredWithin(std::chrono::milliseconds bound,
                                                               QCoro::Task<std::expected<T, SecretStoreError>> operation)
{
    auto waiting = talvoro::awaitWithin(bound, std::move(operation));
    auto answer = co_await std::move(waiting);
    if (!answer)
        co_return std::unexpected(SecretStoreError{
            QStringLiteral("the keychain did not answer within %1 s").arg(bound.count() / 1000.0), true});
    co_return std::move(*answer);
}

} // namespace

QCoro::Task<std::optional<std::expected<AuthKeychain::Stored, SecretStoreError>>> AuthKeychain::read()
{
    std::array<std::expected<std::optional<QString>, SecretStoreError>, 4> items;
    const std::array<const char *, 4> names{kAccessTokenItem, kRefreshTokenItem, kExpiresAtItem, kSentinelItem};
    for (size_t i = 0; i < names.size(); ++i) {
        auto reading =
            talvoro::awaitOwned(m_owner, answeredWithin(m_bound, m_secrets->read(QString::fromLatin1(names[i]))));
        auto read = co_await std::move(reading);
        if (!read)
            co_return std::nullopt;
        // A keychain that did not answer is not asked for the rest.
        if (!*read && read->error().unanswered)
            co_return std::unexpected(read->error());
        items[i] = std::move(*read);
    }
    const auto &[access, refresh, expires, sentinel] = items;
    if (!access || !refresh || !expires || !sentinel) {
        const SecretStoreError &error =
            !access ? access.error() : !refresh ? refresh.error() : !expires ? expires.error() : sentinel.error();
        co_return std::unexpected(error);
    }
    Stored stored;
    if (sentinel->has_value()) {
        AuthTokens tokens;
        tokens.access = access->value_or(QString());
        tokens.refresh = refresh->value_or(QString());
        bool ok = false;
        const qint64 ms = expires->value_or(QString()).toLongLong(&ok);
        tokens.expiresAt = ok ? QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC) : QDateTime();
        stored.session = tokens;
    } else {
        stored.incomplete = access->has_value() || refresh->has_value();
    }
    co_return stored;
}

QCoro::Task<std::expected<void, SecretStoreError>> AuthKeychain::write(AuthTokens tokens)
{
    auto *secrets = m_secrets;
    // The sentinel goes last: its presence says the three items are complete.
    const std::pair<const char *, QString> items[] = {
        {kAccessTokenItem, tokens.access},
        {kRefreshTokenItem, tokens.refresh},
        {kExpiresAtItem, tokens.expiresAt.isValid() ? QString::number(tokens.expiresAt.toMSecsSinceEpoch()) : QString()},
        {kSentinelItem, QStringLiteral("1")},
    };
    for (const auto &[key, value] : items) {
        // The store is the owner's: gone with it, nothing more is written.
        auto writing =
            talvoro::awaitOwned(m_owner, answeredWithin(m_bound, secrets->write(QString::fromLatin1(key), value)));
        const auto written = co_await std::move(writing);
        if (!written)
            co_return std::unexpected(SecretStoreError{QStringLiteral("the sign-in owner went away")});
        if (!*written)
            co_return std::unexpected(written->error());
    }
    co_return {};
}

void AuthKeychain::removeAll()
{
    for (const char *key : {kAccessTokenItem, kRefreshTokenItem, kExpiresAtItem, kSentinelItem}) {
        talvoro::startTask(m_owner, m_secrets->remove(QString::fromLatin1(key)), "Deleting a keychain item");
    }
}
