// Sheets and alerts are modal for the keyboard and the mouse: Tab and
// Shift+Tab stay inside the topmost one, the window beneath takes no key and
// no click. Keys and clicks go through the window, as a user's do.
#include "app/ShellAnimations.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "app/ui/SheetHost.h"
#include "app/ui/SidebarView.h"
#include "navigation/MainWindowModel.h"
#include "screens/settings/ui/Alerts.h"
#include "texts/Localization.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

bool inside(const QWidget *container, const QWidget *widget)
{
    return widget && (widget == container || container->isAncestorOf(widget));
}

// Clicks where the user would: the window finds the widget under the point.
void clickAt(QWidget *target, QPoint local = {})
{
    QWidget *window = target->window();
    const QPoint point = target->mapTo(window, local.isNull() ? target->rect().center() : local);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, point);
}

void press(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

} // namespace

class ModalFocusTest : public QObject
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

        Fixture()
        {
            environment.settings = settings.store.get();
            settings.store->setBool(kCompleted, true);
            settings.store->setBool(kAllow, true);
            model = std::make_unique<MainWindowModel>(*settings.store, &auth);
            window = std::make_unique<MainWindow>(environment, *model, ScreenRegistry::withAppScreens());
            window->resize(1000, 700);
            window->show();
            window->activateWindow();
        }
    };

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::setShellAnimationsEnabled(false);
    }

    void tabStaysInsideTheSheet()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.model->selectSidebarItem(SidebarItem::settings);
        auto *systemRow = f.window->findChild<QWidget *>(QStringLiteral("systemRow"));
        QVERIFY(systemRow);
        clickAt(f.window->findChild<QWidget *>(QStringLiteral("generalRow")));
        QCOMPARE(f.model->activeSettingsModal(), std::optional(SettingsModal::general));
        SheetHost *host = f.window->mainInterface()->sheetHost();
        QVERIFY(inside(host, QApplication::focusWidget()));

        // Round and round both ways, pressing Return on the way out of a
        // control that opens nothing: never the hub's rows, never the sidebar.
        QSet<QWidget *> visited;
        for (const auto modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
            for (int i = 0; i < 40; ++i) {
                press(f.window.get(), Qt::Key_Tab, modifier);
                QWidget *focused = QApplication::focusWidget();
                QVERIFY2(inside(host->sheetFrame(), focused), qPrintable(focused ? focused->objectName() : "none"));
                visited.insert(focused);
            }
        }
        QVERIFY(visited.size() > 2);
        QCOMPARE(f.model->activeSettingsModal(), std::optional(SettingsModal::general));

        // A widget of the covered window focusing itself is sent back.
        systemRow->setFocus();
        QVERIFY(inside(host, QApplication::focusWidget()));
        press(f.window.get(), Qt::Key_Return);
        QCOMPARE(f.model->activeSettingsModal(), std::optional(SettingsModal::general));

        // A click on the covered sidebar lands on the backdrop: the sheet
        // closes, the sidebar does not switch.
        auto *sidebar = f.window->mainInterface()->sidebar();
        const SidebarItem before = f.model->selectedSidebarItem();
        clickAt(sidebar, QPoint(sidebar->width() / 2, 120));
        QCOMPARE(f.model->selectedSidebarItem(), before);
        QVERIFY(!f.model->activeSettingsModal());

        // Without a sheet, Tab reaches the hub again.
        bool reachedRow = false;
        for (int i = 0; i < 60 && !reachedRow; ++i) {
            press(f.window.get(), Qt::Key_Tab);
            reachedRow = QApplication::focusWidget() == systemRow;
        }
        QVERIFY(reachedRow);
    }

    void alertHoldsTheKeyboardAndTheMouse()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.model->selectSidebarItem(SidebarItem::settings);
        auto *generalRow = f.window->findChild<QWidget *>(QStringLiteral("generalRow"));
        int cancelled = 0;
        QPointer<QMessageBox> box = talvoro::settings::openDeleteConfirmation(
            f.window.get(), QStringLiteral("Excluir?"), QStringLiteral("Sem volta."), [&] { ++cancelled; }, [] {});
        QVERIFY(QTest::qWaitForWindowActive(box));
        for (int i = 0; i < 6; ++i) {
            press(box, Qt::Key_Tab, i % 2 ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY(inside(box, QApplication::focusWidget()));
        }
        clickAt(generalRow);
        QVERIFY(!f.model->activeSettingsModal());
        QVERIFY(box);
        press(box, Qt::Key_Escape);
        QTRY_VERIFY(!box);
        QCOMPARE(cancelled, 1);
    }
};

QTEST_MAIN(ModalFocusTest)
#include "tst_ModalFocus.moc"
