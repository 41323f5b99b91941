#include "transcription/DictionaryEntry.h"

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
