#include "screens/dictation-settings/DictionaryRules.h"

#include "account/SyncPayloads.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"

namespace talvoro::dictionary {

QStringList formLanguages()
{
    return {QStringLiteral("pt"), QStringLiteral("en"), QStringLiteral("es"), QStringLiteral("fr")};
}

QString currentLanguage(const QString &selectedLanguage, const QStringList &available, const QString &activeLanguage)
{
    if (!selectedLanguage.isEmpty() && available.contains(selectedLanguage))
        return selectedLanguage;
    return available.isEmpty() ? activeLanguage : available.first();
}

QString initialLanguage(const QStringList &available, const QString &activeLanguage)
{
    if (available.contains(activeLanguage))
        return activeLanguage;
    return available.isEmpty() ? activeLanguage : available.first();
}

QStringList termLanguageOptions(const QStringList &available)
{
    QStringList options = available + formLanguages();
    std::sort(options.begin(), options.end());
    options.erase(std::unique(options.begin(), options.end()), options.end());
    return options;
}

QString localizedCount(const char *portugueseKey, qint64 count)
{
    return localized(portugueseKey).replace(QStringLiteral("%lld"), QString::number(count));
}

QString limitAlertMessage()
{
    return localizedCount(QT_TRANSLATE_NOOP("Talvoro", "Você atingiu o limite de %lld termos para este idioma."), kMaxTermsPerLanguage)
        + localized(" ") + localized("Remova termos existentes para adicionar novos.");
}

ConfirmationTexts deleteConfirmationTexts(qsizetype count)
{
    if (count == 1)
        return {localized("Excluir Termo"), localized("Tem certeza que deseja excluir este termo?")};
    return {localizedCount(QT_TRANSLATE_NOOP("Talvoro", "Excluir %lld Termos"), count),
            localizedCount(QT_TRANSLATE_NOOP("Talvoro", "Tem certeza que deseja excluir os %lld termos selecionados?"), count)};
}

QString entryDateText(const QDateTime &createdAt, bool portuguese)
{
    return localizedDate(createdAt, "yMMMd", textLocale(portuguese));
}

QString useCountText(qint64 useCount)
{
    return useCount >= 1 ? localizedCount(QT_TRANSLATE_NOOP("Talvoro", "Usado %lld×"), useCount) : QString();
}

QString DictionarySheetMode::identity() const
{
    return isEdit() ? entry.idString() : QStringLiteral("create");
}

} // namespace talvoro::dictionary
