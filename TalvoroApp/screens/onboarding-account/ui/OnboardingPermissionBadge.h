#pragma once

#include <QWidget>

namespace talvoro::ui {
class StyledLabel;
class SymbolLabel;
}

namespace talvoro::onboarding {

// Whether a permission is granted: a green check and "Permissão concedida",
// or an empty circle and "Aguardando permissão...".
class OnboardingPermissionBadge : public QWidget
{
    Q_OBJECT
public:
    explicit OnboardingPermissionBadge(bool granted, QWidget *parent = nullptr);

    bool granted() const { return m_granted; }
    void setGranted(bool granted);
    QString text() const;

private:
    bool m_granted = false;
    ui::SymbolLabel *m_symbol;
    ui::StyledLabel *m_text;
};

} // namespace talvoro::onboarding
