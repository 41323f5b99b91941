#pragma once

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

namespace talvoro::history {

// Lays `text` out in at most `lines` lines of `width` from `origin`, the
// last one elided; line breaks in the text are kept.
void drawTranscriptLines(QPainter *painter, const QString &text, const QFont &font, const QPointF &origin, qreal width,
                         int lines);

} // namespace talvoro::history
