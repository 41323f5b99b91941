#include "look/ui/Appearance.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <tuple>

namespace talvoro::ui {

QPalette appearancePalette(bool dark)
{
    const QColor window = windowBackgroundColor(dark);
    const QColor base = textBackgroundColor(dark);
    const QColor text = dark ? QColor(235, 235, 235) : QColor(29, 29, 31);
    const QColor disabledText = dark ? QColor(120, 120, 120) : QColor(160, 160, 160);
    const QColor button = dark ? QColor(72, 72, 74) : QColor(250, 250, 250);
    const QColor accent = AccentColorOption(AccentColorOption::defaultColor).color(dark);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, dark ? QColor(38, 38, 38) : QColor(244, 245, 245));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, secondaryColor(dark));
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::LinkVisited, accent);
    palette.setColor(QPalette::Light, dark ? QColor(90, 90, 90) : Qt::white);
    palette.setColor(QPalette::Midlight, dark ? QColor(70, 70, 70) : QColor(225, 225, 225));
    palette.setColor(QPalette::Mid, dark ? QColor(60, 60, 60) : QColor(200, 200, 200));
    palette.setColor(QPalette::Dark, dark ? QColor(30, 30, 30) : QColor(160, 160, 160));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

void applyAppearance(bool dark)
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(textStyleFont(TextStyle::body));
    QApplication::setPalette(appearancePalette(dark));
    // Widgets learn of the new palette through posted events; deliver them
    // now so that a caller rendering right away sees the new appearance.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::PaletteChange);
}

FontDatabasePreloader::FontDatabasePreloader()
    : m_worker([] { std::ignore = QFontDatabase::families(); })
{
}

FontDatabasePreloader::~FontDatabasePreloader()
{
    m_worker.join();
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

bool isDark(const QWidget *widget)
{
    return widget ? isDark(widget->palette()) : isDark(QApplication::palette());
}

std::optional<bool> forcedAppearance()
{
    const QString choice = qEnvironmentVariable("TALVORO_APPEARANCE").toLower();
    if (choice == QLatin1String("dark"))
        return true;
    if (choice == QLatin1String("light"))
        return false;
    return std::nullopt;
}

AppearanceFollower::AppearanceFollower(const DesktopColorScheme &scheme, std::optional<bool> forced,
                                       bool fallbackDark, QObject *parent)
    : QObject(parent)
    , m_forced(forced)
    , m_fallbackDark(fallbackDark)
    , m_dark(choose(scheme.scheme()))
{
    applyAppearance(m_dark);
    if (!m_forced)
        connect(&scheme, &DesktopColorScheme::schemeChanged, this, &AppearanceFollower::follow);
}

bool AppearanceFollower::choose(DesktopColorScheme::Scheme scheme) const
{
    if (m_forced)
        return *m_forced;
    switch (scheme) {
    case DesktopColorScheme::Scheme::dark: return true;
    case DesktopColorScheme::Scheme::light: return false;
    default: return m_fallbackDark;
    }
}

void AppearanceFollower::follow(DesktopColorScheme::Scheme scheme)
{
    const bool dark = choose(scheme);
    if (dark == m_dark)
        return;
    m_dark = dark;
    applyAppearance(dark);
}

} // namespace talvoro::ui
