#include "dictation/LinuxPermissionChecks.h"

#include "dictation/KeyboardMonitor.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "platform/DisplaySession.h"

#include <X11/Xlib.h>

LinuxPermissionChecks::LinuxPermissionChecks(const KeyboardMonitor *hotkeys, QByteArray displayName)
    : m_hotkeys(hotkeys)
    , m_displayName(std::move(displayName))
{
}

MicrophoneAuthorization LinuxPermissionChecks::microphoneAuthorization()
{
    return SystemMicrophoneProvider().availableMicrophones().isEmpty()
               ? MicrophoneAuthorization::denied
               : MicrophoneAuthorization::authorized;
}

void LinuxPermissionChecks::requestMicrophoneAccess(std::function<void(bool granted)> answer)
{
    answer(microphoneAuthorization() == MicrophoneAuthorization::authorized);
}

bool LinuxPermissionChecks::isWaylandSession()
{
    return talvoro::displayServer() == talvoro::DisplayServer::wayland;
}

bool LinuxPermissionChecks::isAccessibilityTrusted()
{
    // XWayland offers an X display with XTEST, yet its key grabs fire only
    // while one of our X11 windows has the focus: not a global hotkey. The
    // desktop portal's global shortcuts are, once it has bound them all.
    if (isWaylandSession())
        return m_hotkeys && m_hotkeys->isInstalled();
    const QByteArray name = m_displayName.isEmpty() ? qgetenv("DISPLAY") : m_displayName;
    if (name.isEmpty())
        return false;
    // A short-lived connection: the poll must not keep one open that the
    // loss of the server would turn into a process exit.
    Display *display = XOpenDisplay(name.constData());
    if (!display)
        return false;
    int opcode = 0, event = 0, error = 0;
    const bool hasXTest = XQueryExtension(display, "XTEST", &opcode, &event, &error);
    XCloseDisplay(display);
    return hasXTest;
}

bool LinuxPermissionChecks::isAccessibilityAvailable()
{
    return !m_hotkeys || m_hotkeys->isAvailable();
}

QUrl LinuxPermissionChecks::accessibilitySettingsUrl() const
{
    return helpPageUrl();
}

QUrl LinuxPermissionChecks::helpPageUrl()
{
    return QUrl(QStringLiteral("https://torvenak.com/talvoro/help/linux#global-hotkeys"));
}

SpeechRecognitionAuthorization LinuxPermissionChecks::speechRecognitionAuthorization()
{
    return SpeechRecognitionAuthorization::authorized;
}

void LinuxPermissionChecks::requestSpeechRecognitionAuthorization(
    std::function<void(SpeechRecognitionAuthorization)> answer)
{
    answer(SpeechRecognitionAuthorization::authorized);
}
