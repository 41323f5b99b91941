#include "dictation/KeyCodeMap.h"

#include <QSet>
#include <QTest>

using namespace KeyCodeMap;

class TestKeyCodeMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tableIsOneToOne()
    {
        QSet<quint16> macCodes;
        QSet<quint16> evdevCodes;
        for (const auto &entry : entries()) {
            QVERIFY2(!macCodes.contains(entry.macKeyCode), qPrintable(QString::number(entry.macKeyCode)));
            QVERIFY2(!evdevCodes.contains(entry.evdevCode), qPrintable(QString::number(entry.evdevCode)));
            macCodes.insert(entry.macKeyCode);
            evdevCodes.insert(entry.evdevCode);
            QCOMPARE(macKeyCodeForScanCode(*scanCodeForMacKeyCode(entry.macKeyCode)), entry.macKeyCode);
        }
    }

    void scanCodesNamePhysicalKeys()
    {
        // X11 keycodes are the evdev codes plus 8.
        QCOMPARE(macKeyCodeForScanCode(40), std::optional<quint16>(2)); // D
        QCOMPARE(macKeyCodeForScanCode(8), std::nullopt);
        QCOMPARE(macKeyCodeForScanCode(255), std::nullopt);
        QCOMPARE(scanCodeForMacKeyCode(52), std::nullopt);
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
        const auto code = macKeyCodeForQtKey(qtKey, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(code ? int(*code) : -1, expected);
        // Without a scan code a key event takes the same way.
        const auto fromEvent = macKeyCodeForKeyEvent(0, qtKey, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(fromEvent ? int(*fromEvent) : -1, expected);
    }

    void scanCodeWinsOverTheQtKey()
    {
        // On a French layout the key where US has Q types "A": the stored
        // code stays the physical key's.
        QCOMPARE(macKeyCodeForKeyEvent(24, Qt::Key_A, {}), std::optional<quint16>(12));
        // Shift+1 on a US layout: "!" with the "1" key's scan code.
        QCOMPARE(macKeyCodeForKeyEvent(10, Qt::Key_Exclam, Qt::ShiftModifier), std::optional<quint16>(18));
        // An unknown scan code falls back to the Qt key.
        QCOMPARE(macKeyCodeForKeyEvent(250, Qt::Key_F, {}), std::optional<quint16>(3));
    }

    void qtModifiersBecomeMacBits()
    {
        QCOMPARE(macModifiersForQt(Qt::ControlModifier | Qt::ShiftModifier), quint64(0x60000));
        QCOMPARE(macModifiersForQt(Qt::AltModifier), MacModifier::option);
        QCOMPARE(macModifiersForQt(Qt::MetaModifier), MacModifier::command);
        QCOMPARE(macModifiersForQt(Qt::KeypadModifier | Qt::GroupSwitchModifier), quint64(0));
        QVERIFY(isModifierKey(*macKeyCodeForQtKey(Qt::Key_Shift)));
        QVERIFY(isModifierKey(*macKeyCodeForQtKey(Qt::Key_Meta)));
        QVERIFY(!isModifierKey(*macKeyCodeForQtKey(Qt::Key_Space)));
    }
};

QTEST_GUILESS_MAIN(TestKeyCodeMap)
#include "tst_KeyCodeMap.moc"
