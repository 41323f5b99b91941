#include "platform/SecretStore.h"

QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>>
InMemorySecretStore::read(QString key)
{
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    const auto it = m_items.constFind(key);
    if (it == m_items.cend())
        co_return std::optional<QString>{};
    co_return std::optional<QString>{*it};
}

QCoro::Task<std::expected<void, SecretStoreError>> InMemorySecretStore::write(QString key, QString value)
{
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    m_items.insert(key, value);
    co_return {};
}

QCoro::Task<std::expected<void, SecretStoreError>> InMemorySecretStore::remove(QString key)
{
    if (m_failure)
        co_return std::unexpected(SecretStoreError{*m_failure});
    m_items.remove(key);
    co_return {};
}
