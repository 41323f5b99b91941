#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QProcessEnvironment>

#include <optional>

// Which display server this session runs and, from that, which Qt platform
// plugin and platform theme the application starts with.
namespace talvoro {

enum class DisplayServer { none, x11, wayland };

// Wayland when XDG_SESSION_TYPE says so or WAYLAND_DISPLAY names a
// compositor (XWayland's DISPLAY does not make it X11), else X11 when
// DISPLAY is set.
DisplayServer displayServer(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The value QT_QPA_PLATFORM gets: empty (leave it) when the user set one or
// no display server is known; "wayland;xcb" on Wayland (XWayland when the
// compositor refuses us); "xcb" on X11.
QByteArray qtPlatformFor(const QProcessEnvironment &environment);

// The value QT_QPA_PLATFORMTHEME gets: empty when the user set one or no
// desktop portal is there (Qt's own file dialog then works as before); else
// Qt's portal theme, so file dialogs are the desktop's.
QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, bool portalOnBus);

// The same, asking `bus` only where the variables leave it open (a display,
// no theme of the user's) and only the bus itself (busOwnsOrCanStart).
QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, QDBusConnection bus);

inline constexpr const char *kDesktopPortalService = "org.freedesktop.portal.Desktop";

// Whether `service` has an owner on `bus` or the bus can start it. The bus
// daemon answers at once; the service is neither asked nor started, so a
// portal that hangs delays nothing.
bool busOwnsOrCanStart(QDBusConnection bus, const QString &service);

// Whether that desktop portal has the interface (org.freedesktop.portal.X):
// it answers for the interface's version within a second (starting the
// portal if the bus can). Blocks: never before the first frame.
bool desktopPortalOffers(QDBusConnection bus, const QString &service, const QString &interface);

// Sets both variables before the QApplication exists; asks the session bus
// (never the portal) whether a desktop portal is there.
void chooseQtPlatform();

// The portal theme sends file dialogs to the portal's file chooser; a portal
// without one (no back-end for this desktop) would leave dialogs that never
// open. This asks the portal, without waiting, whether it offers the file
// chooser, and again whenever the portal's name gets a new owner (started
// later, restarted); `answered` says what it found. No answer (a portal that
// hangs) says nothing.
class FileChooserPortalWatch : public QObject
{
    Q_OBJECT
public:
    explicit FileChooserPortalWatch(QDBusConnection bus = QDBusConnection::sessionBus(),
                                    const QString &service = QString::fromLatin1(kDesktopPortalService),
                                    QObject *parent = nullptr);

    // nullopt until the portal answered.
    std::optional<bool> offered() const { return m_offered; }

Q_SIGNALS:
    void answered(bool offered);

private:
    void ask();

    QDBusConnection m_bus;
    QString m_service;
    std::optional<bool> m_offered;
    quint64 m_question = 0;
};

} // namespace talvoro
