#include "look/Theme.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

#include <cmath>
#include <numbers>

namespace talvoro {

namespace {

QFont fontOf(const QStringList &families, QFont::StyleHint hint, qreal pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    return font;
}

// Label colours of the two appearances: black or white at the platform's
// opacities for primary, secondary, tertiary and quaternary text.
QColor label(bool dark, qreal alpha)
{
    return dark ? QColor::fromRgbF(1, 1, 1, alpha) : QColor::fromRgbF(0, 0, 0, alpha);
}

} // namespace

QFont systemFont(qreal pixelSize, QFont::Weight weight)
{
    return fontOf({QStringLiteral("Inter"), QStringLiteral("DejaVu Sans")}, QFont::SansSerif, pixelSize, weight);
}

QFont serifFont(qreal pixelSize, QFont::Weight weight)
{
    return fontOf({QStringLiteral("Noto Serif"), QStringLiteral("DejaVu Serif")}, QFont::Serif, pixelSize, weight);
}

QFont monospacedFont(qreal pixelSize, QFont::Weight weight)
{
    return fontOf({QStringLiteral("DejaVu Sans Mono")}, QFont::Monospace, pixelSize, weight);
}

qreal textStylePixelSize(TextStyle style)
{
    switch (style) {
    case TextStyle::largeTitle: return 26;
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::headline: return 13;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::subheadline: return 11;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
    }
    return 13;
}

QFont textStyleFont(TextStyle style, QFont::Weight weight)
{
    // The headline style is the body size in bold unless asked otherwise.
    if (style == TextStyle::headline && weight == QFont::Normal)
        weight = QFont::Bold;
    return systemFont(textStylePixelSize(style), weight);
}

QFont appRowFont() { return systemFont(15); }
QFont appHelperFont() { return systemFont(14); }
QFont captionFont() { return textStyleFont(TextStyle::caption); }
QFont transcriptFont(qreal pixelSize) { return serifFont(pixelSize); }

QColor settingsSurfaceColor(bool dark)
{
    return dark ? QColor::fromRgbF(0.11f, 0.11f, 0.118f) : QColor::fromRgbF(0.955f, 0.955f, 0.955f);
}

QColor primaryColor(bool dark, qreal opacity)
{
    return label(dark, 0.85 * opacity);
}

QColor secondaryColor(bool dark) { return label(dark, 0.6); }
QColor tertiaryColor(bool dark) { return label(dark, dark ? 0.25 : 0.26); }
QColor quaternaryColor(bool dark) { return label(dark, 0.1); }

QColor textBackgroundColor(bool dark)
{
    return dark ? QColor(30, 30, 30) : QColor(255, 255, 255);
}

QColor windowBackgroundColor(bool dark)
{
    return dark ? QColor(50, 50, 50) : QColor(236, 236, 236);
}

QColor separatorColor(bool dark) { return primaryColor(dark, 0.04); }

QColor systemRedColor(bool dark) { return dark ? QColor(255, 69, 58) : QColor(255, 59, 48); }

namespace {

double relativeLuminance(const QColor &color)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

QColor blendedOver(const QColor &foreground, const QColor &background)
{
    const double a = foreground.alphaF();
    return QColor::fromRgbF(float(foreground.redF() * a + background.redF() * (1 - a)),
                            float(foreground.greenF() * a + background.greenF() * (1 - a)),
                            float(foreground.blueF() * a + background.blueF() * (1 - a)));
}

constexpr double kTextContrast = 4.5;

} // namespace

double contrastRatio(const QColor &foreground, const QColor &background)
{
    const double a = relativeLuminance(blendedOver(foreground, background));
    const double b = relativeLuminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor accentSurfaceColor(const QColor &accent)
{
    for (int percent = 100; percent >= 85; --percent) {
        const QColor deepened = QColor::fromRgbF(float(accent.redF() * percent / 100),
                                                 float(accent.greenF() * percent / 100),
                                                 float(accent.blueF() * percent / 100), float(accent.alphaF()));
        if (contrastRatio(Qt::white, deepened) >= kTextContrast)
            return deepened;
    }
    return accent;
}

QColor foregroundOnSurface(const QColor &surface)
{
    if (contrastRatio(Qt::white, surface) >= kTextContrast)
        return Qt::white;
    return primaryColor(false);
}

QColor tintOver(const QColor &tint, qreal opacity, const QColor &background)
{
    QColor faded = tint;
    faded.setAlphaF(tint.alphaF() * opacity);
    return blendedOver(faded, background);
}

QColor withContrast(const QColor &color, const QColor &background, double ratio)
{
    const bool darken = relativeLuminance(background) > 0.18;
    QColor shade = color.toHsl();
    shade.setAlphaF(1.0);
    for (int step = 0; step < 100 && contrastRatio(shade, background) < ratio; ++step) {
        const float lightness = float(shade.lightnessF()) + (darken ? -0.01f : 0.01f);
        shade.setHslF(shade.hslHueF(), shade.hslSaturationF(), std::clamp(lightness, 0.0f, 1.0f));
    }
    return shade.toRgb();
}

QPainterPath continuousRoundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    if (rect.isEmpty())
        return path;
    constexpr double reach = 1.52866483;
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2 / reach);
    if (r <= 0) {
        path.addRect(rect);
        return path;
    }
    // One corner as offsets (a along the incoming edge, b along the outgoing
    // one, in units of r), traversed clockwise; each corner maps them.
    struct Step { bool curve; double a1, b1, a2, b2, a, b; };
    static constexpr Step steps[] = {
        {true, 1.08849323, 0, 0.86840689, 0, 0.66993427, 0.06549600},
        {false, 0, 0, 0, 0, 0.63149399, 0.07491100},
        {true, 0.37282392, 0.16905899, 0.16905899, 0.37282392, 0.07491100, 0.63149399},
        {false, 0, 0, 0, 0, 0.06549600, 0.66993427},
        {true, 0, 0.86840689, 0, 1.08849323, 0, reach},
    };
    const auto corner = [&](auto map) {
        const QPointF start = map(reach, 0);
        if (path.isEmpty())
            path.moveTo(start);
        else
            path.lineTo(start);
        for (const Step &step : steps) {
            if (step.curve)
                path.cubicTo(map(step.a1, step.b1), map(step.a2, step.b2), map(step.a, step.b));
            else
                path.lineTo(map(step.a, step.b));
        }
    };
    const double l = rect.left(), t = rect.top(), rt = rect.right(), b = rect.bottom();
    corner([&](double a, double c) { return QPointF(rt - a * r, t + c * r); });  // top right
    corner([&](double a, double c) { return QPointF(rt - c * r, b - a * r); });  // bottom right
    corner([&](double a, double c) { return QPointF(l + a * r, b - c * r); });   // bottom left
    corner([&](double a, double c) { return QPointF(l + c * r, t + a * r); });   // top left
    path.closeSubpath();
    return path;
}

