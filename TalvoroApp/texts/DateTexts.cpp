#include "texts/DateTexts.h"

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <map>
#include <memory>
#include <tuple>

namespace talvoro {

namespace {

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

icu::UnicodeString toIcu(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t *>(text.utf16()), int32_t(text.size()));
}

// Building a pattern generator costs about a millisecond, so generators are
// kept per locale and formatters per locale, skeleton and zone (a handful in
// practice; GUI thread).
icu::SimpleDateFormat *formatter(const QLocale &locale, const char *skeleton, const QByteArray &zoneId)
{
    using Key = std::tuple<QString, QByteArray, QByteArray>;
    static std::map<Key, std::unique_ptr<icu::SimpleDateFormat>> cache;
    const Key key{locale.name(), QByteArray(skeleton), zoneId};
    if (auto it = cache.find(key); it != cache.end())
        return it->second.get();

    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale(locale.name().toLatin1().constData());
    static std::map<QString, std::unique_ptr<icu::DateTimePatternGenerator>> generators;
    std::unique_ptr<icu::DateTimePatternGenerator> &generator = generators[locale.name()];
    if (!generator) {
        generator.reset(icu::DateTimePatternGenerator::createInstance(icuLocale, status));
        if (U_FAILURE(status)) {
            generator.reset();
            return nullptr;
        }
    }
    const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString::fromUTF8(skeleton), status);
    if (U_FAILURE(status))
        return nullptr;
    auto format = std::make_unique<icu::SimpleDateFormat>(pattern, icuLocale, status);
    if (U_FAILURE(status))
        return nullptr;
    format->adoptTimeZone(icu::TimeZone::createTimeZone(toIcu(QString::fromLatin1(zoneId))));
    return cache.emplace(key, std::move(format)).first->second.get();
}

} // namespace

QString localizedDate(const QDateTime &date, const char *skeleton, const QLocale &locale, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    icu::SimpleDateFormat *format = formatter(locale, skeleton, zone.isValid() ? zone.id() : QByteArray("UTC"));
    if (!format)
        return QLocale(locale).toString(date.toTimeZone(zone).date(), QLocale::LongFormat);
    icu::UnicodeString text;
    format->format(UDate(date.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}

QString localizedDate(QDate day, const char *skeleton, const QLocale &locale)
{
    // Noon UTC of the day, read in UTC: the same calendar day everywhere.
    const QTimeZone utc = QTimeZone::utc();
    return localizedDate(QDateTime(day, QTime(12, 0), utc), skeleton, locale, utc);
}

QString relativeDateText(const QDateTime &date, const QDateTime &reference, const QLocale &locale)
{
    if (!date.isValid() || !reference.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale(locale.name().toLatin1().constData());
    icu::RelativeDateTimeFormatter format(icuLocale, nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status))
        return {};
    const qint64 seconds = reference.secsTo(date);
    const qint64 magnitude = qAbs(seconds);
    icu::UnicodeString text;
    if (magnitude < 1) {
        format.format(UDAT_DIRECTION_PLAIN, UDAT_ABSOLUTE_NOW, text, status);
        return U_SUCCESS(status) ? fromIcu(text) : QString();
    }
    struct Step
    {
        qint64 seconds;
        URelativeDateTimeUnit unit;
    };
    // The largest unit of which at least one whole fits.
    static constexpr Step steps[] = {
        {365 * 86400, UDAT_REL_UNIT_YEAR}, {30 * 86400, UDAT_REL_UNIT_MONTH}, {7 * 86400, UDAT_REL_UNIT_WEEK},
        {86400, UDAT_REL_UNIT_DAY},        {3600, UDAT_REL_UNIT_HOUR},        {60, UDAT_REL_UNIT_MINUTE},
        {1, UDAT_REL_UNIT_SECOND},
    };
    for (const auto &step : steps) {
        if (magnitude < step.seconds)
            continue;
        const double count = double(magnitude / step.seconds);
        format.formatNumeric(seconds < 0 ? -count : count, step.unit, text, status);
        break;
    }
    return U_SUCCESS(status) ? fromIcu(text) : QString();
}

int relativeDateRefreshMs(const QDateTime &date, const QDateTime &reference)
{
    const qint64 age = qAbs(date.msecsTo(reference));
    if (age < 60'000)
        return 1000 - int(age % 1000);
    return 60'000 - int(age % 60'000);
}

} // namespace talvoro
