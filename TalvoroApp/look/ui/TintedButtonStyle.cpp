#include "look/ui/TintedButtonStyle.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>

namespace talvoro::ui {

namespace {

constexpr qreal kSmallFontSize = 12; // small control size
constexpr qreal kRadius = 5;
constexpr qreal kWashOpacity = 0.15;

QColor over(const QColor &top, qreal opacity, const QColor &bottom)
{
    return QColor::fromRgbF(top.redF() * opacity + bottom.redF() * (1 - opacity),
                            top.greenF() * opacity + bottom.greenF() * (1 - opacity),
                            top.blueF() * opacity + bottom.blueF() * (1 - opacity));
}

// Draws the button in place of the style (Fusion lightens and pales a
// palette's button colour, so a palette cannot give an accent fill).
class TintedPainter : public QObject
{
public:
    TintedPainter(QPushButton *button, TintedButtonStyle style, bool followsAppearance)
        : QObject(button)
        , m_button(button)
        , m_style(style)
        , m_followsAppearance(followsAppearance)
    {
        button->installEventFilter(this);
        if (followsAppearance)
            setTint(AccentColorOption().color(isDark(button)));
    }

    void setTint(const QColor &tint)
    {
        m_tint = tint;
        m_button->update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_button)
            return false;
        if (event->type() == QEvent::PaletteChange && m_followsAppearance)
            setTint(AccentColorOption().color(isDark(m_button)));
        if (event->type() != QEvent::Paint)
            return false;
        paint();
        return true;
    }

private:
    void paint()
    {
        const QColor background = m_button->palette().color(QPalette::Window);
        const bool prominent = m_style == TintedButtonStyle::prominent;
        QColor fill = prominent ? m_tint : over(m_tint, kWashOpacity, background);
        QColor text = prominent ? QColor(Qt::white) : m_tint;
        if (m_button->isDown())
            fill = fill.darker(112);
        if (!m_button->isEnabled()) {
            fill = over(fill, 0.45, background);
            text = over(text, 0.6, fill);
        }
        QPainter painter(m_button);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(m_button->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(frame, kRadius, kRadius);
        if (m_button->hasFocus() && m_button->window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
            painter.setPen(QPen(prominent ? m_tint.darker(150) : m_tint, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), kRadius, kRadius);
        }
        painter.setPen(text);
        painter.setFont(m_button->font());
        painter.drawText(m_button->rect(), Qt::AlignCenter | Qt::TextShowMnemonic, m_button->text());
    }

    QPushButton *m_button;
    TintedButtonStyle m_style;
    bool m_followsAppearance;
    QColor m_tint;
};

} // namespace

void applyTintedButtonStyle(QPushButton *button, TintedButtonStyle style, UserDefaultsProviding *defaults)
{
    button->setFont(systemFont(kSmallFontSize, style == TintedButtonStyle::prominent ? QFont::Medium : QFont::Normal));
    auto *painter = new TintedPainter(button, style, !defaults);
    if (defaults)
        AccentBinding::bind(button, [painter](const QColor &tint) { painter->setTint(tint); }, *defaults);
}

} // namespace talvoro::ui
