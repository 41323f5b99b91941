#include "platform/SearchFolding.h"

#include <algorithm>
#include <cstring>

#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace talvoro {

namespace {

// A code point that belongs to the character before it (combining marks,
// spacing marks, the zero-width joiner).
bool extendsPreviousCharacter(UChar32 c)
{
    switch (u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK)) {
    case U_GCB_EXTEND:
    case U_GCB_SPACING_MARK:
    case U_GCB_ZWJ:
        return true;
    default:
        return false;
    }
}

UChar32 codePointAt(std::string_view text, size_t offset)
{
    int32_t i = int32_t(offset);
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t *>(text.data()), i, int32_t(text.size()), c);
    return c;
}

} // namespace

QByteArray foldForSearch(const QString &text)
{
    // Fast path for the common case: below U+0300 every character is already
    // composed and lower-cases to a single character (all but U+0130, "İ",
    // which becomes two), so the simple mapping without normalisation gives
    // the same bytes as the general path.
    qsizetype size = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x300 || u == 0x130)
            return text.toLower().normalized(QString::NormalizationForm_C).toUtf8();
        size += u < 0x80 ? 1 : QChar::toLower(char32_t(u)) < 0x800 ? 2 : 3;
    }
    QByteArray folded(size, Qt::Uninitialized);
    char *out = folded.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            *out++ = char(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
            continue;
        }
        const char32_t lower = QChar::toLower(char32_t(u));
        if (lower < 0x800) {
            *out++ = char(0xC0 | (lower >> 6));
        } else {
            *out++ = char(0xE0 | (lower >> 12));
            *out++ = char(0x80 | ((lower >> 6) & 0x3F));
        }
        *out++ = char(0x80 | (lower & 0x3F));
    }
    return folded;
}

qsizetype findFolded(std::string_view folded, std::string_view foldedQuery, qsizetype from)
{
    if (foldedQuery.empty())
        return 0;
    // A query that starts with a mark would attach to the character before
    // the match, so it can only match at the very start.
    const bool startsWithMark = static_cast<unsigned char>(foldedQuery.front()) >= 0x80
        && extendsPreviousCharacter(codePointAt(foldedQuery, 0));
    const char *begin = folded.data();
    const char *end = begin + folded.size();
    const char *at = begin + std::clamp<qsizetype>(from, 0, qsizetype(folded.size()));
    while (size_t(end - at) >= foldedQuery.size()) {
        // Where a narrowed search starts, the match is most often right there.
        const void *hit = std::memcmp(at, foldedQuery.data(), foldedQuery.size()) == 0
            ? at
            : memmem(at, size_t(end - at), foldedQuery.data(), foldedQuery.size());
        if (!hit)
            return -1;
        if (startsWithMark && hit != begin)
            return -1;
        const char *matchEnd = static_cast<const char *>(hit) + foldedQuery.size();
        // Marks are never ASCII, so an ASCII byte after the match ends it cleanly.
        if (matchEnd == end || static_cast<unsigned char>(*matchEnd) < 0x80
            || !extendsPreviousCharacter(codePointAt(folded, size_t(matchEnd - begin))))
            return static_cast<const char *>(hit) - begin;
        at = static_cast<const char *>(hit) + 1;
    }
    return -1;
}

bool containsFolded(std::string_view folded, std::string_view foldedQuery)
{
    return findFolded(folded, foldedQuery) >= 0;
}

bool narrowsSearch(std::string_view foldedPrevious, std::string_view foldedQuery)
{
    if (!foldedQuery.starts_with(foldedPrevious))
        return false;
    if (foldedPrevious.empty() || foldedQuery.size() == foldedPrevious.size())
        return true;
    // A mark after the previous query would make its matches end inside a character.
    return static_cast<unsigned char>(foldedQuery[foldedPrevious.size()]) < 0x80
        || !extendsPreviousCharacter(codePointAt(foldedQuery, foldedPrevious.size()));
}

namespace {

// talvoro_fold(text): the folded form of a text, as a blob.
void foldFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray folded = foldForSearch(QString::fromUtf8(text, sqlite3_value_bytes(arguments[0])));
    sqlite3_result_blob64(context, folded.constData(), sqlite3_uint64(folded.size()), SQLITE_TRANSIENT);
}

// talvoro_contains(folded, foldedQuery): 1 when the query matches.
void containsFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    const auto *folded = static_cast<const char *>(sqlite3_value_blob(arguments[0]));
    const size_t foldedSize = size_t(sqlite3_value_bytes(arguments[0]));
    const auto *query = static_cast<const char *>(sqlite3_value_blob(arguments[1]));
    const size_t querySize = size_t(sqlite3_value_bytes(arguments[1]));
    const std::string_view haystack(folded ? folded : "", folded ? foldedSize : 0);
    const std::string_view needle(query ? query : "", query ? querySize : 0);
    sqlite3_result_int(context, containsFolded(haystack, needle) ? 1 : 0);
}

} // namespace

int registerSearchFunctions(sqlite3 *db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = sqlite3_create_function_v2(db, "talvoro_fold", 1, flags, nullptr, foldFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "talvoro_contains", 2, flags, nullptr, containsFunction, nullptr, nullptr,
                                        nullptr);
    return rc;
}

} // namespace talvoro
