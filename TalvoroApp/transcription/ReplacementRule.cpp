#include "transcription/ReplacementRule.h"

#include "platform/SqliteDatabase.h"

ReplacementRule::ReplacementRule(QString originalText, QString replacementText)
    : id(talvoro::newModelId())
    , originalText(std::move(originalText))
    , replacementText(std::move(replacementText))
{
    const QDateTime now = talvoro::currentModelDate();
    createdAt = now;
    updatedAt = now;
}

using Traits = ModelTraits<ReplacementRule>;

const char *Traits::column(Field field)
{
    switch (field) {
    case Field::id: return "id";
    case Field::originalText: return "originalText";
    case Field::replacementText: return "replacementText";
    case Field::isEnabled: return "isEnabled";
    case Field::useCount: return "useCount";
    case Field::createdAt: return "createdAt";
    case Field::updatedAt: return "updatedAt";
    }
    return "id";
}

ReplacementRule Traits::read(const SqliteStatement &statement)
{
    ReplacementRule rule;
    rule.id = statement.columnUuid(0);
    rule.originalText = statement.columnText(1);
    rule.replacementText = statement.columnText(2);
    rule.isEnabled = statement.columnBool(3);
    rule.useCount = statement.columnInt64(4);
    rule.createdAt = statement.columnDate(5);
    rule.updatedAt = statement.columnDate(6);
    return rule;
}

void Traits::bind(SqliteStatement &statement, int index, const T &model, Field field)
{
    switch (field) {
    case Field::id: statement.bindUuid(index, model.id); break;
    case Field::originalText: statement.bindText(index, model.originalText); break;
    case Field::replacementText: statement.bindText(index, model.replacementText); break;
    case Field::isEnabled: statement.bindBool(index, model.isEnabled); break;
    case Field::useCount: statement.bindInt64(index, model.useCount); break;
    case Field::createdAt: statement.bindDate(index, model.createdAt); break;
    case Field::updatedAt: statement.bindDate(index, model.updatedAt); break;
    }
}

bool Traits::fieldEquals(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return a.id == b.id;
    case Field::originalText: return a.originalText == b.originalText;
    case Field::replacementText: return a.replacementText == b.replacementText;
    case Field::isEnabled: return a.isEnabled == b.isEnabled;
    case Field::useCount: return a.useCount == b.useCount;
    case Field::createdAt: return a.createdAt == b.createdAt;
    case Field::updatedAt: return a.updatedAt == b.updatedAt;
    }
    return true;
}

void Traits::copyField(Field field, T &to, const T &from)
{
    switch (field) {
    case Field::id: to.id = from.id; break;
    case Field::originalText: to.originalText = from.originalText; break;
    case Field::replacementText: to.replacementText = from.replacementText; break;
    case Field::isEnabled: to.isEnabled = from.isEnabled; break;
    case Field::useCount: to.useCount = from.useCount; break;
    case Field::createdAt: to.createdAt = from.createdAt; break;
    case Field::updatedAt: to.updatedAt = from.updatedAt; break;
    }
}

bool Traits::sortsInSql(Field field)
{
    return field != Field::originalText && field != Field::replacementText;
}

int Traits::compare(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return talvoro::compareIds(a.id, b.id);
    case Field::originalText: return talvoro::compareLocalizedStandard(a.originalText, b.originalText);
    case Field::replacementText: return talvoro::compareLocalizedStandard(a.replacementText, b.replacementText);
    case Field::isEnabled: return talvoro::compareNumbers(a.isEnabled, b.isEnabled);
    case Field::useCount: return talvoro::compareNumbers(a.useCount, b.useCount);
    case Field::createdAt: return talvoro::compareDates(a.createdAt, b.createdAt);
    case Field::updatedAt: return talvoro::compareDates(a.updatedAt, b.updatedAt);
    }
    return 0;
}
