#include "AccountScreenshots.h"

#include "account/AuthManager.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "navigation/MainWindowModel.h"
#include "screens/onboarding-account/AccountManagementViewModel.h"
#include "screens/onboarding-account/ui/AccountManagementView.h"

#include <QCoroTimer>
#include <QMessageBox>
#include <QPainter>
#include <QVBoxLayout>

using talvoro::account::AccountManagementView;
using talvoro::account::AccountManagementViewModel;

namespace {

// The token never comes (the picture of a deletion running), or a network
// failure comes at once (the picture of the error alert).
class PictureAuthProvider final : public AuthProviding
{
public:
    explicit PictureAuthProvider(bool fails) : m_fails(fails) {}

    QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override
    {
        if (!m_fails)
            co_await QCoro::sleepFor(std::chrono::hours(24));
        co_return std::unexpected(BackendAPIError::networkError(BackendAPIClient::connectionFailureText()));
    }
    QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override
    {
        co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
    }
    bool isAuthenticated() const override { return true; }
    quint64 sessionGeneration() const override { return 1; }

private:
    bool m_fails;
};

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

// The page in the main window, signed in, after `act` worked its rules.
std::function<QWidget *(ScreenshotContext &)> managementPage(std::function<void(AccountManagementViewModel &)> act,
                                                             bool requestFails = false)
{
    return [act, requestFails](ScreenshotContext &context) -> QWidget * {
        context.defaults().setBool(QString::fromLatin1(MainWindowModel::kOnboardingCompletedKey), true);
        context.signIn(QStringLiteral("Maria Silva"));
        context.environment.makeBackendClient = [requestFails] {
            return std::make_shared<BackendAPIClient>(std::make_shared<PictureAuthProvider>(requestFails),
                                                      BackendAPIClient::sharedSession(),
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
        if (act)
            if (auto *page = window->findChild<AccountManagementView *>())
                act(*page->viewModel());
        (new AlertLayer(container))->raise();
        return container;
    };
}

void throughTheAlert(AccountManagementViewModel &model)
{
    model.requestDeletion();
    model.continueToConfirmation();
}

void typeTheWord(AccountManagementViewModel &model)
{
    throughTheAlert(model);
    model.setDeleteConfirmationText(QStringLiteral("APAGAR"));
}

void confirm(AccountManagementViewModel &model)
{
    typeTheWord(model);
    model.confirmDeletion();
}

} // namespace

QList<ScreenshotEntry> accountManagementScreenshotEntries()
{
    return {
        {QStringLiteral("accountManagement"), QString(), managementPage({})},
        {QStringLiteral("accountManagement"), QStringLiteral("first-alert"),
         managementPage([](AccountManagementViewModel &model) { model.requestDeletion(); })},
        {QStringLiteral("accountManagement"), QStringLiteral("confirmation-empty"), managementPage(throughTheAlert)},
        {QStringLiteral("accountManagement"), QStringLiteral("confirmation-filled"), managementPage(typeTheWord)},
        {QStringLiteral("accountManagement"), QStringLiteral("deleting"), managementPage(confirm)},
        {QStringLiteral("accountManagement"), QStringLiteral("error"), managementPage(confirm, true)},
    };
}
