#include "dictation/KeyCodeMap.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>

namespace {

using namespace Qt;

// macOS virtual key code, Linux evdev code, US keysym, Qt::Key.
constexpr std::array kEntries{
    KeyCodeEntry{0, 30, XK_a, Key_A},
    KeyCodeEntry{1, 31, XK_s, Key_S},
    KeyCodeEntry{2, 32, XK_d, Key_D},
    KeyCodeEntry{3, 33, XK_f, Key_F},
    KeyCodeEntry{4, 35, XK_h, Key_H},
    KeyCodeEntry{5, 34, XK_g, Key_G},
    KeyCodeEntry{6, 44, XK_z, Key_Z},
    KeyCodeEntry{7, 45, XK_x, Key_X},
    KeyCodeEntry{8, 46, XK_c, Key_C},
    KeyCodeEntry{9, 47, XK_v, Key_V},
    KeyCodeEntry{10, 86, XK_less, 0}, // ISO key left of Z
    KeyCodeEntry{11, 48, XK_b, Key_B},
    KeyCodeEntry{12, 16, XK_q, Key_Q},
    KeyCodeEntry{13, 17, XK_w, Key_W},
    KeyCodeEntry{14, 18, XK_e, Key_E},
    KeyCodeEntry{15, 19, XK_r, Key_R},
    KeyCodeEntry{16, 21, XK_y, Key_Y},
    KeyCodeEntry{17, 20, XK_t, Key_T},
    KeyCodeEntry{18, 2, XK_1, Key_1},
    KeyCodeEntry{19, 3, XK_2, Key_2},
    KeyCodeEntry{20, 4, XK_3, Key_3},
    KeyCodeEntry{21, 5, XK_4, Key_4},
    KeyCodeEntry{22, 7, XK_6, Key_6},
    KeyCodeEntry{23, 6, XK_5, Key_5},
    KeyCodeEntry{24, 13, XK_equal, Key_Equal},
    KeyCodeEntry{25, 10, XK_9, Key_9},
    KeyCodeEntry{26, 8, XK_7, Key_7},
    KeyCodeEntry{27, 12, XK_minus, Key_Minus},
    KeyCodeEntry{28, 9, XK_8, Key_8},
    KeyCodeEntry{29, 11, XK_0, Key_0},
    KeyCodeEntry{30, 27, XK_bracketright, Key_BracketRight},
    KeyCodeEntry{31, 24, XK_o, Key_O},
    KeyCodeEntry{32, 22, XK_u, Key_U},
    KeyCodeEntry{33, 26, XK_bracketleft, Key_BracketLeft},
    KeyCodeEntry{34, 23, XK_i, Key_I},
    KeyCodeEntry{35, 25, XK_p, Key_P},
    KeyCodeEntry{36, 28, XK_Return, Key_Return},
    KeyCodeEntry{37, 38, XK_l, Key_L},
    KeyCodeEntry{38, 36, XK_j, Key_J},
    KeyCodeEntry{39, 40, XK_apostrophe, Key_Apostrophe},
    KeyCodeEntry{40, 37, XK_k, Key_K},
    KeyCodeEntry{41, 39, XK_semicolon, Key_Semicolon},
    KeyCodeEntry{42, 43, XK_backslash, Key_Backslash},
    KeyCodeEntry{43, 51, XK_comma, Key_Comma},
    KeyCodeEntry{44, 53, XK_slash, Key_Slash},
    KeyCodeEntry{45, 49, XK_n, Key_N},
    KeyCodeEntry{46, 50, XK_m, Key_M},
    KeyCodeEntry{47, 52, XK_period, Key_Period},
    KeyCodeEntry{48, 15, XK_Tab, Key_Tab},
    KeyCodeEntry{49, 57, XK_space, Key_Space},
    KeyCodeEntry{50, 41, XK_grave, Key_QuoteLeft},
    KeyCodeEntry{51, 14, XK_BackSpace, Key_Backspace},
    KeyCodeEntry{53, 1, XK_Escape, Key_Escape},
    KeyCodeEntry{54, 126, XK_Super_R, 0},
    KeyCodeEntry{55, 125, XK_Super_L, Key_Meta},
    KeyCodeEntry{56, 42, XK_Shift_L, Key_Shift},
    KeyCodeEntry{57, 58, XK_Caps_Lock, Key_CapsLock},
    KeyCodeEntry{58, 56, XK_Alt_L, Key_Alt},
    KeyCodeEntry{59, 29, XK_Control_L, Key_Control},
    KeyCodeEntry{60, 54, XK_Shift_R, 0},
    KeyCodeEntry{61, 100, XK_Alt_R, Key_AltGr},
    KeyCodeEntry{62, 97, XK_Control_R, 0},
    KeyCodeEntry{64, 187, XK_F17, Key_F17},
    KeyCodeEntry{65, 83, XK_KP_Decimal, 0},
    KeyCodeEntry{67, 55, XK_KP_Multiply, 0},
    KeyCodeEntry{69, 78, XK_KP_Add, 0},
    KeyCodeEntry{71, 69, XK_Num_Lock, Key_NumLock}, // keypad Clear sits where Num Lock is
    KeyCodeEntry{72, 115, XK_VoidSymbol, Key_VolumeUp},
    KeyCodeEntry{73, 114, XK_VoidSymbol, Key_VolumeDown},
    KeyCodeEntry{74, 113, XK_VoidSymbol, Key_VolumeMute},
    KeyCodeEntry{75, 98, XK_KP_Divide, 0},
    KeyCodeEntry{76, 96, XK_KP_Enter, Key_Enter},
    KeyCodeEntry{78, 74, XK_KP_Subtract, 0},
    KeyCodeEntry{79, 188, XK_F18, Key_F18},
    KeyCodeEntry{80, 189, XK_F19, Key_F19},
    KeyCodeEntry{81, 117, XK_KP_Equal, 0},
    KeyCodeEntry{82, 82, XK_KP_0, 0},
    KeyCodeEntry{83, 79, XK_KP_1, 0},
    KeyCodeEntry{84, 80, XK_KP_2, 0},
    KeyCodeEntry{85, 81, XK_KP_3, 0},
    KeyCodeEntry{86, 75, XK_KP_4, 0},
    KeyCodeEntry{87, 76, XK_KP_5, 0},
    KeyCodeEntry{88, 77, XK_KP_6, 0},
    KeyCodeEntry{89, 71, XK_KP_7, 0},
    KeyCodeEntry{90, 190, XK_F20, Key_F20},
    KeyCodeEntry{91, 72, XK_KP_8, 0},
    KeyCodeEntry{92, 73, XK_KP_9, 0},
    KeyCodeEntry{93, 124, XK_yen, Key_yen},
    KeyCodeEntry{94, 89, XK_underscore, 0}, // JIS "ro"
    KeyCodeEntry{96, 63, XK_F5, Key_F5},
    KeyCodeEntry{97, 64, XK_F6, Key_F6},
    KeyCodeEntry{98, 65, XK_F7, Key_F7},
    KeyCodeEntry{99, 61, XK_F3, Key_F3},
    KeyCodeEntry{100, 66, XK_F8, Key_F8},
    KeyCodeEntry{101, 67, XK_F9, Key_F9},
    KeyCodeEntry{103, 87, XK_F11, Key_F11},
    KeyCodeEntry{105, 183, XK_F13, Key_F13},
    KeyCodeEntry{106, 186, XK_F16, Key_F16},
    KeyCodeEntry{107, 184, XK_F14, Key_F14},
    KeyCodeEntry{109, 68, XK_F10, Key_F10},
    KeyCodeEntry{111, 88, XK_F12, Key_F12},
    KeyCodeEntry{113, 185, XK_F15, Key_F15},
    KeyCodeEntry{114, 110, XK_Insert, Key_Insert}, // Help sits where Insert is
    KeyCodeEntry{115, 102, XK_Home, Key_Home},
    KeyCodeEntry{116, 104, XK_Prior, Key_PageUp},
    KeyCodeEntry{117, 111, XK_Delete, Key_Delete},
    KeyCodeEntry{118, 62, XK_F4, Key_F4},
    KeyCodeEntry{119, 107, XK_End, Key_End},
    KeyCodeEntry{120, 60, XK_F2, Key_F2},
    KeyCodeEntry{121, 109, XK_Next, Key_PageDown},
    KeyCodeEntry{122, 59, XK_F1, Key_F1},
    KeyCodeEntry{123, 105, XK_Left, Key_Left},
    KeyCodeEntry{124, 106, XK_Right, Key_Right},
    KeyCodeEntry{125, 108, XK_Down, Key_Down},
    KeyCodeEntry{126, 103, XK_Up, Key_Up},
};

// Symbols typed with Shift on a US layout, and other Qt::Keys that name a
// key of the table without being its unshifted key.
struct QtKeyAlias
{
    int qtKey;
    quint16 macKeyCode;
};
constexpr std::array kQtAliases{
    QtKeyAlias{Key_Exclam, 18},      QtKeyAlias{Key_At, 19},
    QtKeyAlias{Key_NumberSign, 20},  QtKeyAlias{Key_Dollar, 21},
    QtKeyAlias{Key_Percent, 23},     QtKeyAlias{Key_AsciiCircum, 22},
    QtKeyAlias{Key_Ampersand, 26},   QtKeyAlias{Key_Asterisk, 28},
    QtKeyAlias{Key_ParenLeft, 25},   QtKeyAlias{Key_ParenRight, 29},
    QtKeyAlias{Key_Underscore, 27},  QtKeyAlias{Key_Plus, 24},
    QtKeyAlias{Key_BraceLeft, 33},   QtKeyAlias{Key_BraceRight, 30},
    QtKeyAlias{Key_Bar, 42},         QtKeyAlias{Key_Colon, 41},
    QtKeyAlias{Key_QuoteDbl, 39},    QtKeyAlias{Key_Less, 43},
    QtKeyAlias{Key_Greater, 47},     QtKeyAlias{Key_Question, 44},
    QtKeyAlias{Key_AsciiTilde, 50},  QtKeyAlias{Key_Backtab, 48},
    QtKeyAlias{Key_Super_L, 55},     QtKeyAlias{Key_Super_R, 54},
    QtKeyAlias{Key_Help, 114},       QtKeyAlias{Key_Clear, 71},
};

// Keypad keys, which Qt reports with the ordinary Qt::Key plus
// Qt::KeypadModifier.
constexpr std::array kKeypadAliases{
    QtKeyAlias{Key_0, 82},        QtKeyAlias{Key_1, 83},     QtKeyAlias{Key_2, 84},
    QtKeyAlias{Key_3, 85},        QtKeyAlias{Key_4, 86},     QtKeyAlias{Key_5, 87},
    QtKeyAlias{Key_6, 88},        QtKeyAlias{Key_7, 89},     QtKeyAlias{Key_8, 91},
    QtKeyAlias{Key_9, 92},        QtKeyAlias{Key_Period, 65}, QtKeyAlias{Key_Comma, 65},
    QtKeyAlias{Key_Asterisk, 67}, QtKeyAlias{Key_Plus, 69},  QtKeyAlias{Key_Slash, 75},
    QtKeyAlias{Key_Enter, 76},    QtKeyAlias{Key_Minus, 78}, QtKeyAlias{Key_Equal, 81},
};

const KeyCodeEntry *entryForMac(quint16 macKeyCode)
{
    const auto it = std::ranges::find(kEntries, macKeyCode, &KeyCodeEntry::macKeyCode);
    return it == kEntries.end() ? nullptr : &*it;
}

} // namespace

