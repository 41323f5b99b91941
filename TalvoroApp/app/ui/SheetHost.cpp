#include "app/ui/SheetHost.h"

#include "app/ShellAnimations.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusTrap.h"
#include "app/ui/ScreenRegistry.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr double kCornerRadius = 30.0;
// The frame's shadow: black 14 %, Qt blur radius 48, 10 px down.
constexpr qreal kShadowOpacity = 0.14;
constexpr qreal kShadowBlur = 48;
constexpr int kShadowOffsetY = 10;
constexpr int kShadowMargin = int(kShadowBlur) + kShadowOffsetY + 2;

QPainterPath frameShape(QSizeF size)
{
    return talvoro::continuousRoundedRect(QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius);
}
// The sheet rises by this much while it appears.
constexpr int kRiseDistance = 24;

// The rounded window-coloured surface every settings sheet sits on.
class SheetFrame : public QWidget
{
public:
    explicit SheetFrame(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("sheet.frame"));
        setAttribute(Qt::WA_NoMousePropagation);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool dark = talvoro::ui::isDark(this);
        const QPainterPath shape = frameShape(size());
        painter.fillPath(shape, talvoro::windowBackgroundColor(dark));
        painter.setPen(QPen(talvoro::primaryColor(dark, 0.06), 1.0));
        painter.drawPath(shape);
    }
};

} // namespace

SheetHost::SheetHost(const ScreenRegistry &registry, const ScreenContext &context, QWidget *parent)
    : QWidget(parent)
    , m_registry(registry)
    , m_context(context)
{
    setObjectName(QStringLiteral("sheet.backdrop"));
    m_frame = new SheetFrame(this);
    // Takes the focus while a sheet is up, so Esc reaches it from anywhere inside.
    setFocusPolicy(Qt::StrongFocus);
    new talvoro::ui::FocusTrap(this);

    connect(&m_context.window, &MainWindowModel::activeSettingsModalChanged, this, &SheetHost::showModal);
    connect(&m_context.window, &MainWindowModel::sheetSizeChanged, this, &SheetHost::placeFrame);
    hide();
    showModal(MainWindowModel::Animation::none);
}

void SheetHost::showModal(MainWindowModel::Animation animation)
{
    const std::optional<SettingsModal> modal = m_context.window.activeSettingsModal();
    if (modal == m_shown)
        return;
    if (m_animation)
        m_animation->stop();
    const bool wasShown = m_shown.has_value();
    m_shown = modal;
    const bool animated = animation != MainWindowModel::Animation::none
        && talvoro::shellAnimationsEnabled() && parentWidget() && parentWidget()->isVisible();

    if (!modal) {
        if (animated) {
            animate(false);
        } else {
            discardContent();
            hide();
        }
        return;
    }
    discardContent();
    m_content = m_registry.buildSheet(*modal, m_context);
    m_frame->layout()->addWidget(m_content);
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    show();
    raise();
    setFocus();
    if (m_content->focusPolicy() != Qt::NoFocus)
        m_content->setFocus();
    if (wasShown || !animated) {
        m_presence = 1.0;
        placeFrame();
        update();
    } else {
        animate(true);
    }
}

void SheetHost::discardContent()
{
    // Later, not now: the sheet usually closes from a click inside it.
    if (m_content) {
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
    }
    m_content = nullptr;
}

void SheetHost::animate(bool appearing)
{
    QVariantAnimation *animation = talvoro::makeSpringAnimation(talvoro::navigationAnimation(), this);
    const double from = m_presence;
    const double to = appearing ? 1.0 : 0.0;
    connect(animation, &QVariantAnimation::valueChanged, this, [this, from, to](const QVariant &value) {
        m_presence = from + (to - from) * value.toDouble();
        placeFrame();
        update();
    });
    if (!appearing) {
        connect(animation, &QVariantAnimation::finished, this, [this] {
            if (m_shown)
                return;
            discardContent();
            hide();
        });
    }
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void SheetHost::placeFrame()
{
    const QSize size = m_context.window.sheetSize();
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(rect().center());
    frame.translate(0, int((1.0 - m_presence) * kRiseDistance));
    if (frame == m_frame->geometry())
        return;
    m_frame->setGeometry(frame);
    update(); // the shadow around it
}

const QImage &SheetHost::shadowPicture()
{
    // A QGraphicsDropShadowEffect on the live frame blurred the whole sheet
    // again for every repaint inside it (each accent chosen, each frame of
    // a swatch's animation): the shadow is drawn from this picture instead.
    const QSize frame = m_frame->size();
    const qreal ratio = devicePixelRatioF();
    const bool dark = talvoro::ui::isDark(this);
    const QSize size = (frame + QSize(2 * kShadowMargin, 2 * kShadowMargin)) * ratio;
    if (m_shadow.size() == size && m_shadow.devicePixelRatio() == ratio && m_shadowDark == dark)
        return m_shadow;
    QImage shape(size, QImage::Format_ARGB32_Premultiplied);
    shape.setDevicePixelRatio(ratio);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(kShadowMargin, kShadowMargin);
        painter.fillPath(frameShape(frame), talvoro::windowBackgroundColor(dark));
    }
    QGraphicsScene scene;
    QGraphicsPixmapItem *item = scene.addPixmap(QPixmap::fromImage(shape));
    auto *shadow = new QGraphicsDropShadowEffect;
    shadow->setColor(QColor::fromRgbF(0, 0, 0, kShadowOpacity));
    shadow->setBlurRadius(kShadowBlur);
    shadow->setOffset(0, kShadowOffsetY);
    item->setGraphicsEffect(shadow);
    m_shadow = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_shadow.setDevicePixelRatio(ratio);
    m_shadow.fill(Qt::transparent);
    QPainter painter(&m_shadow);
    const QRectF area(QPointF(0, 0), QSizeF(size) / ratio);
    scene.render(&painter, area, area);
    m_shadowDark = dark;
    return m_shadow;
}

void SheetHost::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool dark = talvoro::ui::isDark(this);
    painter.fillRect(rect(), QColor(0, 0, 0, int((dark ? 0.45 : 0.22) * 255 * std::clamp(m_presence, 0.0, 1.0))));
    if (m_frame->isVisible() && !m_frame->size().isEmpty())
        painter.drawImage(m_frame->pos() - QPoint(kShadowMargin, kShadowMargin), shadowPicture());
}

void SheetHost::mousePressEvent(QMouseEvent *event)
{
    if (!m_frame->geometry().contains(event->position().toPoint()))
        m_context.window.closeSettingsModal();
    event->accept();
}

void SheetHost::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_context.window.closeSettingsModal();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SheetHost::resizeEvent(QResizeEvent *)
{
    placeFrame();
}

bool SheetHost::focusNextPrevChild(bool next)
{
    // While hiding, the focus leaves the sheet the usual way.
    return isVisible() ? talvoro::ui::FocusTrap::cycle(this, next) : QWidget::focusNextPrevChild(next);
}
