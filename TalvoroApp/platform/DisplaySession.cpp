#include "platform/DisplaySession.h"


#include <QDBusConnection>
#include <QDBusMessage>

namespace talvoro {

namespace {
constexpr auto kPlatformVariable = "QT_QPA_PLATFORM";
constexpr auto kThemeVariable = "QT_QPA_PLATFORMTHEME";
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

QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, bool portalOffersFileChooser)
{
    if (!environment.value(QString::fromLatin1(kThemeVariable)).isEmpty() || !portalOffersFileChooser)
        return {};
    return QByteArrayLiteral("xdgdesktopportal");
}

bool desktopPortalOffers(QDBusConnection bus, const QString &service, const QString &interface)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/portal/desktop"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    return bus.call(get, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

bool desktopPortalOffersFileChooser()
{
    // A connection of its own, dropped at once: the QApplication does not exist yet.
    const QString name = QStringLiteral("talvoro-portal-probe");
    const bool offered =
        desktopPortalOffers(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name),
                            QString::fromLatin1(kDesktopPortalService),
                            QStringLiteral("org.freedesktop.portal.FileChooser"));
    QDBusConnection::disconnectFromBus(name);
    return offered;
}

void chooseQtPlatform()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (const QByteArray platform = qtPlatformFor(environment); !platform.isEmpty())
        qputenv(kPlatformVariable, platform);
    // Without a display there is no file dialog to choose for.
    const bool checkPortal = environment.value(QString::fromLatin1(kThemeVariable)).isEmpty()
        && displayServer(environment) != DisplayServer::none;
    if (const QByteArray theme = qtPlatformThemeFor(environment, checkPortal && desktopPortalOffersFileChooser());
        !theme.isEmpty())
        qputenv(kThemeVariable, theme);
}

} // namespace talvoro
