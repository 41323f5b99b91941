#pragma once

#include <QAbstractButton>
#include <QLayout>

namespace talvoro::ui {

// A button in the platform's plain style: drawn only by the child widgets
// of its layout (a symbol and a label, a card). Clicks on those children
// reach the button, since labels leave the mouse to their parent.
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
    }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }

protected:
    void paintEvent(QPaintEvent *) override {}
};

} // namespace talvoro::ui
