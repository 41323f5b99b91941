#include "screens/dictation-settings/SupportedLanguage.h"

#include "screens/dictation-settings/CodeTable.h"

namespace talvoro {

namespace {

constexpr CodeTable<SupportedLanguage, 5> kTable{{{
    {SupportedLanguage::automatic, "auto", QT_TRANSLATE_NOOP("Talvoro", "Auto-detectar")},
    {SupportedLanguage::pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {SupportedLanguage::en, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {SupportedLanguage::es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {SupportedLanguage::fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
}}};
static_assert(kTable.listsCasesInOrder());

} // namespace

QString rawValue(SupportedLanguage language)
{
    return kTable.rawValue(language);
}

std::optional<SupportedLanguage> supportedLanguageFromRawValue(const QString &raw)
{
    return kTable.fromRawValue(raw);
}

QString displayName(SupportedLanguage language)
{
    return kTable.displayName(language);
}

} // namespace talvoro
