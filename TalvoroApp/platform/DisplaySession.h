#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QProcessEnvironment>

#include <chrono>
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
// desktop portal is ready (Qt's own file dialog then works as before); else
// Qt's portal theme, so file dialogs are the desktop's.
QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, bool portalReady);

inline constexpr const char *kDesktopPortalService = "org.freedesktop.portal.Desktop";
// How long a running portal may take to say it has a file chooser.
inline constexpr std::chrono::milliseconds kPortalProbeBound{300};

// The same, asking `bus` only where the variables leave it open (a display,
// no theme of the user's): desktopPortalReady within `bound`.
QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, QDBusConnection bus,
                              std::chrono::milliseconds bound = kPortalProbeBound);

// Whether the portal `service` runs and shows file dialogs. Qt's portal theme
// asks the portal while the QApplication is made and waits for it up to
// D-Bus's 25 s, so only a portal that answers gets that theme: one that is
// not running is not started (the bus says so at once), one whose process is
// stopped is not asked, and a running one must answer for
// org.freedesktop.portal.FileChooser within `bound`.
bool desktopPortalReady(QDBusConnection bus, const QString &service, std::chrono::milliseconds bound);

// Whether that desktop portal has the interface (org.freedesktop.portal.X):
// it answers for the interface's version within a second (starting the
// portal if the bus can). Blocks: never before the first frame.
bool desktopPortalOffers(QDBusConnection bus, const QString &service, const QString &interface);

// Sets both variables before the QApplication exists.
void chooseQtPlatform();

// The portal theme sends file dialogs to the portal's file chooser; a portal
// that loses it (restarted without a back-end for this desktop) would leave
// dialogs that never open. This asks the portal, without waiting, whether it offers the file
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
