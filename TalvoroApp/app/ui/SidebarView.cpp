#include "app/ui/SidebarView.h"

#include "app/MainWindowModel.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>
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
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("sidebar.") + talvoro::name(item));
        button->setText(talvoro::sidebarTitle(item));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFont(rowFont);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(34);
        button->setStyleSheet(QStringLiteral(
            "QToolButton { text-align: left; padding: 6px 10px; border: none; border-radius: 8px; }"
            "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }"
            "QToolButton:hover:!checked { background: rgba(127, 127, 127, 0.12); }"));
        connect(button, &QToolButton::clicked, this, [this, item] {
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
