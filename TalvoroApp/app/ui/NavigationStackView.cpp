#include "app/ui/NavigationStackView.h"

#include "texts/Localization.h"
#include "app/ShellAnimations.h"
#include "look/ui/FocusRing.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "app/ui/ScreenRegistry.h"
#include "look/ui/Symbols.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>
#include <QVariantAnimation>

namespace {

// Screens usually leave through a click of their own, so they go later.
void discard(QWidget *widget)
{
    if (widget) {
        widget->hide();
        widget->deleteLater();
    }
}

// How far the screen underneath moves while another slides over it.
constexpr double kParallax = 0.3;

} // namespace

NavigationStackView::NavigationStackView(const ScreenRegistry &registry,
                                         const ScreenContext &context, QWidget *parent)
    : QWidget(parent)
    , m_registry(registry)
    , m_context(context)
{
    setObjectName(QStringLiteral("detail"));
    m_backButton = new QToolButton(this);
    m_backButton->setObjectName(QStringLiteral("navigation.back"));
    m_backButton->setIconSize(QSize(20, 20));
    paintBackButton();
    m_backButton->setToolTip(talvoro::localized("Voltar"));
    m_backButton->setAccessibleName(talvoro::localized("Voltar"));
    m_backButton->setAutoRaise(true);
    m_backButton->setFixedSize(32, 32);
    talvoro::ui::FocusRingOverlay::attach(m_backButton, {8, 0, {}});
    m_backButton->hide();
    connect(m_backButton, &QToolButton::clicked, this, &NavigationStackView::goBack);
    // Key and mouse events go to whichever widget is under focus or pointer.
    qApp->installEventFilter(this);

    connect(&m_context.window, &MainWindowModel::selectedSidebarItemChanged, this,
            &NavigationStackView::rebuildRoot);
    connect(&m_context.window, &MainWindowModel::pathChanged, this,
            &NavigationStackView::syncWithPath);
    rebuildRoot();
}

QWidget *NavigationStackView::topScreen() const
{
    return m_pages.isEmpty() ? m_root : m_pages.constLast().widget;
}

void NavigationStackView::goBack()
{
    if (!m_pages.isEmpty() && !m_context.window.activeSettingsModal())
        m_context.window.pop();
}

bool NavigationStackView::eventFilter(QObject *watched, QEvent *event)
{
    bool back = false;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        back = (key->key() == Qt::Key_Left && key->modifiers() == Qt::AltModifier) || key->key() == Qt::Key_Back;
    } else if (event->type() == QEvent::MouseButtonPress) {
        back = static_cast<QMouseEvent *>(event)->button() == Qt::BackButton;
    }
    if (!back || m_pages.isEmpty() || m_context.window.activeSettingsModal())
        return false;
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target || target->window() != window())
        return false;
    goBack();
    return true;
}

void NavigationStackView::rebuildRoot()
{
    finishAnimation();
    for (const Page &page : std::as_const(m_pages))
        discard(page.widget);
    m_pages.clear();
    discard(m_root);
    m_root = m_registry.buildSidebarScreen(m_context.window.selectedSidebarItem(), m_context);
    m_root->setParent(this);
    m_root->show();
    syncWithPath(MainWindowModel::Animation::none);
}

void NavigationStackView::syncWithPath(MainWindowModel::Animation animation)
{
    finishAnimation();
    const NavigationPath &path = m_context.window.path();
    qsizetype common = 0;
    while (common < m_pages.size() && common < path.size()
           && m_pages[common].destination == path[common])
        ++common;

    const bool animate = animation != MainWindowModel::Animation::none
        && talvoro::shellAnimationsEnabled() && isVisible();
    const bool singlePush = common == m_pages.size() && path.size() == common + 1;
    const bool singlePop = common == path.size() && m_pages.size() == common + 1;

    QWidget *previousTop = topScreen();
    QWidget *removedTop = nullptr;
    while (m_pages.size() > common) {
        QWidget *widget = m_pages.takeLast().widget;
        if (singlePop && animate && !removedTop)
            removedTop = widget;
        else
            discard(widget);
    }
    for (qsizetype i = common; i < path.size(); ++i) {
        QWidget *widget = m_registry.buildDestination(path[i], m_context);
        widget->setParent(this);
        m_pages.append({path[i], widget});
    }
    placePages();

    if (animate && singlePush)
        slide(topScreen(), previousTop, true, nullptr);
    else if (animate && removedTop)
        slide(topScreen(), removedTop, false, removedTop);
    focusNewTop();
}

void NavigationStackView::focusNewTop()
{
    QWidget *top = topScreen();
    if (top == m_focusedTop)
        return;
    m_focusedTop = top;
    // A stack the window no longer shows (signed out: the sign-in view took
    // over and its "Entrar" the focus) must not take the focus back.
    if (m_context.window.activeSettingsModal() || !isVisible())
        return;
    const QWidget *focused = window()->focusWidget();
    if (focused && top->isAncestorOf(focused))
        return;
    // A screen's shortcuts are bound to it and its children: after a click
    // in the sidebar they answer only once the focus is inside. The first
    // control Tab would reach takes it, else the screen itself.
    for (QWidget *w = top->nextInFocusChain(); w && w != top; w = w->nextInFocusChain()) {
        if (top->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(top)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    top->setFocus(Qt::OtherFocusReason);
}

void NavigationStackView::placePages()
{
    const QRect area = rect();
    QWidget *top = topScreen();
    m_root->setGeometry(area);
    m_root->setVisible(m_root == top);
    for (const Page &page : std::as_const(m_pages)) {
        page.widget->setGeometry(area);
        page.widget->setVisible(page.widget == top);
    }
    m_backButton->setVisible(!m_pages.isEmpty());
    m_backButton->move(12, 10);
    m_backButton->raise();
}

void NavigationStackView::slide(QWidget *incoming, QWidget *outgoing, bool forward, QWidget *toDelete)
{
    const int w = width();
    incoming->show();
    outgoing->show();
    // The screen that moves over the other is the pushed one, or the popped one.
    if (forward)
        incoming->raise();
    else
        outgoing->raise();
    m_backButton->raise();

    QVariantAnimation *animation = talvoro::makeSpringAnimation(talvoro::navigationAnimation(), this);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [incoming, outgoing, forward, w](const QVariant &value) {
                const double t = value.toDouble();
                if (forward) {
                    incoming->move(int((1.0 - t) * w), 0);
                    outgoing->move(int(-t * kParallax * w), 0);
                } else {
                    outgoing->move(int(t * w), 0);
                    incoming->move(int(-(1.0 - t) * kParallax * w), 0);
                }
            });
    QPointer<QWidget> guardedOutgoing(outgoing);
    connect(animation, &QVariantAnimation::finished, this, [this, guardedOutgoing, toDelete] {
        if (toDelete)
            discard(toDelete);
        else if (guardedOutgoing)
            guardedOutgoing->hide();
        placePages();
    });
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NavigationStackView::finishAnimation()
{
    if (m_animation) {
        // Jumping to the end runs the finished handler, which tidies up.
        m_animation->setCurrentTime(m_animation->duration());
        m_animation->stop();
    }
}

void NavigationStackView::paintBackButton()
{
    m_backButton->setIcon(talvoro::ui::symbolIcon(QStringLiteral("chevron.left"),
                                                  talvoro::secondaryColor(talvoro::ui::isDark(this)), 20));
}

void NavigationStackView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        paintBackButton();
    QWidget::changeEvent(event);
}

void NavigationStackView::resizeEvent(QResizeEvent *)
{
    finishAnimation();
    placePages();
}
