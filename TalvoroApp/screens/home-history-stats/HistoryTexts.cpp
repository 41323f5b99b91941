#include "screens/home-history-stats/HistoryTexts.h"

#include "texts/DateTexts.h"
#include "texts/Localization.h"

namespace talvoro::history {

QString emptyStateText(const QString &hotkeyText)
{
    return localized("Nenhuma transcrição ainda.\nPressione %@ para começar.").replace(QLatin1String("%@"), hotkeyText);
}

QString languageLabel(const QString &code)
{
    if (code == QLatin1String("pt"))
        return localized("Português");
    if (code == QLatin1String("en"))
        return localized("English");
    if (code == QLatin1String("es"))
        return localized("Español");
    if (code == QLatin1String("fr"))
        return localized("Français");
    if (code == QLatin1String("auto"))
        return localized("Auto-detectado");
    return code;
}

QString languageChipText(const QString &code)
{
    return code.toUpper();
}

QString detailDateTitle(const QDateTime &createdAt, const QLocale &locale)
{
    return localizedDate(createdAt, "yMMMMd", locale);
}

QString detailTimeText(const QDateTime &createdAt, const QLocale &locale)
{
    // Hours and minutes in the locale's own clock: QLocale's short format is
    // "HH:mm:ss" in the C locale (LANG=C.UTF-8).
    return localizedDate(createdAt, "jm", locale);
}

QString suggestedTextFileName()
{
    return localized("Transcrição de Voz") + QStringLiteral(".txt");
}

} // namespace talvoro::history
