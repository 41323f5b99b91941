#pragma once

#include "account/SyncPayloads.h"

#include <QPointer>
#include <QString>

#include <qcorotask.h>

class ModelContext;
class SyncManager;
struct DictionaryEntry;
struct ReplacementRule;

// What the screens ask of the synchroniser. The pushes and the deletion are
// started, never awaited: they belong to the synchroniser and outlive the
// screen or sheet that started them. The awaited calls return tasks that do
// not depend on the caller staying alive.
class SyncProviding
{
public:
    virtual ~SyncProviding() = default;

    // Pulls with a fresh context unless the last pull is at most `seconds` old.
    [[nodiscard]] virtual QCoro::Task<> pullIfStale(int seconds) = 0;
    // Pulls the account into `context`.
    [[nodiscard]] virtual QCoro::Task<> pull(ModelContext &context) = 0;
    // Replays the due pushes of the offline queue.
    [[nodiscard]] virtual QCoro::Task<> drainOfflineQueue() = 0;

    // The settings block, after the user's own change of a synced setting.
    virtual void startSettingsPush() = 0;
    // A rule after a create, an edit, an enable switch or a deletion.
    virtual void startRuleModelPush(const ReplacementRule &rule, bool isDeleted) = 0;
    // A rule the store no longer holds (its deletion), as its payload.
    virtual void startRulePush(const SyncRulePayload &payload) = 0;
    // A term after a create or an edit.
    virtual void startDictionaryEntryModelPush(const DictionaryEntry &entry) = 0;
    // A term the store no longer holds (its deletion), as its payload.
    virtual void startDictionaryEntryPush(const SyncDictionaryEntryPayload &payload) = 0;
    // The deletion of a transcription, by its client id (the record id's
    // upper-case text).
    virtual void startTranscriptionDeletion(const QString &clientId) = 0;
};

// The screens' synchroniser in the application: the SyncManager it is given.
// Once that is gone every call does nothing.
class DefaultSyncProvider final : public SyncProviding
{
public:
    explicit DefaultSyncProvider(SyncManager &manager);

    [[nodiscard]] QCoro::Task<> pullIfStale(int seconds) override;
    [[nodiscard]] QCoro::Task<> pull(ModelContext &context) override;
    [[nodiscard]] QCoro::Task<> drainOfflineQueue() override;
    void startSettingsPush() override;
    void startRuleModelPush(const ReplacementRule &rule, bool isDeleted) override;
    void startRulePush(const SyncRulePayload &payload) override;
    void startDictionaryEntryModelPush(const DictionaryEntry &entry) override;
    void startDictionaryEntryPush(const SyncDictionaryEntryPayload &payload) override;
    void startTranscriptionDeletion(const QString &clientId) override;

private:
    QPointer<SyncManager> m_manager;
};
