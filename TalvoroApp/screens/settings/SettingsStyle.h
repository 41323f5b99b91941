#pragma once

#include "look/Theme.h"

#include <QFont>
#include <QMargins>
#include <QString>

// The rules and numbers of the settings drawing kit (rows, cards, headers),
// kept apart from the widgets so they can be checked on their own.
namespace talvoro::settings {

QFont settingsRowFont();    // = appRowFont(), 15 px
QFont settingsHelperFont(); // = appHelperFont(), 14 px
QFont sectionHeaderFont();  // caption, semibold, tracking 1 px
QFont brandedTitleFont();   // 32 px bold serif
QFont rowIconFont();        // body text style; symbols are sized from it

// The section title in capitals, by the locale of the language choice
// ("pt-BR" or "en"); accents stay, "i" becomes a plain "I" in both.
QString sectionHeaderText(const QString &title, bool portuguese);

// The full stop after a branded title (a localisable text of its own).
QString brandedFullStop();

// Fill width of a usage bar: the fraction (clamped to 0...1) of the width.
qreal usageBarFillWidth(double fraction, qreal width);

namespace metrics {
// Rows
inline constexpr int rowSpacing = 8;
inline constexpr int rowVerticalPadding = 14;
inline constexpr int rowHorizontalPadding = 20;
inline constexpr int rowIconColumnWidth = 24;
inline constexpr int detailRowIconTopPadding = 2;
inline constexpr int detailRowTextSpacing = 2;
inline constexpr int detailRowMinimumSpacer = 12;
inline constexpr QMargins rowMargins{rowHorizontalPadding, rowVerticalPadding, rowHorizontalPadding, rowVerticalPadding};

// Section header: 20 at the sides, 16 above, 4 below; 1 px tracking.
inline constexpr QMargins sectionHeaderMargins{20, 16, 20, 4};
inline constexpr qreal sectionHeaderTracking = 1.0;

// Cards
inline constexpr qreal cardCornerRadius = 24;
inline constexpr qreal cardBorderWidth = 1;
inline constexpr qreal cardBorderOpacity = 0.04;
inline constexpr int separatorHeight = 1;
inline constexpr qreal separatorOpacity = 0.04;

// Branded header
inline constexpr int brandedTitlePixelSize = 32;

// Detail card: radius 16, shadow black 6 % blurred 8 px, 2 px down; padded
// 0 above and 20 on the other three sides.
inline constexpr qreal detailCardCornerRadius = 16;
inline constexpr qreal detailCardShadowOpacity = 0.06;
inline constexpr qreal detailCardShadowRadius = 8;
inline constexpr qreal detailCardShadowOffsetY = 2;
inline constexpr QMargins detailCardMargins{20, 0, 20, 20};

// Statistics summary card: 16 above and below.
inline constexpr int statsDetailVerticalPadding = 16;

// Usage block: column spacing 10, bar 8 high with radius 4 on a track of the
// primary colour at 8 %, at least 72 high before the padding of 20 across
// and 12 down.
inline constexpr int usageBlockSpacing = 10;
inline constexpr int usageBarHeight = 8;
inline constexpr qreal usageBarCornerRadius = 4;
inline constexpr qreal usageTrackOpacity = 0.08;
inline constexpr int usageBlockMinimumHeight = 72;
inline constexpr QMargins usageBlockMargins{20, 12, 20, 12};
inline constexpr int usageCardSpacing = 16;
} // namespace metrics

} // namespace talvoro::settings
