#include "platform/ModelValues.h"

#include "platform/LanguageChoice.h"

#include <QCollator>
#include <QLocale>

#include <cmath>
#include <cstring>

namespace talvoro {

QUuid newModelId()
{
    return QUuid::createUuid();
}

QString uuidString(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromString(const QString &text)
{
    const QUuid id = QUuid::fromString(text.trimmed());
    if (id.isNull() && text.trimmed() != QStringLiteral("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

int compareIds(const QUuid &a, const QUuid &b)
{
    // Field by field: each field's numeric order is its big-endian byte order.
    if (a.data1 != b.data1)
        return a.data1 < b.data1 ? -1 : 1;
    if (a.data2 != b.data2)
        return a.data2 < b.data2 ? -1 : 1;
    if (a.data3 != b.data3)
        return a.data3 < b.data3 ? -1 : 1;
    return std::memcmp(a.data4, b.data4, sizeof a.data4);
}

int compareLocalizedStandard(const QString &a, const QString &b)
{
    // The language the application speaks, not the process locale (often "C",
    // whose collation is plain code point order).
    static QCollator collator;
    static QLocale collatorLocale(QLocale::C);
    const QLocale locale = textLocale(isPortuguese());
    if (collatorLocale != locale) {
        collatorLocale = locale;
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(true);
    }
    const int result = collator.compare(a, b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int compareDates(const QDateTime &a, const QDateTime &b)
{
    if (a.isValid() != b.isValid())
        return a.isValid() ? 1 : -1;
    if (!a.isValid())
        return 0;
    return compareNumbers(a.toMSecsSinceEpoch(), b.toMSecsSinceEpoch());
}

QDateTime currentModelDate()
{
    return QDateTime::currentDateTimeUtc();
}

double millisecondsSince1970(const QDateTime &date)
{
    return date.isValid() ? static_cast<double>(date.toMSecsSinceEpoch()) : 0.0;
}

QDateTime dateFromMillisecondsSince1970(double milliseconds)
{
    // QDateTime covers far less than qint64 milliseconds; stay well inside it.
    constexpr double limit = 8.0e15;
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > limit)
        return {};
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(milliseconds)), Qt::UTC);
}

} // namespace talvoro
