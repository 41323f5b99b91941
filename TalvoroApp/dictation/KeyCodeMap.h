#pragma once

#include <QtGlobal>
#include <Qt>

#include <optional>
#include <span>

// Hotkeys are stored as macOS virtual key codes (physical key positions on an
// ANSI keyboard) and macOS modifier-flag bits, so settings move between
// machines unchanged. This is the one table that maps what Linux reports to
// those codes and back: the hotkey recorder and the global X11 grab both
// go through it.
namespace MacModifier {
inline constexpr quint64 shift = 0x20000;
inline constexpr quint64 control = 0x40000;
inline constexpr quint64 option = 0x80000;
inline constexpr quint64 command = 0x100000;
// The four bits that count when two combinations are compared.
inline constexpr quint64 mask = 0x1E0000;
} // namespace MacModifier

namespace MacKeyCode {
inline constexpr quint16 escape = 53;
} // namespace MacKeyCode

struct KeyCodeEntry
{
    quint16 macKeyCode;
    // Linux input event code (linux/input-event-codes.h); X11 and Wayland
    // report it as the native scan code plus 8.
    quint16 evdevCode;
    // The X keysym of the key on a US layout, unshifted (0 when none).
    quint32 keysym;
    // The Qt::Key of the key on a US layout, unshifted (0 when none).
    int qtKey;
};

namespace KeyCodeMap {

inline constexpr quint32 kX11KeycodeOffset = 8;

std::span<const KeyCodeEntry> entries();

std::optional<quint16> macKeyCodeForScanCode(quint32 nativeScanCode);
std::optional<quint32> scanCodeForMacKeyCode(quint16 macKeyCode);
std::optional<quint32> keysymForMacKeyCode(quint16 macKeyCode);

// The key a Qt::Key stands for on a US layout; shifted symbols give their
// key ("!" is the "1" key), keypad digits and operators count only with
// Qt::KeypadModifier.
std::optional<quint16> macKeyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers = {});

// A key event from Qt: the native scan code first (it names the physical
// key whatever the layout), the Qt::Key when the platform gives no usable
// scan code (offscreen, some input methods).
std::optional<quint16> macKeyCodeForKeyEvent(quint32 nativeScanCode, int qtKey,
                                             Qt::KeyboardModifiers modifiers);

quint64 macModifiersForQt(Qt::KeyboardModifiers modifiers);

// Shift, Control, Option, Command, Caps Lock and Function keys themselves.
bool isModifierKey(quint16 macKeyCode);

} // namespace KeyCodeMap
