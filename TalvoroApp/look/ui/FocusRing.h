#pragma once

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <optional>

namespace talvoro::ui {

inline constexpr qreal kFocusRingWidth = 2;

// Keyboard focus shows only after the keyboard moved it, as on the desktop.
inline bool showsFocusRing(const QWidget *widget)
{
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

// The one colour rule for every focus ring: the colour text takes where the
// ring lies, so the ring reads as well as the label does (3:1 and more).
// On a filled surface (an accent, a red) that is `foregroundOnSurface` of the
// fill, and the ring lies inside the edge with a rim of fill around it; on
// the window or a card it is the primary colour.
QColor focusRingColor(bool dark, const std::optional<QColor> &filledSurface = std::nullopt);

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

// The ring over a control whose own painting cannot show it: one drawn by
// its children (a card, a picture) or by a style sheet. A transparent child
// of the control, raised over its other children while the ring shows.
class FocusRingOverlay : public QWidget
{
    Q_OBJECT
public:
    struct Shape
    {
        qreal radius = 8;   // corner radius of the control's outline; < 0: a capsule or circle
        qreal inset = 0;    // outer edge of the ring inside the control's edge
        // The surface under the ring, for the colour rule; none: the window.
        std::function<std::optional<QColor>()> surface;
    };

    static FocusRingOverlay *attach(QWidget *control, Shape shape);
    static FocusRingOverlay *attach(QWidget *control);
    void setShape(Shape shape);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    FocusRingOverlay(QWidget *control, Shape shape);
    void follow();

    QWidget *m_control;
    Shape m_shape;
};

} // namespace talvoro::ui
