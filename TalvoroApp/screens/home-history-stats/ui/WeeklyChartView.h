#pragma once

#include "screens/home-history-stats/StatsRules.h"

#include <QColor>
#include <QWidget>

namespace talvoro::stats {

// The dictations-per-week bar chart: one bar per point across its own
// week, on a day axis from the earliest week start to the week after the
// latest, labelled every second week; a value axis of round steps at the
// trailing edge. Points are days, so nothing shifts with the time zone.
class WeeklyChartView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kChartHeight = 150;

    explicit WeeklyChartView(QWidget *parent = nullptr);

    void setPoints(const QList<WeeklyChartPoint> &points, bool portuguese);
    void setBarColor(const QColor &color);

    const QList<WeeklyChartPoint> &points() const { return m_points; }
    // The axis labels as drawn, left to right.
    QStringList axisLabels() const;
    // The horizontal span of a point's bar in widget coordinates.
    QRectF barRect(qsizetype index) const;
    // The area the bars and grid lines are drawn in, the axes' labels outside it.
    QRectF plotRect() const;
    // The value axis' numbers as drawn, bottom to top.
    QList<qint64> valueAxisMarks() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Scale
    {
        qint64 low = 0;
        qint64 high = 1;
        qint64 step = 1;
    };
    Scale valueScale() const;
    qreal xForDay(QDate day, const QRectF &plot) const;
    qreal yForValue(qint64 value, const Scale &scale, const QRectF &plot) const;

    QList<WeeklyChartPoint> m_points;
    QList<QDate> m_marks;
    QDate m_first;
    qint64 m_spanDays = 7;
    bool m_portuguese = true;
    QColor m_barColor;
};

} // namespace talvoro::stats
