#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QRawFont>
#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <span>

class QPainter;
class QRectF;

Q_DECLARE_LOGGING_CATEGORY(lcSymbols)

// Symbols by the names the screens use ("doc.on.doc", "chevron.right", ...),
// drawn from the Material Icons font through one table.
namespace talvoro::ui {

struct SymbolGlyph
{
    const char *name;     // the symbol name screens ask for
    const char *material; // the Material Icons glyph standing for it
    char16_t codepoint;   // that glyph's code point
};

std::span<const SymbolGlyph> symbolTable();
std::optional<char16_t> symbolCodepoint(QStringView name);

// The icon font at a pixel size; invalid when the font is missing.
QRawFont symbolRawFont(qreal pixelSize);
// The glyph size that matches text of the given pixel size.
qreal symbolPixelSize(qreal fontPixelSize);

// Draws the symbol centred in rect. A name without a glyph draws a neutral
// placeholder and is logged once.
void paintSymbol(QPainter &painter, const QRectF &rect, const QString &name, const QColor &color, qreal pixelSize);
QPixmap symbolPixmap(const QString &name, const QColor &color, int pixelSize, qreal devicePixelRatio = 1.0);
QIcon symbolIcon(const QString &name, const QColor &color, int pixelSize);

// An icon drawn only when a size of it is first shown: `draw` makes the
// square pixmap of a side in device pixels, for the icon's off or on state.
// `sides` are the sizes it lists as available.
QIcon drawnIcon(std::function<QPixmap(int side, QIcon::State state)> draw, QList<int> sides);

} // namespace talvoro::ui
