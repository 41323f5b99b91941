#pragma once

#include <QObject>

namespace talvoro::settings {

// The "copied" state of a copy button: on at each copy and off 2.0 s after
// that copy. A later copy schedules its own reset but cancels none, so two
// copies 1 s apart end the confirmation 2 s after the first. Owned by its
// widget, so a widget that goes away never receives a late reset.
class CopyConfirmation : public QObject
{
    Q_OBJECT
public:
    static constexpr int kResetMs = 2000;

    explicit CopyConfirmation(QObject *owner);

    bool isShown() const { return m_shown; }
    // Shows the confirmation and schedules its reset.
    void confirm();

Q_SIGNALS:
    void shownChanged(bool shown);

private:
    void setShown(bool shown);
    bool m_shown = false;
};

} // namespace talvoro::settings
