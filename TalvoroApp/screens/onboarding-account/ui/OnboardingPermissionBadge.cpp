#include "screens/onboarding-account/ui/OnboardingPermissionBadge.h"

#include "look/Theme.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "texts/Localization.h"

#include <QHBoxLayout>

namespace talvoro::onboarding {

namespace {
const QColor kGreen(0x34, 0xC7, 0x59);
}

OnboardingPermissionBadge::OnboardingPermissionBadge(bool granted, QWidget *parent)
    : QWidget(parent)
    , m_symbol(new ui::SymbolLabel(QString(), qRound(1.25 * appHelperFont().pixelSize())))
    , m_text(new ui::StyledLabel())
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 4, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 0, Qt::AlignVCenter);
    m_text->setFont(appHelperFont());
    m_granted = !granted;
    setGranted(granted);
}

void OnboardingPermissionBadge::setGranted(bool granted)
{
    if (m_granted == granted)
        return;
    m_granted = granted;
    m_symbol->setSymbol(granted ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"));
    if (granted)
        m_symbol->setColor(kGreen);
    else {
        m_symbol->setColor(QColor());
        m_symbol->setTint(ui::SymbolLabel::Tint::secondary);
    }
    m_text->setText(granted ? localized("Permissão concedida") : localized("Aguardando permissão..."));
    m_text->setForegroundStyle(granted ? ui::StyledLabel::Style::primary : ui::StyledLabel::Style::secondary);
}

QString OnboardingPermissionBadge::text() const
{
    return m_text->text();
}

} // namespace talvoro::onboarding
