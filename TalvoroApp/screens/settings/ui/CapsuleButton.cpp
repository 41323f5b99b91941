#include "screens/settings/ui/CapsuleButton.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Symbols.h"
#include "platform/PlainTextClipboard.h"
#include "screens/settings/CopyConfirmation.h"
#include "texts/Localization.h"

#include <QPainter>

namespace talvoro::settings {

namespace {
constexpr int kHorizontalPadding = 14;
constexpr int kVerticalPadding = 8;
constexpr int kSymbolSpacing = 6;
constexpr qreal kBackgroundOpacity = 0.08;

QFont capsuleFont()
{
    QFont font = appHelperFont();
    font.setWeight(QFont::DemiBold);
    return font;
}

int symbolSize()
{
    return qRound(ui::symbolPixelSize(appHelperFont().pixelSize()));
}
} // namespace

CapsuleButton::CapsuleButton(const QString &symbol, const QString &title, UserDefaultsProviding &defaults,
                             QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    setText(title);
    setFont(capsuleFont());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ui::AccentBinding::bind(this, [this](const QColor &color) {
        m_accent = color;
        update();
    }, defaults);
}

void CapsuleButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

QSize CapsuleButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = symbolSize() + kSymbolSpacing + metrics.horizontalAdvance(text());
    const int height = qMax(metrics.height(), symbolSize());
    return {width + 2 * kHorizontalPadding, height + 2 * kVerticalPadding};
}

void CapsuleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QColor background = m_accent;
    background.setAlphaF(float(kBackgroundOpacity * (isDown() ? 2 : 1)));
    const qreal radius = bounds.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(bounds, radius, radius);
    if (hasFocus()) {
        painter.setPen(QPen(m_accent, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }

    const QRectF content = bounds.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding);
    const QRectF symbolRect(content.left(), content.center().y() - symbolSize() / 2.0, symbolSize(), symbolSize());
    ui::paintSymbol(painter, symbolRect, m_symbol, m_accent, symbolSize());
    painter.setPen(m_accent);
    painter.setFont(font());
    painter.drawText(content.adjusted(symbolSize() + kSymbolSpacing, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

CopyButton::CopyButton(std::function<QString()> text, UserDefaultsProviding &defaults, QWidget *parent)
    : CapsuleButton(QStringLiteral("doc.on.doc"), localized("Copiar"), defaults, parent)
    , m_text(std::move(text))
    , m_confirmation(new CopyConfirmation(this))
{
    setObjectName(QStringLiteral("copyButton"));
    connect(this, &QAbstractButton::clicked, this, [this] {
        copyPlainText(m_text ? m_text() : QString());
        m_confirmation->confirm();
    });
    connect(m_confirmation, &CopyConfirmation::shownChanged, this, &CopyButton::showConfirmation);
}

void CopyButton::showConfirmation(bool shown)
{
    setSymbol(shown ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc"));
    setText(shown ? localized("Copiado!") : localized("Copiar"));
    updateGeometry();
}

} // namespace talvoro::settings
