#pragma once

#include <QImage>
#include <QWidget>

namespace talvoro::settings {

// Turns a whole (scrolling) screen into one large card: the content on the
// text background colour inside a continuous rounded rectangle (radius 16)
// with a soft shadow (black 6 %, blur 8, 2 px down), 0 px from the top of
// the area and 20 px from its other edges, on the window background.
// The content's own backgrounds are made transparent so the card shows
// through and its corners stay round.
class DetailCardModifier : public QWidget
{
    Q_OBJECT
public:
    explicit DetailCardModifier(QWidget *content, QWidget *parent = nullptr);

    QWidget *content() const { return m_content; }
    // The card's rectangle in this widget's coordinates.
    QRect cardGeometry() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_surface;
    QWidget *m_content;
    QImage m_card; // a card of m_cardSize with its shadow, in m_cardFill
    QSize m_cardSize;
    QColor m_cardFill;
};

} // namespace talvoro::settings
