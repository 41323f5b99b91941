#include "screens/dictation-settings/SupportedLanguage.h"

#include "texts/Localization.h"

namespace talvoro {

namespace {

struct Row
{
    SupportedLanguage language;
    const char *raw;
    const char *name;
};

constexpr std::array<Row, 5> kRows{{
    {SupportedLanguage::Auto, "auto", QT_TRANSLATE_NOOP("Talvoro", "Auto-detectar")},
    {SupportedLanguage::Pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {SupportedLanguage::En, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {SupportedLanguage::Es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {SupportedLanguage::Fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
}};

const Row &rowOf(SupportedLanguage language)
{
    return kRows[static_cast<std::size_t>(language)];
}

} // namespace

QString rawValue(SupportedLanguage language)
{
    return QString::fromLatin1(rowOf(language).raw);
}

std::optional<SupportedLanguage> supportedLanguageFromRawValue(const QString &raw)
{
    for (const Row &row : kRows) {
        if (raw == QLatin1String(row.raw))
            return row.language;
    }
    return std::nullopt;
}

QString displayName(SupportedLanguage language)
{
    return localized(rowOf(language).name);
}

} // namespace talvoro
