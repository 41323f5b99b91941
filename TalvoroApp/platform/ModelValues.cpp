#include "platform/ModelValues.h"

#include "platform/LanguageChoice.h"

#include <QCollator>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>

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

namespace {

constexpr qint64 kNanosecondsPerMillisecond = 1'000'000;
// Milliseconds whose nanoseconds still fit a qint64.
constexpr double kStoreLimitMilliseconds = double(kLatestMillisecondsSince1970);

} // namespace

ModelDate::ModelDate(const QDateTime &date)
    : QDateTime(date)
{
}

ModelDate::ModelDate(QDateTime &&date)
    : QDateTime(std::move(date))
{
}

ModelDate ModelDate::fromMillisecondsSince1970(double milliseconds)
{
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > kStoreLimitMilliseconds)
        return {};
    double whole = std::floor(milliseconds);
    // Exact: the fraction's bits are the low bits of the value.
    const double fraction = milliseconds - whole;
    auto nanoseconds = static_cast<qint64>(std::llround(fraction * double(kNanosecondsPerMillisecond)));
    if (nanoseconds == kNanosecondsPerMillisecond) {
        whole += 1;
        nanoseconds = 0;
    }
    ModelDate date(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(whole), QTimeZone::utc()));
    date.m_nanoseconds = static_cast<qint32>(nanoseconds);
    return date;
}

double ModelDate::millisecondsSince1970() const
{
    if (!isValid())
        return 0.0;
    // The nearest double to the sum is the value the account sent.
    return static_cast<double>(toMSecsSinceEpoch()) + double(m_nanoseconds) / double(kNanosecondsPerMillisecond);
}

std::optional<qint64> ModelDate::storeValue() const
{
    if (!isValid())
        return std::nullopt;
    qint64 value = 0;
    if (__builtin_mul_overflow(toMSecsSinceEpoch(), kNanosecondsPerMillisecond, &value)
        || __builtin_add_overflow(value, qint64(m_nanoseconds), &value))
        return std::nullopt;
    return value;
}

ModelDate ModelDate::fromStoreValue(qint64 value)
{
    qint64 milliseconds = value / kNanosecondsPerMillisecond;
    qint64 nanoseconds = value % kNanosecondsPerMillisecond;
    if (nanoseconds < 0) { // division rounds toward zero; the millisecond is the floor
        milliseconds -= 1;
        nanoseconds += kNanosecondsPerMillisecond;
    }
    ModelDate date(QDateTime::fromMSecsSinceEpoch(milliseconds, QTimeZone::utc()));
    date.m_nanoseconds = static_cast<qint32>(nanoseconds);
    return date;
}

int ModelDate::compare(const ModelDate &a, const ModelDate &b)
{
    if (a.isValid() != b.isValid())
        return a.isValid() ? 1 : -1;
    if (!a.isValid())
        return 0;
    if (const int byMilliseconds = compareNumbers(a.toMSecsSinceEpoch(), b.toMSecsSinceEpoch()))
        return byMilliseconds;
    return compareNumbers(a.m_nanoseconds, b.m_nanoseconds);
}

int compareDates(const ModelDate &a, const ModelDate &b)
{
    return ModelDate::compare(a, b);
}

QDateTime currentModelDate()
{
    return QDateTime::currentDateTimeUtc();
}

double millisecondsSince1970(const ModelDate &date)
{
    return date.millisecondsSince1970();
}

ModelDate dateFromMillisecondsSince1970(double milliseconds)
{
    return ModelDate::fromMillisecondsSince1970(milliseconds);
}

std::optional<qint64> integerInRange(double value, qint64 minimum, qint64 maximum)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::trunc(value);
    // `maximum + 1` as a double: for qint64's maximum that is 2^63, exactly.
    if (!(whole >= static_cast<double>(minimum)) || !(whole < static_cast<double>(maximum) + 1.0))
        return std::nullopt;
    return std::clamp(static_cast<qint64>(whole), minimum, maximum);
}

qint64 clampedInteger(double value, qint64 minimum, qint64 maximum)
{
    if (std::isnan(value))
        return minimum;
    if (const auto inRange = integerInRange(value, minimum, maximum))
        return *inRange;
    return value > 0 ? maximum : minimum;
}

} // namespace talvoro
