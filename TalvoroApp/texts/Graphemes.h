#pragma once

#include <QString>

// Lengths as a user counts them: user-perceived characters (grapheme
// clusters), so an emoji or a letter with a combining mark counts once.
namespace talvoro {

qsizetype graphemeCount(const QString &text);
// The first `limit` characters; never cuts inside one.
QString leftGraphemes(const QString &text, qsizetype limit);

} // namespace talvoro
