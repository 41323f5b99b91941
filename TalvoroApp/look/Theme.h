#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QFont>
#include <QPainterPath>
#include <QRectF>

// The application's look that holds without widgets: fonts, the adaptive
// colours and the two standard animations. Sizes are logical pixels.
namespace talvoro {

// --- Fonts -----------------------------------------------------------------
// The system font is Inter (DejaVu Sans where Inter is missing); the serif
// design is Noto Serif (DejaVu Serif as fallback).
QFont systemFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
QFont serifFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospacedFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);

// The platform's text styles at their desktop sizes.
enum class TextStyle { largeTitle, title, title2, title3, headline, body, callout, subheadline, footnote, caption, caption2 };
qreal textStylePixelSize(TextStyle style);
QFont textStyleFont(TextStyle style, QFont::Weight weight = QFont::Normal);

QFont appRowFont();       // 15 px, regular
QFont appHelperFont();    // 14 px, regular
QFont captionFont();      // caption text style (10 px)
QFont transcriptFont(qreal pixelSize = 15); // transcribed text: serif design

// --- Colours ---------------------------------------------------------------
// Card fill: sRGB (0.11, 0.11, 0.118) in the dark appearance, white 0.955 in
// the light one.
QColor settingsSurfaceColor(bool dark);
// Foreground styles (label colours of the appearance), optionally faded.
QColor primaryColor(bool dark, qreal opacity = 1.0);
QColor secondaryColor(bool dark);
QColor tertiaryColor(bool dark);
QColor quaternaryColor(bool dark);
QColor textBackgroundColor(bool dark);
QColor windowBackgroundColor(bool dark);
QColor separatorColor(bool dark); // row separators and card borders: primary at 0.04
// The platform's red of destructive actions and errors.
QColor systemRedColor(bool dark);

// --- Contrast --------------------------------------------------------------

// The contrast ratio of text over a background (1 … 21), as accessibility
// guidelines define it; a translucent foreground is blended over the
// background first. Text needs 4.5, large text and controls 3.
double contrastRatio(const QColor &foreground, const QColor &background);
// What a filled accent surface (a prominent button, a selected item, a badge)
// is painted in: the accent, deepened by at most 15 % where that lets white
// text reach 4.5:1, so blue, pink, purple and red keep white text.
QColor accentSurfaceColor(const QColor &accent);
// Text and symbols on such a surface: white where it reaches 4.5:1, else
// black at 85 % (yellow, orange, green).
QColor foregroundOnSurface(const QColor &surface);
// `color` with its hue and saturation kept, darkened over a light background
// (lightened over a dark one) until it reaches `ratio` against it: status
// colours (green, orange, red) drawn as text or marks.
QColor withContrast(const QColor &color, const QColor &background, double ratio);
// What a wash of `tint` at `opacity` over `background` looks like (a badge's
// or a banner's fill), to measure text on it.
QColor tintOver(const QColor &tint, qreal opacity, const QColor &background);

// --- Shapes ----------------------------------------------------------------
// A rounded rectangle with continuous ("squircle") corners: the curvature
// eases into the straight edges instead of starting abruptly as a circular
// arc does. The corner reaches about 1.53 × radius along each edge.
QPainterPath continuousRoundedRect(const QRectF &rect, qreal radius);

// --- Animations ------------------------------------------------------------
// A spring as the design describes it: response is the period of the
// undamped oscillation in seconds, damping fraction the damping ratio.
struct SpringAnimation
{
    double response;
    double dampingFraction;
    double blendDuration;
};

SpringAnimation navigationAnimation();       // response 0.34, damping 0.88, blend 0.12
SpringAnimation screenTransitionAnimation(); // response 0.42, damping 0.9, blend 0.12

// Position of the spring going from 0 to 1 after `seconds`, from rest.
double springProgress(const SpringAnimation &spring, double seconds);
// Time until the spring stays within 0.1 % of its target.
int springSettlingMs(const SpringAnimation &spring);

// What QPropertyAnimation can play: the settling time as duration and an
// easing curve that follows the spring's own positions (from rest; the blend
// duration has no counterpart, a retargeted animation restarts from where it is).
struct TimedEasing
{
    QEasingCurve curve;
    int durationMs;
};
TimedEasing approximateSpring(const SpringAnimation &spring);

} // namespace talvoro
