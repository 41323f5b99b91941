#include "platform/LogindSleepMonitor.h"

#include "platform/ShellLogging.h"

#include <QDBusError>

LogindSleepMonitor::LogindSleepMonitor(QObject *parent)
    : LogindSleepMonitor(QDBusConnection::systemBus(), parent)
{
}

LogindSleepMonitor::LogindSleepMonitor(QDBusConnection bus, QObject *parent)
    : SleepWakeMonitor(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected()) {
        qCInfo(lcAppLifecycle) << "No system bus; wake reactions are off";
        return;
    }
    m_listening = m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                QString::fromLatin1(kInterface), QString::fromLatin1(kSignal), this,
                                SLOT(prepareForSleep(bool)));
    if (!m_listening)
        qCWarning(lcAppLifecycle, "Could not subscribe to %s.%s: %s; wake reactions are off", kInterface, kSignal,
                  qUtf8Printable(m_bus.lastError().message()));
}

LogindSleepMonitor::~LogindSleepMonitor()
{
    if (m_listening)
        m_bus.disconnect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                         QString::fromLatin1(kSignal), this, SLOT(prepareForSleep(bool)));
}

void LogindSleepMonitor::prepareForSleep(bool sleeping)
{
    // true is sent before the machine sleeps, false after it resumed.
    if (sleeping) {
        qCInfo(lcAppLifecycle) << "Machine going to sleep";
        return;
    }
    Q_EMIT woke();
}
