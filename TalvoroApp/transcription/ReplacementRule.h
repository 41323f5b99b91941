#pragma once

#include "platform/ModelFields.h"
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
    talvoro::ModelDate createdAt;
    talvoro::ModelDate updatedAt;

    ReplacementRule() = default;
    // A new rule, not yet inserted: a new random id, enabled, use count 0 and
    // now as its creation and update time.
    ReplacementRule(QString originalText, QString replacementText);

    QString idString() const { return talvoro::uuidString(id); }

    friend bool operator==(const ReplacementRule &, const ReplacementRule &) = default;
};

template<>
struct ModelSchema<ReplacementRule>
{
    using T = ReplacementRule;
    static constexpr const char *table = "replacementRules";
    static constexpr std::tuple fields{
        ModelField{T::Field::id, "id", &T::id},
        ModelField{T::Field::originalText, "originalText", &T::originalText},
        ModelField{T::Field::replacementText, "replacementText", &T::replacementText},
        ModelField{T::Field::isEnabled, "isEnabled", &T::isEnabled},
        ModelField{T::Field::useCount, "useCount", &T::useCount},
        ModelField{T::Field::createdAt, "createdAt", &T::createdAt},
        ModelField{T::Field::updatedAt, "updatedAt", &T::updatedAt},
    };
};
