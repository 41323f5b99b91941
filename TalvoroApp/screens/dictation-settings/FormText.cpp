#include "screens/dictation-settings/FormText.h"

namespace {
bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}
} // namespace

QString trimmedSpacesAndTabs(const QString &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isSpaceOrTab(text[first]))
        ++first;
    while (end > first && isSpaceOrTab(text[end - 1]))
        --end;
    return text.mid(first, end - first);
}
