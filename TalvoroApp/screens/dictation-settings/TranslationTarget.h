#pragma once

#include <QString>

#include <array>
#include <optional>

// The target languages of translated dictation; the raw values are the codes
// stored under `translationTargetLanguage` and sent to the backend.
enum class TranslationTarget { pt, en, es, fr, de, it, ja, zh, ko };

namespace talvoro {

// Every case, in picker order.
inline constexpr std::array<TranslationTarget, 9> kAllTranslationTargets{
    TranslationTarget::pt, TranslationTarget::en, TranslationTarget::es,
    TranslationTarget::fr, TranslationTarget::de, TranslationTarget::it,
    TranslationTarget::ja, TranslationTarget::zh, TranslationTarget::ko};

QString rawValue(TranslationTarget target);
// Exact, case-sensitive; an unlisted code yields nothing.
std::optional<TranslationTarget> translationTargetFromRawValue(const QString &raw);
// Localised with the name in its own language as key ("Deutsch", "日本語"...).
QString displayName(TranslationTarget target);

} // namespace talvoro
