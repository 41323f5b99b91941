#include "screens/settings/ui/DetailCardModifier.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "screens/settings/SettingsStyle.h"

#include <QAbstractScrollArea>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QPainter>
#include <QScrollArea>

namespace talvoro::settings {

namespace {

// The card itself: only the rounded fill, with the shadow effect. The
// content lies on top of it in the same place, so the shadow never has to
// render the content.
class DetailCardSurface : public QWidget
{
public:
    explicit DetailCardSurface(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("detailCardSurface"));
        auto *shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(QColor::fromRgbF(0, 0, 0, metrics::detailCardShadowOpacity));
        // Qt's blur radius spans the whole fade; the design's radius is
        // about half of it.
        shadow->setBlurRadius(metrics::detailCardShadowRadius * 2);
        shadow->setOffset(0, metrics::detailCardShadowOffsetY);
        setGraphicsEffect(shadow);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(continuousRoundedRect(QRectF(rect()), metrics::detailCardCornerRadius),
                         textBackgroundColor(ui::isDark(this)));
    }
};

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
    , m_surface(new DetailCardSurface(this))
    , m_content(content)
{
    setObjectName(QStringLiteral("detailCard"));
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
    painter.fillRect(rect(), windowBackgroundColor(ui::isDark(this)));
}

} // namespace talvoro::settings
