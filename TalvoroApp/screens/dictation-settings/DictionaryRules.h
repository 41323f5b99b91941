#pragma once

#include "transcription/DictionaryEntry.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

#include <qcorotask.h>

struct SyncDictionaryEntryPayload;

namespace talvoro::dictionary {

// Adding is refused once one language holds this many terms.
inline constexpr qsizetype kMaxTermsPerLanguage = 100;
// The dictation language when the setting was never written.
inline constexpr const char *kDefaultActiveLanguage = "pt";
// The term form always offers these, whatever the store holds.
QStringList formLanguages();

// The distinct languages of the entries, ascending by code (not by locale).
template<class Entries>
QStringList availableLanguages(const Entries &entries)
{
    QStringList languages;
    for (const DictionaryEntry &entry : entries)
        languages.push_back(entry.language);
    std::sort(languages.begin(), languages.end());
    languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
    return languages;
}

// The entries in exactly this language (letter case counts).
template<class Entries>
qsizetype countInLanguage(const Entries &entries, const QString &language)
{
    return std::count_if(entries.begin(), entries.end(),
                         [&](const DictionaryEntry &entry) { return entry.language == language; });
}

// The language shown: the pick while it still has terms, else the first
// language with terms, else the dictation language.
QString currentLanguage(const QString &selectedLanguage, const QStringList &available, const QString &activeLanguage);
// The pick made the first time the screen shows.
QString initialLanguage(const QStringList &available, const QString &activeLanguage);

// The form's language options: the store's languages and the four offered
// always, each once, ascending.
QStringList termLanguageOptions(const QStringList &available);

// Texts shown with a number: the key's "%lld" replaced by the count.
QString localizedCount(const char *portugueseKey, qint64 count);
// "Limite atingido"'s message.
QString limitAlertMessage();
struct ConfirmationTexts
{
    QString title;
    QString message;
};
// Exactly one term: the singular; any other count, 0 included: the plural.
ConfirmationTexts deleteConfirmationTexts(qsizetype count);
// The row's date: day, abbreviated month and year.
QString entryDateText(const QDateTime &createdAt, bool portuguese);
// "Usado N×", empty below one use.
QString useCountText(qint64 useCount);

// Which term the sheet is about: a new one or an existing entry. Two modes
// are the same sheet when their identities match.
struct DictionarySheetMode
{
    enum class Kind { create, edit };
    Kind kind = Kind::create;
    DictionaryEntry entry; // edit only

    static DictionarySheetMode create() { return {}; }
    static DictionarySheetMode edit(DictionaryEntry entry) { return {Kind::edit, std::move(entry)}; }
    bool isEdit() const { return kind == Kind::edit; }
    QString identity() const;
};

} // namespace talvoro::dictionary
