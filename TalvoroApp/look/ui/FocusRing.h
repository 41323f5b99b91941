#pragma once

#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QWidget>

namespace talvoro::ui {

inline constexpr qreal kFocusRingWidth = 2;

// Keyboard focus shows only after the keyboard moved it, as on the desktop.
inline bool showsFocusRing(const QWidget *widget)
{
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

// A ring whose outer edge lies `inset` inside `rect`.
inline void paintFocusRing(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal inset = 0)
{
    const qreal middle = inset + kFocusRingWidth / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, kFocusRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(middle, middle, -middle, -middle), std::max(0.0, radius - middle),
                            std::max(0.0, radius - middle));
    painter.restore();
}

} // namespace talvoro::ui
