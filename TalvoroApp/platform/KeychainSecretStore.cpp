#include "platform/KeychainSecretStore.h"

#include "platform/Logging.h"

#include <QCoroSignal>
#include <qt6keychain/keychain.h>

namespace {

// Listens before starting: a job may finish inside start(). The caller
// reads the result and deletes the job.
QCoro::Task<void> runJob(QKeychain::Job *job)
{
    job->setAutoDelete(false);
    auto finished = qCoro(job, &QKeychain::Job::finished);
    job->start();
    co_await std::move(finished);
}

} // namespace

KeychainSecretStore::KeychainSecretStore(QString serviceName)
    : m_service(std::move(serviceName))
{
}

QCoro::Task<std::expected<std::optional<QString>, SecretStoreError>> KeychainSecretStore::read(QString key)
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    co_await runJob(job);
    const auto error = job->error();
    const QString text = job->textData();
    const QString detail = job->errorString();
    job->deleteLater();
    if (error == QKeychain::EntryNotFound)
        co_return std::optional<QString>{};
    if (error != QKeychain::NoError)
        co_return std::unexpected(SecretStoreError{detail});
    co_return std::optional<QString>{text};
}

QCoro::Task<std::expected<void, SecretStoreError>> KeychainSecretStore::write(QString key, QString value)
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(value);
    co_await runJob(job);
    const auto error = job->error();
    const QString detail = job->errorString();
    job->deleteLater();
    if (error != QKeychain::NoError)
        co_return std::unexpected(SecretStoreError{detail});
    co_return {};
}

QCoro::Task<std::expected<void, SecretStoreError>> KeychainSecretStore::remove(QString key)
{
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    co_await runJob(job);
    const auto error = job->error();
    const QString detail = job->errorString();
    job->deleteLater();
    if (error != QKeychain::NoError && error != QKeychain::EntryNotFound)
        co_return std::unexpected(SecretStoreError{detail});
    co_return {};
}
