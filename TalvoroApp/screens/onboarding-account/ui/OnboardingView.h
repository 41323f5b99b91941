#pragma once

#include "screens/onboarding-account/OnboardingStep.h"

#include <QPointer>
#include <QWidget>

struct AppEnvironment;
class OnboardingWizard;
class QHBoxLayout;
class QVariantAnimation;

namespace talvoro::ui {
class ActionButton;
}

namespace talvoro::onboarding {

// The first-run wizard: 600 × 450, centred in the gate's page. The header
// has a dot per step and "Pular"; the page area (at most 420 wide) slides a
// new page in from the trailing edge in both directions; the navigation row
// offers "Voltar", "Continuar" or, signed in on the last page, "Concluir".
// The permission poll runs while it is shown.
class OnboardingView : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize kSize{600, 450};
    static constexpr int kMaximumPageWidth = 420;
    static constexpr int kTransitionMs = 300;

    // `animatePages` off: a page change lands at once (tests, pictures).
    OnboardingView(const AppEnvironment &environment, bool animatePages, QWidget *parent = nullptr);
    ~OnboardingView() override;

    OnboardingWizard &wizard() const { return *m_wizard; }
    QWidget *currentPage() const { return m_page; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildPage(OnboardingStep step);
    void placePage(OnboardingStep step);
    void showStep(OnboardingStep step);
    void layoutPages();
    QRect pageGeometry(QWidget *page) const;
    void refreshNavigation();
    bool holdsFocus() const;
    void focusPrimaryAction();
    void finishTransition();

    const AppEnvironment &m_environment;
    const bool m_animatePages;
    OnboardingWizard *m_wizard;
    QList<QWidget *> m_dots;
    QWidget *m_pageArea;
    QPointer<QWidget> m_page;
    QPointer<QWidget> m_leavingPage;
    QPointer<QVariantAnimation> m_transition;
    qreal m_progress = 1.0;
    ui::ActionButton *m_back;
    ui::ActionButton *m_continue;
    ui::ActionButton *m_finish;
    bool m_finishShown = false;
};

} // namespace talvoro::onboarding
