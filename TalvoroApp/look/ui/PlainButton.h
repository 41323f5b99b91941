#pragma once

#include "look/ui/FocusRing.h"

#include <QAbstractButton>
#include <QLayout>

namespace talvoro::ui {

// A button in the platform's plain style: drawn only by the child widgets
// of its layout (a symbol and a label, a card). Clicks on those children
// reach the button, since labels leave the mouse to their parent. Keyboard
// focus shows as a ring over those children.
class PlainButton : public QAbstractButton
{
public:
    explicit PlainButton(QWidget *parent = nullptr)
        : QAbstractButton(parent)
    {
        // A button's children would inherit its Button background role and
        // draw their text in ButtonText, ignoring the colours they were given.
        setBackgroundRole(QPalette::Window);
        setForegroundRole(QPalette::WindowText);
        FocusRingOverlay::attach(this);
    }
    // The ring follows the button's outline (a card's corners, a round picture).
    void setFocusRingShape(FocusRingOverlay::Shape shape) { FocusRingOverlay::attach(this, std::move(shape)); }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }

protected:
    void paintEvent(QPaintEvent *) override {}
};

} // namespace talvoro::ui
