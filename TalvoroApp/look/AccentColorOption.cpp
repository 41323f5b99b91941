#include "look/AccentColorOption.h"

#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

namespace talvoro {

namespace {

struct OptionInfo
{
    const char *raw;
    QRgb light;
    QRgb dark;
};

// The macOS system colours (systemBlue, systemOrange, systemYellow,
// systemGreen, systemPink, systemPurple) in their Aqua and Dark Aqua
// variants, as sRGB.
constexpr std::array<OptionInfo, 6> kOptions{{
    {"default", qRgb(0, 122, 255), qRgb(10, 132, 255)},
    {"orange", qRgb(255, 149, 0), qRgb(255, 159, 10)},
    {"yellow", qRgb(255, 204, 0), qRgb(255, 214, 10)},
    {"green", qRgb(40, 205, 65), qRgb(50, 215, 75)},
    {"pink", qRgb(255, 45, 85), qRgb(255, 55, 95)},
    {"purple", qRgb(175, 82, 222), qRgb(191, 90, 242)},
}};

} // namespace

std::optional<AccentColorOption> AccentColorOption::fromRawValue(QStringView raw)
{
    for (Value value : allCases) {
        if (raw == QLatin1String(kOptions[value].raw))
            return AccentColorOption(value);
    }
    return std::nullopt;
}

AccentColorOption AccentColorOption::resolved(QStringView raw)
{
    return fromRawValue(raw).value_or(AccentColorOption(defaultColor));
}

AccentColorOption AccentColorOption::current(const UserDefaultsProviding &defaults)
{
    return resolved(defaults.value(SettingsKeys::keyboardAccentColor));
}

QString AccentColorOption::rawValue() const
{
    return QLatin1String(kOptions[m_value].raw);
}

QColor AccentColorOption::color(bool dark) const
{
    return QColor(dark ? kOptions[m_value].dark : kOptions[m_value].light);
}

QColor currentAccentColor(const UserDefaultsProviding &defaults, bool dark)
{
    return AccentColorOption::current(defaults).color(dark);
}

} // namespace talvoro
