#include "screens/home-history-stats/ui/HomeView.h"

#include "look/ui/StyledLabel.h"
#include "platform/AppModelContainer.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/home-history-stats/ui/RecentTranscriptionsCard.h"
#include "screens/home-history-stats/ui/StatsQuickCard.h"
#include "screens/home-history-stats/ui/WeeklyUsageCard.h"
#include "screens/settings/MinuteTicker.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace talvoro::home {

using namespace talvoro::settings;

namespace {

constexpr QMargins kPageMargins{32, 32, 32, 24};
constexpr int kPageSpacing = 24;
constexpr int kWeekSectionSpacing = 8;
constexpr int kWeekHeaderSpacing = 6;

void styleWeekHeaderLabel(ui::StyledLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    label->setFont(sectionHeaderFont());
    label->setTracking(metrics::sectionHeaderTracking);
}

ui::StyledLabel *weekHeaderLabel(const QString &text, QWidget *parent)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::tertiary, parent);
    styleWeekHeaderLabel(label);
    return label;
}

// The week's range, read from the clock each time it is painted: a
// dashboard left open past midnight or into a new week shows the new range.
class WeekRangeLabel final : public ui::StyledLabel
{
public:
    WeekRangeLabel(std::function<QDateTime()> clock, QWidget *parent)
        : ui::StyledLabel(QString(), ui::StyledLabel::Style::tertiary, parent)
        , m_clock(std::move(clock))
        , m_ticker(new MinuteTicker(m_clock, this))
    {
        styleWeekHeaderLabel(this);
        setObjectName(QStringLiteral("weekRange"));
        // Nothing else redraws an idle dashboard.
        connect(m_ticker, &MinuteTicker::ticked, this, qOverload<>(&QWidget::update));
        refresh();
    }

    void refresh()
    {
        const bool portuguese = isPortuguese();
        const QString range = sectionHeaderText(weekRangeText(m_clock(), portuguese), portuguese);
        if (range != text())
            setText(range);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        refresh();
        ui::StyledLabel::paintEvent(event);
    }

private:
    std::function<QDateTime()> m_clock;
    MinuteTicker *m_ticker;
};

} // namespace

HomeView::HomeView(const AppEnvironment &environment, Navigate navigate, QWidget *parent)
    : QWidget(parent)
    , m_clock(environment.now)
    , m_navigate(std::move(navigate))
    , m_refresh(new HomeRefresh(environment.auth, environment.syncProvider, environment.models, this))
{
    setObjectName(QStringLiteral("homeView"));
    Q_ASSERT(environment.settings);
    UserDefaultsProviding &defaults = *environment.settings;

    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("homePage"));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(kPageMargins);
    column->setSpacing(kPageSpacing);

    auto *header = new BrandedHeaderView(localized("início"), defaults, page);
    header->setObjectName(QStringLiteral("brandedHeader"));
    column->addWidget(header);
    column->addWidget(buildWeekSection(defaults));
    column->addWidget(new WeeklyUsageCard(environment.auth, defaults, page));
    if (environment.models) {
        // Only the rows the card shows: the history can be 100,000 long.
        m_query = new TranscriptionsQuery(
            *environment.models, StoreQueries::newestTranscriptions(RecentTranscriptionsCard::kRecentCount), this);
        column->addWidget(new RecentTranscriptionsCard(*m_query, defaults, environment.now, page));
    }
    column->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("homeScroll"));
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(page);

    auto *toolbar = new ToolbarStrip(QString(), ToolbarStrip::Placement::root, this);
    auto *account = new AccountToolbarItem(environment.auth, defaults, environment.avatarLoader);
    connect(account, &AccountToolbarItem::accountRequested, this, [this] { this->navigate(DetailRoute::account); });
    toolbar->setTrailingItem(account);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(new DetailCardModifier(scroll, this), 1);
}

HomeView::~HomeView() = default;

QWidget *HomeView::buildWeekSection(UserDefaultsProviding &defaults)
{
    const bool portuguese = isPortuguese();
    auto *section = new QWidget;
    section->setObjectName(QStringLiteral("weekSection"));
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kWeekSectionSpacing);

    auto *row = new QHBoxLayout;
    row->setSpacing(kWeekHeaderSpacing);
    auto *title = weekHeaderLabel(sectionHeaderText(localized("Esta semana"), portuguese), section);
    title->setObjectName(QStringLiteral("weekTitle"));
    row->addWidget(title);
    row->addWidget(weekHeaderLabel(QStringLiteral("·"), section));
    auto *range = new WeekRangeLabel(m_clock, section);
    row->addWidget(range);
    row->addStretch(1);
    column->addLayout(row);

    auto *card = new StatsQuickCard(defaults, section);
    connect(card, &StatsQuickCard::activated, this, [this] { navigate(DetailRoute::statsDetail); });
    column->addWidget(card);
    return section;
}

void HomeView::navigate(const NavigationDestination &destination) const
{
    if (m_navigate)
        m_navigate(destination);
}

void HomeView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_refresh->start();
}

} // namespace talvoro::home
