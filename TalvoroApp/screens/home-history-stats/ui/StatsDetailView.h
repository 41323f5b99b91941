#pragma once

#include "navigation/AppEnvironment.h"
#include "screens/home-history-stats/StatsRules.h"

#include <QWidget>

class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace talvoro::settings {
class ContentUnavailableView;
}

namespace talvoro::stats {

class WeeklyChartView;

// The statistics screen (route `statsDetail`): the all-time totals, the
// dictations of the last weeks as a bar chart and the details rows, or the
// "Sem dados" page while no dictation is counted. Every figure is read from
// the settings store and redrawn when its key changes; each appearance asks
// the synchroniser for a pull when the last one is older than 30 s.
class StatsDetailView : public QWidget
{
    Q_OBJECT
public:
    explicit StatsDetailView(const AppEnvironment &environment, QWidget *parent = nullptr);

    bool showsEmptyState() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildStatistics();
    QWidget *buildSummaryCard();
    QWidget *buildChartCard();
    QWidget *buildDetailsCard();
    void refresh();
    void refreshDetailRows(const StatsFigures &figures, bool portuguese);

    UserDefaultsProviding *m_settings;
    SyncProviding *m_sync;
    QStackedWidget *m_content = nullptr;
    settings::ContentUnavailableView *m_empty = nullptr;
    QLabel *m_totalDictations = nullptr;
    QLabel *m_totalWords = nullptr;
    QLabel *m_wordsPerDictation = nullptr;
    WeeklyChartView *m_chart = nullptr;
    QWidget *m_chartFrame = nullptr;
    QLabel *m_noChart = nullptr;
    QVBoxLayout *m_detailRows = nullptr;
};

} // namespace talvoro::stats
