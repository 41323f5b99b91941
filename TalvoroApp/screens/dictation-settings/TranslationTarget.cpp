#include "screens/dictation-settings/TranslationTarget.h"

#include "screens/dictation-settings/CodeTable.h"

namespace talvoro {

namespace {

constexpr CodeTable<TranslationTarget, 9> kTable{{{
    {TranslationTarget::Pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {TranslationTarget::En, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {TranslationTarget::Es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {TranslationTarget::Fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
    {TranslationTarget::De, "de", QT_TRANSLATE_NOOP("Talvoro", "Deutsch")},
    {TranslationTarget::It, "it", QT_TRANSLATE_NOOP("Talvoro", "Italiano")},
    {TranslationTarget::Ja, "ja", QT_TRANSLATE_NOOP("Talvoro", "日本語")},
    {TranslationTarget::Zh, "zh", QT_TRANSLATE_NOOP("Talvoro", "中文")},
    {TranslationTarget::Ko, "ko", QT_TRANSLATE_NOOP("Talvoro", "한국어")},
}}};
static_assert(kTable.listsCasesInOrder());

} // namespace

QString rawValue(TranslationTarget target)
{
    return kTable.rawValue(target);
}

std::optional<TranslationTarget> translationTargetFromRawValue(const QString &raw)
{
    return kTable.fromRawValue(raw);
}

QString displayName(TranslationTarget target)
{
    return kTable.displayName(target);
}

} // namespace talvoro
