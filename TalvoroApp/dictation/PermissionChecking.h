#pragma once

#include <QUrl>

#include <functional>

enum class MicrophoneAuthorization { notDetermined, restricted, denied, authorized };
enum class SpeechRecognitionAuthorization { notDetermined, denied, restricted, authorized };

// The platform's answers about the three permissions the dictation needs.
// PermissionManager asks only through this, so tests can drive every state.
class PermissionChecking
{
public:
    virtual ~PermissionChecking() = default;

    virtual MicrophoneAuthorization microphoneAuthorization() = 0;
    // Asks the user or the system; `answer` may run later, on any thread.
    virtual void requestMicrophoneAccess(std::function<void(bool granted)> answer) = 0;

    // Whether the process may watch keys system-wide and post synthetic
    // keystrokes.
    virtual bool isAccessibilityTrusted() = 0;
    // False where nothing can grant it on this desktop (no way to have
    // global hotkeys at all): it is then not pending, only missing.
    virtual bool isAccessibilityAvailable() { return true; }
    virtual QUrl accessibilitySettingsUrl() const = 0;

    virtual SpeechRecognitionAuthorization speechRecognitionAuthorization() = 0;
    virtual void requestSpeechRecognitionAuthorization(
        std::function<void(SpeechRecognitionAuthorization)> answer) = 0;
};
