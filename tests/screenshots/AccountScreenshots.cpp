#include "AccountScreenshots.h"

#include "account/AuthManager.h"
#include "account/BackendAPIClient.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/AccountManagementViewModel.h"
#include "screens/onboarding-account/ui/AccountManagementView.h"
#include "support/SyncTestSupport.h"

#include <QMessageBox>
#include <QPainter>
#include <QVBoxLayout>

using talvoro::account::AccountManagementView;
using talvoro::account::AccountManagementViewModel;

namespace {

// Draws the open alert (a window of its own, which a grab of the main window
// misses) over the window, dimmed, near the top as the desktop places it.
class AlertLayer : public QWidget
{
public:
    explicit AlertLayer(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        parent->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
            raise();
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent *) override
    {
        for (QMessageBox *box : parentWidget()->findChildren<QMessageBox *>()) {
            if (!box->isVisible())
                continue;
            QPainter painter(this);
            painter.fillRect(rect(), QColor(0, 0, 0, 50));
            const QPixmap alert = box->grab();
            painter.drawPixmap((width() - alert.width()) / 2, height() / 5, alert);
            return;
        }
    }
};

// How far through the deletion the picture is taken.
enum class Stage { page, firstAlert, sheet, typed, confirmed };

// The page in the main window, signed in, at `stage`.
std::function<QWidget *(ScreenshotContext &)> managementPage(Stage stage, bool requestFails = false)
{
    return [stage, requestFails](ScreenshotContext &context) -> QWidget * {
        context.defaults().set(SettingsKeys::onboardingCompleted, true);
        context.signIn(QStringLiteral("Maria Silva"));
        context.environment.makeBackendClient = [requestFails] {
            // Without a token the request fails at once.
            std::shared_ptr<AuthProviding> auth;
            if (requestFails)
                auth = std::make_shared<TestAuthProvider>();
            else
                auth = std::make_shared<NeverAnsweringAuth>();
            return std::make_shared<BackendAPIClient>(auth, BackendAPIClient::sharedSession(),
                                                      QUrl(QStringLiteral("http://127.0.0.1:9/")));
        };
        MainWindowModel &model = context.windowModel();
        auto *container = new QWidget;
        auto *layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *window = new MainWindow(context.environment, model, ScreenRegistry::withAppScreens(), container);
        layout->addWidget(window);
        model.selectSidebarItem(SidebarItem::settings);
        model.push(DetailRoute::account);
        model.push(DetailRoute::accountManagement);
        AccountManagementViewModel &rules = *window->findChild<AccountManagementView *>()->viewModel();
        if (stage >= Stage::firstAlert)
            rules.requestDeletion();
        if (stage >= Stage::sheet)
            rules.continueToConfirmation();
        if (stage >= Stage::typed)
            rules.setDeleteConfirmationText(QStringLiteral("APAGAR"));
        if (stage >= Stage::confirmed)
            rules.confirmDeletion();
        (new AlertLayer(container))->raise();
        return container;
    };
}

} // namespace

QList<ScreenshotEntry> accountManagementScreenshotEntries()
{
    const QString screen = QStringLiteral("accountManagement");
    return {
        {screen, QString(), managementPage(Stage::page)},
        {screen, QStringLiteral("first-alert"), managementPage(Stage::firstAlert)},
        {screen, QStringLiteral("confirmation-empty"), managementPage(Stage::sheet)},
        {screen, QStringLiteral("confirmation-filled"), managementPage(Stage::typed)},
        {screen, QStringLiteral("deleting"), managementPage(Stage::confirmed)},
        {screen, QStringLiteral("error"), managementPage(Stage::confirmed, true)},
    };
}
