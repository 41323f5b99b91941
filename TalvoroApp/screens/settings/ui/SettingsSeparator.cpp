#include "screens/settings/ui/SettingsSeparator.h"

#include "look/ui/Appearance.h"
#include "screens/settings/SettingsStyle.h"

#include <QPainter>

namespace talvoro::settings {

SettingsSeparator::SettingsSeparator(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("settingsSeparator"));
    setFixedHeight(metrics::separatorHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SettingsSeparator::sizeHint() const
{
    return {0, metrics::separatorHeight};
}

void SettingsSeparator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), primaryColor(ui::isDark(this), metrics::separatorOpacity));
}

} // namespace talvoro::settings
