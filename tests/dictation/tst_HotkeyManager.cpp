#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

using Kind = HotkeyManager::HotkeyKind;

namespace {

constexpr quint64 kCtrlShift = MacModifier::control | MacModifier::shift;

struct Fixture
{
    TemporarySettings settings;
    FakeKeyboardMonitor *monitor = nullptr;
    std::unique_ptr<HotkeyManager> manager;

    Fixture() { reopen(); }

    // A new manager over the same store, as after a restart.
    void reopen()
    {
        manager.reset();
        settings.reopen();
        auto fake = std::make_unique<FakeKeyboardMonitor>();
        monitor = fake.get();
        manager = std::make_unique<HotkeyManager>(*settings.store, std::move(fake));
    }
};

} // namespace

// The key code table and the hotkeys kept in the settings.
class TestHotkeyManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tableIsOneToOne()
    {
        QSet<quint16> macCodes;
        QSet<quint16> evdevCodes;
        for (const auto &entry : KeyCodeMap::entries()) {
            QVERIFY2(!macCodes.contains(entry.macKeyCode), qPrintable(QString::number(entry.macKeyCode)));
            QVERIFY2(!evdevCodes.contains(entry.evdevCode), qPrintable(QString::number(entry.evdevCode)));
            macCodes.insert(entry.macKeyCode);
            evdevCodes.insert(entry.evdevCode);
            QCOMPARE(KeyCodeMap::macKeyCodeForScanCode(*KeyCodeMap::scanCodeForMacKeyCode(entry.macKeyCode)), entry.macKeyCode);
        }
    }

    void scanCodesNamePhysicalKeys()
    {
        // X11 keycodes are the evdev codes plus 8.
        QCOMPARE(KeyCodeMap::macKeyCodeForScanCode(40), std::optional<quint16>(2)); // D
        QCOMPARE(KeyCodeMap::macKeyCodeForScanCode(8), std::nullopt);
        QCOMPARE(KeyCodeMap::macKeyCodeForScanCode(255), std::nullopt);
        QCOMPARE(KeyCodeMap::scanCodeForMacKeyCode(52), std::nullopt);
    }

    void qtKeysFallBackToTheUsLayout_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expected");
        QTest::addRow("V with ctrl") << int(Qt::Key_V) << int(Qt::ControlModifier) << 9;
        QTest::addRow("! is the 1 key") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 18;
        QTest::addRow("@ is the 2 key") << int(Qt::Key_At) << int(Qt::ShiftModifier) << 19;
        QTest::addRow("? is the / key") << int(Qt::Key_Question) << int(Qt::ShiftModifier) << 44;
        QTest::addRow("~ is the ` key") << int(Qt::Key_AsciiTilde) << int(Qt::ShiftModifier) << 50;
        QTest::addRow("backtab is tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 48;
        QTest::addRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 87;
        QTest::addRow("unknown") << int(Qt::Key_Eacute) << 0 << -1;
        QTest::addRow("no key") << 0 << 0 << -1;
    }

    void qtKeysFallBackToTheUsLayout()
    {
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(int, expected);
        const auto code = KeyCodeMap::macKeyCodeForQtKey(qtKey, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(code ? int(*code) : -1, expected);
        // Without a scan code a key event takes the same way.
        const auto fromEvent = KeyCodeMap::macKeyCodeForKeyEvent(0, qtKey, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(fromEvent ? int(*fromEvent) : -1, expected);
    }

    void scanCodeWinsOverTheQtKey()
    {
        // On a French layout the key where US has Q types "A": the stored
        // code stays the physical key's.
        QCOMPARE(KeyCodeMap::macKeyCodeForKeyEvent(24, Qt::Key_A, {}), std::optional<quint16>(12));
        // Shift+1 on a US layout: "!" with the "1" key's scan code.
        QCOMPARE(KeyCodeMap::macKeyCodeForKeyEvent(10, Qt::Key_Exclam, Qt::ShiftModifier), std::optional<quint16>(18));
        // An unknown scan code falls back to the Qt key.
        QCOMPARE(KeyCodeMap::macKeyCodeForKeyEvent(250, Qt::Key_F, {}), std::optional<quint16>(3));
    }

    void qtModifiersBecomeMacBits()
    {
        QCOMPARE(KeyCodeMap::macModifiersForQt(Qt::ControlModifier | Qt::ShiftModifier), quint64(0x60000));
        QCOMPARE(KeyCodeMap::macModifiersForQt(Qt::AltModifier), MacModifier::option);
        QCOMPARE(KeyCodeMap::macModifiersForQt(Qt::MetaModifier), MacModifier::command);
        QCOMPARE(KeyCodeMap::macModifiersForQt(Qt::KeypadModifier | Qt::GroupSwitchModifier), quint64(0));
        QVERIFY(KeyCodeMap::isModifierKey(*KeyCodeMap::macKeyCodeForQtKey(Qt::Key_Shift)));
        QVERIFY(KeyCodeMap::isModifierKey(*KeyCodeMap::macKeyCodeForQtKey(Qt::Key_Meta)));
        QVERIFY(!KeyCodeMap::isModifierKey(*KeyCodeMap::macKeyCodeForQtKey(Qt::Key_Space)));
    }
    void displayTexts()
    {
        QCOMPARE(HotkeyManager::displayText({2, kCtrlShift}, true), QStringLiteral("⌃⇧D"));
        QCOMPARE(HotkeyManager::displayText({49, MacModifier::command | MacModifier::option}, false), QStringLiteral("⌥⌘Space"));
        QCOMPARE(HotkeyManager::keyDisplayName(49, true), QStringLiteral("Espaço"));
        // Codes the table leaves out (F16 among them) show their number.
        QCOMPARE(HotkeyManager::keyDisplayName(106, true), QStringLiteral("Tecla106"));
        QCOMPARE(HotkeyManager::keyDisplayName(65535, false), QStringLiteral("Key65535"));
        // Modifiers keep their order; Caps Lock, keypad, Fn and device bits show nothing.
        QCOMPARE(HotkeyManager::modifierSymbols(MacModifier::mask), QStringLiteral("⌃⌥⇧⌘"));
        const quint64 unusual = 0x10000 | 0x200000 | 0x800000 | 0x108 | MacModifier::control;
        QCOMPARE(HotkeyManager::modifierSymbols(unusual), QStringLiteral("⌃"));
        QCOMPARE(HotkeyManager::normalizedModifiers(unusual), MacModifier::control);
    }

    void duplicateIsRefusedAndChangesNothing()
    {
        Fixture f;
        QSignalSpy spy(f.manager.get(), &HotkeyManager::hotkeysChanged);
        const int installsBefore = f.monitor->installCount;

        QTest::ignoreMessage(QtCriticalMsg, "[phase:hotkey_update_rejected] reason=duplicate kind=translation");
        QVERIFY(!f.manager->updateHotkey(Kind::translation, 2, kCtrlShift));
        // Bits outside the modifier mask (Caps Lock here) do not make it different.
        QTest::ignoreMessage(QtCriticalMsg, "[phase:hotkey_update_rejected] reason=duplicate kind=pasteLast");
        QVERIFY(!f.manager->updateHotkey(Kind::pasteLast, 3, kCtrlShift | 0x10000));

        QCOMPARE(f.manager->currentHotkey(Kind::translation), (KeyCombination{3, kCtrlShift}));
        QCOMPARE(f.manager->currentHotkey(Kind::pasteLast), (KeyCombination{9, kCtrlShift}));
        QVERIFY(!f.settings.store->contains(QStringLiteral("translationHotkeyKeyCode")));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(f.monitor->installCount, installsBefore);
    }

    void aKindsOwnCombinationAndOtherModifiersAreAccepted()
    {
        Fixture f;
        QVERIFY(f.manager->updateHotkey(Kind::dictation, 2, kCtrlShift));
        QVERIFY(f.manager->updateHotkey(Kind::translation, 2, MacModifier::option));
        QCOMPARE(f.manager->currentTranslationKeyCode(), quint16(2));
        QCOMPARE(f.manager->currentTranslationModifiers(), MacModifier::option);
    }

    void acceptedHotkeyIsPublishedStoredAndReinstalled()
    {
        Fixture f;
        QSignalSpy keySpy(f.manager.get(), &HotkeyManager::currentPasteLastKeyCodeChanged);
        QSignalSpy modifierSpy(f.manager.get(), &HotkeyManager::currentPasteLastModifiersChanged);
        QSignalSpy dictationSpy(f.manager.get(), &HotkeyManager::currentKeyCodeChanged);

        QVERIFY(f.manager->updateHotkey(Kind::pasteLast, 40, MacModifier::command | MacModifier::option));
        QCOMPARE(keySpy.count(), 1);
        QCOMPARE(modifierSpy.count(), 1);
        QCOMPARE(dictationSpy.count(), 0);
        QCOMPARE(f.settings.store->int64Value(QStringLiteral("pasteLastHotkeyKeyCode")), 40);
        QCOMPARE(f.settings.store->uint64Value(QStringLiteral("pasteLastHotkeyModifiers")), quint64(0x180000));
        QVERIFY(f.monitor->isInstalled());
        QCOMPARE(f.monitor->installed,
                 (QList<KeyCombination>{{2, kCtrlShift}, {3, kCtrlShift}, {40, 0x180000}}));
    }

    void hotkeysSurviveARestart()
    {
        Fixture f;
        QVERIFY(f.manager->updateHotkey(Kind::dictation, 49, MacModifier::option));
        QVERIFY(f.manager->updateHotkey(Kind::translation, 122, MacModifier::command | MacModifier::shift));
        f.reopen();
        QCOMPARE(f.manager->currentHotkey(Kind::dictation), (KeyCombination{49, MacModifier::option}));
        QCOMPARE(f.manager->currentHotkey(Kind::translation), (KeyCombination{122, 0x120000}));
        QCOMPARE(f.manager->currentHotkey(Kind::pasteLast), (KeyCombination{9, kCtrlShift}));
    }

    void unreadableStoredValuesFallBackToTheDefaults()
    {
        Fixture f;
        f.settings.store->setString(QStringLiteral("hotkeyKeyCode"), QStringLiteral("not a number"));
        f.settings.store->setInt64(QStringLiteral("translationHotkeyKeyCode"), 70000);
        f.settings.store->setInt64(QStringLiteral("pasteLastHotkeyKeyCode"), -1);
        f.settings.store->setString(QStringLiteral("pasteLastHotkeyModifiers"), QStringLiteral("x"));
        f.reopen();
        QCOMPARE(f.manager->currentHotkey(Kind::dictation), (KeyCombination{2, kCtrlShift}));
        QCOMPARE(f.manager->currentHotkey(Kind::translation), (KeyCombination{3, kCtrlShift}));
        QCOMPARE(f.manager->currentHotkey(Kind::pasteLast), (KeyCombination{9, kCtrlShift}));
    }

    void pressesCallTheirActionsOnTheMainLoop()
    {
        Fixture f;
        QStringList calls;
        f.manager->setDictationToggleHandler([&] { calls << QStringLiteral("dictation"); });
        f.manager->setTranslationToggleHandler([&] { calls << QStringLiteral("translation"); });
        f.manager->setPasteLastHandler([&] { calls << QStringLiteral("pasteLast"); });
        f.manager->setCancelHandler([&] { calls << QStringLiteral("cancel"); });
        f.manager->startMonitoring();

        f.monitor->press(2, kCtrlShift);
        QVERIFY(calls.isEmpty()); // not from inside the monitor's event handling
        f.monitor->press(3, kCtrlShift | 0x10000); // Caps Lock on
        f.monitor->press(9, kCtrlShift);
        f.monitor->press(2, MacModifier::control); // not a hotkey
        f.monitor->press(MacKeyCode::escape, 0);   // no recording: ignored
        QTRY_COMPARE(calls, (QStringList{"dictation", "translation", "pasteLast"}));

        calls.clear();
        f.manager->setRecordingActive(true);
        QVERIFY(f.monitor->escapeMonitored);
        f.monitor->press(MacKeyCode::escape, MacModifier::shift); // Esc with a modifier: ignored
        f.monitor->press(MacKeyCode::escape, 0);
        QTRY_COMPARE(calls, (QStringList{"cancel"}));
        f.manager->setRecordingActive(false);
        QVERIFY(!f.monitor->escapeMonitored);
    }

    void aHandlerMayChangeTheHotkeys()
    {
        Fixture f;
        int presses = 0;
        f.manager->setDictationToggleHandler([&] {
            ++presses;
            f.manager->updateHotkey(Kind::dictation, 40, kCtrlShift);
        });
        f.manager->startMonitoring();
        f.monitor->press(2, kCtrlShift);
        QTRY_COMPARE(presses, 1);
        f.monitor->press(2, kCtrlShift);
        f.monitor->press(40, kCtrlShift);
        QTRY_COMPARE(presses, 2);
        QCOMPARE(f.monitor->installed.first(), (KeyCombination{40, kCtrlShift}));
    }

    // Each press reaches the handler the manager holds (one that counts sees
    // every press), or, while a recorder captures, the capture instead of
    // any action.
    void pressesReachTheActionsOrACapture_data()
    {
        QTest::addColumn<bool>("capturing");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("actions count every press") << false << false << QList<int>{2, 2, 3, 2}
                                                   << QStringList{"dictation 1", "dictation 2", "translation 1",
                                                                  "dictation 3"};
        QTest::addRow("a capture takes the hotkeys") << true << false << QList<int>{2, 3, 9}
                                                     << QStringList{"captured 2", "captured 3", "captured 9"};
        QTest::addRow("a capture takes Esc while recording")
            << true << true << QList<int>{int(MacKeyCode::escape)}
            << QStringList{QStringLiteral("captured %1").arg(MacKeyCode::escape)};
        QTest::addRow("Esc cancels a recording") << false << true << QList<int>{int(MacKeyCode::escape), 3}
                                                 << QStringList{"cancel 1", "translation 1"};
    }

    void pressesReachTheActionsOrACapture()
    {
        QFETCH(bool, capturing);
        QFETCH(bool, recording);
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, expected);
        Fixture f;
        QStringList seen;
        const auto counting = [&seen](const char *name) {
            return [&seen, name, count = 0]() mutable { seen << QStringLiteral("%1 %2").arg(name).arg(++count); };
        };
        f.manager->setDictationToggleHandler(counting("dictation"));
        f.manager->setTranslationToggleHandler(counting("translation"));
        f.manager->setPasteLastHandler(counting("pasteLast"));
        f.manager->setCancelHandler(counting("cancel"));
        connect(f.manager.get(), &HotkeyManager::keyCaptured, this,
                [&seen](quint16 keyCode, quint64) { seen << QStringLiteral("captured %1").arg(keyCode); });
        f.manager->startMonitoring();
        f.manager->setRecordingActive(recording);
        f.manager->setKeyCaptureActive(capturing);
        for (int key : keys)
            f.monitor->press(quint16(key), key == MacKeyCode::escape ? 0 : kCtrlShift);
        QVERIFY(seen.isEmpty()); // never from inside the monitor's event handling
        QTRY_COMPARE(seen, expected);
    }
};

QTEST_GUILESS_MAIN(TestHotkeyManager)
#include "tst_HotkeyManager.moc"
