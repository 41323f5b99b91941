#include "screens/settings/ui/SettingsSheetView.h"

#include "look/Theme.h"
#include "look/ui/StyledLabel.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/SettingsCardView.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace talvoro::settings {

namespace {
constexpr int kColumnPadding = 24;
constexpr int kColumnSpacing = 24;
constexpr int kTitlePixelSize = 28;
// The scroll bar keeps clear of the frame's rounded corners (radius 30); the
// column's padding makes up the difference, so the content sits where it would.
constexpr QMargins kScrollInset{0, 12, 6, 12};
} // namespace

SettingsSheetView::SettingsSheetView(const QString &title, QWidget *parent)
    : QWidget(parent)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("sheetPage"));
    auto *pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);

    auto *column = new QWidget(page);
    column->setObjectName(QStringLiteral("sheetColumn"));
    column->setMaximumWidth(kMaximumColumnWidth);
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(kColumnPadding, kColumnPadding - kScrollInset.top(), kColumnPadding,
                                     kColumnPadding - kScrollInset.bottom());
    columnLayout->setSpacing(kColumnSpacing);
    auto *titleLabel = new ui::StyledLabel(title, ui::StyledLabel::Style::primary, column);
    titleLabel->setObjectName(QStringLiteral("sheetTitle"));
    titleLabel->setFont(serifFont(kTitlePixelSize, QFont::Bold));
    columnLayout->addWidget(titleLabel);
    m_card = new SettingsCardView(column);
    columnLayout->addWidget(m_card);
    columnLayout->addStretch(1);
    pageLayout->addWidget(column, 1);
    pageLayout->addStretch(0);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("sheetScroll"));
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a Tab stop of its own (nothing shows it focused); Tab still
    // scrolls the focused control into view.
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidget(page);
    // The window's rounded frame shows through.
    m_scrollArea->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kScrollInset);
    layout->addWidget(m_scrollArea);
}

void SettingsSheetView::addPaddedRow(QWidget *content)
{
    auto *row = new QWidget;
    row->setObjectName(content->objectName() + QStringLiteral("Row"));
    auto *layout = new QVBoxLayout(row);
    layout->setContentsMargins(metrics::rowMargins);
    layout->addWidget(content);
    m_card->addRow(row);
}

} // namespace talvoro::settings
