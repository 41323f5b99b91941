#include "transcription/TranscriptionRecord.h"

#include "app/LocalizedTexts.h"
#include "platform/SqliteDatabase.h"

#include <cmath>
#include <limits>

TranscriptionRecord::TranscriptionRecord(QString text, qint64 wordCount, double durationSeconds, QString language,
                                         QDateTime createdAt)
    : id(talvoro::newModelId())
    , text(std::move(text))
    , createdAt(std::move(createdAt))
    , wordCount(wordCount)
    , durationSeconds(durationSeconds)
    , language(std::move(language))
{
}

QString TranscriptionRecord::durationText(double seconds)
{
    qint64 total = 0;
    if (std::isfinite(seconds)) {
        const double rounded = std::round(seconds);
        // 2^63 is the first double past the range of qint64.
        constexpr double beyondRange = 9223372036854775808.0;
        if (rounded >= beyondRange)
            total = std::numeric_limits<qint64>::max();
        else if (rounded > 0)
            total = static_cast<qint64>(rounded);
    } else if (seconds > 0) {
        total = std::numeric_limits<qint64>::max();
    }
    return QString::number(total / 60) + QLatin1Char(':')
        + QStringLiteral("%1").arg(total % 60, 2, 10, QLatin1Char('0'));
}

QString TranscriptionRecord::wordCountAndDurationText(bool portuguese) const
{
    return talvoro::localizedWordCount(wordCount, portuguese) + QStringLiteral(" · ") + durationText(durationSeconds);
}

QString TranscriptionRecord::relativeSummaryText(const QDateTime &reference, bool portuguese) const
{
    return talvoro::shortRelativeText(createdAt, reference, portuguese) + QStringLiteral(" · ")
        + wordCountAndDurationText(portuguese);
}

using Traits = ModelTraits<TranscriptionRecord>;

const char *Traits::column(Field field)
{
    switch (field) {
    case Field::id: return "id";
    case Field::text: return "text";
    case Field::createdAt: return "createdAt";
    case Field::wordCount: return "wordCount";
    case Field::durationSeconds: return "durationSeconds";
    case Field::language: return "language";
    }
    return "id";
}

TranscriptionRecord Traits::read(const SqliteStatement &statement)
{
    TranscriptionRecord record;
    record.id = statement.columnUuid(0);
    record.text = statement.columnText(1);
    record.createdAt = statement.columnDate(2);
    record.wordCount = statement.columnInt64(3);
    // NULL is how SQLite keeps a NaN.
    record.durationSeconds = statement.isNull(4) ? std::numeric_limits<double>::quiet_NaN()
                                                 : statement.columnDouble(4);
    record.language = statement.columnText(5);
    return record;
}

void Traits::bind(SqliteStatement &statement, int index, const T &model, Field field)
{
    switch (field) {
    case Field::id: statement.bindUuid(index, model.id); break;
    case Field::text: statement.bindText(index, model.text); break;
    case Field::createdAt: statement.bindDate(index, model.createdAt); break;
    case Field::wordCount: statement.bindInt64(index, model.wordCount); break;
    case Field::durationSeconds: statement.bindDouble(index, model.durationSeconds); break;
    case Field::language: statement.bindText(index, model.language); break;
    }
}

bool Traits::fieldEquals(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return a.id == b.id;
    case Field::text: return a.text == b.text;
    case Field::createdAt: return a.createdAt == b.createdAt;
    case Field::wordCount: return a.wordCount == b.wordCount;
    case Field::durationSeconds:
        return a.durationSeconds == b.durationSeconds
            || (std::isnan(a.durationSeconds) && std::isnan(b.durationSeconds));
    case Field::language: return a.language == b.language;
    }
    return true;
}

void Traits::copyField(Field field, T &to, const T &from)
{
    switch (field) {
    case Field::id: to.id = from.id; break;
    case Field::text: to.text = from.text; break;
    case Field::createdAt: to.createdAt = from.createdAt; break;
    case Field::wordCount: to.wordCount = from.wordCount; break;
    case Field::durationSeconds: to.durationSeconds = from.durationSeconds; break;
    case Field::language: to.language = from.language; break;
    }
}

bool Traits::sortsInSql(Field field)
{
    return field != Field::text && field != Field::language;
}

int Traits::compare(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return talvoro::compareIds(a.id, b.id);
    case Field::text: return talvoro::compareLocalizedStandard(a.text, b.text);
    case Field::createdAt: return talvoro::compareDates(a.createdAt, b.createdAt);
    case Field::wordCount: return talvoro::compareNumbers(a.wordCount, b.wordCount);
    case Field::durationSeconds:
        // NaN is kept as NULL, which SQL orders first.
        if (std::isnan(a.durationSeconds) || std::isnan(b.durationSeconds))
            return talvoro::compareNumbers(!std::isnan(a.durationSeconds), !std::isnan(b.durationSeconds));
        return talvoro::compareNumbers(a.durationSeconds, b.durationSeconds);
    case Field::language: return talvoro::compareLocalizedStandard(a.language, b.language);
    }
    return 0;
}
