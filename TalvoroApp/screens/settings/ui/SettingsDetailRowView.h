#pragma once

#include "screens/settings/ui/SettingsRowBase.h"

namespace talvoro::settings {

// A settings row with a helper text under the title. Top-aligned: the icon
// sits level with the title's first line, the description wraps onto as
// many lines as it needs, the trailing content aligns with the title.
class SettingsDetailRowView : public SettingsRowBase
{
    Q_OBJECT
public:
    SettingsDetailRowView(const QString &icon, const QString &title, const QString &description,
                          QWidget *trailing, UserDefaultsProviding &defaults,
                          QWidget *parent = nullptr);

    ui::StyledLabel *descriptionLabel() const { return m_description; }
    void setDescription(const QString &description);

private:
    ui::StyledLabel *m_description;
};

} // namespace talvoro::settings
