#include "transcription/TranscriptionDomain.h"

namespace talvoro {

QString rawValue(TranscriptionDomain domain)
{
    switch (domain) {
    case TranscriptionDomain::general: return QStringLiteral("general");
    case TranscriptionDomain::tech: return QStringLiteral("tech");
    case TranscriptionDomain::medical: return QStringLiteral("medical");
    }
    return QStringLiteral("general");
}

std::optional<TranscriptionDomain> transcriptionDomainFromRawValue(const QString &raw)
{
    for (TranscriptionDomain domain : kAllTranscriptionDomains) {
        if (rawValue(domain) == raw)
            return domain;
    }
    return std::nullopt;
}

} // namespace talvoro
