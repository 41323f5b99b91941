#pragma once

#include "screens/settings/ui/SettingsRowBase.h"

namespace talvoro::settings {

// A settings row: icon in the accent colour, title, spacer, trailing
// content (a chevron, toggle, picker, spinner, status text or nothing).
// 14 px above and below the content, 20 px at the sides, full width.
class SettingsRowView : public SettingsRowBase
{
    Q_OBJECT
public:
    SettingsRowView(const QString &icon, const QString &title, QWidget *trailing,
                    UserDefaultsProviding &defaults, QWidget *parent = nullptr);
};

} // namespace talvoro::settings
