#include "platform/StartTask.h"

Q_LOGGING_CATEGORY(lcTasks, "com.torvenak.talvoro-mac.Tasks")

namespace talvoro::detail {

void logTaskFailure(const QObject *owner, const char *what, const QString &reason)
{
    const char *ownerName = owner ? owner->metaObject()->className() : "a destroyed owner";
    qCWarning(lcTasks, "%s (started by %s) failed: %s", what, ownerName, qUtf8Printable(reason));
}

} // namespace talvoro::detail
