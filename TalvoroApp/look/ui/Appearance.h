#pragma once

#include "platform/DesktopColorScheme.h"

#include <QObject>
#include <QPalette>

#include <optional>
#include <thread>

class QWidget;

// Light and dark appearance for the widgets: Fusion with palettes built from
// the theme's colours, applied to the whole application. Views find out
// which appearance they are drawn in from their palette, so rendering a
// screen in the other appearance only takes another palette.
namespace talvoro::ui {

QPalette appearancePalette(bool dark);

// Fusion style, the palette of the appearance and the system font at the
// body size for every widget.
void applyAppearance(bool dark);

// Fontconfig reads its configuration and caches, and Qt lists every font
// family, the first time any font is needed: in the middle of building the
// first window. This lists them on a worker from construction (Qt's font
// database is thread-safe), so the window finds them ready; destruction
// waits for the worker. Make one once the QGuiApplication exists and
// destroy it before the application object.
class FontDatabasePreloader
{
public:
    FontDatabasePreloader();
    ~FontDatabasePreloader();
    FontDatabasePreloader(const FontDatabasePreloader &) = delete;
    FontDatabasePreloader &operator=(const FontDatabasePreloader &) = delete;

private:
    std::thread m_worker;
};

// True when the palette's window colour is dark.
bool isDark(const QPalette &palette);
bool isDark(const QWidget *widget);

// TALVORO_APPEARANCE=dark or light; nothing for any other value.
std::optional<bool> forcedAppearance();

// Applies the appearance at once and again whenever the desktop switches:
// a forced one if given; else the desktop portal's dark or light; else (no
// portal, or no preference) `fallbackDark`, the palette's choice at start.
class AppearanceFollower : public QObject
{
    Q_OBJECT
public:
    AppearanceFollower(const DesktopColorScheme &scheme, std::optional<bool> forced, bool fallbackDark,
                       QObject *parent = nullptr);
    bool isDark() const { return m_dark; }

private:
    bool choose(DesktopColorScheme::Scheme scheme) const;
    void follow(DesktopColorScheme::Scheme scheme);

    std::optional<bool> m_forced;
    bool m_fallbackDark;
    bool m_dark;
};

} // namespace talvoro::ui