namespace KeyCodeMap {

std::span<const KeyCodeEntry> entries()
{
    return kEntries;
}

std::optional<quint16> macKeyCodeForScanCode(quint32 nativeScanCode)
{
    if (nativeScanCode <= kX11KeycodeOffset)
        return std::nullopt;
    const quint32 evdev = nativeScanCode - kX11KeycodeOffset;
    const auto it = std::ranges::find(kEntries, evdev, &KeyCodeEntry::evdevCode);
    if (it == kEntries.end())
        return std::nullopt;
    return it->macKeyCode;
}

std::optional<quint32> scanCodeForMacKeyCode(quint16 macKeyCode)
{
    if (const auto *entry = entryForMac(macKeyCode))
        return entry->evdevCode + kX11KeycodeOffset;
    return std::nullopt;
}

std::optional<quint32> keysymForMacKeyCode(quint16 macKeyCode)
{
    const auto *entry = entryForMac(macKeyCode);
    if (!entry || entry->keysym == 0 || entry->keysym == XK_VoidSymbol)
        return std::nullopt;
    return entry->keysym;
}

std::optional<quint16> macKeyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        const auto it = std::ranges::find(kKeypadAliases, qtKey, &QtKeyAlias::qtKey);
        if (it != kKeypadAliases.end())
            return it->macKeyCode;
    }
    if (qtKey == 0)
        return std::nullopt;
    const auto entry = std::ranges::find(kEntries, qtKey, &KeyCodeEntry::qtKey);
    if (entry != kEntries.end())
        return entry->macKeyCode;
    const auto alias = std::ranges::find(kQtAliases, qtKey, &QtKeyAlias::qtKey);
    if (alias != kQtAliases.end())
        return alias->macKeyCode;
    return std::nullopt;
}

std::optional<quint16> macKeyCodeForKeyEvent(quint32 nativeScanCode, int qtKey,
                                             Qt::KeyboardModifiers modifiers)
{
    if (const auto fromScanCode = macKeyCodeForScanCode(nativeScanCode))
        return fromScanCode;
    return macKeyCodeForQtKey(qtKey, modifiers);
}

quint64 macModifiersForQt(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= MacModifier::shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= MacModifier::control;
    if (modifiers.testFlag(Qt::AltModifier))
        flags |= MacModifier::option;
    if (modifiers.testFlag(Qt::MetaModifier))
        flags |= MacModifier::command;
    return flags;
}

bool isModifierKey(quint16 macKeyCode)
{
    return (macKeyCode >= 54 && macKeyCode <= 63);
}

} // namespace KeyCodeMap
