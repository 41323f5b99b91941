#pragma once

#include "platform/AwaitWithin.h"

#include <QCoroTask>
#include <QHash>
#include <QString>

#include <expected>
#include <memory>
#include <optional>

// A failure of the secret store (locked or missing keyring, D-Bus error).
// The detail is the backend's own text and never contains a secret.
struct SecretStoreError
{
    QString detail;
    // The keychain gave no answer in time (a wallet that never opens).
    bool unanswered = false;
};

// The keychain: named secrets of the application, kept by the system's
// secret service. Operations complete in the order they were started, so a
// removal followed by a write of the same item leaves the written value.
class SecretStore
{
public:
    virtual ~SecretStore() = default;

    // nullopt when the item does not exist.
    [[nodiscard]] virtual QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>> read(QString key) = 0;
    [[nodiscard]] virtual QCoro::Task<std::expected<void, SecretStoreError>> write(QString key, QString value) = 0;
    // Removing a missing item succeeds.
    [[nodiscard]] virtual QCoro::Task<std::expected<void, SecretStoreError>> remove(QString key) = 0;
};

// Secrets in memory only: the tests' keychain.
class InMemorySecretStore final : public SecretStore
{
public:
    [[nodiscard]] QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>> read(QString key) override;
    [[nodiscard]] QCoro::Task<std::expected<void, SecretStoreError>> write(QString key, QString value) override;
    [[nodiscard]] QCoro::Task<std::expected<void, SecretStoreError>> remove(QString key) override;

    // Synchronous views for tests.
    bool contains(const QString &key) const { return m_items.contains(key); }
    QString value(const QString &key) const { return m_items.value(key); }
    QHash<QString, QString> items() const { return m_items; }
    // While set, every operation fails with this detail.
    void setFailure(std::optional<QString> detail) { m_failure = std::move(detail); }
    // While set, operations wait (a keychain that does not answer); cleared,
    // the waiting ones go on in order.
    void setUnanswered(bool unanswered);
    // Reads asked for so far.
    int readCount() const { return m_reads; }

private:
    [[nodiscard]] QCoro::Task<void> answer();

    QHash<QString, QString> m_items;
    std::optional<QString> m_failure;
    bool m_unanswered = false;
    int m_reads = 0;
    std::unique_ptr<TaskCompletion> m_answered = std::make_unique<TaskCompletion>();
};
