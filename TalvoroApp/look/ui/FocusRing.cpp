#include "look/ui/FocusRing.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"

#include <QEvent>

namespace talvoro::ui {

QColor focusRingColor(bool dark, const std::optional<QColor> &filledSurface)
{
    return filledSurface ? foregroundOnSurface(*filledSurface) : primaryColor(dark);
}

FocusRingOverlay *FocusRingOverlay::attach(QWidget *control)
{
    return attach(control, Shape{});
}

FocusRingOverlay *FocusRingOverlay::attach(QWidget *control, Shape shape)
{
    if (auto *existing = control->findChild<FocusRingOverlay *>(QString(), Qt::FindDirectChildrenOnly)) {
        existing->setShape(std::move(shape));
        return existing;
    }
    return new FocusRingOverlay(control, std::move(shape));
}

FocusRingOverlay::FocusRingOverlay(QWidget *control, Shape shape)
    : QWidget(control)
    , m_control(control)
    , m_shape(std::move(shape))
{
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    control->installEventFilter(this);
}

void FocusRingOverlay::setShape(Shape shape)
{
    m_shape = std::move(shape);
    update();
}

void FocusRingOverlay::follow()
{
    const bool shown = showsFocusRing(m_control);
    if (shown) {
        setGeometry(m_control->rect());
        // Children added since the last time would cover the ring.
        raise();
    }
    setVisible(shown);
    update();
}

bool FocusRingOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Resize:
        case QEvent::PaletteChange:
            follow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRingOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = rect();
    const qreal radius = m_shape.radius < 0 ? std::min(bounds.width(), bounds.height()) / 2 : m_shape.radius;
    const std::optional<QColor> surface = m_shape.surface ? m_shape.surface() : std::nullopt;
    paintFocusRing(painter, bounds, radius, focusRingColor(isDark(m_control), surface), m_shape.inset);
}

} // namespace talvoro::ui
