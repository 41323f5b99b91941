#pragma once

#include "platform/ModelStoreTypes.h"
#include "platform/ModelValues.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

// One replacement rule (table `replacementRules`).
struct ReplacementRule
{
    enum class Field { id, originalText, replacementText, isEnabled, useCount, createdAt, updatedAt };

    QUuid id;
    QString originalText;
    QString replacementText;
    bool isEnabled = true;
    qint64 useCount = 0;
    QDateTime createdAt;
    QDateTime updatedAt;

    ReplacementRule() = default;
    // A new rule, not yet inserted: a new random id, enabled, use count 0 and
    // now as its creation and update time.
    ReplacementRule(QString originalText, QString replacementText);

    QString idString() const { return talvoro::uuidString(id); }

    friend bool operator==(const ReplacementRule &, const ReplacementRule &) = default;
};

template<>
struct ModelTraits<ReplacementRule>
{
    using T = ReplacementRule;
    using Field = T::Field;
    static constexpr const char *table = "replacementRules";
    static constexpr int fieldCount = 7;

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
