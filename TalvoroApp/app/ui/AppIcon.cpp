#include "app/ui/AppIcon.h"

#include "look/ui/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace talvoro {

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, s, s).adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04),
                        s * 0.22, s * 0.22);
    painter.fillPath(tile, QColor(0x0A, 0x84, 0xFF));

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    // Capsule of the microphone.
    const QRectF capsule(s * 0.38, s * 0.18, s * 0.24, s * 0.40);
    painter.drawRoundedRect(capsule, s * 0.12, s * 0.12);
    // Yoke and stand.
    QPen pen(Qt::white, std::max(1.0, s * 0.06), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(s * 0.28, s * 0.28, s * 0.44, s * 0.40), 200 * 16, 140 * 16);
    painter.drawLine(QPointF(s * 0.5, s * 0.69), QPointF(s * 0.5, s * 0.80));
    painter.drawLine(QPointF(s * 0.38, s * 0.80), QPointF(s * 0.62, s * 0.80));
    return pixmap;
}

} // namespace

QIcon appIcon()
{
    // Each size is drawn when something first shows it.
    static const QIcon icon = ui::drawnIcon([](int side, QIcon::State) { return drawIcon(side); },
                                            {16, 22, 24, 32, 48, 64, 128, 256});
    return icon;
}

} // namespace talvoro
