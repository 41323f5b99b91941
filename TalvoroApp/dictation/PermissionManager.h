#pragma once

#include "dictation/PermissionChecking.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class UrlOpener;
class PermissionManager;

// The running permission poll. There is no stop on the manager: whoever ends
// the poll cancels this task and drops the manager's reference to it.
class PermissionPollingTask final : public QObject
{
    Q_OBJECT
public:
    explicit PermissionPollingTask(PermissionManager *manager);

    void cancel();
    bool isCancelled() const { return m_cancelled; }

private:
    void tick();

    QPointer<PermissionManager> m_manager;
    QTimer m_timer;
    bool m_cancelled = false;
};

// The published states of the microphone, accessibility and speech
// recognition permissions.
class PermissionManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool microphoneGranted READ microphoneGranted NOTIFY microphoneGrantedChanged)
    Q_PROPERTY(bool accessibilityGranted READ accessibilityGranted NOTIFY accessibilityGrantedChanged)
    Q_PROPERTY(bool accessibilityAvailable READ accessibilityAvailable NOTIFY accessibilityGrantedChanged)
    Q_PROPERTY(bool speechRecognitionGranted READ speechRecognitionGranted NOTIFY speechRecognitionGrantedChanged)
    Q_PROPERTY(bool allPermissionsGranted READ allPermissionsGranted NOTIFY permissionsChanged)
    Q_PROPERTY(int missingPermissionCount READ missingPermissionCount NOTIFY permissionsChanged)
public:
    static constexpr int kPollIntervalMs = 1000;

    // Reads the three states once, at construction.
    PermissionManager(std::unique_ptr<PermissionChecking> checks, UrlOpener &urlOpener,
                      QObject *parent = nullptr);
    ~PermissionManager() override;

    // The manager the composition root made over the Linux checks.
    static PermissionManager &shared();

    bool microphoneGranted() const { return m_microphoneGranted; }
    bool accessibilityGranted() const { return m_accessibilityGranted; }
    // False where this desktop has no way to grant it (no global hotkeys at
    // all); a permission that cannot be granted is not counted as missing.
    bool accessibilityAvailable() const { return m_accessibilityAvailable; }
    bool speechRecognitionGranted() const { return m_speechRecognitionGranted; }
    // Every permission that can be granted here is.
    bool allPermissionsGranted() const;
    int missingPermissionCount() const;

    void requestMicrophonePermission();
    // The answer handler given to the speech-recognition authorisation
    // request; it holds the manager weakly and publishes on the main thread.
    std::function<void(SpeechRecognitionAuthorization)> speechRecognitionAnswerHandler();
    void requestSpeechRecognitionPermission();
    void openAccessibilitySettings();

    // Re-reads the three states now.
    void refresh();

    // Cancels a running poll and starts a new one that re-reads the states
    // about once a second until it is cancelled.
    void startPolling();
    std::shared_ptr<PermissionPollingTask> pollingTask() const { return m_pollingTask; }
    void setPollingTask(std::shared_ptr<PermissionPollingTask> task) { m_pollingTask = std::move(task); }

Q_SIGNALS:
    void microphoneGrantedChanged();
    void accessibilityGrantedChanged();
    void speechRecognitionGrantedChanged();
    // Any of the three flags changed.
    void permissionsChanged();

private:
    void setMicrophoneGranted(bool granted);
    void setAccessibility(bool granted, bool available);
    void setSpeechRecognitionGranted(bool granted);

    std::unique_ptr<PermissionChecking> m_checks;
    UrlOpener &m_urlOpener;
    bool m_microphoneGranted = false;
    bool m_accessibilityGranted = false;
    bool m_accessibilityAvailable = true;
    bool m_speechRecognitionGranted = false;
    std::shared_ptr<PermissionPollingTask> m_pollingTask;
};
