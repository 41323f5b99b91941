#include "transcription/TranscriptionRecord.h"

#include "texts/LocalizedTexts.h"

#include <cmath>
#include <limits>

TranscriptionRecord::TranscriptionRecord(QString text, qint64 wordCount, double durationSeconds, QString language,
                                         talvoro::ModelDate createdAt)
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
