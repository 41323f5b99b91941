#pragma once

#include "texts/Localization.h"
#include "platform/ModelFields.h"
#include "platform/ModelValues.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

// One transcription in the local store (table `transcriptions`).
struct TranscriptionRecord
{
    enum class Field { id, text, createdAt, wordCount, durationSeconds, language };

    QUuid id;
    QString text;
    talvoro::ModelDate createdAt; // UTC, at the precision it came with; the newest-first sort key
    qint64 wordCount = 0;
    double durationSeconds = 0.0;
    QString language = QStringLiteral("auto"); // a language code such as "pt", or "auto"

    TranscriptionRecord() = default;
    // A new record with a new random id, not yet inserted.
    TranscriptionRecord(QString text, qint64 wordCount, double durationSeconds, QString language,
                        talvoro::ModelDate createdAt = talvoro::currentModelDate());

    // The client id the account knows the record by.
    QString idString() const { return talvoro::uuidString(id); }

    // "42 palavras · 1:35": the word count, then the duration rounded to the
    // nearest second as minutes and two-digit seconds.
    QString wordCountAndDurationText(bool portuguese = talvoro::isPortuguese()) const;
    // "5 min · 42 palavras · 1:35": the age at `reference`, then the above.
    QString relativeSummaryText(const QDateTime &reference, bool portuguese = talvoro::isPortuguese()) const;

    // "m:ss" of a duration: rounded to the nearest second, floored at 0; a
    // duration that is not a number shows as 0:00 and one too large for the
    // clock is held at its largest value rather than overflowing.
    static QString durationText(double seconds);

    friend bool operator==(const TranscriptionRecord &, const TranscriptionRecord &) = default;
};

template<>
struct ModelSchema<TranscriptionRecord>
{
    using T = TranscriptionRecord;
    static constexpr const char *table = "transcriptions";
    static constexpr std::tuple fields{
        ModelField{T::Field::id, "id", &T::id},
        ModelField{T::Field::text, "text", &T::text},
        ModelField{T::Field::createdAt, "createdAt", &T::createdAt},
        ModelField{T::Field::wordCount, "wordCount", &T::wordCount},
        ModelField{T::Field::durationSeconds, "durationSeconds", &T::durationSeconds},
        ModelField{T::Field::language, "language", &T::language},
    };
    // The folded text the history's search reads (platform/SearchFolding).
    static constexpr DerivedColumn<T> derived{"searchText", "talvoro_fold", T::Field::text};
};
