#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus daemon of the test's own, so the names a fake takes on it (a
// portal, logind) are seen by nobody else: tests running in parallel share
// one session bus, and the application's own readers sit on it too. It
// starts only the services put in serviceDir(), never the machine's own.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    // Empty when dbus-daemon could not be started.
    QString address() const { return m_address; }

    // Where a test puts the `.service` files this bus may start.
    QString serviceDir() const;

    // A connection of its own to this bus, under `name`, closed with the bus.
    QDBusConnection connect(const QString &name);

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
