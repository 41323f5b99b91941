#pragma once

#include <QColor>
#include <QWidget>

namespace talvoro::settings {

// A banner's background: a continuous rounded rectangle filled with a colour
// at a low opacity and bordered inside by a 1 px line of it at another.
class TintedFrame : public QWidget
{
    Q_OBJECT
public:
    TintedFrame(qreal fillOpacity, qreal borderOpacity, qreal radius, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    qreal m_fillOpacity;
    qreal m_borderOpacity;
    qreal m_radius;
};

} // namespace talvoro::settings
