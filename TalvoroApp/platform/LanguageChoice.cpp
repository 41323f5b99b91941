#include "platform/LanguageChoice.h"

#include <utility>

namespace talvoro {

namespace {

std::optional<QStringList> &languageOverride()
{
    static std::optional<QStringList> value;
    return value;
}

} // namespace

void overridePreferredLanguages(std::optional<QStringList> languages)
{
    languageOverride() = std::move(languages);
}

QStringList preferredLocalizations()
{
    const QStringList preferred = languageOverride().value_or(QLocale::system().uiLanguages());
    QStringList shipped;
    for (const QString &language : preferred) {
        const QString lower = language.toLower();
        const QString match = lower.startsWith(QLatin1String("en")) ? QStringLiteral("en")
            : lower.startsWith(QLatin1String("pt"))                 ? QStringLiteral("pt-BR")
                                                                    : QString();
        if (!match.isEmpty() && !shipped.contains(match))
            shipped.append(match);
    }
    if (shipped.isEmpty())
        shipped.append(QStringLiteral("pt-BR"));
    return shipped;
}

bool isPortuguese()
{
    return !preferredLocalizations().constFirst().toLower().startsWith(QLatin1String("en"));
}

QLocale textLocale(bool portuguese)
{
    return portuguese ? QLocale(QLocale::Portuguese, QLocale::Brazil)
                      : QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace talvoro
