#include "dictation/PermissionManager.h"

#include "dictation/DictationLogging.h"
#include "platform/SharedInstance.h"
#include "platform/UrlOpener.h"

#include <QCoreApplication>

namespace {

// Runs `work` on the main thread on a later turn of its event loop.
void onMainThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

} // namespace

PermissionPollingTask::PermissionPollingTask(PermissionManager *manager)
    : m_manager(manager)
{
    m_timer.setInterval(PermissionManager::kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PermissionPollingTask::tick);
    // The first reading comes on the next turn of the loop, then once a second.
    QTimer::singleShot(0, this, &PermissionPollingTask::tick);
    m_timer.start();
}

void PermissionPollingTask::cancel()
{
    m_cancelled = true;
    m_timer.stop();
}

void PermissionPollingTask::tick()
{
    if (m_cancelled)
        return;
    if (!m_manager) {
        cancel();
        return;
    }
    m_manager->refresh();
}

PermissionManager::PermissionManager(std::unique_ptr<PermissionChecking> checks, UrlOpener &urlOpener,
                                     QObject *parent)
    : QObject(parent)
    , m_checks(std::move(checks))
    , m_urlOpener(urlOpener)
{
    m_microphoneGranted = m_checks->microphoneAuthorization() == MicrophoneAuthorization::authorized;
    m_accessibilityGranted = m_checks->isAccessibilityTrusted();
    m_accessibilityAvailable = m_accessibilityGranted || m_checks->isAccessibilityAvailable();
    m_speechRecognitionGranted =
        m_checks->speechRecognitionAuthorization() == SpeechRecognitionAuthorization::authorized;
}

PermissionManager::~PermissionManager()
{
    if (m_pollingTask)
        m_pollingTask->cancel();
}

PermissionManager &PermissionManager::shared()
{
    return SharedInstance<PermissionManager>::get();
}

bool PermissionManager::allPermissionsGranted() const
{
    return missingPermissionCount() == 0;
}

int PermissionManager::missingPermissionCount() const
{
    return int(!m_microphoneGranted) + int(!m_accessibilityGranted && m_accessibilityAvailable)
        + int(!m_speechRecognitionGranted);
}

void PermissionManager::requestMicrophonePermission()
{
    switch (m_checks->microphoneAuthorization()) {
    case MicrophoneAuthorization::notDetermined: {
        QPointer<PermissionManager> guard(this);
        m_checks->requestMicrophoneAccess([guard](bool granted) {
            onMainThread([guard, granted] {
                if (guard)
                    guard->setMicrophoneGranted(granted);
            });
        });
        break;
    }
    case MicrophoneAuthorization::authorized:
        setMicrophoneGranted(true);
        break;
    case MicrophoneAuthorization::denied:
    case MicrophoneAuthorization::restricted:
        setMicrophoneGranted(false);
        break;
    }
}

std::function<void(SpeechRecognitionAuthorization)> PermissionManager::speechRecognitionAnswerHandler()
{
    QPointer<PermissionManager> guard(this);
    return [guard](SpeechRecognitionAuthorization status) {
        onMainThread([guard, status] {
            if (guard)
                guard->setSpeechRecognitionGranted(status == SpeechRecognitionAuthorization::authorized);
        });
    };
}

void PermissionManager::requestSpeechRecognitionPermission()
{
    m_checks->requestSpeechRecognitionAuthorization(speechRecognitionAnswerHandler());
}

void PermissionManager::openAccessibilitySettings()
{
    m_urlOpener.open(m_checks->accessibilitySettingsUrl());
}

void PermissionManager::refresh()
{
    setMicrophoneGranted(m_checks->microphoneAuthorization() == MicrophoneAuthorization::authorized);
    setSpeechRecognitionGranted(m_checks->speechRecognitionAuthorization()
                                == SpeechRecognitionAuthorization::authorized);
    const bool accessibility = m_checks->isAccessibilityTrusted();
    setAccessibility(accessibility, accessibility || m_checks->isAccessibilityAvailable());
}

void PermissionManager::startPolling()
{
    if (m_pollingTask)
        m_pollingTask->cancel();
    qCInfo(lcPermissionManager) << "startPolling() called";
    m_pollingTask = std::make_shared<PermissionPollingTask>(this);
}

void PermissionManager::setMicrophoneGranted(bool granted)
{
    if (m_microphoneGranted == granted)
        return;
    m_microphoneGranted = granted;
    Q_EMIT microphoneGrantedChanged();
    Q_EMIT permissionsChanged();
}

void PermissionManager::setAccessibility(bool granted, bool available)
{
    if (m_accessibilityGranted == granted && m_accessibilityAvailable == available)
        return;
    m_accessibilityGranted = granted;
    m_accessibilityAvailable = available;
    Q_EMIT accessibilityGrantedChanged();
    Q_EMIT permissionsChanged();
}

void PermissionManager::setSpeechRecognitionGranted(bool granted)
{
    if (m_speechRecognitionGranted == granted)
        return;
    m_speechRecognitionGranted = granted;
    Q_EMIT speechRecognitionGrantedChanged();
    Q_EMIT permissionsChanged();
}
