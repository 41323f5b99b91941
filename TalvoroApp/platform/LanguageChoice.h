#pragma once

#include <QLocale>
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

} // namespace talvoro
