#include "platform/SettingsKeys.h"

#include <QLocale>
#include <QStringList>

namespace talvoro {

QString defaultTranscriptionLanguage()
{
    // The application's current locale: the system's unless a default was set.
    const QString code = QLocale::languageToCode(QLocale().language());
    static const QStringList supported{QStringLiteral("pt"), QStringLiteral("en"), QStringLiteral("es"),
                                       QStringLiteral("fr")};
    return supported.contains(code) ? code : QStringLiteral("auto");
}

} // namespace talvoro
