#include "screens/home-history-stats/HistoryActions.h"

#include "account/SyncProviding.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHistory, "com.torvenak.talvoro-mac.History")

namespace talvoro::history {

bool deleteTranscription(AppModelContainer &container, const QUuid &id, SyncProviding *sync)
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
    if (sync)
        sync->startTranscriptionDeletion(removed->idString());
    return true;
}

} // namespace talvoro::history
