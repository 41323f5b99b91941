#include "screens/home-history-stats/HistoryActions.h"

#include "account/SyncManager.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/StartTask.h"

#include <QLoggingCategory>
#include <QPointer>

Q_LOGGING_CATEGORY(lcHistory, "com.torvenak.talvoro-mac.History")

namespace talvoro::history {

namespace {
QCoro::Task<void> noPull()
{
    co_return;
}
} // namespace

HistorySyncHooks historySyncHooks(SyncManager *sync)
{
    if (!sync)
        return {};
    QPointer<SyncManager> synchroniser(sync);
    return {[synchroniser](const QString &clientId) {
                if (synchroniser)
                    talvoro::startTask(synchroniser, synchroniser->deleteTranscription(clientId),
                                       "The transcription's deletion on the account");
            },
            [synchroniser](int seconds) -> QCoro::Task<void> {
                if (!synchroniser)
                    return noPull();
                return synchroniser->pullIfStale(seconds);
            }};
}

bool deleteTranscription(AppModelContainer &container, const QUuid &id, const HistorySyncHooks &hooks)
{
    // Not the shared context: a failed save there would stay pending and be
    // committed later by its autosave, after the next pull had already
    // brought the record back from the account.
    const std::unique_ptr<ModelContext> context = container.makeContext();
    context->setAutosaveEnabled(false);
    const auto removed = context->remove<TranscriptionRecord>(id);
    if (!removed) {
        qCWarning(lcHistory) << "Delete transcription failed:" << removed.error().errorDescription();
        return false;
    }
    if (const auto saved = context->save(); !saved) {
        qCWarning(lcHistory) << "Delete transcription failed:" << saved.error().errorDescription();
        context->rollback();
        return false;
    }
    if (hooks.deleteOnAccount)
        hooks.deleteOnAccount(removed->idString());
    return true;
}

} // namespace talvoro::history
