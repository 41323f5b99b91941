#include "look/ui/Spinner.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

namespace talvoro::ui {

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMs = 1000 / kSpokes; // one turn a second
} // namespace

Spinner::Spinner(int diameter, QWidget *parent)
    : QWidget(parent)
    , m_diameter(diameter)
    , m_timer(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

void Spinner::setRunning(bool running)
{
    m_running = running;
    updateTimer();
    update();
}

QSize Spinner::sizeHint() const
{
    return {m_diameter, m_diameter};
}

void Spinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void Spinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void Spinner::updateTimer()
{
    if (m_running && isVisible())
        m_timer->start();
    else
        m_timer->stop();
}

void Spinner::paintEvent(QPaintEvent *)
{
    if (!m_running)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal outer = side / 2;
    const qreal inner = outer * 0.45;
    const qreal thickness = std::max<qreal>(1.5, side / 9);
    painter.translate(width() / 2.0, height() / 2.0);
    QColor color = palette().color(QPalette::WindowText);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is darkest; the trail fades out behind it.
        const int age = (m_step - i + kSpokes) % kSpokes;
        color.setAlphaF(std::max(0.15, 1.0 - age / double(kSpokes)));
        painter.setPen(QPen(color, thickness, Qt::SolidLine, Qt::RoundCap));
        const qreal angle = 2 * M_PI * i / kSpokes - M_PI / 2;
        painter.drawLine(QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
                         QPointF(std::cos(angle) * (outer - thickness / 2), std::sin(angle) * (outer - thickness / 2)));
    }
}

} // namespace talvoro::ui
