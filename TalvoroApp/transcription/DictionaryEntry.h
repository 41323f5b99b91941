#pragma once

#include "platform/ModelStoreTypes.h"
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
    QDateTime lastUsedAt;
    QDateTime createdAt;
    QDateTime updatedAt;

    DictionaryEntry() = default;
    // A new entry, not yet inserted: a new random id, use count 0 and now as
    // its last use, creation and update time.
    DictionaryEntry(QString term, QString language, QString source);

    QString idString() const { return talvoro::uuidString(id); }

    friend bool operator==(const DictionaryEntry &, const DictionaryEntry &) = default;
};

template<>
struct ModelTraits<DictionaryEntry>
{
    using T = DictionaryEntry;
    using Field = T::Field;
    static constexpr const char *table = "dictionaryEntries";
    static constexpr int fieldCount = 8;

    static const char *column(Field field);
    static QUuid id(const T &model) { return model.id; }
    static void setId(T &model, const QUuid &id) { model.id = id; }
    static T read(const SqliteStatement &statement);
    static void bind(SqliteStatement &statement, int index, const T &model, Field field);
    static bool fieldEquals(Field field, const T &a, const T &b);
    static void copyField(Field field, T &to, const T &from);
    static bool sortsInSql(Field field);
    static int compare(Field field, const T &a, const T &b);
};
