#pragma once

#include <QAbstractButton>
#include <QColor>

class QVariantAnimation;
class UserDefaultsProviding;

namespace talvoro::ui {

// An on/off switch: a checkable button drawn as a track with a sliding knob,
// the track in the accent colour when on. Space toggles it when focused; the
// knob slides unless animations are off (setAnimated(false), used by tests and
// screenshots).
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(qreal knobPosition READ knobPosition WRITE setKnobPosition)
public:
    explicit ToggleSwitch(QWidget *parent = nullptr);
    ToggleSwitch(UserDefaultsProviding &defaults, QWidget *parent = nullptr);

    // The track colour when on; follows the accent setting when bound.
    QColor onColor() const { return m_onColor; }
    void setOnColor(const QColor &color);

    void setAnimated(bool animated) { m_animated = animated; }

    // 0 = off position, 1 = on position.
    qreal knobPosition() const { return m_knob; }
    void setKnobPosition(qreal position);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void checkStateSet() override;
    void nextCheckState() override;
    bool hitButton(const QPoint &pos) const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void animateTo(bool on);

    QColor m_onColor;
    qreal m_knob = 0;
    bool m_animated = true;
    bool m_userToggle = false;
    QVariantAnimation *m_animation;
};

} // namespace talvoro::ui
