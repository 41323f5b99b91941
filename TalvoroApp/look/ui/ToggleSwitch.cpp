#include "look/ui/ToggleSwitch.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace talvoro::ui {

namespace {
constexpr int kWidth = 38;
constexpr int kHeight = 22;
constexpr int kKnobInset = 2;
} // namespace

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QAbstractButton(parent)
    , m_onColor(AccentColorOption(AccentColorOption::defaultColor).color())
    , m_animation(new QVariantAnimation(this))
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    const auto timing = approximateSpring(navigationAnimation());
    m_animation->setDuration(timing.durationMs);
    m_animation->setEasingCurve(timing.curve);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { setKnobPosition(value.toReal()); });
}

ToggleSwitch::ToggleSwitch(UserDefaultsProviding &defaults, QWidget *parent)
    : ToggleSwitch(parent)
{
    AccentBinding::bind(this, [this](const QColor &color) { setOnColor(color); }, defaults);
}

void ToggleSwitch::setOnColor(const QColor &color)
{
    if (color == m_onColor)
        return;
    m_onColor = color;
    update();
}

void ToggleSwitch::setKnobPosition(qreal position)
{
    m_knob = std::clamp(position, 0.0, 1.0);
    update();
}

QSize ToggleSwitch::sizeHint() const
{
    return {kWidth, kHeight};
}

QSize ToggleSwitch::minimumSizeHint() const
{
    return sizeHint();
}

void ToggleSwitch::checkStateSet()
{
    // Set from code (a setting being shown): jump, don't slide.
    if (m_userToggle)
        return;
    m_animation->stop();
    setKnobPosition(isChecked() ? 1 : 0);
}

void ToggleSwitch::nextCheckState()
{
    m_userToggle = true;
    QAbstractButton::nextCheckState();
    m_userToggle = false;
    animateTo(isChecked());
}

void ToggleSwitch::animateTo(bool on)
{
    m_animation->stop();
    if (!m_animated || !isVisible()) {
        setKnobPosition(on ? 1 : 0);
        return;
    }
    m_animation->setStartValue(m_knob);
    m_animation->setEndValue(on ? 1.0 : 0.0);
    m_animation->start();
}

bool ToggleSwitch::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void ToggleSwitch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = isDark(this);
    const QRectF track = QRectF(0, 0, kWidth, kHeight).translated((width() - kWidth) / 2.0, (height() - kHeight) / 2.0);
    const qreal radius = track.height() / 2;

    const QColor off = dark ? QColor(255, 255, 255, 46) : QColor(0, 0, 0, 28);
    QColor fill = off;
    if (m_knob > 0) {
        // Blend from the off track to the on colour as the knob travels.
        const QColor on = m_onColor;
        fill = QColor::fromRgbF(off.redF() + (on.redF() - off.redF()) * m_knob,
                                off.greenF() + (on.greenF() - off.greenF()) * m_knob,
                                off.blueF() + (on.blueF() - off.blueF()) * m_knob,
                                off.alphaF() + (on.alphaF() - off.alphaF()) * m_knob);
    }
    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSide = track.height() - 2 * kKnobInset;
    const qreal travel = track.width() - 2 * kKnobInset - knobSide;
    const QRectF knob(track.left() + kKnobInset + travel * m_knob, track.top() + kKnobInset, knobSide, knobSide);
    painter.setBrush(QColor(0, 0, 0, 30));
    painter.drawEllipse(knob.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setBrush(dark ? QColor(232, 232, 232) : Qt::white);
    painter.drawEllipse(knob);

    // Inside a rim of the track, in the colour text takes on it: a ring in
    // the accent vanished into the track of a switch that is on, and one at
    // the edge met the window's background.
    if (showsFocusRing(this))
        paintFocusRing(painter, track, radius, focusRingColor(dark, m_knob > 0.5 ? std::optional(m_onColor) : std::nullopt),
                       1.5);
}

} // namespace talvoro::ui
