#include "screens/dictation-settings/TranslationTarget.h"

#include "texts/Localization.h"

namespace talvoro {

namespace {

struct Row
{
    TranslationTarget target;
    const char *raw;
    const char *name;
};

constexpr std::array<Row, 9> kRows{{
    {TranslationTarget::Pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {TranslationTarget::En, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {TranslationTarget::Es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {TranslationTarget::Fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
    {TranslationTarget::De, "de", QT_TRANSLATE_NOOP("Talvoro", "Deutsch")},
    {TranslationTarget::It, "it", QT_TRANSLATE_NOOP("Talvoro", "Italiano")},
    {TranslationTarget::Ja, "ja", QT_TRANSLATE_NOOP("Talvoro", "日本語")},
    {TranslationTarget::Zh, "zh", QT_TRANSLATE_NOOP("Talvoro", "中文")},
    {TranslationTarget::Ko, "ko", QT_TRANSLATE_NOOP("Talvoro", "한국어")},
}};

const Row &rowOf(TranslationTarget target)
{
    return kRows[static_cast<std::size_t>(target)];
}

} // namespace

QString rawValue(TranslationTarget target)
{
    return QString::fromLatin1(rowOf(target).raw);
}

std::optional<TranslationTarget> translationTargetFromRawValue(const QString &raw)
{
    for (const Row &row : kRows) {
        if (raw == QLatin1String(row.raw))
            return row.target;
    }
    return std::nullopt;
}

QString displayName(TranslationTarget target)
{
    return localized(rowOf(target).name);
}

} // namespace talvoro
