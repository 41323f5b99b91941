#include "screens/home-history-stats/ui/StatsQuickCard.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/FocusRing.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/home-history-stats/HomeDashboard.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace talvoro::home {

namespace {

// 4 around the row, then 20 across and 14 down: 18 above and below.
constexpr QMargins kRowMargins{20, 18, 20, 18};
constexpr int kColumnSpacing = 4;
constexpr QSize kSeparatorSize{1, 36};
constexpr qreal kSeparatorOpacity = 0.08;

class ColumnSeparator : public QWidget
{
public:
    explicit ColumnSeparator(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("quickStatSeparator"));
        setFixedSize(kSeparatorSize);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), primaryColor(ui::isDark(this), kSeparatorOpacity));
    }
};

QWidget *statColumn(const QuickStatColumn &column, UserDefaultsProviding &defaults)
{
    auto *widget = new QWidget;
    widget->setObjectName(column.streak ? QStringLiteral("streakColumn") : QStringLiteral("quickStatColumn"));
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kColumnSpacing);

    auto *valueLine = new QHBoxLayout;
    valueLine->setSpacing(kColumnSpacing);
    valueLine->addStretch(1);
    if (column.streak) {
        auto *flame = new ui::SymbolLabel(QStringLiteral("flame.fill"),
                                          qRound(ui::symbolPixelSize(textStylePixelSize(TextStyle::caption))), widget);
        flame->setObjectName(QStringLiteral("streakSymbol"));
        flame->bindAccent(defaults);
        valueLine->addWidget(flame, 0, Qt::AlignVCenter);
    }
    // The streak value follows the accent colour, the others the appearance.
    QLabel *value = column.streak ? new QLabel(column.value, widget)
                                  : new ui::StyledLabel(column.value, ui::StyledLabel::Style::primary, widget);
    value->setObjectName(QStringLiteral("quickStatValue"));
    value->setFont(textStyleFont(TextStyle::title, QFont::Bold));
    if (column.streak) {
        ui::AccentBinding::bind(value, [value](const QColor &accent) {
            QPalette palette = value->palette();
            palette.setColor(QPalette::WindowText, accent);
            value->setPalette(palette);
        }, defaults);
    }
    valueLine->addWidget(value, 0, Qt::AlignVCenter);
    valueLine->addStretch(1);
    layout->addLayout(valueLine);

    auto *caption = new ui::StyledLabel(column.caption, ui::StyledLabel::Style::tertiary, widget);
    caption->setObjectName(QStringLiteral("quickStatCaption"));
    caption->setFont(textStyleFont(TextStyle::caption, QFont::Medium));
    caption->setTracking(settings::metrics::sectionHeaderTracking);
    caption->setAlignment(Qt::AlignHCenter);
    layout->addWidget(caption);
    return widget;
}

} // namespace

StatsQuickCard::StatsQuickCard(UserDefaultsProviding &defaults, QWidget *parent)
    : QWidget(parent)
    , m_defaults(defaults)
    , m_row(new QWidget)
    , m_columns(new QHBoxLayout(m_row))
{
    setObjectName(QStringLiteral("statsQuickCard"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    m_columns->setContentsMargins(kRowMargins);
    m_columns->setSpacing(0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settings::statsQuickCard(m_row, this));
    // The card covers the whole widget: the ring goes over it.
    ui::FocusRingOverlay::attach(this, {settings::metrics::cardCornerRadius, 0, {}});

    connect(&defaults, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (isQuickStatsKey(key))
            refresh();
    });
    refresh();
}

void StatsQuickCard::refresh()
{
    while (QLayoutItem *item = m_columns->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<QuickStatColumn> columns = quickStatColumns(m_defaults, isPortuguese());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            m_columns->addWidget(new ColumnSeparator(m_row), 0, Qt::AlignVCenter);
        m_columns->addWidget(statColumn(columns[i], m_defaults), 1);
    }
}

void StatsQuickCard::mousePressEvent(QMouseEvent *event)
{
    // Accepting the press makes the card receive the release, wherever
    // inside it the press landed.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void StatsQuickCard::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT activated();
    else
        QWidget::mouseReleaseEvent(event);
}

void StatsQuickCard::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT activated();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace talvoro::home
