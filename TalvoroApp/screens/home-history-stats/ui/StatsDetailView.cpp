#include "screens/home-history-stats/ui/StatsDetailView.h"

#include "account/SyncProviding.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "platform/StartTask.h"
#include "screens/home-history-stats/ui/WeeklyChartView.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/ScrollingColumn.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace talvoro::stats {

using settings::metrics::rowMargins;
using ui::StyledLabel;
using settings::ScrollingColumn;
using settings::makeScrollingColumn;

namespace {

constexpr int kPullMinimumInterval = 30;
constexpr int kColumnMaxWidth = 600;
constexpr QMargins kColumnMargins{24, 0, 24, 16};
constexpr int kCardSpacing = 24;
constexpr QMargins kSectionTitleMargins{20, 16, 20, 8};
constexpr QMargins kChartMargins{20, 0, 20, 16};
constexpr int kTileSpacing = 4;
constexpr qreal kTileCaptionTracking = 0.8;
constexpr QSize kTileDividerSize{1, 28};
constexpr qreal kTileDividerOpacity = 0.08;
constexpr int kDividerIndent = 20;

// The thin upright line between two summary tiles.
class TileDivider : public QWidget
{
public:
    explicit TileDivider(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setFixedSize(kTileDividerSize);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), primaryColor(ui::isDark(this), kTileDividerOpacity));
    }
};

StyledLabel *plainLabel(StyledLabel::Style style, const QFont &font, QWidget *parent)
{
    auto *label = new StyledLabel(QString(), style, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

QWidget *sectionTitle(const char *caption)
{
    StyledLabel *title = settings::sectionHeader(localized(caption));
    title->setContentsMargins(kSectionTitleMargins);
    return title;
}

} // namespace

StatsDetailView::StatsDetailView(const AppEnvironment &environment, QWidget *parent)
    : QWidget(parent)
    , m_settings(environment.settings)
    , m_sync(environment.syncProvider)
{
    setObjectName(QStringLiteral("statsDetailView"));
    m_content = new QStackedWidget(this);
    m_empty = new settings::ContentUnavailableView(
        QStringLiteral("chart.bar"), localized("Sem dados"),
        localized("Suas estatísticas aparecerão aqui após usar o teclado de voz."), m_content);
    m_empty->setObjectName(QStringLiteral("statsEmptyState"));
    m_content->addWidget(m_empty);
    m_content->addWidget(buildStatistics());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new settings::ToolbarStrip(localized("Estatísticas"),
                                                 settings::ToolbarStrip::Placement::pushed, this));
    layout->addWidget(m_content, 1);

    if (m_settings) {
        const QList<QString> keys = observedKeys();
        connect(m_settings, &UserDefaultsProviding::changed, this, [this, keys](const QString &key) {
            if (keys.contains(key))
                refresh();
        });
        ui::AccentBinding::bind(
            m_chart, [this](const QColor &color) { m_chart->setBarColor(color); }, *m_settings);
    }
    refresh();
}

bool StatsDetailView::showsEmptyState() const
{
    return m_content->currentWidget() == m_empty;
}

QWidget *StatsDetailView::buildStatistics()
{
    const ScrollingColumn page = makeScrollingColumn(QStringLiteral("stats"), kColumnMaxWidth);
    QVBoxLayout *columnLayout = page.layout;
    columnLayout->setContentsMargins(kColumnMargins);
    columnLayout->setSpacing(kCardSpacing);
    columnLayout->addWidget(buildSummaryCard());
    columnLayout->addWidget(buildChartCard());
    columnLayout->addWidget(buildDetailsCard());
    columnLayout->addStretch(1);
    return page.scroll;
}

QWidget *StatsDetailView::buildSummaryCard()
{
    QFont captionFont = settings::settingsHelperFont();
    captionFont.setWeight(QFont::Medium);
    const bool portuguese = isPortuguese();
    auto tile = [&](QLabel *&value, const char *caption, const QString &name) {
        auto *widget = new QWidget;
        widget->setObjectName(name);
        auto *layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(kTileSpacing);
        value = plainLabel(StyledLabel::Style::primary, textStyleFont(TextStyle::title, QFont::Bold), widget);
        value->setObjectName(QStringLiteral("tileValue"));
        StyledLabel *label = plainLabel(StyledLabel::Style::tertiary, captionFont, widget);
        label->setObjectName(QStringLiteral("tileCaption"));
        label->setTracking(kTileCaptionTracking);
        label->setText(settings::sectionHeaderText(localized(caption), portuguese));
        layout->addWidget(value, 0, Qt::AlignHCenter);
        layout->addWidget(label, 0, Qt::AlignHCenter);
        return widget;
    };
    QWidget *dictations = tile(m_totalDictations, QT_TRANSLATE_NOOP("Talvoro", "ditados"),
                               QStringLiteral("totalDictationsTile"));
    QWidget *words =
        tile(m_totalWords, QT_TRANSLATE_NOOP("Talvoro", "palavras"), QStringLiteral("totalWordsTile"));
    QWidget *average = tile(m_wordsPerDictation, QT_TRANSLATE_NOOP("Talvoro", "pal/dit"),
                            QStringLiteral("wordsPerDictationTile"));
    auto *card =
        settings::statsDetailViewCard({dictations, new TileDivider, words, new TileDivider, average});
    card->setObjectName(QStringLiteral("statsSummaryCard"));
    return card;
}

