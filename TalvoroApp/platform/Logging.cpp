#include "platform/Logging.h"

#include <atomic>

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

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt's own lines a user cannot act on become one line that says what it
// means for Talvoro.
void rewriteKnownNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("PulseAudioService: pa_context_connect() failed"))) {
        static std::atomic_bool said = false;
        if (said.exchange(true))
            return;
        const QMessageLogContext ours(context.file, context.line, context.function, lcApp().categoryName());
        g_previousHandler(QtWarningMsg, ours,
                          QStringLiteral("No sound server (PulseAudio or PipeWire) is running: no microphone "
                                         "is listed and sounds stay silent"));
        return;
    }
    g_previousHandler(type, context, message);
}

} // namespace

void installLogFormat()
{
    if (!g_previousHandler)
        g_previousHandler = qInstallMessageHandler(rewriteKnownNoise);
    qSetMessagePattern(QStringLiteral(
        "%{time yyyy-MM-dd hh:mm:ss.zzz} %{if-debug}D%{endif}%{if-info}I%{endif}"
        "%{if-warning}W%{endif}%{if-critical}E%{endif}%{if-fatal}F%{endif} "
        "[%{category}] %{message}"));
}

} // namespace talvoro
