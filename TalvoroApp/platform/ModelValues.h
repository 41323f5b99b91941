#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <compare>
#include <optional>

// Value conversions shared by the models, the store and the synchroniser.
namespace talvoro {

// A new random (version 4) id.
QUuid newModelId();

// The canonical text of an id: upper-case, hyphenated, without braces
// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); the client id sent to the account.
QString uuidString(const QUuid &id);
// Reads an id in any case, with or without braces; nullopt for anything else.
std::optional<QUuid> uuidFromString(const QString &text);

// Orders ids as their canonical texts order (byte by byte), which is the
// order the store's SQL uses; QUuid's own operator< ranks the variant first.
int compareIds(const QUuid &a, const QUuid &b);

// Text order for sorting by a text field, as a file browser sorts names:
// locale-aware, case-insensitive, digits by numeric value.
int compareLocalizedStandard(const QString &a, const QString &b);
template<class N>
int compareNumbers(N a, N b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A model's date: a QDateTime (whole milliseconds, what screens show and
// group by) plus the part of a millisecond that the account's times may carry
// (they travel as floating-point milliseconds, e.g. 1741600000000.2). Kept so
// that a row's own time, pushed back, is exactly the account's: rounded to a
// millisecond it was older, and the account refused the push.
//
// The store keeps a date as one integer, nanoseconds since 1970 (sortable;
// 1677 to 2262); storeValue()/fromStoreValue() are the only places that know
// the unit. Nanoseconds hold every double millisecond time after April 1970
// exactly: there a double's step is at least 1.9 ns.
class ModelDate : public QDateTime
{
public:
    ModelDate() = default;
    // The same instant, no part of a millisecond.
    ModelDate(const QDateTime &date); // NOLINT: implicit, screens assign QDateTimes
    ModelDate(QDateTime &&date);      // NOLINT

    // Invalid for a value that is not finite or outside the store's range.
    static ModelDate fromMillisecondsSince1970(double milliseconds);
    // The payloads' form; 0 for an invalid date.
    double millisecondsSince1970() const;

    // The store's integer; nullopt for an invalid date or one out of its range.
    std::optional<qint64> storeValue() const;
    static ModelDate fromStoreValue(qint64 value);

    // Nanoseconds past the whole millisecond, 0 to 999,999.
    int subMillisecondNanoseconds() const { return m_nanoseconds; }

    friend bool operator==(const ModelDate &a, const ModelDate &b) { return compare(a, b) == 0; }
    friend bool operator==(const ModelDate &a, const QDateTime &b) { return compare(a, ModelDate(b)) == 0; }
    friend std::strong_ordering operator<=>(const ModelDate &a, const ModelDate &b) { return compare(a, b) <=> 0; }
    friend std::strong_ordering operator<=>(const ModelDate &a, const QDateTime &b)
    {
        return compare(a, ModelDate(b)) <=> 0;
    }

    // An invalid date first, as the store orders NULL.
    static int compare(const ModelDate &a, const ModelDate &b);

private:
    qint32 m_nanoseconds = 0;
};

// Orders dates with an invalid date first, as the store orders NULL.
int compareDates(const ModelDate &a, const ModelDate &b);

// The current time in UTC with millisecond precision.
QDateTime currentModelDate();

// Milliseconds since 1 January 1970 as the synchronisation payloads carry
// them (a double), the part of a millisecond included; an invalid date gives 0.
double millisecondsSince1970(const ModelDate &date);
// The date of a payload's milliseconds, at the precision they carry; a
// non-finite or out-of-range value gives an invalid date.
ModelDate dateFromMillisecondsSince1970(double milliseconds);

// The latest time, in milliseconds since 1970, that a model date (and the
// store) holds: April 2262. Later times from a reply are refused.
inline constexpr qint64 kLatestMillisecondsSince1970 = 9'200'000'000'000;

// A number from a reply or a file as an integer: nullopt when it is not
// finite or lies outside [minimum, maximum] (casting such a double is
// undefined behaviour). Fractions are cut toward zero.
std::optional<qint64> integerInRange(double value, qint64 minimum, qint64 maximum);
// The same, held at the nearest end of the range instead (NaN gives minimum).
qint64 clampedInteger(double value, qint64 minimum, qint64 maximum);

} // namespace talvoro
