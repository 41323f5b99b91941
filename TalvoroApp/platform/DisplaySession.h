#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QProcessEnvironment>

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
// desktop portal answers (Qt's own file dialog then works as before); else
// Qt's portal theme, so file dialogs are the desktop's.
QByteArray qtPlatformThemeFor(const QProcessEnvironment &environment, bool portalOffersFileChooser);

inline constexpr const char *kDesktopPortalService = "org.freedesktop.portal.Desktop";

// Whether that desktop portal has the interface (org.freedesktop.portal.X):
// it answers for the interface's version within a second (starting the
// portal if the bus can).
bool desktopPortalOffers(QDBusConnection bus, const QString &service, const QString &interface);

// desktopPortalOffers the file chooser on the session bus; usable before
// the QApplication exists.
bool desktopPortalOffersFileChooser();

// Sets both variables before the QApplication exists.
void chooseQtPlatform();

} // namespace talvoro
