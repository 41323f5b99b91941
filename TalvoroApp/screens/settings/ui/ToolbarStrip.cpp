#include "screens/settings/ui/ToolbarStrip.h"

#include "look/Theme.h"
#include "look/ui/StyledLabel.h"

#include <QHBoxLayout>

namespace talvoro::settings {

namespace {
constexpr int kSideMargin = 20;
// Items are centred; the margin leaves the trailing avatar its 32 px and the
// 3 px of focus-ring room on either side (a margin of 8 squeezed the item to
// 32 px and cut the picture flat at its bottom).
constexpr int kVerticalMargin = 4;
} // namespace

ToolbarStrip::ToolbarStrip(const QString &title, Placement placement, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_title(new ui::StyledLabel(title, ui::StyledLabel::Style::primary, this))
{
    setObjectName(QStringLiteral("toolbar"));
    setFixedHeight(kHeight);
    const int leading = placement == Placement::pushed ? kBackButtonRoom : kSideMargin;
    m_layout->setContentsMargins(leading, kVerticalMargin, kSideMargin, kVerticalMargin);
    m_title->setObjectName(QStringLiteral("navigationTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(textStyleFont(TextStyle::headline));
    m_title->setVisible(!title.isEmpty());
    m_layout->addWidget(m_title, 0, Qt::AlignVCenter);
    m_layout->addStretch(1);
}

QString ToolbarStrip::title() const
{
    return m_title->text();
}

void ToolbarStrip::setTrailingItem(QWidget *item)
{
    if (item == m_trailing)
        return;
    delete m_trailing;
    m_trailing = item;
    if (item) {
        item->setParent(this);
        m_layout->addWidget(item, 0, Qt::AlignVCenter);
    }
}

} // namespace talvoro::settings
