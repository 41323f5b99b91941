#include "look/ui/StyledLabel.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"

#include <QEvent>

namespace talvoro::ui {

StyledLabel::StyledLabel(const QString &text, Style style, QWidget *parent)
    : QLabel(text, parent)
    , m_style(style)
{
    applyStyle();
}

void StyledLabel::setForegroundStyle(Style style)
{
    m_style = style;
    applyStyle();
}

void StyledLabel::setTracking(qreal pixels)
{
    QFont f = font();
    f.setLetterSpacing(QFont::AbsoluteSpacing, pixels);
    setFont(f);
}

void StyledLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyStyle();
}

void StyledLabel::applyStyle()
{
    const bool dark = isDark(this);
    QColor color;
    switch (m_style) {
    case Style::primary: color = primaryColor(dark); break;
    case Style::secondary: color = secondaryColor(dark); break;
    // Text has to read (4.5:1): the platform's tertiary, 25 %, is too faint
    // for that and stays with symbols and rules; quiet text is secondary.
    case Style::tertiary: color = secondaryColor(dark); break;
    case Style::quaternary: color = quaternaryColor(dark); break;
    // The red darkened (lightened in the dark) until it reads on the window,
    // the hardest of the backgrounds a label lies on.
    case Style::destructive: color = withContrast(systemRedColor(dark), windowBackgroundColor(dark), 4.5); break;
    }
    // Disabled (a row that cannot be used now) fades as a disabled button's
    // label does, so it does not look live.
    QColor faded = color;
    faded.setAlphaF(color.alphaF() * 0.5);
    if (palette().color(QPalette::Active, QPalette::WindowText) == color
        && palette().color(QPalette::Disabled, QPalette::WindowText) == faded)
        return;
    m_applying = true;
    QPalette p = palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text}) {
        p.setColor(role, color);
        p.setColor(QPalette::Disabled, role, faded);
    }
    setPalette(p);
    m_applying = false;
}

} // namespace talvoro::ui
