#include "dictation/LinuxPermissionChecks.h"
#include "dictation/PermissionManager.h"
#include "support/DictationFakes.h"

#include <QSignalSpy>
#include <QTest>

#include <array>
#include <thread>

namespace {

struct Fixture
{
    std::shared_ptr<FakePermissionChecks::State> state = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener opener;
    std::unique_ptr<PermissionManager> manager;

    void make() { manager = std::make_unique<PermissionManager>(std::make_unique<FakePermissionChecks>(state), opener); }
};

} // namespace

class TestPermissionManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void microphoneRequestFollowsTheAuthorisation()
    {
        Fixture f;
        f.make();

        // Not determined: ask, and publish the answer on the main thread later.
        f.manager->requestMicrophonePermission();
        QCOMPARE(f.state->microphoneRequests, 1);
        QVERIFY(f.state->pendingMicrophoneAnswer);
        std::thread([answer = f.state->pendingMicrophoneAnswer] { answer(true); }).join();
        QVERIFY(!f.manager->microphoneGranted());
        QTRY_VERIFY(f.manager->microphoneGranted());

        // Denied or restricted: set false without asking.
        f.state->microphone = MicrophoneAuthorization::denied;
        f.manager->requestMicrophonePermission();
        QVERIFY(!f.manager->microphoneGranted());
        f.state->microphone = MicrophoneAuthorization::authorized;
        f.manager->requestMicrophonePermission();
        QVERIFY(f.manager->microphoneGranted());
        f.state->microphone = MicrophoneAuthorization::restricted;
        f.manager->requestMicrophonePermission();
        QVERIFY(!f.manager->microphoneGranted());
        QCOMPARE(f.state->microphoneRequests, 1);
    }

    void lateAnswersAfterTheManagerIsGoneAreDropped()
    {
        // The manager lives in memory the test owns and marks after its
        // destruction: a late answer that still reached it would write there
        // (or crash on its dead signals).
        Fixture f;
        alignas(PermissionManager) std::array<std::byte, sizeof(PermissionManager)> memory;
        auto *manager = new (memory.data()) PermissionManager(std::make_unique<FakePermissionChecks>(f.state), f.opener);
        manager->requestMicrophonePermission();
        auto speech = manager->speechRecognitionAnswerHandler();
        manager->~PermissionManager();
        memory.fill(std::byte{0x5A});
        const auto marked = memory;

        f.state->pendingMicrophoneAnswer(true);
        speech(SpeechRecognitionAuthorization::authorized);
        QCoreApplication::processEvents();
        QVERIFY(memory == marked);
    }

    void speechRecognitionAnswerIsPublished()
    {
        Fixture f;
        f.make();
        f.manager->requestSpeechRecognitionPermission();
        QVERIFY(f.state->pendingSpeechAnswer);
        f.state->pendingSpeechAnswer(SpeechRecognitionAuthorization::authorized);
        QTRY_VERIFY(f.manager->speechRecognitionGranted());
        f.manager->speechRecognitionAnswerHandler()(SpeechRecognitionAuthorization::denied);
        QTRY_VERIFY(!f.manager->speechRecognitionGranted());
    }

    void pollingPicksUpChangesUntilCancelled()
    {
        Fixture f;
        f.make();
        QTest::ignoreMessage(QtInfoMsg, "startPolling() called");
        f.manager->startPolling();
        const auto first = f.manager->pollingTask();
        QVERIFY(first);

        QTest::ignoreMessage(QtInfoMsg, "startPolling() called");
        f.manager->startPolling();
        QVERIFY(first->isCancelled());
        const auto task = f.manager->pollingTask();
        QVERIFY(task && task != first && !task->isCancelled());

        f.state->accessibility = true;
        QTRY_VERIFY(f.manager->accessibilityGranted());
        f.state->microphone = MicrophoneAuthorization::authorized;
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->microphoneGranted(), 3000);

        // A screen ends the poll: cancel, then drop the task.
        task->cancel();
        f.manager->setPollingTask(nullptr);
        QVERIFY(!f.manager->pollingTask());
        QSignalSpy changed(f.manager.get(), &PermissionManager::accessibilityGrantedChanged);
        f.state->accessibility = false;
        QVERIFY(!changed.wait(PermissionManager::kPollIntervalMs + 300)); // a poll would have seen it by now
        QVERIFY(f.manager->accessibilityGranted());
    }

    void pollOutlivingItsManagerStops()
    {
        Fixture f;
        f.make();
        QTest::ignoreMessage(QtInfoMsg, "startPolling() called");
        f.manager->startPolling();
        const auto task = f.manager->pollingTask();
        f.manager.reset();
        QTRY_VERIFY(task->isCancelled());
    }

    void linuxChecksReportWhatTheSessionOffers()
    {
        LinuxPermissionChecks noDisplay(nullptr, ":987");
        QVERIFY(!noDisplay.isAccessibilityTrusted());
        QCOMPARE(noDisplay.speechRecognitionAuthorization(), SpeechRecognitionAuthorization::authorized);
        QVERIFY(noDisplay.accessibilitySettingsUrl().isValid());

        const QByteArray display = qgetenv("TALVORO_TEST_X11_DISPLAY");
        if (display.isEmpty())
            QSKIP("No test X server ($TALVORO_TEST_X11_DISPLAY unset)");
        // Xvfb carries the XTEST extension; under Wayland, XWayland does too
        // but its grabs are not global.
        const QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
        const QByteArray waylandDisplay = qgetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "x11");
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(LinuxPermissionChecks(nullptr, display).isAccessibilityTrusted());
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        QVERIFY(!LinuxPermissionChecks(nullptr, display).isAccessibilityTrusted());
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "wayland");
        QVERIFY(!LinuxPermissionChecks(nullptr, display).isAccessibilityTrusted());
        qputenv("XDG_SESSION_TYPE", sessionType);
        qputenv("WAYLAND_DISPLAY", waylandDisplay);
    }
};

QTEST_GUILESS_MAIN(TestPermissionManager)
#include "tst_PermissionManager.moc"
