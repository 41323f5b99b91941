#include "screens/dictation-settings/SupportedLanguage.h"

#include "screens/dictation-settings/CodeTable.h"

namespace talvoro {

namespace {

constexpr CodeTable<SupportedLanguage, 5> kTable{{{
    {SupportedLanguage::Auto, "auto", QT_TRANSLATE_NOOP("Talvoro", "Auto-detectar")},
    {SupportedLanguage::Pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {SupportedLanguage::En, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {SupportedLanguage::Es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {SupportedLanguage::Fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
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
