#pragma once

#include <QObject>

// Tells when the machine has woken from sleep. The application uses
// LogindSleepMonitor; tests emit `woke` themselves.
class SleepWakeMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SleepWakeMonitor() override = default;

Q_SIGNALS:
    // The machine resumed from suspend or hibernation.
    void woke();
};
