#include "dictation/KeyboardMonitor.h"

#include "dictation/DictationLogging.h"
#include "dictation/PortalShortcutsMonitor.h"
#include "dictation/X11KeyboardMonitor.h"
#include "platform/DisplaySession.h"

std::unique_ptr<KeyboardMonitor> KeyboardMonitor::createForSession()
{
    // XWayland's grabs would fire only while an X11 window has the focus.
    if (talvoro::displayServer() == talvoro::DisplayServer::wayland) {
        if (PortalShortcutsMonitor::isOfferedOnSessionBus())
            return std::make_unique<PortalShortcutsMonitor>();
        return std::make_unique<NullKeyboardMonitor>(
            QStringLiteral("this Wayland desktop offers no global shortcuts portal "
                           "(org.freedesktop.portal.GlobalShortcuts)"));
    }
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