SpringAnimation navigationAnimation() { return {0.34, 0.88, 0.12}; }
SpringAnimation screenTransitionAnimation() { return {0.42, 0.9, 0.12}; }

double springProgress(const SpringAnimation &spring, double seconds)
{
    if (seconds <= 0)
        return 0;
    const double omega = 2 * std::numbers::pi / std::max(spring.response, 1e-3);
    const double zeta = std::clamp(spring.dampingFraction, 0.0, 1.0);
    const double decay = std::exp(-zeta * omega * seconds);
    if (zeta >= 1.0) // critically damped
        return 1 - decay * (1 + omega * seconds);
    const double omegaD = omega * std::sqrt(1 - zeta * zeta);
    return 1 - decay * (std::cos(omegaD * seconds) + zeta * omega / omegaD * std::sin(omegaD * seconds));
}

int springSettlingMs(const SpringAnimation &spring)
{
    constexpr double tolerance = 0.001;
    // Walk back from a generous bound to the last moment the spring was
    // still outside the tolerance band.
    const int limitMs = static_cast<int>(std::ceil(spring.response * 10 * 1000));
    for (int ms = limitMs; ms > 0; --ms) {
        if (std::abs(1 - springProgress(spring, ms / 1000.0)) > tolerance)
            return ms + 1;
    }
    return 1;
}

namespace {

// QEasingCurve takes a custom curve only as a plain function pointer, so each
// distinct spring gets a slot whose function evaluates that spring exactly.
// (Qt 6.4's BezierSpline curves break with more than a handful of segments,
// which rules out a sampled spline.)
struct SpringSlot
{
    SpringAnimation spring{};
    int durationMs = 0;
    double end = 1;
    bool used = false;
};

constexpr std::size_t kSpringSlots = 8;
std::array<SpringSlot, kSpringSlots> &springSlots()
{
    static std::array<SpringSlot, kSpringSlots> table;
    return table;
}

template <std::size_t Slot>
qreal slotCurve(qreal progress)
{
    const SpringSlot &slot = springSlots()[Slot];
    if (progress >= 1)
        return 1;
    return springProgress(slot.spring, progress * slot.durationMs / 1000.0) / slot.end;
}

template <std::size_t... Slots>
constexpr std::array<QEasingCurve::EasingFunction, sizeof...(Slots)> slotFunctions(std::index_sequence<Slots...>)
{
    return {&slotCurve<Slots>...};
}

bool sameSpring(const SpringAnimation &a, const SpringAnimation &b)
{
    return a.response == b.response && a.dampingFraction == b.dampingFraction;
}

} // namespace

TimedEasing approximateSpring(const SpringAnimation &spring)
{
    static const auto functions = slotFunctions(std::make_index_sequence<kSpringSlots>());
    auto &table = springSlots();
    const int durationMs = springSettlingMs(spring);
    std::size_t index = 0;
    while (index < kSpringSlots && table[index].used && !sameSpring(table[index].spring, spring))
        ++index;
    if (index == kSpringSlots) {
        // More distinct springs than table: a deceleration curve is the
        // nearest built-in shape of a well-damped spring.
        return {QEasingCurve(QEasingCurve::OutCubic), durationMs};
    }
    if (!table[index].used) {
        // Normalised so that the curve ends exactly at 1.
        table[index] = {spring, durationMs, springProgress(spring, durationMs / 1000.0), true};
    }
    QEasingCurve curve;
    curve.setCustomType(functions[index]);
    return {curve, durationMs};
}

} // namespace talvoro
