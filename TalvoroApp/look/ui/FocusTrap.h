#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace talvoro::ui {

// Keeps the keyboard focus inside a modal layer that lies over its window
// (a sheet and its backdrop): while the layer is shown and no later layer of
// the same window is, focus that lands elsewhere in the window (a click, a
// widget focusing itself) goes back to the layer. Tab and Shift+Tab reach the
// layer through its focusNextPrevChild(), which calls cycle() while the
// layer is shown.
class FocusTrap : public QObject
{
    Q_OBJECT
public:
    explicit FocusTrap(QWidget *layer);
    ~FocusTrap() override;

    // Moves the focus to the next (or previous) widget inside the layer that
    // takes focus by Tab, wrapping around; the layer itself when none does.
    static bool cycle(QWidget *layer, bool next);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusChanged(QWidget *old, QWidget *now);
    bool isTopmostFor(const QWidget *widget) const;

    QWidget *m_layer;
    QPointer<QWidget> m_lastInside;
};

} // namespace talvoro::ui
