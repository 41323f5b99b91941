#include "screens/settings/ui/TintedFrame.h"

#include "look/Theme.h"

#include <QPainter>

namespace talvoro::settings {

TintedFrame::TintedFrame(qreal fillOpacity, qreal borderOpacity, qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_fillOpacity(fillOpacity)
    , m_borderOpacity(borderOpacity)
    , m_radius(radius)
{
}

void TintedFrame::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TintedFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = m_color;
    fill.setAlphaF(m_fillOpacity);
    QColor border = m_color;
    border.setAlphaF(m_borderOpacity);
    const QPainterPath shape = continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(border, 1));
    painter.drawPath(shape);
}

} // namespace talvoro::settings
