#include "transcription/ReplacementRule.h"

ReplacementRule::ReplacementRule(QString originalText, QString replacementText)
    : id(talvoro::newModelId())
    , originalText(std::move(originalText))
    , replacementText(std::move(replacementText))
{
    const QDateTime now = talvoro::currentModelDate();
    createdAt = now;
    updatedAt = now;
}
