#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (logout, shutdown, kill) and SIGINT (Ctrl+C) quit through the event
// loop, as the menu's quit item does, so that what main() writes after the
// loop (the store's pending changes, the settings) is still written. A second
// signal of the same kind ends the process at once, for a loop that hangs.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    // Emitted on the event loop, before the application is asked to quit.
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
