#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// The longest time the event loop went without turning.
class StallMonitor
{
public:
    StallMonitor()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestMs = std::max(m_longestMs, m_sinceTurn.nsecsElapsed() / 1e6);
            m_sinceTurn.restart();
        });
        m_sinceTurn.start();
        m_timer.start();
    }
    double longestMs() const { return m_longestMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTurn;
    double m_longestMs = 0;
};
