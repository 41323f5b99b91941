#include "screens/dictation-settings/LanguageTables.h"

#include "texts/Localization.h"

#include <QSet>

#include <algorithm>

namespace talvoro {

namespace {

const QHash<QString, const char *> &displayNames()
{
    static const QHash<QString, const char *> names{
        {QStringLiteral("pt"), QT_TRANSLATE_NOOP("Talvoro", "Português")},
        {QStringLiteral("en"), QT_TRANSLATE_NOOP("Talvoro", "English")},
        {QStringLiteral("es"), QT_TRANSLATE_NOOP("Talvoro", "Español")},
        {QStringLiteral("fr"), QT_TRANSLATE_NOOP("Talvoro", "Français")},
    };
    return names;
}

const QHash<QString, QString> &shortLabels()
{
    static const QHash<QString, QString> labels{
        {QStringLiteral("pt"), QStringLiteral("PT")},
        {QStringLiteral("en"), QStringLiteral("EN")},
        {QStringLiteral("es"), QStringLiteral("ES")},
        {QStringLiteral("fr"), QStringLiteral("FR")},
    };
    return labels;
}

std::optional<QString> firstAvailable(const QStringList &candidates,
                                      const QSet<QString> &available)
{
    for (const QString &candidate : candidates) {
        if (available.contains(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool hasNoMisspelling(const QString &word, const QString &language,
                      const SpellChecking &checker)
{
    return checker.firstMisspelledWordOffset(word, language) < 0;
}

} // namespace

QString languageDisplayName(const QString &code)
{
    if (const auto it = displayNames().constFind(code); it != displayNames().cend())
        return localized(it.value());
    return code.toUpper();
}

QString languageShortLabel(const QString &code)
{
    return shortLabels().value(code, code.toUpper());
}

const QHash<QString, QString> &localeIdentifierByLanguageCode()
{
    static const QHash<QString, QString> locales{
        {QStringLiteral("pt"), QStringLiteral("pt-BR")},
        {QStringLiteral("en"), QStringLiteral("en-US")},
        {QStringLiteral("es"), QStringLiteral("es-ES")},
        {QStringLiteral("fr"), QStringLiteral("fr-FR")},
    };
    return locales;
}

const std::vector<std::pair<QString, QStringList>> &spellCheckerLanguageCandidates()
{
    // Portuguese and English prefer the regional dictionary, Spanish and
    // French the bare one.
    static const std::vector<std::pair<QString, QStringList>> candidates{
        {QStringLiteral("pt"), {QStringLiteral("pt_BR"), QStringLiteral("pt")}},
        {QStringLiteral("en"),
         {QStringLiteral("en_US"), QStringLiteral("en"), QStringLiteral("en_GB")}},
        {QStringLiteral("es"),
         {QStringLiteral("es"), QStringLiteral("es_ES"), QStringLiteral("es_MX")}},
        {QStringLiteral("fr"), {QStringLiteral("fr"), QStringLiteral("fr_FR")}},
    };
    return candidates;
}

std::optional<QString> availableSpellCheckerLanguage(const QString &code,
                                                     const SpellChecking &checker)
{
    const auto &table = spellCheckerLanguageCandidates();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [&](const auto &entry) { return entry.first == code; });
    if (row == table.end())
        return std::nullopt;
    const QStringList installed = checker.availableLanguages();
    return firstAvailable(row->second, QSet<QString>(installed.begin(), installed.end()));
}

bool isCorrectlySpelled(const QString &word, const QString &code, const SpellChecking &checker)
{
    if (code != QLatin1String("auto")) {
        const std::optional<QString> language = availableSpellCheckerLanguage(code, checker);
        return language && hasNoMisspelling(word, *language, checker);
    }
    const QStringList installed = checker.availableLanguages();
    const QSet<QString> available(installed.begin(), installed.end());
    for (const auto &[tableCode, candidates] : spellCheckerLanguageCandidates()) {
        const std::optional<QString> language = firstAvailable(candidates, available);
        if (language && hasNoMisspelling(word, *language, checker))
            return true;
    }
    return false;
}

} // namespace talvoro
