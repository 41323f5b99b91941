#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

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
// Orders dates with an invalid date first, as the store orders NULL.
int compareDates(const QDateTime &a, const QDateTime &b);

template<class N>
int compareNumbers(N a, N b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The current time in UTC with millisecond precision.
QDateTime currentModelDate();

// Milliseconds since 1 January 1970 as the synchronisation payloads carry
// them (a double); an invalid date gives 0.
double millisecondsSince1970(const QDateTime &date);
// The date of a payload's milliseconds, rounded to the nearest millisecond;
// a non-finite or out-of-range value gives an invalid date.
QDateTime dateFromMillisecondsSince1970(double milliseconds);

} // namespace talvoro
