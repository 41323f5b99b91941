#pragma once

#include <QString>

#include <array>
#include <optional>

// The spoken-language choices; the raw values are the codes stored under
// `transcriptionLanguage` and sent with each dictation.
enum class SupportedLanguage { automatic, pt, en, es, fr };

namespace talvoro {

// Every case, in picker order.
inline constexpr std::array<SupportedLanguage, 5> kAllSupportedLanguages{
    SupportedLanguage::automatic, SupportedLanguage::pt, SupportedLanguage::en,
    SupportedLanguage::es, SupportedLanguage::fr};

QString rawValue(SupportedLanguage language);
// Exact, case-sensitive; an unlisted code yields nothing.
std::optional<SupportedLanguage> supportedLanguageFromRawValue(const QString &raw);
// Localised with the Portuguese name as key ("Auto-detectar", "Português"...).
QString displayName(SupportedLanguage language);

} // namespace talvoro
