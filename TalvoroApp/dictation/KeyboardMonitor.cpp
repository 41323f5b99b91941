#include "dictation/KeyboardMonitor.h"

#include "dictation/DictationLogging.h"
#include "dictation/PortalShortcutsMonitor.h"
#include "dictation/X11KeyboardMonitor.h"
#include "platform/DisplaySession.h"

std::unique_ptr<KeyboardMonitor> KeyboardMonitor::createForSession()
{
    // XWayland's grabs would fire only while an X11 window has the focus.
    // Whether the desktop has the shortcuts portal is asked later, without
    // blocking.
    if (talvoro::displayServer() == talvoro::DisplayServer::wayland)
        return std::make_unique<PortalShortcutsMonitor>();
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        auto x11 = std::make_unique<X11KeyboardMonitor>();
        if (x11->isAvailable())
            return x11;
    }
    return std::make_unique<NullKeyboardMonitor>(QStringLiteral("no X11 display to grab keys on"));
}

NullKeyboardMonitor::NullKeyboardMonitor(QString reason, QObject *parent)
    : KeyboardMonitor(parent)
    , m_reason(std::move(reason))
{
}

void NullKeyboardMonitor::install(const QList<KeyCombination> &)
{
    if (!std::exchange(m_logged, true))
        qCWarning(lcHotkeyManager).noquote() << "Global hotkeys unavailable:" << m_reason;
}
