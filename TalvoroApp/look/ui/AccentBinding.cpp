#include "look/ui/AccentBinding.h"

#include "look/AccentColorOption.h"
#include "look/ui/Appearance.h"
#include "platform/SettingsKeys.h"

#include <QEvent>
#include <QWidget>

namespace talvoro::ui {

AccentBinding::AccentBinding(QWidget *widget, Apply apply, UserDefaultsProviding &defaults)
    : QObject(widget)
    , m_widget(widget)
    , m_apply(std::move(apply))
    , m_defaults(defaults)
{
    connect(&defaults, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::keyboardAccentColor)
            refreshIfChanged();
    });
    widget->installEventFilter(this);
}

AccentBinding *AccentBinding::bind(QWidget *widget, Apply apply, UserDefaultsProviding &defaults)
{
    auto *binding = new AccentBinding(widget, std::move(apply), defaults);
    binding->refresh();
    return binding;
}

QColor AccentBinding::color() const
{
    return currentAccentColor(m_defaults, isDark(m_widget));
}

void AccentBinding::refresh()
{
    m_dark = isDark(m_widget);
    m_applied = currentAccentColor(m_defaults, m_dark);
    if (m_apply)
        m_apply(m_applied);
}

void AccentBinding::refreshIfChanged()
{
    // Palette changes reach every widget under the one changed, and each
    // apply may change palettes again: apply only what the accent or the
    // appearance changed, or choosing an accent restyles the window many
    // times over.
    const bool dark = isDark(m_widget);
    if (dark != m_dark || currentAccentColor(m_defaults, dark) != m_applied)
        refresh();
}

bool AccentBinding::eventFilter(QObject *watched, QEvent *event)
{
    // Only a change of appearance matters; palette changes that the
    // callback itself causes keep the same darkness and settle at once.
    if (watched == m_widget && event->type() == QEvent::PaletteChange)
        refreshIfChanged();
    return QObject::eventFilter(watched, event);
}

} // namespace talvoro::ui
