#pragma once

#include <QColor>
#include <QString>

class QPainter;
class QRectF;

// Stand-in until the drawing kit lands.
namespace talvoro::ui {
qreal symbolPixelSize(qreal fontPixelSize);
void paintSymbol(QPainter &painter, const QRectF &rect, const QString &name, const QColor &color, qreal pixelSize);
} // namespace talvoro::ui
