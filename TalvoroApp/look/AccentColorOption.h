#pragma once

#include <QColor>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

class UserDefaultsProviding;

namespace talvoro {

// The user's accent colour. Raw values are the case names ("default",
// "orange", ...), which is how the option is stored and synchronised.
class AccentColorOption
{
public:
    // `default` is a keyword: its case is defaultColor (raw value "default").
    enum Value { defaultColor, orange, yellow, green, pink, purple };

    constexpr AccentColorOption(Value value = defaultColor) : m_value(value) {}

    // Every option, in the order the colour picker shows them.
    static constexpr std::array<Value, 6> allCases{defaultColor, orange, yellow, green, pink, purple};

    // Nothing for a text that names no option (exact, case-sensitive match).
    static std::optional<AccentColorOption> fromRawValue(QStringView raw);
    // What every view draws with: the named option, or `defaultColor` otherwise.
    static AccentColorOption resolved(QStringView raw);
    // The option stored under keyboardAccentColor, read afresh.
    static AccentColorOption current(const UserDefaultsProviding &defaults);

    QString rawValue() const;
    // The matching system colour; dynamic colours have a light and a dark
    // variant, chosen by the appearance the view is drawn in.
    QColor color(bool dark = false) const;

    constexpr Value value() const { return m_value; }
    constexpr operator Value() const { return m_value; }

private:
    Value m_value;
};

// The accent colour a view draws with right now.
QColor currentAccentColor(const UserDefaultsProviding &defaults, bool dark = false);

} // namespace talvoro
