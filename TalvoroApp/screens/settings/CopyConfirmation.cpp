#include "screens/settings/CopyConfirmation.h"

#include <QTimer>

namespace talvoro::settings {

CopyConfirmation::CopyConfirmation(QObject *owner)
    : QObject(owner)
{
}

void CopyConfirmation::confirm()
{
    setShown(true);
    QTimer::singleShot(kResetMs, Qt::PreciseTimer, this, [this] { setShown(false); });
}

void CopyConfirmation::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    Q_EMIT shownChanged(shown);
}

} // namespace talvoro::settings
