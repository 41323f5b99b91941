#include "screens/onboarding-account/AvatarInitials.h"

#include <QTextBoundaryFinder>

namespace talvoro {

namespace {

QString firstCharacter(const QString &word)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word);
    const qsizetype end = finder.toNextBoundary();
    return end > 0 ? word.first(end) : word;
}

} // namespace

QString avatarInitials(const QString &name, bool portuguese)
{
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString initials;
    for (qsizetype i = 0; i < words.size() && i < 2; ++i)
        initials += firstCharacter(words.at(i));
    return textLocale(portuguese).toUpper(initials);
}

qint64 avatarNameHash(const QString &name)
{
    quint64 hash = 0;
    for (const uint scalar : name.toUcs4())
        hash = hash * 31u + scalar;
    return static_cast<qint64>(hash);
}

int avatarColorIndexForHash(qint64 hash)
{
    const quint64 bits = static_cast<quint64>(hash);
    const quint64 magnitude = hash < 0 ? quint64(0) - bits : bits;
    return static_cast<int>(magnitude % kAvatarPaletteSize);
}

const std::array<QColor, kAvatarPaletteSize> &avatarInitialsPalette()
{
    // The system's standard colours in their light appearance.
    static const std::array<QColor, kAvatarPaletteSize> palette{
        QColor(0, 122, 255),   // blue
        QColor(175, 82, 222),  // purple
        QColor(255, 45, 85),   // pink
        QColor(255, 149, 0),   // orange
        QColor(48, 176, 199),  // teal
        QColor(88, 86, 214),   // indigo
        QColor(0, 199, 190),   // mint
        QColor(50, 173, 230),  // cyan
    };
    return palette;
}

AvatarGradientColors avatarGradientColors(const QColor &color)
{
    // A fifth of the way towards white at the top.
    const auto mix = [](int channel) { return channel + (255 - channel) / 5; };
    const QColor top(mix(color.red()), mix(color.green()), mix(color.blue()), color.alpha());
    return {top, color};
}

} // namespace talvoro
