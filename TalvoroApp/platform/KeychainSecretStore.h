#pragma once

#include "platform/SecretStore.h"

// The system keychain through qtkeychain (the Secret Service over D-Bus, as
// provided by gnome-keyring or KWallet). Items live under the service name
// given, normally the bundle identifier. qtkeychain runs its jobs one at a
// time in the order they were started.
class KeychainSecretStore final : public SecretStore
{
public:
    explicit KeychainSecretStore(QString serviceName);


    [[nodiscard]] QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>> read(QString key) override;
    [[nodiscard]] QCoro::Task<std::expected<void, SecretStoreError>> write(QString key, QString value) override;
    [[nodiscard]] QCoro::Task<std::expected<void, SecretStoreError>> remove(QString key) override;

private:
    QString m_service;
};
