#include "screens/home-history-stats/ui/TranscriptLines.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace talvoro::history {

void drawTranscriptLines(QPainter *painter, const QString &text, const QFont &font, const QPointF &origin, qreal width,
                         int lines)
{
    const QFontMetricsF metrics(font);
    // Only what can show is laid out: a transcript runs to thousands of
    // characters, and laying out (and eliding) all of it for two lines made
    // every painted row cost a millisecond. Enough for the lines at a narrow
    // glyph's width is kept, so a cut text still ends with an ellipsis.
    const qsizetype shown = qsizetype(lines * width / std::max(1.0, metrics.averageCharWidth() / 3)) + 16;
    const bool cut = text.size() > shown;
    QString flat = cut ? text.left(shown) : text;
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const bool last = i == lines - 1;
        const bool more = cut || line.textStart() + line.textLength() < flat.size();
        if (last && more) {
            const QString rest = flat.mid(line.textStart()).replace(QChar::LineSeparator, QLatin1Char(' '));
            painter->setFont(font);
            painter->drawText(QPointF(origin.x(), origin.y() + y + metrics.ascent()),
                              metrics.elidedText(rest, Qt::ElideRight, width));
            break;
        }
        line.setPosition(QPointF(0, y));
        y += metrics.lineSpacing();
    }
    layout.endLayout();
    // Draw the laid-out lines (all but an elided last one).
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (i == lines - 1 && (cut || line.textStart() + line.textLength() < flat.size()))
            break;
        line.draw(painter, origin);
    }
}

} // namespace talvoro::history
