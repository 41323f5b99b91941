#pragma once

#include <QString>

#include <array>
#include <optional>

// The subject area sent with a processing request; raw values are the case
// names, as stored and sent.
enum class TranscriptionDomain { general, tech, medical };

namespace talvoro {

inline constexpr std::array<TranscriptionDomain, 3> kAllTranscriptionDomains{
    TranscriptionDomain::general, TranscriptionDomain::tech, TranscriptionDomain::medical};

QString rawValue(TranscriptionDomain domain);
std::optional<TranscriptionDomain> transcriptionDomainFromRawValue(const QString &raw);

} // namespace talvoro
