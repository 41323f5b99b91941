#include "screens/home-history-stats/ui/WeeklyChartView.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "texts/LocalizedTexts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace talvoro::stats {

namespace {

constexpr int kDaysPerWeek = 7;
constexpr qreal kBarInset = 3; // gap on each side of a bar within its week
constexpr qreal kBarRadius = 2;
constexpr qreal kAxisLabelGap = 4; // between the plot and the labels
constexpr qreal kGridOpacity = 0.1;
constexpr int kValueSteps = 3; // about as many lines as the value axis shows

// 1, 2 or 5 times a power of ten, at least `rough`.
qint64 roundStep(double rough)
{
    if (rough <= 1)
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * magnitude >= rough)
            return qint64(factor * magnitude);
    }
    return qint64(10 * magnitude);
}

QFont axisFont()
{
    return captionFont();
}

} // namespace

WeeklyChartView::WeeklyChartView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("weeklyChart"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WeeklyChartView::setPoints(const QList<WeeklyChartPoint> &points, bool portuguese)
{
    m_points = points;
    m_portuguese = portuguese;
    m_marks = chartAxisMarks(points);
    m_first = m_marks.isEmpty() ? QDate() : m_marks.first();
    m_spanDays = kDaysPerWeek;
    for (const WeeklyChartPoint &point : points)
        m_spanDays = std::max(m_spanDays, m_first.daysTo(point.weekStart) + kDaysPerWeek);
    update();
}

void WeeklyChartView::setBarColor(const QColor &color)
{
    m_barColor = color;
    update();
}

QStringList WeeklyChartView::axisLabels() const
{
    QStringList labels;
    for (const QDate day : m_marks)
        labels.append(chartAxisLabel(day, m_portuguese));
    return labels;
}

QSize WeeklyChartView::sizeHint() const
{
    return {300, kChartHeight};
}

QSize WeeklyChartView::minimumSizeHint() const
{
    return {100, kChartHeight};
}

WeeklyChartView::Scale WeeklyChartView::valueScale() const
{
    qint64 low = 0;
    qint64 high = 0;
    for (const WeeklyChartPoint &point : m_points) {
        low = std::min(low, point.dictations);
        high = std::max(high, point.dictations);
    }
    Scale scale;
    scale.step = roundStep(double(high - low) / kValueSteps);
    scale.high = std::max<qint64>(scale.step, (high + scale.step - 1) / scale.step * scale.step);
    scale.low = low < 0 ? -((-low + scale.step - 1) / scale.step * scale.step) : 0;
    return scale;
}

QList<qint64> WeeklyChartView::valueAxisMarks() const
{
    const Scale scale = valueScale();
    QList<qint64> marks;
    for (qint64 value = scale.low; value <= scale.high; value += scale.step)
        marks.append(value);
    return marks;
}

QRectF WeeklyChartView::plotRect() const
{
    const QFontMetricsF metrics(axisFont());
    const Scale scale = valueScale();
    const qreal valueWidth = std::max(metrics.horizontalAdvance(localizedNumber(scale.high, m_portuguese)),
                                      metrics.horizontalAdvance(localizedNumber(scale.low, m_portuguese)));
    return QRectF(rect()).adjusted(0, metrics.height() / 2, -(valueWidth + kAxisLabelGap),
                                   -(metrics.height() + kAxisLabelGap));
}

qreal WeeklyChartView::xForDay(QDate day, const QRectF &plot) const
{
    return plot.left() + plot.width() * qreal(m_first.daysTo(day)) / qreal(m_spanDays);
}

qreal WeeklyChartView::yForValue(qint64 value, const Scale &scale, const QRectF &plot) const
{
    return plot.bottom() - plot.height() * qreal(value - scale.low) / qreal(scale.high - scale.low);
}

QRectF WeeklyChartView::barRect(qsizetype index) const
{
    const QRectF plot = plotRect();
    const Scale scale = valueScale();
    const WeeklyChartPoint &point = m_points.at(index);
    const qreal left = xForDay(point.weekStart, plot) + kBarInset;
    const qreal right = xForDay(point.weekStart.addDays(kDaysPerWeek), plot) - kBarInset;
    const qreal zero = yForValue(0, scale, plot);
    const qreal top = yForValue(point.dictations, scale, plot);
    return QRectF(QPointF(left, std::min(zero, top)), QPointF(std::max(left, right), std::max(zero, top)));
}

void WeeklyChartView::paintEvent(QPaintEvent *)
{
    if (m_points.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = ui::isDark(this);
    const QRectF plot = plotRect();
    const Scale scale = valueScale();
    const QFontMetricsF metrics(axisFont());
    painter.setFont(axisFont());
    const QPen gridPen(primaryColor(dark, kGridOpacity), 1);

    // Value axis: a line per step, its number at the trailing edge.
    for (const qint64 value : valueAxisMarks()) {
        const qreal y = yForValue(value, scale, plot);
        painter.setPen(gridPen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(secondaryColor(dark));
        painter.drawText(
            QRectF(plot.right() + kAxisLabelGap, y - metrics.height() / 2, width(), metrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter, localizedNumber(value, m_portuguese));
    }

    // Day axis: a line and a label every second week, the label starting at its day.
    for (const QDate day : m_marks) {
        const qreal x = xForDay(day, plot);
        painter.setPen(gridPen);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom() + kAxisLabelGap));
        painter.setPen(secondaryColor(dark));
        painter.drawText(QRectF(x + 2, plot.bottom() + kAxisLabelGap, plot.right() - x, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, chartAxisLabel(day, m_portuguese));
    }

    const QColor color = m_barColor.isValid() ? m_barColor : palette().color(QPalette::Highlight);
    painter.setPen(Qt::NoPen);
    for (qsizetype i = 0; i < m_points.size(); ++i) {
        const QRectF bar = barRect(i);
        QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
        gradient.setColorAt(0, color.lighter(125));
        gradient.setColorAt(1, color);
        painter.setBrush(gradient);
        painter.drawRoundedRect(bar, kBarRadius, kBarRadius);
    }
}

} // namespace talvoro::stats
