#include "app/ui/SidebarView.h"

#include "app/MainWindowModel.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

SidebarView::SidebarView(MainWindowModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(220);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 20, 12, 16);
    layout->setSpacing(4);

    auto *brand = new QLabel(QStringLiteral("Talvoro"), this);
    brand->setObjectName(QStringLiteral("sidebar.brand"));
    QFont brandFont = brand->font();
    brandFont.setPixelSize(20);
    brandFont.setBold(true);
    brand->setFont(brandFont);
    brand->setContentsMargins(10, 0, 0, 12);
    layout->addWidget(brand);

    QFont rowFont = font();
    rowFont.setPixelSize(15);
    for (SidebarItem item : kAllSidebarItems) {
        auto *button = new QPushButton(talvoro::sidebarTitle(item), this);
        button->setObjectName(QStringLiteral("sidebar.") + talvoro::name(item));
        button->setCheckable(true);
        button->setFlat(true);
        button->setFont(rowFont);
        button->setCursor(Qt::PointingHandCursor);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(34);
        button->setStyleSheet(QStringLiteral(
            "QPushButton { text-align: left; padding: 6px 10px; border: none; border-radius: 8px;"
            " color: palette(window-text); }"
            "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text); }"
            "QPushButton:hover:!checked { background: rgba(127, 127, 127, 0.12); }"));
        connect(button, &QPushButton::clicked, this, [this, item] {
            m_model.selectSidebarItem(item);
            showSelection();
        });
        layout->addWidget(button);
        m_buttons[item] = button;
    }
    layout->addStretch(1);

    connect(&m_model, &MainWindowModel::selectedSidebarItemChanged, this, &SidebarView::showSelection);
    showSelection();
}

void SidebarView::showSelection()
{
    for (const auto &[item, button] : m_buttons)
        button->setChecked(item == m_model.selectedSidebarItem());
}

void SidebarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor background = palette().color(QPalette::Window);
    background = background.lightness() > 128 ? background.darker(104) : background.lighter(115);
    painter.fillRect(rect(), background);
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(0.08);
    painter.fillRect(QRect(width() - 1, 0, 1, height()), line);
}
