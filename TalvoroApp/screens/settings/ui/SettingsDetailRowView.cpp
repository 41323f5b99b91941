#include "screens/settings/ui/SettingsDetailRowView.h"

#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "screens/settings/SettingsStyle.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace talvoro::settings {

SettingsDetailRowView::SettingsDetailRowView(const QString &icon, const QString &title, const QString &description,
                                             QWidget *trailing, UserDefaultsProviding &defaults, QWidget *parent)
    : SettingsRowBase(icon, title, defaults, parent)
    , m_description(new ui::StyledLabel(description, ui::StyledLabel::Style::secondary, this))
{
    m_description->setObjectName(QStringLiteral("settingsRowDescription"));
    m_description->setFont(settingsHelperFont());
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    policy.setHeightForWidth(true); // wraps instead of truncating
    m_description->setSizePolicy(policy);
    m_description->setWordWrap(true);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(metrics::rowMargins);
    layout->setSpacing(metrics::rowSpacing);

    // The icon column is as tall as the title's first line, 2 px lower.
    auto *iconColumn = new QVBoxLayout;
    iconColumn->setContentsMargins(0, metrics::detailRowIconTopPadding, 0, 0);
    iconColumn->addWidget(m_icon, 0, Qt::AlignTop);
    iconColumn->addStretch(1);
    layout->addLayout(iconColumn);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(metrics::detailRowTextSpacing);
    texts->addWidget(m_title);
    texts->addWidget(m_description);
    layout->addLayout(texts, 1);

    layout->addSpacing(metrics::detailRowMinimumSpacer);
    setTrailingSlot(layout, layout->count(), Qt::AlignTop);
    setTrailing(trailing);
}

void SettingsDetailRowView::setDescription(const QString &description)
{
    m_description->setText(description);
}

} // namespace talvoro::settings