QWidget *StatsDetailView::buildChartCard()
{
    m_chartFrame = new QWidget;
    auto *frameLayout = new QVBoxLayout(m_chartFrame);
    frameLayout->setContentsMargins(kChartMargins);
    m_chart = new WeeklyChartView(m_chartFrame);
    m_chart->setFixedHeight(WeeklyChartView::kChartHeight);
    frameLayout->addWidget(m_chart);

    m_noChart = plainLabel(StyledLabel::Style::tertiary, settings::settingsHelperFont(), nullptr);
    m_noChart->setObjectName(QStringLiteral("noChartMark"));
    m_noChart->setText(localized("—"));
    m_noChart->setAlignment(Qt::AlignCenter);
    m_noChart->setFixedHeight(WeeklyChartView::kChartHeight);

    auto *card = settings::cardContainer(
        {sectionTitle(QT_TRANSLATE_NOOP("Talvoro", "Últimas 8 semanas")), m_chartFrame, m_noChart});
    card->setObjectName(QStringLiteral("statsChartCard"));
    return card;
}

QWidget *StatsDetailView::buildDetailsCard()
{
    auto *rows = new QWidget;
    rows->setObjectName(QStringLiteral("statsDetailRows"));
    m_detailRows = new QVBoxLayout(rows);
    m_detailRows->setContentsMargins(0, 0, 0, 0);
    m_detailRows->setSpacing(0);
    auto *card = settings::cardContainer({sectionTitle(QT_TRANSLATE_NOOP("Talvoro", "Detalhes")), rows});
    card->setObjectName(QStringLiteral("statsDetailsCard"));
    return card;
}

void StatsDetailView::refresh()
{
    const StatsFigures figures = StatsFigures::read(m_settings);
    const bool portuguese = isPortuguese();
    if (stats::showsEmptyState(figures.totalDictations)) {
        m_content->setCurrentWidget(m_empty);
        return;
    }
    m_content->setCurrentIndex(1);
    m_totalDictations->setText(totalDictationsText(figures.totalDictations));
    m_totalWords->setText(totalWordsText(figures.totalWords, portuguese));
    m_wordsPerDictation->setText(
        wordsPerDictationText(figures.totalDictations, figures.totalWords, portuguese));

    const QList<WeeklyChartPoint> points = weeklyChartPoints(figures.weeklyChartData);
    m_chart->setPoints(points, portuguese);
    m_chartFrame->setVisible(!points.isEmpty());
    m_noChart->setVisible(points.isEmpty());
    refreshDetailRows(figures, portuguese);
}

void StatsDetailView::refreshDetailRows(const StatsFigures &figures, bool portuguese)
{
    while (QLayoutItem *item = m_detailRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget *rows = m_detailRows->parentWidget();
    bool first = true;
    for (const DetailRow &detail : detailRows(figures, portuguese)) {
        if (!first) {
            auto *divider = new QWidget(rows);
            divider->setObjectName(QStringLiteral("detailDivider"));
            auto *indent = new QHBoxLayout(divider);
            indent->setContentsMargins(kDividerIndent, 0, 0, 0);
            indent->addWidget(new settings::SettingsSeparator(divider));
            m_detailRows->addWidget(divider);
        }
        first = false;
        auto *row = new QWidget(rows);
        row->setObjectName(QStringLiteral("detailRow"));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(rowMargins);
        StyledLabel *caption = plainLabel(StyledLabel::Style::primary, settings::settingsRowFont(), row);
        caption->setObjectName(QStringLiteral("detailCaption"));
        caption->setText(detail.caption);
        StyledLabel *value = plainLabel(StyledLabel::Style::secondary, settings::settingsRowFont(), row);
        value->setObjectName(QStringLiteral("detailValue"));
        value->setText(detail.value);
        layout->addWidget(caption, 0, Qt::AlignVCenter);
        layout->addStretch(1);
        layout->addWidget(value, 0, Qt::AlignVCenter);
        m_detailRows->addWidget(row);
    }
}

void StatsDetailView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from another desktop is no new appearance.
    if (event->spontaneous() || !m_sync)
        return;
    startTask(this, m_sync->pullIfStale(kPullMinimumInterval), "statistics pull");
}

} // namespace talvoro::stats
