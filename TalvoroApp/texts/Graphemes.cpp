#include "texts/Graphemes.h"

#include <QTextBoundaryFinder>

namespace talvoro {

namespace {

// The end of the first `limit` characters, or -1 when the text has fewer.
qsizetype boundaryAfter(const QString &text, qsizetype limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count == limit)
            return finder.position();
    }
    return -1;
}

} // namespace

qsizetype graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString leftGraphemes(const QString &text, qsizetype limit)
{
    if (limit <= 0)
        return {};
    const qsizetype end = boundaryAfter(text, limit);
    return end < 0 ? text : text.left(end);
}

} // namespace talvoro
