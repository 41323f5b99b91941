#include "dictation/KeyboardMonitor.h"

#include "dictation/DictationLogging.h"
#include "dictation/X11KeyboardMonitor.h"

#include <atomic>

std::unique_ptr<KeyboardMonitor> KeyboardMonitor::createForSession()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        auto x11 = std::make_unique<X11KeyboardMonitor>();
        if (x11->isAvailable()) {
            if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
                qCWarning(lcHotkeyManager)
                    << "Wayland session: hotkeys are grabbed through XWayland and only work while an X11 "
                       "application has the keyboard focus";
            return x11;
        }
    }
    return std::make_unique<NullKeyboardMonitor>();
}

void NullKeyboardMonitor::install(const QList<KeyCombination> &)
{
    static std::atomic_bool logged = false;
    if (!logged.exchange(true))
        qCWarning(lcHotkeyManager)
            << "Global hotkeys unavailable: no X11 display to grab keys on (Wayland sessions offer no "
               "global key grab)";
}
