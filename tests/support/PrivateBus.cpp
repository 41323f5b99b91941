#include "support/PrivateBus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

PrivateBus::PrivateBus()
{
    // The tests' bus configuration, and a folder of services of this bus's
    // own: the machine's installed services are never started here.
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QDir(m_dir.path()).mkdir(QStringLiteral("services"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig>\n  <include>%1</include>\n  <servicedir>%2</servicedir>\n</busconfig>\n")
                   .arg(QStringLiteral(TALVORO_TEST_BUS_CONFIG), serviceDir())
                   .toUtf8());
    file.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:dir=") + m_dir.path()});
    // The address is printed once the daemon listens; a loaded machine may
    // take a while to get there.
    const QDeadlineTimer deadline(60000);
    if (!m_daemon.waitForStarted(60000))
        return;
    while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running && !deadline.hasExpired())
        m_daemon.waitForReadyRead(int(deadline.remainingTime()));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.kill();
    m_daemon.waitForFinished();
}

QString PrivateBus::serviceDir() const
{
    return m_dir.filePath(QStringLiteral("services"));
}

QDBusConnection PrivateBus::connect(const QString &name)
{
    m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}
