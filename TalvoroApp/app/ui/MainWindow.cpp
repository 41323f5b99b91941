#include "app/ui/MainWindow.h"

#include "platform/ShellLogging.h"
#include "app/ShellAnimations.h"
#include "app/ui/AppIcon.h"
#include "app/ui/NavigationStackView.h"
#include "app/ui/SheetHost.h"
#include "app/ui/SidebarView.h"

#include <QCloseEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QVariantAnimation>

#include <algorithm>

MainInterfaceView::MainInterfaceView(const ScreenRegistry &registry, const ScreenContext &context,
                                     QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("mainInterface"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_sidebar = new SidebarView(context.window, context.environment.settings, this);
    m_detail = new NavigationStackView(registry, context, this);
    layout->addWidget(m_sidebar);
    layout->addWidget(m_detail, 1);
    // Not in the layout: it lies over everything.
    m_sheetHost = new SheetHost(registry, context, this);
}

void MainInterfaceView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_sheetHost->setGeometry(rect());
}

MainWindow::MainWindow(const AppEnvironment &environment, MainWindowModel &model,
                       ScreenRegistry registry, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_model(model)
    , m_registry(std::move(registry))
    , m_context{m_environment, m_model}
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Talvoro"));
    setWindowIcon(talvoro::appIcon());
    setMinimumSize(720, 520);
    resize(m_model.windowSize());
    connect(&m_model, &MainWindowModel::gatePageChanged, this, &MainWindow::showGatePage);
    showGatePage(m_model.gatePage(), MainWindowModel::Animation::none);
}

MainInterfaceView *MainWindow::mainInterface() const
{
    return qobject_cast<MainInterfaceView *>(m_page);
}

void MainWindow::showGatePage(GatePage page, MainWindowModel::Animation animation)
{
    QWidget *next = page == GatePage::mainInterface
        ? new MainInterfaceView(m_registry, m_context)
        : m_registry.buildGateScreen(page, m_context);
    next->setParent(this);
    next->setGeometry(rect());

    const bool animated = animation != MainWindowModel::Animation::none
        && talvoro::shellAnimationsEnabled() && isVisible() && m_page;
    QLabel *snapshot = nullptr;
    if (animated) {
        // Cross-fade: a picture of the old page fades out over the new one.
        snapshot = new QLabel(this);
        snapshot->setObjectName(QStringLiteral("gate.transition"));
        snapshot->setPixmap(m_page->grab());
        snapshot->setGeometry(rect());
    }
    // Later, not now: the change may come from a click inside the old page.
    if (m_page) {
        m_page->hide();
        m_page->deleteLater();
    }
    m_page = next;
    m_page->show();
    if (!snapshot)
        return;

    snapshot->show();
    snapshot->raise();
    auto *opacity = new QGraphicsOpacityEffect(snapshot);
    snapshot->setGraphicsEffect(opacity);
    QVariantAnimation *fade = talvoro::makeSpringAnimation(talvoro::screenTransitionAnimation(), snapshot);
    connect(fade, &QVariantAnimation::valueChanged, opacity, [opacity](const QVariant &value) {
        opacity->setOpacity(std::clamp(1.0 - value.toDouble(), 0.0, 1.0));
    });
    connect(fade, &QVariantAnimation::finished, snapshot, &QObject::deleteLater);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_model.setWindowSize(size());
    for (QObject *child : children()) {
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            widget->setGeometry(rect());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    qCInfo(lcMainWindow) << "Main window closed";
    event->accept();
    Q_EMIT closed();
}
