#pragma once

#include "platform/SettingsStore.h"

#include <QColor>
#include <QObject>

#include <functional>

class QWidget;

namespace talvoro::ui {

// Keeps a widget's accent colour in step with `keyboardAccentColor`: the
// setting is read afresh (never cached) whenever it changes and whenever the
// widget's appearance changes, and `apply` receives the resolved colour at
// once. Owned by the widget.
class AccentBinding : public QObject
{
    Q_OBJECT
public:
    using Apply = std::function<void(const QColor &)>;

    static AccentBinding *bind(QWidget *widget, Apply apply, UserDefaultsProviding &defaults);

    QColor color() const;
    // Applies the colour now, changed or not.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AccentBinding(QWidget *widget, Apply apply, UserDefaultsProviding &defaults);
    void refreshIfChanged();

    QWidget *m_widget;
    Apply m_apply;
    UserDefaultsProviding &m_defaults;
    // What was applied last, and in which appearance.
    QColor m_applied;
    bool m_dark = false;
};

} // namespace talvoro::ui
