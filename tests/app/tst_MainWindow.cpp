#include "platform/AppUpdater.h"
#include "texts/Localization.h"
#include "navigation/MainWindowModel.h"
#include "app/ShellAnimations.h"
#include "app/ui/AppShell.h"
#include "app/ui/MainWindow.h"
#include "app/ui/MenuBarItem.h"
#include "app/ui/NavigationStackView.h"
#include "app/ui/PlaceholderScreen.h"
#include "app/ui/SheetHost.h"
#include "app/ui/SidebarView.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

void flushDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        TemporarySettings settings;
        FakeAuthState auth;
        AppEnvironment environment;
        std::unique_ptr<MainWindowModel> model;
        std::unique_ptr<MainWindow> window;

        explicit Fixture(bool mainInterface = true, ScreenRegistry registry = {})
        {
            environment.settings = settings.store.get();
            settings.store->setBool(kCompleted, mainInterface);
            settings.store->setBool(kAllow, mainInterface);
            model = std::make_unique<MainWindowModel>(*settings.store, &auth);
            window = std::make_unique<MainWindow>(environment, *model, std::move(registry));
            window->resize(1000, 700);
            window->show();
        }
    };

private Q_SLOTS:
    void init() { talvoro::setShellAnimationsEnabled(false); }
    void cleanup() { flushDeletions(); }

    void windowFollowsTheGate()
    {
        Fixture f(false);
        QCOMPARE(f.window->objectName(), QStringLiteral("main"));
        QCOMPARE(f.window->currentPage()->objectName(), QStringLiteral("gate.onboarding"));
        QVERIFY(!f.window->mainInterface());

        f.settings.store->setBool(kCompleted, true);
        QCOMPARE(f.window->currentPage()->objectName(), QStringLiteral("gate.login"));
        f.auth.setAuthenticated(true);
        QVERIFY(f.window->mainInterface());
        QCOMPARE(f.window->currentPage()->geometry(), f.window->rect());
        f.auth.setAuthenticated(false);
        QCOMPARE(f.window->currentPage()->objectName(), QStringLiteral("gate.login"));
        flushDeletions();
        QCOMPARE(f.window->findChildren<MainInterfaceView *>().size(), 0);
    }

    void backdropClickClosesSheet()
    {
        Fixture f;
        SheetHost *host = f.window->mainInterface()->sheetHost();
        QVERIFY(!host->isVisible());

        f.model->setActiveSettingsModal(SettingsModal::general);
        QVERIFY(host->isVisible());
        QCOMPARE(host->sheetContent()->objectName(), QStringLiteral("sheet.general"));
        QCOMPARE(host->sheetFrame()->size(), QSize(620, 644));
        QCOMPARE(host->sheetFrame()->geometry().center(), host->rect().center());

        // A click on the sheet itself leaves it open.
        QTest::mouseClick(host->sheetContent(), Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(f.model->activeSettingsModal(), SettingsModal::general);
        QTest::mouseClick(host->sheetFrame(), Qt::LeftButton, {}, QPoint(5, 300));
        QCOMPARE(f.model->activeSettingsModal(), SettingsModal::general);

        // A click on the backdrop closes it.
        QTest::mouseClick(host, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!f.model->activeSettingsModal());
        QVERIFY(!host->isVisible());

        // Switching sheets directly swaps the content.
        f.model->setActiveSettingsModal(SettingsModal::general);
        f.model->setActiveSettingsModal(SettingsModal::system);
        QCOMPARE(host->sheetContent()->objectName(), QStringLiteral("sheet.system"));
        QTest::keyClick(host->sheetContent(), Qt::Key_Escape);
        QVERIFY(!f.model->activeSettingsModal());
    }

    void navigationStackFollowsPath()
    {
        Fixture f;
        NavigationStackView *detail = f.window->mainInterface()->detail();
        QCOMPARE(detail->topScreen()->objectName(), QStringLiteral("screen.home"));
        auto *back = detail->findChild<QAbstractButton *>(QStringLiteral("navigation.back"));
        QVERIFY(back && !back->isVisible());

        f.model->push(DetailRoute::statsDetail);
        const QUuid id = QUuid::createUuid();
        f.model->push(HistoryDetailRoute{id});
        QCOMPARE(detail->depth(), 2);
        QWidget *top = detail->topScreen();
        QCOMPARE(top->objectName(), QStringLiteral("route.historyDetail"));
        QVERIFY(top->isVisible());
        QVERIFY(!detail->rootScreen()->isVisible());
        auto *placeholder = qobject_cast<PlaceholderScreen *>(top);
        QVERIFY(placeholder);
        QVERIFY(back->isVisible());

        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(f.model->path(), NavigationPath{DetailRoute::statsDetail});
        QCOMPARE(detail->topScreen()->objectName(), QStringLiteral("route.statsDetail"));
        QVERIFY(detail->topScreen()->isVisible());

        // Alt+Left and the mouse's back button go back from anywhere in the
        // window; Esc only closes sheets, and nothing goes back beneath a sheet.
        f.model->push(DetailRoute::account);
        QTest::keyClick(detail->topScreen(), Qt::Key_Escape);
        QCOMPARE(detail->depth(), 2);
        f.model->setActiveSettingsModal(SettingsModal::general);
        QTest::keyClick(f.window->mainInterface()->sheetHost()->sheetContent(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(detail->depth(), 2);
        f.model->closeSettingsModal();
        QTest::keyClick(detail->topScreen(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(f.model->path(), NavigationPath{DetailRoute::statsDetail});
        QTest::mouseClick(f.window->mainInterface()->sidebar(), Qt::BackButton);
        QVERIFY(f.model->path().isEmpty());

        f.model->openPermissions();
        QCOMPARE(detail->topScreen()->objectName(), QStringLiteral("route.permissions"));
    }

    void sidebarButtonsSelectAndReset()
    {
        Fixture f;
        MainInterfaceView *main = f.window->mainInterface();
        f.model->push(DetailRoute::account);
        QTest::mouseClick(main->sidebar()->button(SidebarItem::history), Qt::LeftButton);
        QCOMPARE(f.model->selectedSidebarItem(), SidebarItem::history);
        QVERIFY(f.model->path().isEmpty());
        QCOMPARE(main->detail()->depth(), 0);
        QCOMPARE(main->detail()->topScreen()->objectName(), QStringLiteral("screen.history"));
        QVERIFY(main->sidebar()->button(SidebarItem::history)->isChecked());
        QVERIFY(!main->sidebar()->button(SidebarItem::home)->isChecked());

        // The model changing the selection moves the highlight too.
        f.model->selectSidebarItem(SidebarItem::settings);
        QVERIFY(main->sidebar()->button(SidebarItem::settings)->isChecked());
        QCOMPARE(main->detail()->topScreen()->objectName(), QStringLiteral("screen.settings"));
    }

    // A screen opened with the mouse takes the focus, so its shortcuts
    // (bound to it and its children) answer without a click inside.
    void screensOpenedWithTheMouseTakeTheFocus()
    {
        TemporaryProfile profile;
        profile.store->setBool(kCompleted, true);
        profile.store->setBool(kAllow, true);
        FakeAuthState auth;
        MainWindowModel model(*profile.store, &auth);
        MainWindow window(profile.environment, model, ScreenRegistry::withAppScreens());
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        NavigationStackView *detail = window.mainInterface()->detail();

        QTest::mouseClick(window.mainInterface()->sidebar()->button(SidebarItem::talvoroSettings), Qt::LeftButton);
        QVERIFY(detail->topScreen()->isAncestorOf(QApplication::focusWidget()));
        QTest::mouseClick(detail->topScreen()->findChild<QWidget *>(QStringLiteral("dictionaryLink")), Qt::LeftButton);
        auto *dictionary = qobject_cast<talvoro::dictionary::DictionaryView *>(detail->topScreen());
        QVERIFY(dictionary);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(dictionary->isAncestorOf(focused));
        QTest::keyClick(focused, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(dictionary->sheets()->isPresented());
    }

    void animatedPushAndPopSettle()
    {
        talvoro::setShellAnimationsEnabled(true);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        NavigationStackView *detail = f.window->mainInterface()->detail();
        f.model->push(DetailRoute::feedback);
        QWidget *pushed = detail->topScreen();
        QTRY_COMPARE(pushed->pos(), QPoint(0, 0));
        QTRY_VERIFY(!detail->rootScreen()->isVisible());

        QPointer<QWidget> guard(pushed);
        f.model->pop();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(detail->rootScreen()->pos(), QPoint(0, 0));
        QVERIFY(detail->rootScreen()->isVisible());

        // A change in the middle of an animation lands cleanly.
        f.model->push(DetailRoute::account);
        f.model->push(DetailRoute::accountManagement);
        QCOMPARE(detail->topScreen()->objectName(), QStringLiteral("route.accountManagement"));
        QTRY_COMPARE(detail->topScreen()->pos(), QPoint(0, 0));

        f.model->setActiveSettingsModal(SettingsModal::general);
        SheetHost *host = f.window->mainInterface()->sheetHost();
        QTRY_COMPARE(host->sheetFrame()->geometry().center(), host->rect().center());
        f.model->closeSettingsModal();
        QTRY_VERIFY(!host->isVisible());
        talvoro::setShellAnimationsEnabled(false);
    }

    void resetOnboardingFromInsideTheSheet()
    {
        // The system sheet calls resetOnboarding from its own button: the window
        // must survive the sheet and the main interface going away under it.
        ScreenRegistry registry;
        registry.setSheet(SettingsModal::system, [](const ScreenContext &context) {
            auto *button = new QPushButton(QStringLiteral("Refazer onboarding"));
            button->setObjectName(QStringLiteral("reset"));
            MainWindowModel *window = &context.window;
            QObject::connect(button, &QPushButton::clicked, button, [window] { window->resetOnboarding(); });
            return button;
        });
        Fixture f(true, std::move(registry));
        f.model->setActiveSettingsModal(SettingsModal::system);
        auto *button = f.window->findChild<QPushButton *>(QStringLiteral("reset"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.window->currentPage()->objectName(), QStringLiteral("gate.onboarding"));
        // Only the wizard comes back: the sheet closes, the rest is kept.
        QVERIFY(!f.model->activeSettingsModal());
        QVERIFY(f.settings.store->boolValue(kAllow, false));
        flushDeletions();
        QVERIFY(!f.window->findChild<QPushButton *>(QStringLiteral("reset")));
    }

    void registeredScreensReplacePlaceholders()
    {
        ScreenRegistry registry;
        QUuid seen;
        registry.setSidebarScreen(SidebarItem::home, [](const ScreenContext &) {
            auto *label = new QLabel(QStringLiteral("Início de verdade"));
            label->setObjectName(QStringLiteral("realHome"));
            return label;
        });
        registry.setHistoryDetailScreen([&seen](const ScreenContext &, const QUuid &id) {
            seen = id;
            return new QLabel;
        });
        registry.setGateScreen(GatePage::login, [](const ScreenContext &context) {
            // Screens get the environment the window was given.
            auto *label = new QLabel(context.environment.settings ? QStringLiteral("settings") : QString());
            return label;
        });
        Fixture f(true, std::move(registry));
        QCOMPARE(f.window->mainInterface()->detail()->topScreen()->objectName(), QStringLiteral("realHome"));
        const QUuid id = QUuid::createUuid();
        f.model->push(HistoryDetailRoute{id});
        QCOMPARE(seen, id);
        QCOMPARE(f.window->mainInterface()->detail()->topScreen()->objectName(),
                 QStringLiteral("route.historyDetail"));
        f.settings.store->setBool(kAllow, false);
        auto *login = qobject_cast<QLabel *>(f.window->currentPage());
        QVERIFY(login);
        QCOMPARE(login->objectName(), QStringLiteral("gate.login"));
        QCOMPARE(login->text(), QStringLiteral("settings"));
    }

    void shellWithoutTrayQuitsOnClose()
    {
        TemporarySettings settings;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        AppUpdater updater; // no update feed
        environment.updater = &updater;
        AppShell shell(environment, ScreenRegistry{});
        QVERIFY(!shell.menuBarItem().checkForUpdatesAction()->isEnabled());
        QApplication::setQuitOnLastWindowClosed(false);
        shell.start();
        // The offscreen platform has no tray: closing the window is then the way out.
        QCOMPARE(shell.menuBarItem().isVisible(), false);
        QCOMPARE(QApplication::quitOnLastWindowClosed(), true);
        QApplication::setQuitOnLastWindowClosed(false);

        QSignalSpy urls(&shell, &AppShell::urlsOpened);
        shell.handleActivation({});
        QVERIFY(shell.window().isVisible());
        QCOMPARE(urls.count(), 0);
        QSignalSpy closed(&shell.window(), &MainWindow::closed);
        // The first close ever says why it quits, and waits for "Encerrar".
        shell.window().close();
        QCOMPARE(closed.count(), 0);
        QVERIFY(shell.window().isVisible());
        QTRY_VERIFY(shell.window().findChild<QMessageBox *>());
        auto *notice = shell.window().findChild<QMessageBox *>();
        QCOMPARE(notice->windowTitle(), QStringLiteral("Fechar a janela encerra o Talvoro"));
        QVERIFY(notice->informativeText().contains(QStringLiteral("bandeja do sistema")));
        QVERIFY(settings.store->value(SettingsKeys::noTrayCloseNoticeShown));
        shell.window().close(); // one notice at a time
        QCOMPARE(shell.window().findChildren<QMessageBox *>().size(), 1);
        notice->findChild<QAbstractButton *>(QStringLiteral("quitButton"))->click();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!shell.window().isVisible());
        // Once said, closing quits at once.
        shell.handleActivation({});
        shell.window().close();
        QVERIFY(!shell.window().isVisible());
        QCOMPARE(closed.count(), 2);

        const QUrl callback(QStringLiteral("stovelantern-mac://auth/callback?code=secret"));
        shell.handleActivation({callback});
        QVERIFY(shell.window().isVisible());
        QCOMPARE(urls.count(), 1);
        QCOMPARE(urls.first().at(0).value<QList<QUrl>>(), QList<QUrl>{callback});

        // The menu's items show the window and quit.
        shell.window().close();
        shell.menuBarItem().openAction()->trigger();
        QVERIFY(shell.window().isVisible());
        QSignalSpy quit(&shell.menuBarItem(), &MenuBarItem::quitRequested);
        shell.menuBarItem().quitAction()->trigger();
        QCOMPARE(quit.count(), 1);
        QCoreApplication::removePostedEvents(qApp); // the queued quit
    }

    // Quitting (the signal handler, the tray's item) closes the window first;
    // the notice must not hold it open, or the quit would stop.
    void quittingIsNeverHeldByTheNotice()
    {
        TemporarySettings settings;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        AppShell shell(environment, ScreenRegistry{});
        shell.start();
        QApplication::setQuitOnLastWindowClosed(false);
        shell.handleActivation({});
        QVERIFY(shell.window().isVisible());
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
        QVERIFY(!shell.window().isVisible());
        QVERIFY(!shell.window().findChild<QMessageBox *>());
        QVERIFY(!settings.store->value(SettingsKeys::noTrayCloseNoticeShown));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
