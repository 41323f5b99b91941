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
    {TranslationTarget::Pt, "pt", "Português"},
    {TranslationTarget::En, "en", "English"},
    {TranslationTarget::Es, "es", "Español"},
    {TranslationTarget::Fr, "fr", "Français"},
    {TranslationTarget::De, "de", "Deutsch"},
    {TranslationTarget::It, "it", "Italiano"},
    {TranslationTarget::Ja, "ja", "日本語"},
    {TranslationTarget::Zh, "zh", "中文"},
    {TranslationTarget::Ko, "ko", "한국어"},
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
