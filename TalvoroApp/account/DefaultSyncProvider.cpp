#include "account/SyncProviding.h"

#include "account/SyncManager.h"
#include "platform/StartTask.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

namespace {
QCoro::Task<> nothing()
{
    co_return;
}
} // namespace

DefaultSyncProvider::DefaultSyncProvider(SyncManager &manager)
    : m_manager(&manager)
{
}

QCoro::Task<> DefaultSyncProvider::pullIfStale(int seconds)
{
    return m_manager ? m_manager->pullIfStale(seconds) : nothing();
}

QCoro::Task<> DefaultSyncProvider::pull(ModelContext &context)
{
    return m_manager ? m_manager->pull(context) : nothing();
}

QCoro::Task<> DefaultSyncProvider::drainOfflineQueue()
{
    return m_manager ? m_manager->drainOfflineQueue() : nothing();
}

// Each push's task is owned by the synchroniser, so it ends with it and not
// with the screen.
void DefaultSyncProvider::startSettingsPush()
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->pushSettings(), "The settings push");
}

void DefaultSyncProvider::startRuleModelPush(const ReplacementRule &rule, bool isDeleted)
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->pushRuleModel(rule, isDeleted), "The rule push");
}

void DefaultSyncProvider::startRulePush(const SyncRulePayload &payload)
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->pushRule(payload), "The rule push");
}

void DefaultSyncProvider::startDictionaryEntryModelPush(const DictionaryEntry &entry)
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->pushDictionaryEntryModel(entry, false), "The term push");
}

void DefaultSyncProvider::startDictionaryEntryPush(const SyncDictionaryEntryPayload &payload)
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->pushDictionaryEntry(payload), "The term deletion push");
}

void DefaultSyncProvider::startTranscriptionDeletion(const QString &clientId)
{
    if (m_manager)
        talvoro::startTask(m_manager, m_manager->deleteTranscription(clientId),
                           "The transcription's deletion on the account");
}
