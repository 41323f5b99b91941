#include "screens/home-history-stats/ui/WeeklyUsageCard.h"

#include "account/AuthManager.h"
#include "look/ui/Appearance.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/home-history-stats/HomeDashboard.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/UsageBlockView.h"
#include "texts/Localization.h"

#include <QEvent>
#include <QHBoxLayout>

namespace talvoro::home {

using settings::UsageBlockView;

WeeklyUsageCard::WeeklyUsageCard(AuthManager *auth, UserDefaultsProviding &defaults, QWidget *parent)
    : QWidget(parent)
    , m_auth(auth)
    , m_defaults(defaults)
{
    setObjectName(QStringLiteral("weeklyUsageCard"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(settings::metrics::usageCardSpacing);
    m_weekly = settings::weeklyUsageCard(QStringLiteral("chart.bar.fill"), localized("Uso Semanal"), 0, {}, {},
                                         defaults, this);
    m_weekly->setObjectName(QStringLiteral("weeklyUsageBlock"));
    m_hourly = settings::weeklyUsageCard(QStringLiteral("clock.fill"), QString(), 0, {}, {}, defaults, this);
    m_hourly->setObjectName(QStringLiteral("hourlyUsageBlock"));
    row->addWidget(m_weekly, 1, Qt::AlignTop);
    row->addWidget(m_hourly, 1, Qt::AlignTop);

    connect(&defaults, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (isUsageKey(key))
            refresh();
    });
    if (auth)
        connect(auth, &AuthManager::isAuthenticatedChanged, this, &WeeklyUsageCard::refreshVisibility);
    refresh();
    refreshVisibility();
}

void WeeklyUsageCard::refresh()
{
    const bool portuguese = isPortuguese();
    const bool dark = ui::isDark(this);
    const UsageCounters counters = UsageCounters::load(m_defaults);
    const auto apply = [dark](UsageBlockView *block, const UsageBlockFigures &figures) {
        block->setFraction(figures.fraction);
        block->setBarColor(usageBarColor(figures.fraction, dark));
        block->setCountText(figures.countText);
    };
    apply(m_weekly, weeklyUsageFigures(counters, portuguese));
    apply(m_hourly, hourlyUsageFigures(counters, portuguese));
    m_hourly->setTitle(hourlyUsageTitle(portuguese));
}

void WeeklyUsageCard::refreshVisibility()
{
    const bool signedIn = m_auth && m_auth->isAuthenticated();
    // Showing a widget without a parent would open it as a window.
    if (parentWidget() || !signedIn)
        setVisible(signedIn);
}

void WeeklyUsageCard::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The warning colours have their own light and dark shades.
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

} // namespace talvoro::home
