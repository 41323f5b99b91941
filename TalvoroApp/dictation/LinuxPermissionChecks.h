#pragma once

#include "dictation/PermissionChecking.h"

#include <QByteArray>

// Linux has no permission prompts for any of the three; each flag says
// whether the capability exists in this session:
// - microphone: granted when at least one capture device (not a monitor of an
//   output) is present; with none there is nothing to ask for;
// - accessibility: granted when an X11 display with the XTEST extension is
//   reachable, which both the global key grab and the synthetic paste
//   keystroke need; a Wayland session grants it only where the desktop
//   portal offers global shortcuts, since XWayland's grabs reach us only
//   while an X11 window of ours has the focus;
// - speech recognition: always granted, Linux gates no recogniser.
class LinuxPermissionChecks final : public PermissionChecking
{
public:
    // An empty display name means $DISPLAY.
    explicit LinuxPermissionChecks(QByteArray displayName = {});

    MicrophoneAuthorization microphoneAuthorization() override;
    void requestMicrophoneAccess(std::function<void(bool granted)> answer) override;
    bool isAccessibilityTrusted() override;
    QUrl accessibilitySettingsUrl() const override;
    SpeechRecognitionAuthorization speechRecognitionAuthorization() override;
    void requestSpeechRecognitionAuthorization(
        std::function<void(SpeechRecognitionAuthorization)> answer) override;

    // The page that explains what an X11 session gives and how to get one.
    static QUrl helpPageUrl();
    // XDG_SESSION_TYPE=wayland or WAYLAND_DISPLAY set.
    static bool isWaylandSession();

private:
    QByteArray m_displayName;
};
