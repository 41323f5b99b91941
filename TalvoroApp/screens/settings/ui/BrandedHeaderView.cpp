#include "screens/settings/ui/BrandedHeaderView.h"

#include "look/ui/AccentBinding.h"
#include "look/ui/StyledLabel.h"
#include "screens/settings/SettingsStyle.h"

#include <QHBoxLayout>

namespace talvoro::settings {

BrandedHeaderView::BrandedHeaderView(const QString &title, UserDefaultsProviding &defaults, QWidget *parent)
    : QWidget(parent)
    , m_title(new ui::StyledLabel(title, ui::StyledLabel::Style::primary, this))
    , m_fullStop(new QLabel(brandedFullStop(), this))
{
    setObjectName(QStringLiteral("brandedHeader"));
    m_title->setObjectName(QStringLiteral("brandedTitle"));
    m_fullStop->setObjectName(QStringLiteral("brandedFullStop"));
    m_title->setFont(brandedTitleFont());
    m_fullStop->setFont(brandedTitleFont());
    setAccessibleName(title);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_title, 0, Qt::AlignVCenter);
    layout->addWidget(m_fullStop, 0, Qt::AlignVCenter);
    layout->addStretch(1);

    // Bound on the header, applied to the full stop, so recolouring the
    // label never feeds back into the binding.
    ui::AccentBinding::bind(this, [this](const QColor &color) {
        QPalette palette = m_fullStop->palette();
        palette.setColor(QPalette::WindowText, color);
        m_fullStop->setPalette(palette);
    }, defaults);
}

QString BrandedHeaderView::title() const
{
    return m_title->text();
}

void BrandedHeaderView::setTitle(const QString &title)
{
    m_title->setText(title);
    setAccessibleName(title);
}

QColor BrandedHeaderView::fullStopColor() const
{
    return m_fullStop->palette().color(QPalette::WindowText);
}

} // namespace talvoro::settings
