#pragma once

#include "platform/ModelFields.h"
#include "platform/ModelValues.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

// One term of the personal dictionary (table `dictionaryEntries`).
struct DictionaryEntry
{
    enum class Field { id, term, language, source, useCount, lastUsedAt, createdAt, updatedAt };

    QUuid id;
    QString term;
    QString language; // a language code such as "pt"
    QString source;
    qint64 useCount = 0;
    talvoro::ModelDate lastUsedAt;
    talvoro::ModelDate createdAt;
    talvoro::ModelDate updatedAt;

    DictionaryEntry() = default;
    // A new entry, not yet inserted: a new random id, use count 0 and now as
    // its last use, creation and update time.
    DictionaryEntry(QString term, QString language, QString source);

    QString idString() const { return talvoro::uuidString(id); }

    friend bool operator==(const DictionaryEntry &, const DictionaryEntry &) = default;
};

template<>
struct ModelSchema<DictionaryEntry>
{
    using T = DictionaryEntry;
    static constexpr const char *table = "dictionaryEntries";
    static constexpr std::tuple fields{
        ModelField{T::Field::id, "id", &T::id},
        ModelField{T::Field::term, "term", &T::term},
        ModelField{T::Field::language, "language", &T::language},
        ModelField{T::Field::source, "source", &T::source},
        ModelField{T::Field::useCount, "useCount", &T::useCount},
        ModelField{T::Field::lastUsedAt, "lastUsedAt", &T::lastUsedAt},
        ModelField{T::Field::createdAt, "createdAt", &T::createdAt},
        ModelField{T::Field::updatedAt, "updatedAt", &T::updatedAt},
    };
};
