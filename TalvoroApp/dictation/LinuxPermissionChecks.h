#pragma once

#include "dictation/PermissionChecking.h"

#include <QByteArray>

class KeyboardMonitor;

// Linux has no permission prompts for any of the three; each flag says
// whether the capability exists in this session:
// - microphone: granted when at least one capture device (not a monitor of an
//   output) is present; with none there is nothing to ask for;
// - accessibility: granted when an X11 display with the XTEST extension is
//   reachable, which both the global key grab and the synthetic paste
//   keystroke need; a Wayland session grants it only once the desktop
//   portal has bound every hotkey with a trigger, since XWayland's grabs
//   reach us only while an X11 window of ours has the focus. Where the
//   keyboard monitor says this desktop has no way to global hotkeys, it is
//   unavailable rather than pending;
// - speech recognition: always granted, Linux gates no recogniser.
class LinuxPermissionChecks final : public PermissionChecking
{
public:
    // An empty display name means $DISPLAY. `hotkeys`, the session's
    // keyboard monitor, must outlive the checks; without it a Wayland
    // session never grants accessibility.
    explicit LinuxPermissionChecks(const KeyboardMonitor *hotkeys = nullptr, QByteArray displayName = {});

    MicrophoneAuthorization microphoneAuthorization() override;
    void requestMicrophoneAccess(std::function<void(bool granted)> answer) override;
    bool isAccessibilityTrusted() override;
    bool isAccessibilityAvailable() override;
    QUrl accessibilitySettingsUrl() const override;
    SpeechRecognitionAuthorization speechRecognitionAuthorization() override;
    void requestSpeechRecognitionAuthorization(
        std::function<void(SpeechRecognitionAuthorization)> answer) override;

    // The page that explains what an X11 session gives and how to get one.
    static QUrl helpPageUrl();
    // XDG_SESSION_TYPE=wayland or WAYLAND_DISPLAY set.
    static bool isWaylandSession();

private:
    const KeyboardMonitor *m_hotkeys;
    QByteArray m_displayName;
};
