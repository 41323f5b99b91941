#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace talvoro {

// The application ships Portuguese (its own language, the source of every
// text) and English. The first of the user's preferred languages that the
// application ships decides; none of them means Portuguese.
QStringList preferredLocalizations();
bool isPortuguese();

// Tests and the screenshot tool pick the language explicitly; nullopt goes
// back to the system's preferences.
void overridePreferredLanguages(std::optional<QStringList> languages);

// "pt_BR" or "en" for numbers, dates and case changes.
QLocale textLocale(bool portuguese);

// A screen text looked up under its Portuguese wording; the wording itself
// shows when there is no entry. The context is the same for every text.
QString localized(const char *portugueseText);
inline constexpr const char *kTranslationContext = "Talvoro";

// Loads the tables matching isPortuguese(): the application's English one,
// or Qt's own Portuguese one for the texts of its dialogs.
void installTranslations();

} // namespace talvoro
