#pragma once

#include <QString>

// The three sizes the avatar is drawn at. Numbers are logical pixels.
class AvatarSize
{
public:
    enum Value { Small, Medium, Large };
    // The platform's control sizes the loading spinner comes in.
    enum class SpinnerSize { Mini, Small };

    constexpr AvatarSize(Value value = Small) : m_value(value) {}

    // Circle diameter: 32, 48, 80.
    constexpr int dimension() const { return m_value == Small ? 32 : m_value == Medium ? 48 : 80; }
    // The person symbol: 14, 18, 28 (the small symbol is a point above the small initials).
    constexpr int iconFontSize() const { return m_value == Small ? 14 : m_value == Medium ? 18 : 28; }
    // The initials: 13, 18, 28.
    constexpr int initialsFontSize() const { return m_value == Small ? 13 : m_value == Medium ? 18 : 28; }
    constexpr SpinnerSize spinnerSize() const { return m_value == Small ? SpinnerSize::Mini : SpinnerSize::Small; }
    // Diameter of the spinner of that control size.
    constexpr int spinnerDiameter() const { return spinnerSize() == SpinnerSize::Mini ? 10 : 16; }

    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};

// What an avatar shows.
enum class AvatarContent {
    Image,    // the picture, clipped to the circle
    Loading,  // the tinted circle with a spinner
    Initials, // the initials on the name's colour
    Symbol,   // the tinted circle with the person symbol
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
            return AvatarContent::Image;
        if (!loadFailed)
            return AvatarContent::Loading;
    }
    return name.isEmpty() ? AvatarContent::Symbol : AvatarContent::Initials;
}

QString avatarContentName(AvatarContent content);

} // namespace talvoro
