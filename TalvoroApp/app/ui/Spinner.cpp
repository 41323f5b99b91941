#include "app/ui/Spinner.h"

#include <QPainter>
#include <QTimer>

namespace talvoro::ui {

Spinner::Spinner(int diameter, QWidget *parent)
    : QWidget(parent), m_diameter(diameter), m_timer(new QTimer(this))
{
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] { m_step = (m_step + 1) % 12; update(); });
    m_timer->start();
}

void Spinner::setRunning(bool running)
{
    m_running = running;
    running ? m_timer->start() : m_timer->stop();
}

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < 12; ++i) {
        QColor color = palette().color(QPalette::WindowText);
        color.setAlphaF(0.2 + 0.8 * ((i + 12 - m_step) % 12) / 12.0);
        painter.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -m_diameter * 0.25), QPointF(0, -m_diameter * 0.45));
        painter.rotate(30);
    }
}

} // namespace talvoro::ui
