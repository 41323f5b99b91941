#include "screens/settings/SettingsStyle.h"

#include "texts/Localization.h"

#include <algorithm>

namespace talvoro::settings {

QFont settingsRowFont() { return appRowFont(); }
QFont settingsHelperFont() { return appHelperFont(); }

QFont sectionHeaderFont()
{
    QFont font = textStyleFont(TextStyle::caption, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, metrics::sectionHeaderTracking);
    return font;
}

QFont brandedTitleFont()
{
    return serifFont(metrics::brandedTitlePixelSize, QFont::Bold);
}

QFont rowIconFont()
{
    return textStyleFont(TextStyle::body);
}

QString sectionHeaderText(const QString &title, bool portuguese)
{
    // Both locales upper-case with the root rules (no Turkish dotted I), and
    // keep combining accents: "ção" → "ÇÃO".
    return textLocale(portuguese).toUpper(title);
}

QString brandedFullStop()
{
    return localized(".");
}

qreal usageBarFillWidth(double fraction, qreal width)
{
    if (!(fraction > 0)) // also NaN
        return 0;
    return std::min(fraction, 1.0) * std::max<qreal>(width, 0);
}

} // namespace talvoro::settings
