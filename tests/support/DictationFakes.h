#pragma once

#include "dictation/KeyboardMonitor.h"
#include "dictation/MicrophoneDevice.h"
#include "dictation/PermissionChecking.h"
#include "dictation/SoundPlaying.h"
#include "platform/UrlOpener.h"
#include "support/RecordingUrlOpener.h"

#include <QList>
#include <QUrl>

#include <memory>

// Records what HotkeyManager installs and lets a test press keys.
class FakeKeyboardMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    bool isAvailable() const override { return available; }
    void install(const QList<KeyCombination> &combinations) override
    {
        installed = combinations;
        installCount++;
        m_installed = true;
    }
    void remove() override
    {
        installed.clear();
        m_installed = false;
    }
    bool isInstalled() const override { return m_installed; }
    void setEscapeMonitored(bool monitored) override { escapeMonitored = monitored; }

    void press(quint16 keyCode, quint64 modifiers) { Q_EMIT keyPressed(keyCode, modifiers); }

    bool available = true;
    QList<KeyCombination> installed;
    int installCount = 0;
    bool escapeMonitored = false;

private:
    bool m_installed = false;
};

// Permission answers a test sets; requests wait until the test answers them.
class FakePermissionChecks final : public PermissionChecking
{
public:
    struct State
    {
        MicrophoneAuthorization microphone = MicrophoneAuthorization::notDetermined;
        bool accessibility = false;
        bool accessibilityAvailable = true;
        SpeechRecognitionAuthorization speech = SpeechRecognitionAuthorization::notDetermined;
        std::function<void(bool)> pendingMicrophoneAnswer;
        std::function<void(SpeechRecognitionAuthorization)> pendingSpeechAnswer;
        int microphoneRequests = 0;
    };

    explicit FakePermissionChecks(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    MicrophoneAuthorization microphoneAuthorization() override { return m_state->microphone; }
    void requestMicrophoneAccess(std::function<void(bool)> answer) override
    {
        m_state->microphoneRequests++;
        m_state->pendingMicrophoneAnswer = std::move(answer);
    }
    bool isAccessibilityTrusted() override { return m_state->accessibility; }
    bool isAccessibilityAvailable() override { return m_state->accessibilityAvailable; }
    QUrl accessibilitySettingsUrl() const override { return QUrl(QStringLiteral("https://example.test/help")); }
    SpeechRecognitionAuthorization speechRecognitionAuthorization() override { return m_state->speech; }
    void requestSpeechRecognitionAuthorization(std::function<void(SpeechRecognitionAuthorization)> answer) override
    {
        m_state->pendingSpeechAnswer = std::move(answer);
    }

private:
    std::shared_ptr<State> m_state;
};

// A fixed device list that counts how often it was asked.
class FixedMicrophones final : public MicrophoneProviding
{
public:
    QList<MicrophoneDevice> availableMicrophones() const override
    {
        ++fetches;
        return devices;
    }
    QList<MicrophoneDevice> devices;
    mutable int fetches = 0;
};

// A sound that logs what was done to it.
class FakeSoundPlayer final : public SoundPlaying
{
public:
    struct Log
    {
        QStringList calls;
        double volume = -1;
        bool playing = false;
        bool available = true;
    };

    explicit FakeSoundPlayer(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    // Every sound logs into `log` (a log of its own when none is given).
    static SoundPlayerFactory factoryFor(std::shared_ptr<Log> log)
    {
        if (!log)
            log = std::make_shared<Log>();
        return [log](const QString &) { return std::make_unique<FakeSoundPlayer>(log); };
    }

    bool isAvailable() const override { return m_log->available; }
    bool isPlaying() const override { return m_log->playing; }
    void stop() override
    {
        m_log->calls << QStringLiteral("stop");
        m_log->playing = false;
    }
    void setVolume(double volume) override
    {
        m_log->calls << QStringLiteral("volume");
        m_log->volume = volume;
    }
    void play() override
    {
        m_log->calls << QStringLiteral("play");
        m_log->playing = true;
    }

private:
    std::shared_ptr<Log> m_log;
};
