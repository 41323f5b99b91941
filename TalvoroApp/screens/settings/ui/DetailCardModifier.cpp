#include "screens/settings/ui/DetailCardModifier.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "screens/settings/SettingsStyle.h"

#include <QAbstractScrollArea>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGridLayout>
#include <QPainter>
#include <QScrollArea>

#include <cmath>

namespace talvoro::settings {

namespace {

// The card (its fill and soft shadow) as a picture, made once per size and
// appearance: a
// QGraphicsDropShadowEffect on a widget under the content blurred the whole
// card again on every repaint of anything in it (a keystroke's list redraw
// spent most of its time there).
QImage cardPicture(QSize card, qreal pixelRatio, const QColor &fill)
{
    const int margin = int(metrics::detailCardShadowRadius * 2 + std::abs(metrics::detailCardShadowOffsetY)) + 2;
    QImage shape((card + QSize(2 * margin, 2 * margin)) * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    shape.setDevicePixelRatio(pixelRatio);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(continuousRoundedRect(QRectF(QPointF(margin, margin), QSizeF(card)),
                                               metrics::detailCardCornerRadius),
                         fill);
    }
    QGraphicsScene scene;
    auto *item = scene.addPixmap(QPixmap::fromImage(shape));
    auto *shadow = new QGraphicsDropShadowEffect;
    shadow->setColor(QColor::fromRgbF(0, 0, 0, metrics::detailCardShadowOpacity));
    // Qt's blur radius spans the whole fade; the design's radius is about half of it.
    shadow->setBlurRadius(metrics::detailCardShadowRadius * 2);
    shadow->setOffset(0, metrics::detailCardShadowOffsetY);
    item->setGraphicsEffect(shadow);
    QImage picture(shape.size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QRectF area(QPointF(0, 0), QSizeF(shape.size()) / pixelRatio);
    scene.render(&painter, area, area);
    return picture;
}

// The largest card side the picture is made at: its corners and shadow end
// well before its middle, so a larger card is that picture in nine slices
// with the middle row and column stretched. Odd, so the middle is one pixel.
constexpr int kPictureCardSide =
    2 * int(2 * metrics::detailCardCornerRadius + 2 * metrics::detailCardShadowRadius
            + std::abs(metrics::detailCardShadowOffsetY))
    + 1;

// Draws `image` over `target` in nine slices around its centre, the middle
// ones stretched to fill; corners and edges keep their size.
void drawNineSlices(QPainter &painter, const QRectF &target, const QImage &image)
{
    const qreal ratio = image.devicePixelRatio();
    const QSizeF source = QSizeF(image.size()) / ratio;
    const qreal edgeX = std::floor(source.width() / 2);
    const qreal edgeY = std::floor(source.height() / 2);
    const qreal sourceX[] = {0, edgeX, source.width() - edgeX, source.width()};
    const qreal sourceY[] = {0, edgeY, source.height() - edgeY, source.height()};
    const qreal targetX[] = {target.left(), target.left() + edgeX, target.right() - edgeX, target.right()};
    const qreal targetY[] = {target.top(), target.top() + edgeY, target.bottom() - edgeY, target.bottom()};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF from(QPointF(sourceX[column], sourceY[row]) * ratio,
                              QPointF(sourceX[column + 1], sourceY[row + 1]) * ratio);
            const QRectF to(QPointF(targetX[column], targetY[row]), QPointF(targetX[column + 1], targetY[row + 1]));
            if (!from.isEmpty() && !to.isEmpty())
                painter.drawImage(to, image, from);
        }
    }
}

void makeTransparent(QWidget *content)
{
    content->setAutoFillBackground(false);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(content)) {
        area->setFrameShape(QFrame::NoFrame);
        area->viewport()->setAutoFillBackground(false);
        if (auto *scroll = qobject_cast<QScrollArea *>(content); scroll && scroll->widget())
            scroll->widget()->setAutoFillBackground(false);
    }
}

} // namespace

DetailCardModifier::DetailCardModifier(QWidget *content, QWidget *parent)
    : QWidget(parent)
    , m_surface(new QWidget(this))
    , m_content(content)
{
    setObjectName(QStringLiteral("detailCard"));
    // Only holds the card's place; this widget paints the card under it.
    m_surface->setObjectName(QStringLiteral("detailCardSurface"));
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(metrics::detailCardMargins);
    layout->setSpacing(0);
    layout->addWidget(m_surface, 0, 0);
    content->setParent(this);
    makeTransparent(content);
    layout->addWidget(content, 0, 0);
    content->raise();
}

QRect DetailCardModifier::cardGeometry() const
{
    return m_surface->geometry();
}

void DetailCardModifier::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool dark = ui::isDark(this);
    painter.fillRect(rect(), windowBackgroundColor(dark));
    const QRect card = cardGeometry();
    if (card.isEmpty())
        return;
    const QColor fill = textBackgroundColor(dark);
    // Blurring only a small card keeps the first frame and every resize cheap.
    const QSize pictured = card.size().boundedTo(QSize(kPictureCardSide, kPictureCardSide));
    if (m_card.isNull() || m_cardSize != pictured || m_cardFill != fill
        || m_card.devicePixelRatio() != devicePixelRatioF()) {
        m_card = cardPicture(pictured, devicePixelRatioF(), fill);
        m_cardSize = pictured;
        m_cardFill = fill;
    }
    const QSizeF margins = (QSizeF(m_card.size()) / m_card.devicePixelRatio() - QSizeF(pictured)) / 2;
    drawNineSlices(painter, QRectF(card).marginsAdded(QMarginsF(margins.width(), margins.height(), margins.width(),
                                                                margins.height())),
                   m_card);
}

} // namespace talvoro::settings
