#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Texts of the history list and detail pages that are composed in code.
namespace talvoro::history {

// The two-line empty state naming the dictation hotkey ("⌃⇧D").
QString emptyStateText(const QString &hotkeyText);

// The detail page's language label: the four names and "Auto-detectado"
// localised, any other code exactly as stored (the match is exact and
// case-sensitive: "PT" is not "pt").
QString languageLabel(const QString &code);

// The language chip: the code upper-cased, locale-independently.
QString languageChipText(const QString &code);

// The detail page's title and time, in `locale` (the current one): "5 de
// dezembro de 2026", "14:05".
QString detailDateTitle(const QDateTime &createdAt, const QLocale &locale);
QString detailTimeText(const QDateTime &createdAt, const QLocale &locale);

// The suggested file name when saving a transcription as text.
QString suggestedTextFileName();

} // namespace talvoro::history
