#include "screens/dictation-settings/TranslationTarget.h"

#include "screens/dictation-settings/CodeTable.h"

namespace talvoro {

namespace {

constexpr CodeTable<TranslationTarget, 9> kTable{{{
    {TranslationTarget::pt, "pt", QT_TRANSLATE_NOOP("Talvoro", "Português")},
    {TranslationTarget::en, "en", QT_TRANSLATE_NOOP("Talvoro", "English")},
    {TranslationTarget::es, "es", QT_TRANSLATE_NOOP("Talvoro", "Español")},
    {TranslationTarget::fr, "fr", QT_TRANSLATE_NOOP("Talvoro", "Français")},
    {TranslationTarget::de, "de", QT_TRANSLATE_NOOP("Talvoro", "Deutsch")},
    {TranslationTarget::it, "it", QT_TRANSLATE_NOOP("Talvoro", "Italiano")},
    {TranslationTarget::ja, "ja", QT_TRANSLATE_NOOP("Talvoro", "日本語")},
    {TranslationTarget::zh, "zh", QT_TRANSLATE_NOOP("Talvoro", "中文")},
    {TranslationTarget::ko, "ko", QT_TRANSLATE_NOOP("Talvoro", "한국어")},
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
