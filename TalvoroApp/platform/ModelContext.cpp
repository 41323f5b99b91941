#include "platform/ModelContext.h"

#include <QTimer>

#include <algorithm>

ModelContext::ModelContext(AppModelContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(&container)
{
}

ModelContext::~ModelContext()
{
    if (m_autosave && hasChanges())
        save();
}

void ModelContext::setAutosaveEnabled(bool enabled)
{
    m_autosave = enabled;
    if (enabled && hasChanges())
        scheduleAutosave();
}

bool ModelContext::hasChanges() const
{
    for (const auto &[table, pending] : m_pending) {
        if (!pending->isEmpty())
            return true;
    }
    return false;
}

std::expected<void, StoreError> ModelContext::save()
{
    if (!hasChanges())
        return {};
    if (!m_container)
        return std::unexpected(unavailable());
    // Taken out first: a live query reacting to this commit may already make
    // the next change in this context, which must stay pending.
    auto taken = std::exchange(m_pending, {});
    auto result = m_container->write([&taken](SqliteDatabase &db, StoreChangeSet &changes)
                                         -> std::expected<void, StoreError> {
        for (const auto &[table, pending] : taken) {
            if (auto applied = pending->apply(db, changes); !applied)
                return applied;
        }
        return {};
    });
    if (!result) {
        // Nothing was committed and nobody was notified: all of it is pending again.
        m_pending = std::move(taken);
        logFailure("save", result.error());
    }
    return result;
}

void ModelContext::rollback()
{
    m_pending.clear();
}

void ModelContext::scheduleAutosave()
{
    if (!m_autosave || m_autosaveScheduled)
        return;
    m_autosaveScheduled = true;
    QTimer::singleShot(0, this, [this] { autosave(); });
}

void ModelContext::autosave()
{
    m_autosaveScheduled = false;
    if (!m_autosave || !hasChanges())
        return;
    if (save()) {
        m_retryDelayMs = 0;
        return;
    }
    // Try again later (a lock held elsewhere passes), backing off to a minute.
    m_retryDelayMs = m_retryDelayMs == 0 ? 1000 : std::min(m_retryDelayMs * 2, 60'000);
    m_autosaveScheduled = true;
    QTimer::singleShot(m_retryDelayMs, this, [this] { autosave(); });
}

StoreError ModelContext::unavailable() const
{
    return {StoreError::Kind::unavailable, 0, QStringLiteral("container gone")};
}

void ModelContext::logFailure(const char *what, const StoreError &error) const
{
    qCWarning(lcModelStore).noquote() << "Model context" << what << "failed:" << error.errorDescription();
}
