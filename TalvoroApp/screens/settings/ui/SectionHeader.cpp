#include "screens/settings/ui/SectionHeader.h"

#include "texts/Localization.h"
#include "look/ui/StyledLabel.h"
#include "screens/settings/SettingsStyle.h"

namespace talvoro::settings {

ui::StyledLabel *sectionHeader(const QString &title, QWidget *parent)
{
    auto *label = new ui::StyledLabel(sectionHeaderText(title, isPortuguese()), ui::StyledLabel::Style::secondary, parent);
    label->setObjectName(QStringLiteral("sectionHeader"));
    label->setFont(sectionHeaderFont());
    label->setContentsMargins(metrics::sectionHeaderMargins);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return label;
}

} // namespace talvoro::settings
