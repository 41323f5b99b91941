#include "screens/settings/ui/CardContainer.h"

#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/UsageBlockView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace talvoro::settings {

SettingsCardView *cardContainer(QWidget *content, QWidget *parent)
{
    return cardContainer(QList<QWidget *>{content}, parent);
}

SettingsCardView *cardContainer(const QList<QWidget *> &content, QWidget *parent)
{
    auto *card = new SettingsCardView(parent);
    for (QWidget *widget : content)
        card->addWidget(widget);
    return card;
}

SettingsCardView *statsDetailViewCard(const QList<QWidget *> &summary, QWidget *parent)
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("statsSummaryRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, metrics::statsDetailVerticalPadding, 0, metrics::statsDetailVerticalPadding);
    layout->setSpacing(0);
    for (QWidget *item : summary)
        layout->addWidget(item, 1, Qt::AlignVCenter);
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return cardContainer(row, parent);
}

SettingsCardView *statsQuickCard(QWidget *content, QWidget *parent)
{
    return cardContainer(content, parent);
}

UsageBlockView *weeklyUsageCard(const QString &symbol, const QString &title, double fraction, const QColor &barColor,
                                const QString &countText, UserDefaultsProviding &defaults, QWidget *parent)
{
    return new UsageBlockView(symbol, title, fraction, barColor, countText, defaults, parent);
}

} // namespace talvoro::settings
