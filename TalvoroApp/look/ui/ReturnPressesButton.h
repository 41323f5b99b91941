#pragma once

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>

namespace talvoro::ui {

// Return and Enter press the focused button as Space does; a QPushButton
// outside a dialog ignores them. Made with the button as its parent.
class ReturnPressesButton : public QObject
{
public:
    explicit ReturnPressesButton(QAbstractButton *button)
        : QObject(button)
        , m_button(button)
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_button || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        if (!key->isAutoRepeat())
            m_button->click();
        return true;
    }

private:
    QAbstractButton *m_button;
};

} // namespace talvoro::ui
