#include "transcription/DictionaryEntry.h"

#include "platform/SqliteDatabase.h"

DictionaryEntry::DictionaryEntry(QString term, QString language, QString source)
    : id(talvoro::newModelId())
    , term(std::move(term))
    , language(std::move(language))
    , source(std::move(source))
{
    const QDateTime now = talvoro::currentModelDate();
    lastUsedAt = now;
    createdAt = now;
    updatedAt = now;
}

using Traits = ModelTraits<DictionaryEntry>;

const char *Traits::column(Field field)
{
    switch (field) {
    case Field::id: return "id";
    case Field::term: return "term";
    case Field::language: return "language";
    case Field::source: return "source";
    case Field::useCount: return "useCount";
    case Field::lastUsedAt: return "lastUsedAt";
    case Field::createdAt: return "createdAt";
    case Field::updatedAt: return "updatedAt";
    }
    return "id";
}

DictionaryEntry Traits::read(const SqliteStatement &statement)
{
    DictionaryEntry entry;
    entry.id = statement.columnUuid(0);
    entry.term = statement.columnText(1);
    entry.language = statement.columnText(2);
    entry.source = statement.columnText(3);
    entry.useCount = statement.columnInt64(4);
    entry.lastUsedAt = statement.columnDate(5);
    entry.createdAt = statement.columnDate(6);
    entry.updatedAt = statement.columnDate(7);
    return entry;
}

void Traits::bind(SqliteStatement &statement, int index, const T &model, Field field)
{
    switch (field) {
    case Field::id: statement.bindUuid(index, model.id); break;
    case Field::term: statement.bindText(index, model.term); break;
    case Field::language: statement.bindText(index, model.language); break;
    case Field::source: statement.bindText(index, model.source); break;
    case Field::useCount: statement.bindInt64(index, model.useCount); break;
    case Field::lastUsedAt: statement.bindDate(index, model.lastUsedAt); break;
    case Field::createdAt: statement.bindDate(index, model.createdAt); break;
    case Field::updatedAt: statement.bindDate(index, model.updatedAt); break;
    }
}

bool Traits::fieldEquals(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return a.id == b.id;
    case Field::term: return a.term == b.term;
    case Field::language: return a.language == b.language;
    case Field::source: return a.source == b.source;
    case Field::useCount: return a.useCount == b.useCount;
    case Field::lastUsedAt: return a.lastUsedAt == b.lastUsedAt;
    case Field::createdAt: return a.createdAt == b.createdAt;
    case Field::updatedAt: return a.updatedAt == b.updatedAt;
    }
    return true;
}

void Traits::copyField(Field field, T &to, const T &from)
{
    switch (field) {
    case Field::id: to.id = from.id; break;
    case Field::term: to.term = from.term; break;
    case Field::language: to.language = from.language; break;
    case Field::source: to.source = from.source; break;
    case Field::useCount: to.useCount = from.useCount; break;
    case Field::lastUsedAt: to.lastUsedAt = from.lastUsedAt; break;
    case Field::createdAt: to.createdAt = from.createdAt; break;
    case Field::updatedAt: to.updatedAt = from.updatedAt; break;
    }
}

bool Traits::sortsInSql(Field field)
{
    return field != Field::term && field != Field::language && field != Field::source;
}

int Traits::compare(Field field, const T &a, const T &b)
{
    switch (field) {
    case Field::id: return talvoro::compareIds(a.id, b.id);
    case Field::term: return talvoro::compareLocalizedStandard(a.term, b.term);
    case Field::language: return talvoro::compareLocalizedStandard(a.language, b.language);
    case Field::source: return talvoro::compareLocalizedStandard(a.source, b.source);
    case Field::useCount: return talvoro::compareNumbers(a.useCount, b.useCount);
    case Field::lastUsedAt: return talvoro::compareDates(a.lastUsedAt, b.lastUsedAt);
    case Field::createdAt: return talvoro::compareDates(a.createdAt, b.createdAt);
    case Field::updatedAt: return talvoro::compareDates(a.updatedAt, b.updatedAt);
    }
    return 0;
}
