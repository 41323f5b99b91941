#include "app/ui/Symbols.h"

#include <QFont>
#include <QPainter>

namespace talvoro::ui {
qreal symbolPixelSize(qreal fontPixelSize) { return fontPixelSize * 1.25; }
void paintSymbol(QPainter &painter, const QRectF &rect, const QString &, const QColor &color, qreal pixelSize)
{
    QFont font(QStringLiteral("Material Icons"));
    font.setPixelSize(int(pixelSize));
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, QString(QChar(0xe7fd)));
    painter.restore();
}
} // namespace talvoro::ui
