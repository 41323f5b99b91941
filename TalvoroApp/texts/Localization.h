#pragma once

#include "platform/LanguageChoice.h"

#include <QString>

namespace talvoro {

// A screen text looked up under its Portuguese wording; the wording itself
// shows when there is no entry. The context is the same for every text.
QString localized(const char *portugueseText);
inline constexpr const char *kTranslationContext = "Talvoro";

// Loads the tables matching isPortuguese(): the application's English one,
// or Qt's own Portuguese one for the texts of its dialogs.
void installTranslations();

} // namespace talvoro
