#include "support/TestSupport.h"

#include <QMutex>

namespace {
QMutex s_logMutex;
QStringList s_logLines;
QtMessageHandler s_previousHandler = nullptr;
int s_captures = 0;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&s_logMutex);
        s_logLines.append(QString::fromLatin1(context.category ? context.category : "") + QLatin1Char(' ') + message);
    }
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&s_logMutex);
    if (s_captures++ == 0) {
        s_logLines.clear();
        s_previousHandler = qInstallMessageHandler(captureMessage);
    }
}

LogCapture::~LogCapture()
{
    QMutexLocker lock(&s_logMutex);
    if (--s_captures == 0)
        qInstallMessageHandler(s_previousHandler);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&s_logMutex);
    return s_logLines;
}

bool LogCapture::contains(const QString &text) const
{
    const QStringList all = lines();
    return std::any_of(all.begin(), all.end(), [&](const QString &line) { return line.contains(text); });
}
