#include "platform/DisplaySession.h"


#include "platform/Logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QFile>

namespace talvoro {

namespace {
constexpr auto kPlatformVariable = "QT_QPA_PLATFORM";
constexpr auto kThemeVariable = "QT_QPA_PLATFORMTHEME";
const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");

// 'T' (stopped) or 't' (held by a debugger): it answers nothing until continued.
bool processIsStopped(uint pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid == 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) state ...": the name may hold spaces and parentheses.
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    const char state = end >= 0 && end + 2 < line.size() ? line.at(end + 2) : '?';
    return state == 'T' || state == 't';
}

QDBusMessage versionQuestion(const QString &service, const QString &interface)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/portal/desktop"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    return get;
}
} // namespace

DisplayServer displayServer(const QProcessEnvironment &environment)
{
    if (environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland")
        || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return DisplayServer::wayland;
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return DisplayServer::x11;
    return DisplayServer::none;
}

QByteArray qtPlatformFor(const QProcessEnvironment &environment)
{
    if (!environment.value(QString::fromLatin1(kPlatformVariable)).isEmpty())
        return {};
    switch (displayServer(environment)) {
    case DisplayServer::wayland:
        return QByteArrayLiteral("wayland;xcb");
    case DisplayServer::x11:
        return QByteArrayLiteral("xcb");
    case DisplayServer::none:
        break;
    }
    return {};
}

QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, bool portalOnBus)
{
    if (!environment.value(QString::fromLatin1(kThemeVariable)).isEmpty() || !portalOnBus)
        return {};
    return QByteArrayLiteral("xdgdesktopportal");
}

QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, QDBusConnection bus,
                              std::chrono::milliseconds bound)
{
    // Without a display there is no file dialog to choose for.
    if (!environment.value(QString::fromLatin1(kThemeVariable)).isEmpty()
        || displayServer(environment) == DisplayServer::none)
        return {};
    return qtPlatformThemeFor(environment,
                              desktopPortalReady(std::move(bus), QString::fromLatin1(kDesktopPortalService), bound));
}

bool desktopPortalReady(QDBusConnection bus, const QString &service, std::chrono::milliseconds bound)
{
    if (!bus.isConnected())
        return false;
    // The bus answers this at once; an error says nobody owns the name.
    QDBusMessage owner = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService,
                                                        QStringLiteral("GetConnectionUnixProcessID"));
    owner << service;
    const QDBusMessage pid = bus.call(owner, QDBus::Block, 1000);
    if (pid.type() != QDBusMessage::ReplyMessage || pid.arguments().isEmpty())
        return false;
    if (processIsStopped(pid.arguments().constFirst().toUInt())) {
        qCWarning(lcApp) << "The desktop portal's process is stopped; Qt's own file dialog is used";
        return false;
    }
    const QDBusMessage version = bus.call(versionQuestion(service, QStringLiteral("org.freedesktop.portal.FileChooser")),
                                          QDBus::Block, int(bound.count()));
    if (version.type() != QDBusMessage::ReplyMessage && version.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
        qCWarning(lcApp) << "The desktop portal did not answer within" << bound.count()
                         << "ms; Qt's own file dialog is used";
    return version.type() == QDBusMessage::ReplyMessage;
}

bool desktopPortalOffers(QDBusConnection bus, const QString &service, const QString &interface)
{
    if (!bus.isConnected())
        return false;
    return bus.call(versionQuestion(service, interface), QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

void chooseQtPlatform()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (const QByteArray platform = qtPlatformFor(environment); !platform.isEmpty())
        qputenv(kPlatformVariable, platform);
    // Where the variables leave the theme open: a connection of its own,
    // dropped at once, as the QApplication does not exist yet.
    if (!qtPlatformThemeFor(environment, true).isEmpty() && displayServer(environment) != DisplayServer::none) {
        const QString name = QStringLiteral("talvoro-portal-probe");
        const QByteArray theme =
            qtPlatformThemeFor(environment, QDBusConnection::connectToBus(QDBusConnection::SessionBus, name));
        QDBusConnection::disconnectFromBus(name);
        if (!theme.isEmpty())
            qputenv(kThemeVariable, theme);
    }
}

FileChooserPortalWatch::FileChooserPortalWatch(QDBusConnection bus, const QString &service, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_service(service)
{
    if (!m_bus.isConnected())
        return;
    auto *watcher = new QDBusServiceWatcher(m_service, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &FileChooserPortalWatch::ask);
    ask();
}

void FileChooserPortalWatch::ask()
{
    // Only the latest question counts: a portal restarted meanwhile answers anew.
    const quint64 question = ++m_question;
    auto *call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(versionQuestion(m_service, QStringLiteral("org.freedesktop.portal.FileChooser"))), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, question](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (question != m_question)
            return;
        // No answer tells nothing; an error reply (no such interface, no portal) does.
        const QString error = reply.type() == QDBusMessage::ReplyMessage ? QString() : reply.errorName();
        if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
            || error == QLatin1String("org.freedesktop.DBus.Error.Timeout")
            || error == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
            return;
        m_offered = error.isEmpty();
        qCInfo(lcApp) << "The desktop portal" << (*m_offered ? "offers" : "does not offer") << "a file chooser";
        Q_EMIT answered(*m_offered);
    });
}

} // namespace talvoro
