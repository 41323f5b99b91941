#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "dictation/X11KeyboardMonitor.h"
#include "look/ui/Appearance.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using talvoro::settings::HotkeySettingView;
using Kind = HotkeyManager::HotkeyKind;

// The recorder in a real X window on the test's Xvfb server: key presses
// sent with xdotool arrive with real native scan codes, and the global grab
// of the current hotkeys takes its presses before the window sees them.
class TestHotkeyRecorderX11 : public QObject
{
    Q_OBJECT

    void sendKeys(const QString &keys)
    {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
        QVERIFY(xdotool.waitForFinished(10000));
        QCOMPARE(xdotool.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("No test X server ($TALVORO_TEST_X11_DISPLAY unset)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed");
        talvoro::ui::applyAppearance(false);
    }

    void aRecordedCombinationBecomesTheDictationHotkey()
    {
        TemporarySettings settings;
        HotkeyManager hotkeys(*settings.store, std::make_unique<X11KeyboardMonitor>());
        int dictation = 0;
        int translation = 0;
        hotkeys.setDictationToggleHandler([&] { ++dictation; });
        hotkeys.setTranslationToggleHandler([&] { ++translation; });
        hotkeys.startMonitoring();

        HotkeySettingView view(HotkeySettingViewStyle::compactRow, Kind::dictation, hotkeys, *settings.store);
        view.resize(360, 60);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        auto *pill = view.findChild<QAbstractButton *>(QStringLiteral("hotkeyPill"));
        pill->click();
        QVERIFY(view.recorder()->isCapturing());

        // Translation's hotkey, which our own grab holds, reaches the
        // capture: refused as taken, and its action does not run.
        sendKeys(QStringLiteral("ctrl+shift+f"));
        QTRY_VERIFY(!view.recorder()->isCapturing());
        auto *message = view.findChild<QLabel *>(QStringLiteral("hotkeyValidationMessage"));
        QVERIFY(message && message->isVisible());
        QCOMPARE(message->text(), HotkeyRecorder::duplicateMessage());
        QCOMPARE(translation, 0);
        QCOMPARE(hotkeys.currentHotkey(Kind::dictation), HotkeyManager::defaultHotkey(Kind::dictation));

        pill->click();
        QVERIFY(message->isHidden());
        sendKeys(QStringLiteral("ctrl+alt+k"));
        QTRY_VERIFY(!view.recorder()->isCapturing());
        QCOMPARE(hotkeys.currentHotkey(Kind::dictation),
                 (KeyCombination{40, MacModifier::control | MacModifier::option}));
        QCOMPARE(dictation, 0);

        // Presses are handled in order: once translation's has fired, the
        // two before it would have too.
        sendKeys(QStringLiteral("ctrl+shift+d"));
        sendKeys(QStringLiteral("ctrl+alt+k"));
        sendKeys(QStringLiteral("ctrl+shift+f"));
        QTRY_COMPARE(translation, 1);
        QCOMPARE(dictation, 1);
    }
};

int main(int argc, char *argv[])
{
    // A real X window instead of the suite's offscreen platform.
    const QByteArray display = qgetenv("TALVORO_TEST_X11_DISPLAY");
    if (!display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen"); // skips rather than aborts without the server
        qputenv("DISPLAY", display);
    }
    QApplication app(argc, argv);
    TestHotkeyRecorderX11 test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HotkeyRecorderX11.moc"
