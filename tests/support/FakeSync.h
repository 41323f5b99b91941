#pragma once

#include "account/SyncProviding.h"

#include <QStringList>

#include <functional>

// Stands in for the synchroniser behind the screens: logs each call by name
// and runs what the test set for it. Unset, a call does nothing and an
// awaited one finishes at once.
class FakeSync final : public SyncProviding
{
public:
    std::function<QCoro::Task<>(int seconds)> onPullIfStale;
    std::function<QCoro::Task<>(ModelContext &context)> onPull;
    std::function<QCoro::Task<>()> onDrain;
    std::function<void()> onSettingsPush;
    std::function<void(const ReplacementRule &rule, bool isDeleted)> onRuleModelPush;
    std::function<void(const SyncRulePayload &payload)> onRulePush;
    std::function<void(const DictionaryEntry &entry)> onDictionaryEntryModelPush;
    std::function<void(const SyncDictionaryEntryPayload &payload)> onDictionaryEntryPush;
    std::function<void(const QString &clientId)> onTranscriptionDeletion;

    // The calls in order, by the interface's names ("pullIfStale", ...).
    QStringList calls;

    QCoro::Task<> pullIfStale(int seconds) override;
    QCoro::Task<> pull(ModelContext &context) override;
    QCoro::Task<> drainOfflineQueue() override;
    void startSettingsPush() override;
    void startRuleModelPush(const ReplacementRule &rule, bool isDeleted) override;
    void startRulePush(const SyncRulePayload &payload) override;
    void startDictionaryEntryModelPush(const DictionaryEntry &entry) override;
    void startDictionaryEntryPush(const SyncDictionaryEntryPayload &payload) override;
    void startTranscriptionDeletion(const QString &clientId) override;
};
