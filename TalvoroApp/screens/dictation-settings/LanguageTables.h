#pragma once

#include "platform/SpellChecking.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The four languages the personal dictionary knows ("pt", "en", "es", "fr"):
// their names, their regional locales and the spelling check the
// transcription pipeline's dictionary pass asks. Codes compare exactly
// (case-sensitive); "auto" has no entry in any table. Every function is safe
// from any thread.
namespace talvoro {

// Picker name: "Português", "English", "Español", "Français" (localised),
// any other code upper-cased and not localised.
QString languageDisplayName(const QString &code);
// Badge label: "PT", "EN", "ES", "FR", any other code upper-cased.
QString languageShortLabel(const QString &code);

// "pt" → "pt-BR", "en" → "en-US", "es" → "es-ES", "fr" → "fr-FR".
const QHash<QString, QString> &localeIdentifierByLanguageCode();

// Spell-checker language names per code, in order of preference.
const std::vector<std::pair<QString, QStringList>> &spellCheckerLanguageCandidates();

// The first candidate of `code` that the checker has installed.
std::optional<QString> availableSpellCheckerLanguage(
    const QString &code, const SpellChecking &checker);

// Whether `word` has no misspelling in the language of `code`; with "auto",
// whether any of the four languages (each in its preferred installed
// variant) accepts it. A code without an installed dictionary gives false.
bool isCorrectlySpelled(const QString &word, const QString &code,
                        const SpellChecking &checker);

} // namespace talvoro
