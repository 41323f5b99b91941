#include "app/ui/SidebarView.h"

#include "look/AccentColorOption.h"
#include "navigation/MainWindowModel.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "look/ui/ReturnPressesButton.h"
#include "look/ui/Symbols.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kSymbolSize = 18;
constexpr int kBorder = 2; // transparent, so that the focus ring moves nothing

} // namespace

SidebarView::SidebarView(MainWindowModel &model, UserDefaultsProviding *settings, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(220);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 20, 12, 16);
    layout->setSpacing(2);

    auto *brand = new QLabel(QStringLiteral("Talvoro"), this);
    brand->setObjectName(QStringLiteral("sidebar.brand"));
    brand->setFont(talvoro::serifFont(22, QFont::Bold));
    brand->setContentsMargins(10, 0, 0, 14);
    layout->addWidget(brand);

    for (SidebarItem item : kAllSidebarItems) {
        auto *button = new QPushButton(talvoro::sidebarTitle(item), this);
        button->setObjectName(QStringLiteral("sidebar.") + talvoro::name(item));
        button->setCheckable(true);
        button->setFlat(true);
        button->setFont(talvoro::appRowFont());
        button->setCursor(Qt::PointingHandCursor);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(34);
        button->setIconSize(QSize(kSymbolSize, kSymbolSize));
        // The keyboard reaches the items, a click does not focus them, so the
        // focus ring shows only where the keyboard put it.
        button->setFocusPolicy(Qt::TabFocus);
        new talvoro::ui::ReturnPressesButton(button);
        // The ring lies inside a rim of the item's fill (which starts inside
        // the transparent border): on the selected
        // item it takes the colour of its label, which reads on the fill,
        // and never meets the sidebar's grey.
        talvoro::ui::FocusRingOverlay::attach(
            button, {8, kBorder + 1.5, [this, button]() -> std::optional<QColor> {
                         if (button->isChecked())
                             return m_selection;
                         return std::nullopt;
                     }});
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
    // Refreshed on accent changes and on appearance changes alike.
    const auto apply = [this](const QColor &accent) { restyle(accent); };
    if (settings)
        talvoro::ui::AccentBinding::bind(this, apply, *settings);
    else
        restyle(talvoro::AccentColorOption().color(talvoro::ui::isDark(this)));
}

QString SidebarView::symbolName(SidebarItem item)
{
    switch (item) {
    case SidebarItem::home: return QStringLiteral("house");
    case SidebarItem::history: return QStringLiteral("clock.arrow.circlepath");
    case SidebarItem::talvoroSettings: return QStringLiteral("waveform");
    case SidebarItem::settings: return QStringLiteral("gearshape");
    }
    return {};
}

void SidebarView::restyle(const QColor &accent)
{
    const bool dark = talvoro::ui::isDark(this);
    const QColor text = talvoro::primaryColor(dark);
    const QColor hover = talvoro::primaryColor(dark, 0.08);
    const QColor selection = talvoro::accentSurfaceColor(accent);
    m_selection = selection;
    const QColor selectedText = talvoro::foregroundOnSurface(selection);
    // Drawn when a button first paints, not for every state at start.
    for (const auto &[item, button] : m_buttons) {
        button->setIcon(talvoro::ui::drawnIcon(
            [name = symbolName(item), accent, selectedText](int side, QIcon::State state) {
                return talvoro::ui::symbolPixmap(name, state == QIcon::On ? selectedText : accent, side);
            },
            {kSymbolSize}));
    }
    // One sheet for every button: a sheet per button made each one parse and
    // polish its own at start. The focus ring is the kit's overlay.
    setStyleSheet(QStringLiteral(
        "QPushButton { text-align: left; padding: 4px 8px; border: %5px solid transparent; border-radius: 8px;"
        " color: %1; outline: none; }"
        "QPushButton:checked { background: %2; color: %4; }"
        "QPushButton:hover:!checked { background: %3; }")
                      .arg(text.name(QColor::HexArgb), selection.name(QColor::HexRgb), hover.name(QColor::HexArgb),
                           selectedText.name(QColor::HexArgb), QString::number(kBorder)));
}

void SidebarView::showSelection()
{
    for (const auto &[item, button] : m_buttons)
        button->setChecked(item == m_model.selectedSidebarItem());
}

void SidebarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool dark = talvoro::ui::isDark(this);
    // A shade apart from the detail column, like a source list.
    painter.fillRect(rect(), dark ? QColor(0x2A, 0x2A, 0x2A) : QColor(0xE3, 0xE3, 0xE3));
    painter.fillRect(QRect(width() - 1, 0, 1, height()), talvoro::separatorColor(dark));
}
