#include "platform/TerminationSignals.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class TerminationSignalsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Without the watcher the default action would end this test process.
    void termAndIntReachTheEventLoopInsteadOfEndingTheProcess()
    {
        for (int signalNumber : {SIGTERM, SIGINT}) {
            TerminationSignals watcher;
            QSignalSpy spy(&watcher, &TerminationSignals::received);
            QEventLoop loop;
            connect(&watcher, &TerminationSignals::received, &loop, [&loop] { loop.exit(0); });
            QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
            ::raise(signalNumber);
            QCOMPARE(loop.exec(), 0);
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.first().at(0).toInt(), signalNumber);
        }
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_TerminationSignals.moc"
