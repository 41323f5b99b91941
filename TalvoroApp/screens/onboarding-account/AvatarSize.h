#pragma once

#include <QString>

// The three sizes the avatar is drawn at. Numbers are logical pixels.
class AvatarSize
{
public:
    enum Value { small, medium, large };
    // The platform's control sizes the loading spinner comes in.
    enum class SpinnerSize { mini, small };

    constexpr AvatarSize(Value value = small) : m_value(value) {}

    // Circle diameter: 32, 48, 80.
    constexpr int dimension() const { return m_value == small ? 32 : m_value == medium ? 48 : 80; }
    // The person symbol: 14, 18, 28 (the small symbol is a point above the small initials).
    constexpr int iconFontSize() const { return m_value == small ? 14 : m_value == medium ? 18 : 28; }
    // The initials: 13, 18, 28.
    constexpr int initialsFontSize() const { return m_value == small ? 13 : m_value == medium ? 18 : 28; }
    constexpr SpinnerSize spinnerSize() const { return m_value == small ? SpinnerSize::mini : SpinnerSize::small; }
    // Diameter of the spinner of that control size.
    constexpr int spinnerDiameter() const { return spinnerSize() == SpinnerSize::mini ? 10 : 16; }

    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};

// What an avatar shows.
enum class AvatarContent {
    image,    // the picture, clipped to the circle
    loading,  // the tinted circle with a spinner
    initials, // the initials on the name's colour
    symbol,   // the tinted circle with the person symbol
};

namespace talvoro {

// The choice of content: with a picture address, the picture once loaded,
// the spinner until the load fails; without one, or after a failure, the
// initials when the name has any character (spaces count), else the symbol.
inline AvatarContent avatarContent(bool hasImageURL, bool hasLoadedImage, bool loadFailed,
                                      const QString &name)
{
    if (hasImageURL) {
        if (hasLoadedImage)
            return AvatarContent::image;
        if (!loadFailed)
            return AvatarContent::loading;
    }
    return name.isEmpty() ? AvatarContent::symbol : AvatarContent::initials;
}

QString avatarContentName(AvatarContent content);

} // namespace talvoro
