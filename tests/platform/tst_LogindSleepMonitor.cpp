// The logind wake listener over a real bus: a private bus stands in for the
// system bus and a second connection plays logind.
#include "platform/LogindSleepMonitor.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

// Every PrepareForSleep the connection receives, whoever sent it.
class SignalCounter : public QObject
{
    Q_OBJECT
public:
    int count = 0;
public Q_SLOTS:
    void seen(bool) { ++count; }
};

class TestLogindSleepMonitor : public QObject
{
    Q_OBJECT

    static void sendPrepareForSleep(QDBusConnection &bus, bool sleeping)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(LogindSleepMonitor::kPath),
                                                         QString::fromLatin1(LogindSleepMonitor::kInterface),
                                                         QString::fromLatin1(LogindSleepMonitor::kSignal));
        signal << sleeping;
        QVERIFY(bus.send(signal));
    }

private Q_SLOTS:
    void withoutABusItListensToNothingAndSaysSoOnce()
    {
        LogCapture log;
        QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/talvoro-bus"),
                                                             QStringLiteral("talvoro-no-bus"));
        QVERIFY(!none.isConnected());
        LogindSleepMonitor monitor(none);
        QVERIFY(!monitor.isListening());
        const auto lines = log.lines();
        QCOMPARE(std::count_if(lines.begin(), lines.end(),
                               [](const QString &line) { return line.contains(QLatin1String("No system bus")); }),
                 1);
    }

    void resumeIsAWakeAndSuspendIsNot()
    {
        PrivateBus system;
        if (system.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        QDBusConnection bus = system.connect(QStringLiteral("talvoro-listener"));
        QDBusConnection logind = system.connect(QStringLiteral("talvoro-fake-logind"));
        QVERIFY(logind.registerService(QString::fromLatin1(LogindSleepMonitor::kService)));

        LogindSleepMonitor monitor(bus);
        QVERIFY(monitor.isListening());
        QSignalSpy woke(&monitor, &SleepWakeMonitor::woke);
        // Both hear each message in the same turn of the event loop.
        SignalCounter delivered;
        QVERIFY(bus.connect(QString(), QString::fromLatin1(LogindSleepMonitor::kPath),
                            QString::fromLatin1(LogindSleepMonitor::kInterface),
                            QString::fromLatin1(LogindSleepMonitor::kSignal), &delivered, SLOT(seen(bool))));

        sendPrepareForSleep(logind, true);
        sendPrepareForSleep(logind, false);
        QTRY_COMPARE(woke.count(), 1);

        // The same signal from anyone but logind is ignored.
        QDBusConnection stranger = system.connect(QStringLiteral("talvoro-stranger"));
        sendPrepareForSleep(stranger, false);
        sendPrepareForSleep(logind, false);
        QTRY_COMPARE(delivered.count, 4);
        QCoreApplication::processEvents();
        QCOMPARE(woke.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLogindSleepMonitor)
#include "tst_LogindSleepMonitor.moc"
