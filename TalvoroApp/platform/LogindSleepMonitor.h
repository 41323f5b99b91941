#pragma once

#include "platform/SleepWakeMonitor.h"

#include <QDBusConnection>

// Wake notices from systemd-logind: the manager's PrepareForSleep(false)
// signal on the system bus (elogind sends the same). Without a system bus, or
// when the signal cannot be subscribed, it logs that once and never emits.
class LogindSleepMonitor final : public SleepWakeMonitor
{
    Q_OBJECT
public:
    static constexpr const char *kService = "org.freedesktop.login1";
    static constexpr const char *kPath = "/org/freedesktop/login1";
    static constexpr const char *kInterface = "org.freedesktop.login1.Manager";
    static constexpr const char *kSignal = "PrepareForSleep";

    // The system bus; tests pass a bus of their own.
    explicit LogindSleepMonitor(QObject *parent = nullptr);
    explicit LogindSleepMonitor(QDBusConnection bus, QObject *parent = nullptr);
    ~LogindSleepMonitor() override;

    bool isListening() const { return m_listening; }

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    QDBusConnection m_bus;
    bool m_listening = false;
};
