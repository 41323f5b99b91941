#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "com.torvenak.talvoro-mac.App")
Q_LOGGING_CATEGORY(lcSettingsStore, "com.torvenak.talvoro-mac.SettingsStore")

namespace talvoro {

QString phaseLine(const QString &phase,
                  std::initializer_list<std::pair<QString, QString>> fields)
{
    QString line = QStringLiteral("[phase:") + phase + QLatin1Char(']');
    for (const auto &[key, value] : fields)
        line += QLatin1Char(' ') + key + QLatin1Char('=') + value;
    return line;
}

void installLogFormat()
{
    qSetMessagePattern(QStringLiteral(
        "%{time yyyy-MM-dd hh:mm:ss.zzz} %{if-debug}D%{endif}%{if-info}I%{endif}"
        "%{if-warning}W%{endif}%{if-critical}E%{endif}%{if-fatal}F%{endif} "
        "[%{category}] %{message}"));
}

} // namespace talvoro
