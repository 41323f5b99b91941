#include "texts/LocalizedTexts.h"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/unistr.h>

#include <QLocale>

#include <algorithm>

namespace talvoro {

namespace {

QString countText(qint64 count, bool portuguese, const char *ptOne, const char *ptOther,
                  const char *enOne, const char *enOther)
{
    const char *word = portuguese ? (count == 1 ? ptOne : ptOther) : (count == 1 ? enOne : enOther);
    return localizedNumber(count, portuguese) + QLatin1Char(' ') + QString::fromUtf8(word);
}

icu::Locale icuLocale(bool portuguese)
{
    return portuguese ? icu::Locale("pt", "BR") : icu::Locale("en");
}

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace

QString localizedNumber(qint64 value, bool portuguese)
{
    return textLocale(portuguese).toString(value);
}

QString localizedCompactNumber(qint64 value, bool portuguese)
{
    // QLocale has no compact notation ("1,2 mil", "1.2K"); ICU does.
    UErrorCode status = U_ZERO_ERROR;
    const auto formatted = icu::number::NumberFormatter::withLocale(icuLocale(portuguese))
                               .notation(icu::number::Notation::compactShort())
                               .formatInt(value, status);
    const icu::UnicodeString text = formatted.toString(status);
    if (U_FAILURE(status))
        return localizedNumber(value, portuguese);
    return fromIcu(text);
}

QString localizedDecimalNumber(int fractionLength, bool portuguese, double value)
{
    // ICU rounds half to even on the exact binary value, as the platform's
    // number formatting does (2.25 → "2.2"); QLocale would round half up.
    const int digits = std::clamp(fractionLength, 0, 15);
    UErrorCode status = U_ZERO_ERROR;
    const auto formatted = icu::number::NumberFormatter::withLocale(icuLocale(portuguese))
                               .precision(icu::number::Precision::fixedFraction(digits))
                               .formatDouble(value, status);
    const icu::UnicodeString text = formatted.toString(status);
    if (U_FAILURE(status))
        return textLocale(portuguese).toString(value, 'f', digits);
    return fromIcu(text);
}

QString localizedCountOfTotal(qint64 count, qint64 total, bool portuguese)
{
    return localizedNumber(count, portuguese)
        + (portuguese ? QStringLiteral(" de ") : QStringLiteral(" of "))
        + localizedNumber(total, portuguese);
}

QString localizedWordCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "palavra", "palavras", "word", "words");
}

QString localizedDayCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "dia", "dias", "day", "days");
}

QString localizedDictationCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "ditado", "ditados", "dictation", "dictations");
}

QString localizedRuleCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "regra", "regras", "rule", "rules");
}

QString localizedTermCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "termo", "termos", "term", "terms");
}

QString localizedPendingPermissionCount(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "permissão pendente", "permissões pendentes",
                     "pending permission", "pending permissions");
}

QString weeklyTranscriptionCountText(qint64 count, bool portuguese)
{
    return countText(count, portuguese, "transcrição", "transcrições", "transcription",
                     "transcriptions")
        + (portuguese ? QStringLiteral(" esta semana") : QStringLiteral(" this week"));
}

QString shortRelativeText(const QDateTime &date, const QDateTime &reference, bool portuguese)
{
    const qint64 seconds = date.secsTo(reference);
    constexpr qint64 minute = 60, hour = 3600, day = 86400, week = 7 * 86400;
    if (seconds < minute)
        return portuguese ? QStringLiteral("agora") : QStringLiteral("now");
    if (seconds < hour)
        return localizedNumber(seconds / minute, portuguese) + QStringLiteral(" min");
    if (seconds < day)
        return localizedNumber(seconds / hour, portuguese)
            + (portuguese ? QStringLiteral(" h") : QStringLiteral(" hr"));
    if (seconds < week)
        return localizedDayCount(seconds / day, portuguese);
    return localizedNumber(seconds / week, portuguese)
        + (portuguese ? QStringLiteral(" sem") : QStringLiteral(" wk"));
}

std::optional<QString> specialKeyName(quint16 keyCode, bool portuguese)
{
    switch (keyCode) {
    case 36: return portuguese ? QStringLiteral("Enter") : QStringLiteral("Return");
    case 48: return QStringLiteral("Tab");
    case 49: return portuguese ? QStringLiteral("Espaço") : QStringLiteral("Space");
    case 51: return portuguese ? QStringLiteral("Apagar") : QStringLiteral("Delete");
    case 53: return QStringLiteral("Esc");
    default: return std::nullopt;
    }
}

QString unknownKeyName(quint16 keyCode, bool portuguese)
{
    return (portuguese ? QStringLiteral("Tecla") : QStringLiteral("Key")) + QString::number(keyCode);
}

QString rateLimitMessage(qint64 seconds, bool portuguese)
{
    return portuguese
        ? QStringLiteral("Limite de uso atingido. Tente novamente em ") + localizedNumber(seconds, true)
              + QStringLiteral(" segundos.")
        : QStringLiteral("Usage limit reached. Try again in ") + localizedNumber(seconds, false)
              + QStringLiteral(" seconds.");
}

QString uploadDelayedMessage(qint64 seconds, bool portuguese)
{
    return portuguese
        ? QStringLiteral("O envio foi temporariamente adiado. Vamos tentar novamente em ")
              + localizedNumber(seconds, true) + QStringLiteral(" segundos.")
        : QStringLiteral("Upload was temporarily delayed. We'll try again in ")
              + localizedNumber(seconds, false) + QStringLiteral(" seconds.");
}

QString weeklyLimitReachedMessage(qint64 used, qint64 limit, bool portuguese)
{
    return (portuguese ? QStringLiteral("Limite semanal atingido (") : QStringLiteral("Weekly limit reached ("))
        + QString::number(used) + QLatin1Char('/') + QString::number(limit) + QStringLiteral(").");
}

QString serverErrorMessage(int code, const QString &message, bool portuguese)
{
    return (portuguese ? QStringLiteral("Erro do servidor (") : QStringLiteral("Server error ("))
        + QString::number(code) + QStringLiteral("): ") + message;
}

QString networkErrorMessage(const QString &detail, bool portuguese)
{
    return (portuguese ? QStringLiteral("Erro de rede: ") : QStringLiteral("Network error: ")) + detail;
}

QString encryptionErrorMessage(const QString &detail, bool portuguese)
{
    return (portuguese ? QStringLiteral("Erro de criptografia: ") : QStringLiteral("Encryption error: "))
        + detail;
}

} // namespace talvoro
