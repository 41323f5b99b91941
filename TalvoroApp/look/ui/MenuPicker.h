#pragma once

#include <QComboBox>
#include <QWheelEvent>

// A menu-style picker: it changes only through its menu. A plain QComboBox
// steps its item on a wheel turn, so scrolling a page across a picker would
// silently change the setting behind it; the turn goes to the page instead.
class MenuPicker final : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent *event) override { event->ignore(); }
};
