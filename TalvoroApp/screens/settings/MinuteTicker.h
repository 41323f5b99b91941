#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

namespace talvoro::settings {

// The reference time of relative ages ("5 min"): read from the clock when
// made and again every 60 s, for the rows shown by its owner. Owned by the
// list or card that shows the ages, so it stops with them.
class MinuteTicker : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 60'000;

    MinuteTicker(std::function<QDateTime()> clock, QObject *owner);

    QDateTime now() const { return m_now; }

Q_SIGNALS:
    void ticked(const QDateTime &now);

private:
    std::function<QDateTime()> m_clock;
    QDateTime m_now;
    QTimer m_timer;
};

} // namespace talvoro::settings
