#include "look/ui/ActionButton.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/FocusRing.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "look/ui/SymbolLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace talvoro::ui {

namespace {
constexpr int kHeight = 30; // large control size
constexpr int kHorizontalPadding = 14;
constexpr int kRadius = 7;
constexpr qreal kFontSize = 14;
} // namespace

ActionButton::ActionButton(const QString &text, Style style, QWidget *parent)
    : QAbstractButton(parent)
    , m_style(style)
    , m_symbol(new SymbolLabel(QString(), qRound(1.25 * kFontSize)))
    , m_spinner(new Spinner(14))
    , m_label(new QLabel(text))
    , m_content(new QWidget(this))
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_label->setFont(systemFont(kFontSize, style == Style::prominent ? QFont::Medium : QFont::Normal));
    m_label->setTextFormat(Qt::PlainText);
    auto *row = new QHBoxLayout(m_content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addStretch();
    row->addWidget(m_spinner);
    row->addWidget(m_symbol);
    row->addWidget(m_label);
    row->addStretch();
    m_content->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_symbol->hide();
    m_spinner->hide();
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(style == Style::borderless ? 4 : kHorizontalPadding, 0,
                              style == Style::borderless ? 4 : kHorizontalPadding, 0);
    outer->addWidget(m_content, 0, Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    updateColors();
}

void ActionButton::setCaption(const QString &text)
{
    setText(text);
    updateContent();
}

void ActionButton::setSymbol(const QString &symbol)
{
    m_symbol->setSymbol(symbol);
    updateContent();
}

void ActionButton::bindAccent(UserDefaultsProviding &defaults)
{
    AccentBinding::bind(
        this,
        [this](const QColor &color) {
            m_tint = color;
            updateColors();
        },
        defaults);
}

void ActionButton::setTint(const QColor &color)
{
    m_tint = color;
    updateColors();
}

void ActionButton::setLabelWidth(int width)
{
    m_content->setFixedWidth(width);
    updateGeometry();
}

void ActionButton::setLabelVerticalPadding(int padding)
{
    m_content->setContentsMargins(0, padding, 0, padding);
    updateGeometry();
}

void ActionButton::setBusy(bool busy, const QString &busyText)
{
    m_busy = busy;
    m_busyText = busyText;
    updateContent();
}

QString ActionButton::shownText() const
{
    return m_label->text();
}

void ActionButton::updateContent()
{
    m_label->setText(m_busy ? m_busyText : text());
    m_spinner->setVisible(m_busy);
    m_symbol->setVisible(!m_busy && !m_symbol->symbol().isEmpty());
    updateGeometry();
}

QSize ActionButton::sizeHint() const
{
    const QSize content = layout()->sizeHint();
    return {content.width(), std::max(kHeight, content.height())};
}

QSize ActionButton::minimumSizeHint() const
{
    return sizeHint();
}

void ActionButton::updateColors()
{
    const bool dark = isDark(this);
    QColor foreground;
    switch (m_style) {
    case Style::prominent:
        foreground = foregroundOnSurface(prominentFill(dark));
        break;
    case Style::bordered:
        foreground = primaryColor(dark);
        break;
    case Style::borderless:
        foreground = secondaryColor(dark);
        break;
    }
    if (!isEnabled())
        foreground.setAlphaF(foreground.alphaF() * 0.5);
    QPalette palette = m_label->palette();
    // Children of a button take ButtonText as their foreground role.
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, foreground);
    m_label->setPalette(palette);
    m_spinner->setPalette(palette);
    m_symbol->setColor(foreground);
    update();
}

void ActionButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        updateColors();
}

QColor ActionButton::prominentFill(bool dark) const
{
    return accentSurfaceColor(m_tint.isValid() ? m_tint : AccentColorOption().color(dark));
}

void ActionButton::keyPressEvent(QKeyEvent *event)
{
    // Return and Enter press a focused button as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()
        && !(event->modifiers() & ~Qt::KeypadModifier)) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ActionButton::paintEvent(QPaintEvent *)
{
    const bool focusShown = showsFocusRing(this);
    if (m_style == Style::borderless && !focusShown)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = isDark(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill;
    switch (m_style) {
    case Style::prominent:
        fill = prominentFill(dark);
        if (isDown())
            fill = fill.darker(115);
        if (!isEnabled())
            fill.setAlphaF(0.45);
        break;
    case Style::bordered:
        fill = primaryColor(dark, isDown() ? 0.16 : 0.08);
        break;
    case Style::borderless:
        fill = Qt::transparent;
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, kRadius, kRadius);
    if (focusShown) {
        // A ring in the label's colour just inside the edge: it contrasts with
        // the fill as the label does, whatever the accent and the appearance,
        // and a rim of fill keeps it apart from the background.
        const QColor ring = focusRingColor(dark, m_style == Style::prominent ? std::optional(fill) : std::nullopt);
        paintFocusRing(painter, frame, kRadius, ring, 1.5);
    }
}

} // namespace talvoro::ui
