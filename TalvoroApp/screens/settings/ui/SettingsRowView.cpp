#include "screens/settings/ui/SettingsRowView.h"

#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "screens/settings/SettingsStyle.h"

#include <QHBoxLayout>

namespace talvoro::settings {

SettingsRowView::SettingsRowView(const QString &icon, const QString &title, QWidget *trailing,
                                 UserDefaultsProviding &defaults, QWidget *parent)
    : SettingsRowBase(icon, title, defaults, parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(metrics::rowMargins);
    layout->setSpacing(metrics::rowSpacing);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addWidget(m_title, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    setTrailingSlot(layout, layout->count(), Qt::AlignVCenter);
    setTrailing(trailing);
}

} // namespace talvoro::settings
