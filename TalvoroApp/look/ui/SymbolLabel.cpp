#include "look/ui/SymbolLabel.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/Symbols.h"

#include <QPainter>

namespace talvoro::ui {

SymbolLabel::SymbolLabel(const QString &symbol, int pixelSize, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_pixelSize(pixelSize)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolLabel::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolLabel::setTint(Tint tint)
{
    m_tint = tint;
    update();
}

QColor SymbolLabel::color() const
{
    if (m_color.isValid())
        return m_color;
    const bool dark = isDark(this);
    switch (m_tint) {
    case Tint::text: break;
    case Tint::secondary: return secondaryColor(dark);
    case Tint::tertiary: return tertiaryColor(dark);
    case Tint::quaternary: return quaternaryColor(dark);
    }
    return palette().color(QPalette::WindowText);
}

void SymbolLabel::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void SymbolLabel::bindAccent(UserDefaultsProviding &defaults)
{
    AccentBinding::bind(this, [this](const QColor &color) { setColor(color); }, defaults);
}

void SymbolLabel::setPixelSize(int pixelSize)
{
    if (pixelSize == m_pixelSize)
        return;
    m_pixelSize = pixelSize;
    updateGeometry();
    update();
}

QSize SymbolLabel::sizeHint() const
{
    return {m_pixelSize, m_pixelSize};
}

QSize SymbolLabel::minimumSizeHint() const
{
    return sizeHint();
}

void SymbolLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    paintSymbol(painter, QRectF(rect()), m_symbol, color(), m_pixelSize);
}

} // namespace talvoro::ui
