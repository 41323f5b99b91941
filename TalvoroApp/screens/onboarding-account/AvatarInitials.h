#pragma once

#include "texts/Localization.h"

#include <QColor>
#include <QString>

#include <array>

// The rules behind the avatar's initials appearance: which letters, on which
// colour. Widget-free so the avatar view and its tests share them.
namespace talvoro {

// Up to two initials: the first whole user-perceived character (an accented
// letter, an emoji with its modifiers, a flag) of the first two words, words
// split at U+0020 only; upper-cased with the "pt-BR" or "en" locale. A name of
// spaces only gives an empty text.
QString avatarInitials(const QString &name, bool portuguese = isPortuguese());

// h = h × 31 + scalar over the name's Unicode scalars, wrapping in 64 bits.
qint64 avatarNameHash(const QString &name);
// |hash| mod 8. The magnitude is taken in unsigned arithmetic, so the
// smallest 64-bit value (no signed absolute value) gives 2^63 mod 8 = 0.
int avatarColorIndexForHash(qint64 hash);
inline int avatarColorIndex(const QString &name)
{
    return avatarColorIndexForHash(avatarNameHash(name));
}

// Blue, purple, pink, orange, teal, indigo, mint, cyan.
inline constexpr int kAvatarPaletteSize = 8;
const std::array<QColor, kAvatarPaletteSize> &avatarInitialsPalette();

// The gentle top-to-bottom gradient the circle is filled with: a lighter
// tint of the palette colour at the top, the colour itself at the bottom.
struct AvatarGradientColors
{
    QColor top;
    QColor bottom;
};
AvatarGradientColors avatarGradientColors(const QColor &color);
inline AvatarGradientColors avatarInitialsGradient(const QString &name)
{
    return avatarGradientColors(avatarInitialsPalette()[std::size_t(avatarColorIndex(name))]);
}

} // namespace talvoro
