#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/Navigation.h"
#include "screens/home-history-stats/HomeDashboard.h"
#include "transcription/StoreQueries.h"

#include <QWidget>

#include <functional>


namespace talvoro::home {

class RecentTranscriptionsCard;
class StatsQuickCard;
class WeeklyUsageCard;

// The first screen (sidebar item `home`): the branded title, the week's
// range over the quick statistics card (a link to the statistics), the usage
// card while signed in and the newest transcriptions. Each showing and each
// sign-in or sign-out drains the offline queue and pulls.
class HomeView : public QWidget
{
    Q_OBJECT
public:
    using Navigate = std::function<void(const NavigationDestination &)>;

    HomeView(const AppEnvironment &environment, Navigate navigate, QWidget *parent = nullptr);
    ~HomeView() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildWeekSection(UserDefaultsProviding &defaults);
    void navigate(const NavigationDestination &destination) const;

    std::function<QDateTime()> m_clock;
    Navigate m_navigate;
    HomeRefresh *m_refresh;
    TranscriptionsQuery *m_query = nullptr;
};

} // namespace talvoro::home
