#include "support/FakeSync.h"

namespace {
QCoro::Task<> finished()
{
    co_return;
}

// Logs the call, then runs the test's reaction when it set one.
template<class Reaction, class... Args>
void react(QStringList &calls, const char *name, const Reaction &reaction, const Args &...args)
{
    calls.append(QString::fromLatin1(name));
    if (reaction)
        reaction(args...);
}

template<class Reaction, class... Args>
QCoro::Task<> awaited(QStringList &calls, const char *name, const Reaction &reaction, Args &&...args)
{
    calls.append(QString::fromLatin1(name));
    return reaction ? reaction(std::forward<Args>(args)...) : finished();
}
} // namespace

QCoro::Task<> FakeSync::pullIfStale(int seconds)
{
    return awaited(calls, "pullIfStale", onPullIfStale, seconds);
}

QCoro::Task<> FakeSync::pull(ModelContext &context)
{
    return awaited(calls, "pull", onPull, context);
}

QCoro::Task<> FakeSync::drainOfflineQueue()
{
    return awaited(calls, "drainOfflineQueue", onDrain);
}

void FakeSync::startSettingsPush()
{
    react(calls, "startSettingsPush", onSettingsPush);
}

void FakeSync::startRuleModelPush(const ReplacementRule &rule, bool isDeleted)
{
    react(calls, "startRuleModelPush", onRuleModelPush, rule, isDeleted);
}

void FakeSync::startRulePush(const SyncRulePayload &payload)
{
    react(calls, "startRulePush", onRulePush, payload);
}

void FakeSync::startDictionaryEntryModelPush(const DictionaryEntry &entry)
{
    react(calls, "startDictionaryEntryModelPush", onDictionaryEntryModelPush, entry);
}

void FakeSync::startDictionaryEntryPush(const SyncDictionaryEntryPayload &payload)
{
    react(calls, "startDictionaryEntryPush", onDictionaryEntryPush, payload);
}

void FakeSync::startTranscriptionDeletion(const QString &clientId)
{
    react(calls, "startTranscriptionDeletion", onTranscriptionDeletion, clientId);
}
