#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "dictation/X11KeyboardMonitor.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// Real key presses sent to an Xvfb server through XTEST (xdotool) reach the
// hotkey actions through the root-window grab.
class TestX11KeyboardMonitor : public QObject
{
    Q_OBJECT

    QByteArray m_display;

    // A connection to the tests' server can be refused for a moment while
    // the machine is saturated (seen with two suites at once); the monitor
    // itself is what is under test, not the server's load.
    std::unique_ptr<X11KeyboardMonitor> openMonitor()
    {
        auto monitor = std::make_unique<X11KeyboardMonitor>(m_display);
        for (int attempt = 0; attempt < 20 && !monitor->isAvailable(); ++attempt) {
            QTest::qWait(250);
            monitor = std::make_unique<X11KeyboardMonitor>(m_display);
        }
        return monitor;
    }

    void sendKeys(const QString &keys, const QString &command = QStringLiteral("key"))
    {
        QProcess xdotool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(m_display));
        xdotool.setProcessEnvironment(env);
        xdotool.start(QStringLiteral("xdotool"), {command, keys});
        QVERIFY(xdotool.waitForFinished(10000));
        QCOMPARE(xdotool.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_display = qgetenv("TALVORO_TEST_X11_DISPLAY");
        if (m_display.isEmpty())
            QSKIP("No test X server ($TALVORO_TEST_X11_DISPLAY unset)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed");
    }

    void hotkeyPressFiresAndTheOldCombinationStopsAfterAnUpdate()
    {
        TemporarySettings settings;
        auto monitor = openMonitor();
        QVERIFY(monitor->isAvailable());
        HotkeyManager hotkeys(*settings.store, std::move(monitor));
        int dictation = 0;
        int pasteLast = 0;
        hotkeys.setDictationToggleHandler([&] { ++dictation; });
        hotkeys.setPasteLastHandler([&] { ++pasteLast; });
        hotkeys.startMonitoring();
        QVERIFY(hotkeys.isMonitoring());

        sendKeys(QStringLiteral("ctrl+shift+d"));
        QTRY_COMPARE(dictation, 1);
        sendKeys(QStringLiteral("ctrl+shift+v"));
        QTRY_COMPARE(pasteLast, 1);
        QCOMPARE(dictation, 1);

        // Move dictation to ⌃⌥K: ⌃⇧D no longer reaches us. The presses are
        // handled in order, so once ⌃⌥K has fired ⌃⇧D would have too.
        QVERIFY(hotkeys.updateHotkey(HotkeyManager::HotkeyKind::dictation, 40,
                                     MacModifier::control | MacModifier::option));
        sendKeys(QStringLiteral("ctrl+shift+d"));
        sendKeys(QStringLiteral("ctrl+alt+k"));
        QTRY_COMPARE(dictation, 2);
        sendKeys(QStringLiteral("ctrl+shift+v"));
        QTRY_COMPARE(pasteLast, 2);
        QCOMPARE(dictation, 2);
    }

    void lockKeysDoNotHideAHotkey()
    {
        TemporarySettings settings;
        HotkeyManager hotkeys(*settings.store, openMonitor());
        int translation = 0;
        hotkeys.setTranslationToggleHandler([&] { ++translation; });
        hotkeys.startMonitoring();
        sendKeys(QStringLiteral("Caps_Lock"));
        sendKeys(QStringLiteral("ctrl+shift+f"));
        sendKeys(QStringLiteral("Caps_Lock"));
        QTRY_COMPARE(translation, 1);
    }

    void escapeIsTakenOnlyWhileRecording()
    {
        TemporarySettings settings;
        HotkeyManager hotkeys(*settings.store, openMonitor());
        int cancels = 0;
        int dictation = 0;
        hotkeys.setCancelHandler([&] { ++cancels; });
        hotkeys.setDictationToggleHandler([&] { ++dictation; });
        hotkeys.startMonitoring();

        sendKeys(QStringLiteral("Escape"));
        sendKeys(QStringLiteral("ctrl+shift+d"));
        QTRY_COMPARE(dictation, 1);
        QCOMPARE(cancels, 0);

        hotkeys.setRecordingActive(true);
        sendKeys(QStringLiteral("Escape"));
        QTRY_COMPARE(cancels, 1);

        hotkeys.setRecordingActive(false);
        sendKeys(QStringLiteral("Escape"));
        sendKeys(QStringLiteral("ctrl+shift+d"));
        QTRY_COMPARE(dictation, 2);
        QCOMPARE(cancels, 1);
    }

    void aHeldHotkeyFiresOnceWhenItsActionChangesTheGrabs()
    {
        // The dictation toggle switches Esc on as recording starts, which
        // re-installs the grabs while the hotkey is still held: the key's
        // repeats must not toggle the dictation again.
        TemporarySettings settings;
        HotkeyManager hotkeys(*settings.store, openMonitor());
        int dictation = 0;
        int pasteLast = 0;
        hotkeys.setDictationToggleHandler([&] {
            ++dictation;
            hotkeys.setRecordingActive(!hotkeys.isRecordingActive());
        });
        hotkeys.setPasteLastHandler([&] { ++pasteLast; });
        hotkeys.startMonitoring();

        sendKeys(QStringLiteral("ctrl+shift+d"), QStringLiteral("keydown"));
        QTRY_COMPARE(dictation, 1);
        QVERIFY(hotkeys.isRecordingActive());
        // Held past the server's auto-repeat delay (660 ms on Xvfb): D repeats.
        // The repeats reach only the grabbing client, so there is nothing to
        // wait on but the server's clock.
        QTest::qWait(1500);
        sendKeys(QStringLiteral("ctrl+shift+d"), QStringLiteral("keyup"));
        // Presses are handled in order: once paste-last has fired, any
        // repeat would have too.
        sendKeys(QStringLiteral("ctrl+shift+v"));
        QTRY_COMPARE(pasteLast, 1);
        QCOMPARE(dictation, 1);
        QVERIFY(hotkeys.isRecordingActive());

        // A new press after the release toggles again.
        sendKeys(QStringLiteral("ctrl+shift+d"));
        QTRY_COMPARE(dictation, 2);
        QVERIFY(!hotkeys.isRecordingActive());
    }

    void aComboHeldByAnotherClientIsReportedNotFatal()
    {
        // Two grabs of the same combination: the second client's grab fails
        // with BadAccess, which must only be logged.
        TemporarySettings first;
        TemporarySettings second;
        HotkeyManager owner(*first.store, openMonitor());
        owner.startMonitoring();
        HotkeyManager latecomer(*second.store, openMonitor());
        for (const char *combination : {"⌃⇧D", "⌃⇧F", "⌃⇧V"})
            QTest::ignoreMessage(QtWarningMsg, QByteArray(QByteArray("Hotkey ") + combination
                                                          + " is already taken by another application")
                                                   .constData());
        latecomer.startMonitoring();

        int owned = 0;
        owner.setDictationToggleHandler([&] { ++owned; });
        sendKeys(QStringLiteral("ctrl+shift+d"));
        QTRY_COMPARE(owned, 1);
    }
};

QTEST_GUILESS_MAIN(TestX11KeyboardMonitor)
#include "tst_X11KeyboardMonitor.moc"
