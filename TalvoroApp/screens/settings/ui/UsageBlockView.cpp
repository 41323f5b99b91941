#include "screens/settings/ui/UsageBlockView.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "screens/settings/SettingsStyle.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace talvoro::settings {

class UsageBar : public QWidget
{
public:
    explicit UsageBar(UsageBlockView *block)
        : QWidget(block)
        , m_block(block)
    {
        setObjectName(QStringLiteral("usageBar"));
        setFixedHeight(metrics::usageBarHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF track(rect());
        const qreal r = metrics::usageBarCornerRadius;
        painter.fillPath(continuousRoundedRect(track, r), primaryColor(ui::isDark(this), metrics::usageTrackOpacity));
        const qreal fill = usageBarFillWidth(m_block->fraction(), track.width());
        if (fill > 0) {
            const QRectF used(track.left(), track.top(), fill, track.height());
            painter.fillPath(continuousRoundedRect(used, r), m_block->effectiveBarColor());
        }
    }

private:
    UsageBlockView *m_block;
};

UsageBlockView::UsageBlockView(const QString &symbol, const QString &title, double fraction, const QColor &barColor,
                               const QString &countText, UserDefaultsProviding &defaults, QWidget *parent)
    : SettingsCardView(parent)
    , m_symbol(new ui::SymbolLabel(symbol, qRound(ui::symbolPixelSize(appRowFont().pixelSize())), this))
    , m_title(new ui::StyledLabel(title, ui::StyledLabel::Style::primary, this))
    , m_count(new ui::StyledLabel(countText, ui::StyledLabel::Style::secondary, this))
    , m_fraction(fraction)
    , m_barColor(barColor)
{
    setObjectName(QStringLiteral("usageBlock"));
    m_bar = new UsageBar(this);
    m_symbol->setObjectName(QStringLiteral("usageSymbol"));
    m_title->setObjectName(QStringLiteral("usageTitle"));
    m_count->setObjectName(QStringLiteral("usageCount"));
    m_title->setFont(systemFont(appRowFont().pixelSize(), QFont::DemiBold));
    m_count->setFont(appHelperFont());
    m_symbol->bindAccent(defaults);
    // The bar follows the accent too (when it has no colour of its own).
    connect(&defaults, &UserDefaultsProviding::changed, m_bar, qOverload<>(&QWidget::update));

    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(metrics::usageBlockMargins);
    layout->setSpacing(metrics::usageBlockSpacing);
    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    header->addWidget(m_symbol);
    header->addWidget(m_title);
    header->addStretch(1);
    layout->addLayout(header);
    layout->addWidget(m_bar);
    layout->addWidget(m_count);
    layout->addStretch(1);
    // The minimum is the column's own; the padding comes on top of it.
    column->setMinimumHeight(metrics::usageBlockMinimumHeight + metrics::usageBlockMargins.top()
                             + metrics::usageBlockMargins.bottom());
    addWidget(column);
}

void UsageBlockView::setSymbol(const QString &symbol) { m_symbol->setSymbol(symbol); }
void UsageBlockView::setTitle(const QString &title) { m_title->setText(title); }
void UsageBlockView::setCountText(const QString &countText) { m_count->setText(countText); }
QLabel *UsageBlockView::titleLabel() const { return m_title; }
QLabel *UsageBlockView::countLabel() const { return m_count; }

void UsageBlockView::setFraction(double fraction)
{
    m_fraction = fraction;
    m_bar->update();
}

void UsageBlockView::setBarColor(const QColor &barColor)
{
    m_barColor = barColor;
    m_bar->update();
}

QColor UsageBlockView::effectiveBarColor() const
{
    return m_barColor.isValid() ? m_barColor : m_symbol->color();
}

} // namespace talvoro::settings
