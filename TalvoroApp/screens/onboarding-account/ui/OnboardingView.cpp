#include "screens/onboarding-account/ui/OnboardingView.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "screens/onboarding-account/OnboardingWizard.h"
#include "screens/onboarding-account/ui/OnboardingSteps.h"
#include "texts/Localization.h"

#include <QApplication>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace talvoro::onboarding {

namespace {

// One step of the header: accent for the current step, secondary at 30 %
// for every other (passed steps are not marked).
class ProgressDot final : public QWidget
{
public:
    ProgressDot(UserDefaultsProviding &settings, QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setFixedSize(8, 8);
        ui::AccentBinding::bind(
            this,
            [this](const QColor &accent) {
                m_accent = accent;
                update();
            },
            settings);
    }

    void setCurrent(bool current)
    {
        m_current = current;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = m_accent;
        if (!m_current) {
            color = secondaryColor(ui::isDark(this));
            color.setAlphaF(color.alphaF() * 0.3);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor m_accent;
    bool m_current = false;
};

void setOpacity(QWidget *page, qreal opacity)
{
    if (!page)
        return;
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(page->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(page);
        page->setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
}

} // namespace

OnboardingView::OnboardingView(const AppEnvironment &environment, bool animatePages, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_animatePages(animatePages)
    , m_wizard(new OnboardingWizard(environment, this))
    , m_pageArea(new QWidget)
    , m_back(new ui::ActionButton(localized("Voltar"), ui::ActionButton::Style::bordered))
    , m_continue(new ui::ActionButton(localized("Continuar"), ui::ActionButton::Style::prominent))
    , m_finish(new ui::ActionButton(localized("Concluir"), ui::ActionButton::Style::prominent))
{
    auto *frame = new QWidget;
    frame->setObjectName(QStringLiteral("onboarding.frame"));
    frame->setFixedSize(kSize);
    auto *centring = new QVBoxLayout(this);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->addWidget(frame, 0, Qt::AlignCenter);

    auto *column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Header: the dots centred, "Pular" at the trailing edge over them.
    auto *header = new QWidget;
    auto *headerLayout = new QGridLayout(header);
    headerLayout->setContentsMargins(24, 24, 24, 0);
    auto *dots = new QHBoxLayout;
    dots->setSpacing(8);
    for (std::size_t i = 0; i < kAllOnboardingSteps.size(); ++i) {
        auto *dot = new ProgressDot(*environment.settings);
        dot->setObjectName(QStringLiteral("onboarding.dot%1").arg(i));
        m_dots.append(dot);
        dots->addWidget(dot);
    }
    headerLayout->addLayout(dots, 0, 0, Qt::AlignCenter);
    auto *skip = new ui::ActionButton(localized("Pular"), ui::ActionButton::Style::borderless);
    skip->setObjectName(QStringLiteral("onboarding.skip"));
    headerLayout->addWidget(skip, 0, 0, Qt::AlignTrailing | Qt::AlignVCenter);
    column->addWidget(header);

    m_pageArea->setObjectName(QStringLiteral("onboarding.pageArea"));
    m_pageArea->installEventFilter(this);
    column->addWidget(m_pageArea, 1);

    auto *navigation = new QHBoxLayout;
    navigation->setContentsMargins(0, 0, 0, 32);
    navigation->setSpacing(16);
    navigation->addStretch();
    m_back->setObjectName(QStringLiteral("onboarding.back"));
    m_continue->setObjectName(QStringLiteral("onboarding.continue"));
    m_finish->setObjectName(QStringLiteral("onboarding.finish"));
    for (auto *button : {m_back, m_continue, m_finish})
        navigation->addWidget(button, 0, Qt::AlignVCenter);
    navigation->addStretch();
    column->addLayout(navigation);

    connect(skip, &QAbstractButton::clicked, m_wizard, &OnboardingWizard::completeOnboarding);
    connect(m_finish, &QAbstractButton::clicked, m_wizard, &OnboardingWizard::completeOnboarding);
    connect(m_back, &QAbstractButton::clicked, m_wizard, &OnboardingWizard::goBack);
    connect(m_continue, &QAbstractButton::clicked, m_wizard, &OnboardingWizard::advance);
    connect(m_wizard, &OnboardingWizard::changed, this, &OnboardingView::refreshNavigation);
    connect(m_wizard, &OnboardingWizard::currentStepChanged, this, &OnboardingView::showStep);

    placePage(m_wizard->currentStep());
    refreshNavigation();
}

OnboardingView::~OnboardingView()
{
    // The gate may delete the wizard without hiding it first.
    m_wizard->hidden();
}

QWidget *OnboardingView::buildPage(OnboardingStep step)
{
    UserDefaultsProviding &settings = *m_environment.settings;
    switch (step) {
    case OnboardingStep::welcome:
        return new OnboardingWelcomeStep(settings);
    case OnboardingStep::microphone:
        return new OnboardingMicrophoneStep(m_environment.permissions, settings);
    case OnboardingStep::accessibility:
        return new OnboardingAccessibilityStep(
            m_environment.permissions,
            localized("Para inserir o texto transcrito e capturar o atalho global, o Talvoro precisa de "
                      "permissão de Acessibilidade."),
            settings);
    case OnboardingStep::hotkey:
        return new OnboardingHotkeyStep(m_environment.hotkeys, settings);
    case OnboardingStep::login:
        return new OnboardingLoginStep(*m_wizard, settings);
    }
    Q_UNREACHABLE();
}

void OnboardingView::placePage(OnboardingStep step)
{
    m_page = buildPage(step);
    m_page->setParent(m_pageArea);
    m_page->installEventFilter(this);
    // A page joins the focus chain at its end; Tab takes its controls before
    // the navigation below them, as they read. (setTabOrder ignores a
    // widget that takes no focus.)
    QWidget *last = nullptr;
    for (QWidget *w = m_page->nextInFocusChain(); m_page->isAncestorOf(w); w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus)
            last = w;
    }
    if (!last)
        return;
    QWidget::setTabOrder(last, m_back);
    QWidget::setTabOrder(m_back, m_continue);
    QWidget::setTabOrder(m_continue, m_finish);
}

void OnboardingView::showStep(OnboardingStep step)
{
    finishTransition();
    m_leavingPage = m_page;
    const bool focused = holdsFocus();
    placePage(step);
    m_page->show();
    refreshNavigation();
    if (focused)
        focusPrimaryAction();
    if (!m_animatePages) {
        finishTransition();
        return;
    }
    m_progress = 0.0;
    layoutPages();
    auto *animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(kTransitionMs);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toReal();
        layoutPages();
    });
    connect(animation, &QVariantAnimation::finished, this, &OnboardingView::finishTransition);
    m_transition = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void OnboardingView::finishTransition()
{
    if (m_transition) {
        m_transition->disconnect(this);
        m_transition->stop();
    }
    delete m_leavingPage;
    m_progress = 1.0;
    if (m_page)
        m_page->setGraphicsEffect(nullptr);
    layoutPages();
}

QRect OnboardingView::pageGeometry(QWidget *page) const
{
    const int width = std::min(kMaximumPageWidth, m_pageArea->width());
    const int height = page->hasHeightForWidth() ? page->heightForWidth(width) : page->sizeHint().height();
    return {(m_pageArea->width() - width) / 2, (m_pageArea->height() - height) / 2, width, height};
}

void OnboardingView::layoutPages()
{
    // Both pages travel the page area's width: the new one in from the
    // trailing edge, the old one out towards the leading edge.
    const int travel = m_pageArea->width();
    const int direction = layoutDirection() == Qt::RightToLeft ? -1 : 1;
    if (m_page) {
        m_page->setGeometry(pageGeometry(m_page).translated(direction * qRound((1.0 - m_progress) * travel), 0));
        if (m_progress < 1.0)
            setOpacity(m_page, m_progress);
    }
    if (m_leavingPage) {
        m_leavingPage->setGeometry(pageGeometry(m_leavingPage).translated(-direction * qRound(m_progress * travel), 0));
        setOpacity(m_leavingPage, 1.0 - m_progress);
    }
}

void OnboardingView::refreshNavigation()
{
    const OnboardingStep current = m_wizard->currentStep();
    for (int i = 0; i < m_dots.size(); ++i)
        static_cast<ProgressDot *>(m_dots[i])->setCurrent(i == int(current));
    m_back->setVisible(m_wizard->showsBack());
    m_continue->setVisible(m_wizard->showsContinue());
    m_continue->setEnabled(m_wizard->canContinue());
    const bool finishAppears = m_wizard->showsFinish() && !m_finishShown;
    m_finishShown = m_wizard->showsFinish();
    // Checked before the change: hiding the focused button moves the focus on.
    const bool focused = holdsFocus();
    m_finish->setVisible(m_finishShown);
    // Signed in on the last page: "Concluir" is what comes next.
    if (finishAppears && focused)
        m_finish->setFocus(Qt::OtherFocusReason);
}

bool OnboardingView::holdsFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return isVisible() && (!focus || (focus->window() == window() && (focus == this || isAncestorOf(focus))));
}

void OnboardingView::focusPrimaryAction()
{
    // A new page's way on takes the keyboard: "Concluir", "Continuar" while
    // it can be used, else the page's own first control ("Entrar" on the
    // sign-in page), never "Pular" or "Voltar", where Space would skip or undo.
    QWidget *target = nullptr;
    if (m_wizard->showsFinish())
        target = m_finish;
    else if (m_wizard->showsContinue() && m_wizard->canContinue())
        target = m_continue;
    for (QWidget *w = m_page->nextInFocusChain(); !target && m_page->isAncestorOf(w); w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(m_page) && w->isEnabled())
            target = w;
    }
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_wizard->shown();
}

void OnboardingView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_wizard->hidden();
}

bool OnboardingView::eventFilter(QObject *watched, QEvent *event)
{
    // A page grows or shrinks with its content (the sign-in error line).
    if ((watched == m_pageArea && event->type() == QEvent::Resize)
        || (watched == m_page && event->type() == QEvent::LayoutRequest))
        layoutPages();
    return QWidget::eventFilter(watched, event);
}

} // namespace talvoro::onboarding
