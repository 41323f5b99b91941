#include "dictation/KeyCodeMap.h"
#include "look/ui/Appearance.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using talvoro::settings::HotkeySettingView;
using Kind = HotkeyManager::HotkeyKind;
using Outcome = HotkeyRecorder::Outcome;

namespace {

constexpr quint64 kCtrlShift = MacModifier::control | MacModifier::shift;

struct Fixture
{
    TemporarySettings settings;
    HotkeyManager hotkeys{*settings.store, std::make_unique<FakeKeyboardMonitor>()};
};

RecordedKeyPress press(int keyCode, quint64 modifiers, bool modifierKey = false, bool repeat = false)
{
    RecordedKeyPress p;
    if (keyCode >= 0)
        p.keyCode = quint16(keyCode);
    p.modifiers = modifiers;
    p.isModifierKey = modifierKey;
    p.isAutoRepeat = repeat;
    return p;
}

} // namespace

Q_DECLARE_METATYPE(RecordedKeyPress)

class TestHotkeySettingView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { talvoro::ui::applyAppearance(false); }

    void captureDecision_data()
    {
        QTest::addColumn<RecordedKeyPress>("pressed");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<quint16>("storedKey");
        QTest::addColumn<quint64>("storedModifiers");
        QTest::addColumn<QString>("message");

        const QString none;
        QTest::newRow("Esc cancels, even with modifiers")
            << press(MacKeyCode::escape, kCtrlShift) << Outcome::cancelled << quint16(2) << kCtrlShift << none;
        QTest::newRow("Esc alone cancels with no message")
            << press(MacKeyCode::escape, 0) << Outcome::cancelled << quint16(2) << kCtrlShift << none;
        QTest::newRow("Esc with Caps Lock still cancels")
            << press(MacKeyCode::escape, 0x10000) << Outcome::cancelled << quint16(2) << kCtrlShift << none;
        QTest::newRow("plain letter") << press(0, 0) << Outcome::missingModifier << quint16(2) << kCtrlShift
                                      << HotkeyRecorder::missingModifierMessage();
        QTest::newRow("Caps Lock and Fn are no modifiers")
            << press(0, 0x10000 | 0x800000) << Outcome::missingModifier << quint16(2) << kCtrlShift
            << HotkeyRecorder::missingModifierMessage();
        QTest::newRow("shift alone is enough") << press(0, MacModifier::shift) << Outcome::accepted << quint16(0)
                                               << MacModifier::shift << none;
        QTest::newRow("low and foreign bits are dropped")
            << press(40, MacModifier::control | MacModifier::option | 0x800000 | 0x108)
            << Outcome::accepted << quint16(40) << (MacModifier::control | MacModifier::option) << none;
        QTest::newRow("translation's combination") << press(3, kCtrlShift) << Outcome::duplicate << quint16(2)
                                                   << kCtrlShift << HotkeyRecorder::duplicateMessage();
        QTest::newRow("its own combination") << press(2, kCtrlShift) << Outcome::accepted << quint16(2)
                                             << kCtrlShift << none;
        QTest::newRow("a key the map cannot name")
            << press(-1, kCtrlShift) << Outcome::unnamed << quint16(2) << kCtrlShift << none;
        QTest::newRow("an unnamed key without a modifier")
            << press(-1, 0) << Outcome::missingModifier << quint16(2) << kCtrlShift
            << HotkeyRecorder::missingModifierMessage();
    }

    void captureDecision()
    {
        QFETCH(RecordedKeyPress, pressed);
        QFETCH(Outcome, outcome);
        Fixture f;
        HotkeyRecorder recorder(f.hotkeys, Kind::dictation);
        recorder.startCapture();

        // Modifier keys and repeats leave the capture running.
        QCOMPARE(recorder.handleKeyPress(press(56, MacModifier::shift, true)), Outcome::ignored);
        QCOMPARE(recorder.handleKeyPress(press(0, kCtrlShift, false, true)), Outcome::ignored);
        QVERIFY(recorder.isCapturing());

        QCOMPARE(recorder.handleKeyPress(pressed), outcome);
        QVERIFY(!recorder.isCapturing());
        const auto stored = f.hotkeys.currentHotkey(Kind::dictation);
        QTEST(stored.keyCode, "storedKey");
        QTEST(stored.modifiers, "storedModifiers");
        QTEST(recorder.validationMessage(), "message");
        // Nothing arrives once the capture has ended.
        QCOMPARE(recorder.handleKeyPress(press(1, kCtrlShift)), Outcome::ignored);
    }

    void restoreAndMessages()
    {
        Fixture f;
        HotkeyRecorder dictation(f.hotkeys, Kind::dictation);
        HotkeyRecorder translation(f.hotkeys, Kind::translation);
        QVERIFY(f.hotkeys.updateHotkey(Kind::dictation, 40, MacModifier::control | MacModifier::option));
        QVERIFY(f.hotkeys.updateHotkey(Kind::translation, 2, kCtrlShift));

        // ⌃⇧D now belongs to translation: dictation's default is refused.
        QVERIFY(!dictation.restoreDefault());
        QCOMPARE(dictation.validationMessage(), HotkeyRecorder::duplicateMessage());
        QCOMPARE(dictation.combinationText(), QStringLiteral("⌃⌥K"));

        // Only one recorder captures; a start clears its own message only.
        dictation.startCapture();
        QVERIFY(dictation.validationMessage().isEmpty());
        translation.startCapture();
        QVERIFY(translation.isCapturing());
        QVERIFY(!dictation.isCapturing());

        QVERIFY(translation.restoreDefault());
        QVERIFY(dictation.restoreDefault());
        QCOMPARE(dictation.combinationText(), QStringLiteral("⌃⇧D"));
        QVERIFY(dictation.validationMessage().isEmpty());
    }

    void aShiftedSymbolKeyEventReachesTheHotkeyAndNoWidget()
    {
        Fixture f;
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *view = new HotkeySettingView(HotkeySettingViewStyle::compactRow, Kind::dictation, f.hotkeys,
                                           *f.settings.store);
        auto *field = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(field);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *pill = view->findChild<QAbstractButton *>(QStringLiteral("hotkeyPill"));
        auto *pillText = view->findChild<QLabel *>(QStringLiteral("hotkeyPillText"));
        auto *message = view->findChild<QLabel *>(QStringLiteral("hotkeyValidationMessage"));
        QCOMPARE(pillText->text(), QStringLiteral("⌃⇧D"));
        QCOMPARE(pill->toolTip(), QStringLiteral("Clique para gravar uma nova hotkey"));

        const auto type = [&](int key, Qt::KeyboardModifiers modifiers, const QString &text) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers, 0, 0, 0, text);
            QApplication::sendEvent(field, &event);
        };

        QTest::mouseClick(pill, Qt::LeftButton);
        QCOMPARE(pillText->text(), QStringLiteral("Pressione..."));
        // "!" with Ctrl+Shift and no native scan code: the "1" key.
        type(Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("!"));
        QCOMPARE(f.hotkeys.currentHotkey(Kind::dictation), (KeyCombination{18, kCtrlShift}));
        QCOMPARE(f.settings.store->int64Value(QStringLiteral("hotkeyKeyCode")), 18);
        QCOMPARE(pillText->text(), QStringLiteral("⌃⇧1"));
        QVERIFY(field->text().isEmpty());

        // Once the capture ends, keys reach the window again.
        type(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCOMPARE(field->text(), QStringLiteral("a"));

        // A rejected press shows its message until the control is hidden,
        // which also ends a running capture.
        QTest::mouseClick(pill, Qt::LeftButton);
        type(Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
        QCOMPARE(message->text(), HotkeyRecorder::missingModifierMessage());
        QVERIFY(message->isVisible());
        QTest::mouseClick(pill, Qt::LeftButton);
        QVERIFY(!message->isVisible());
        // Minimising the window does not end the capture; leaving does.
        window.showMinimized();
        QVERIFY(window.isMinimized());
        QVERIFY(view->recorder()->isCapturing());
        window.showNormal();
        view->hide();
        QVERIFY(!view->recorder()->isCapturing());
        field->clear();
        type(Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
        QCOMPARE(field->text(), QStringLiteral("c"));
    }

    void expandedStyleRecordsAndRestores()
    {
        Fixture f;
        HotkeySettingView view(HotkeySettingViewStyle::expanded, Kind::pasteLast, f.hotkeys, *f.settings.store);
        view.show();
        auto *record = view.findChild<QPushButton *>(QStringLiteral("recordHotkeyButton"));
        auto *restore = view.findChild<QPushButton *>(QStringLiteral("restoreHotkeyButton"));
        auto *line = view.findChild<QWidget *>(QStringLiteral("hotkeyCapturingLine"));
        QCOMPARE(restore->text(), QStringLiteral("Restaurar padrão (⌃⇧V)"));
        QVERIFY(!line->isVisible());

        record->click();
        QVERIFY(line->isVisible());
        QVERIFY(!record->isVisible());
        QKeyEvent event(QEvent::KeyPress, Qt::Key_K, Qt::AltModifier, 0, 0, 0, QStringLiteral("k"));
        QApplication::sendEvent(&view, &event);
        QCOMPARE(view.findChild<QLabel *>(QStringLiteral("hotkeyCombination"))->text(), QStringLiteral("⌥K"));

        restore->click();
        QCOMPARE(f.hotkeys.currentHotkey(Kind::pasteLast), HotkeyManager::defaultHotkey(Kind::pasteLast));
    }
};

QTEST_MAIN(TestHotkeySettingView)
#include "tst_HotkeySettingView.moc"
