#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

class UserDefaultsProviding;

// The tone asked of the formatter; raw values are the case names.
enum class Tone { colloquial, natural, formal };

namespace talvoro {

inline constexpr std::array<Tone, 3> kAllTones{Tone::colloquial, Tone::natural, Tone::formal};

QString rawValue(Tone tone);
std::optional<Tone> toneFromRawValue(const QString &raw);

} // namespace talvoro

// The formatting choices sent with every processing request, stored as one
// JSON object under the settings key `formattingOptions` with the field names
// as keys: {"tone":"natural","addParagraphs":true,...}.
struct FormattingOptions
{
    Tone tone = Tone::natural;
    bool addParagraphs = true;
    bool removeFinalPeriod = true;
    bool formatDates = true;
    bool formatTimes = true;
    bool formatLists = true;

    // The stored options; absent or undecodable data (not an object, a key
    // missing, a value of the wrong type, an unknown tone) gives the defaults:
    // tone natural with every flag true. Keys it does not know are ignored.
    static FormattingOptions loadFromUserDefaults(const UserDefaultsProviding &defaults);
    // Stores the options as compact JSON, fields in declaration order.
    void saveToUserDefaults(UserDefaultsProviding &defaults) const;

    QByteArray toJson() const;
    static std::optional<FormattingOptions> fromJson(const QByteArray &json);

    friend bool operator==(const FormattingOptions &, const FormattingOptions &) = default;
};
