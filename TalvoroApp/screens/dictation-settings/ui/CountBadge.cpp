#include "screens/dictation-settings/ui/CountBadge.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "screens/settings/ui/SettingsRowBase.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace talvoro::dictationsettings {

namespace {
constexpr int kHorizontalPadding = 8;
constexpr int kVerticalPadding = 3;
constexpr qreal kBackgroundOpacity = 0.08;
constexpr int kChevronSpacing = 8;
} // namespace

CountBadge::CountBadge(UserDefaultsProviding &defaults, QWidget *parent)
    : QLabel(parent)
{
    setFont(appHelperFont());
    setAlignment(Qt::AlignCenter);
    setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding, kVerticalPadding);
    ui::AccentBinding::bind(this, [this](const QColor &color) {
        m_accent = color;
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, color);
        setPalette(palette);
        update();
    }, defaults);
}

QSize CountBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kHorizontalPadding, metrics.height() + 2 * kVerticalPadding};
}

void CountBadge::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_accent;
        fill.setAlphaF(kBackgroundOpacity);
        const QRectF capsule = QRectF(rect());
        const qreal radius = capsule.height() / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(capsule, radius, radius);
    }
    QLabel::paintEvent(event);
}

QWidget *makeCountBadgeWithChevron(CountBadge *badge, QWidget *parent)
{
    auto *trailing = new QWidget(parent);
    auto *layout = new QHBoxLayout(trailing);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kChevronSpacing);
    badge->setParent(trailing);
    layout->addWidget(badge, 0, Qt::AlignVCenter);
    layout->addWidget(settings::makeChevron(trailing), 0, Qt::AlignVCenter);
    return trailing;
}

} // namespace talvoro::dictationsettings
