#include "look/ui/FocusTrap.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace talvoro::ui {

namespace {

// Every trap, the most recently shown last.
std::vector<FocusTrap *> &traps()
{
    static std::vector<FocusTrap *> all;
    return all;
}

bool takesTabFocus(const QWidget *widget, const QWidget *layer)
{
    return widget != layer && layer->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy()
        && widget->isVisible() && widget->isEnabled();
}

} // namespace

FocusTrap::FocusTrap(QWidget *layer)
    : QObject(layer)
    , m_layer(layer)
{
    traps().push_back(this);
    layer->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FocusTrap::focusChanged);
}

FocusTrap::~FocusTrap()
{
    std::erase(traps(), this);
}

bool FocusTrap::cycle(QWidget *layer, bool next)
{
    QWidget *focused = QApplication::focusWidget();
    QWidget *start = focused && layer->isAncestorOf(focused) ? focused : layer;
    for (QWidget *w = next ? start->nextInFocusChain() : start->previousInFocusChain(); w && w != start;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (takesTabFocus(w, layer)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    if (start == layer)
        layer->setFocus(Qt::OtherFocusReason);
    return true;
}

bool FocusTrap::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_layer && event->type() == QEvent::Show) {
        std::erase(traps(), this);
        traps().push_back(this);
    }
    return QObject::eventFilter(watched, event);
}

bool FocusTrap::isTopmostFor(const QWidget *widget) const
{
    const auto &all = traps();
    const auto topmost = std::find_if(all.rbegin(), all.rend(), [widget](const FocusTrap *trap) {
        return trap->m_layer->isVisible() && trap->m_layer->window() == widget->window();
    });
    return topmost != all.rend() && *topmost == this;
}

void FocusTrap::focusChanged(QWidget *, QWidget *now)
{
    if (!now || !isTopmostFor(now))
        return;
    if (now == m_layer || m_layer->isAncestorOf(now)) {
        m_lastInside = now;
        return;
    }
    QWidget *back = m_lastInside && m_lastInside->isVisible() && m_layer->isAncestorOf(m_lastInside)
        ? m_lastInside.data()
        : m_layer;
    back->setFocus(Qt::OtherFocusReason);
}

} // namespace talvoro::ui
