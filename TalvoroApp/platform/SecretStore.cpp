#include "platform/SecretStore.h"

void InMemorySecretStore::setUnanswered(bool unanswered)
{
    m_unanswered = unanswered;
    if (!unanswered)
        Q_EMIT m_answered->completed();
}

QCoro::Task<void> InMemorySecretStore::answer()
{
    if (m_unanswered)
        co_await qCoro(m_answered.get(), &TaskCompletion::completed);
}

QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>>
InMemorySecretStore::read(QString key)
{
    ++m_reads;
    co_await answer();
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    const auto it = m_items.constFind(key);
    if (it == m_items.cend())
        co_return std::optional<QString>{};
    co_return std::optional<QString>{*it};
}

QCoro::Task<std::expected<void, SecretStoreError>> InMemorySecretStore::write(QString key, QString value)
{
    co_await answer();
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    m_items.insert(key, value);
    co_return {};
}

QCoro::Task<std::expected<void, SecretStoreError>> InMemorySecretStore::remove(QString key)
{
    co_await answer();
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    m_items.remove(key);
    co_return {};
}
