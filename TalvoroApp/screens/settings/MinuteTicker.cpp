#include "screens/settings/MinuteTicker.h"

namespace talvoro::settings {

MinuteTicker::MinuteTicker(std::function<QDateTime()> clock, QObject *owner)
    : QObject(owner)
    , m_clock(std::move(clock))
    , m_now(m_clock())
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_now = m_clock();
        Q_EMIT ticked(m_now);
    });
    m_timer.start();
}

} // namespace talvoro::settings
