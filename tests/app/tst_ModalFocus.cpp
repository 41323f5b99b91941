// A sheet is modal for the keyboard and the mouse. Keys and clicks go through
// the window, as a user's do.
#include "app/ShellAnimations.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "app/ui/SheetHost.h"
#include "app/ui/SidebarView.h"
#include "navigation/MainWindowModel.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>

class ModalFocusTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tabStaysInsideTheSheet()
    {
        useLanguage(QStringLiteral("pt-BR"));
        talvoro::setShellAnimationsEnabled(false);
        TemporarySettings settings;
        settings.store->set(SettingsKeys::onboardingCompleted, true);
        settings.store->set(SettingsKeys::allowUnauthenticatedAccess, true);
        FakeAuthState auth;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        MainWindowModel model(*settings.store, &auth);
        MainWindow window(environment, model, ScreenRegistry::withAppScreens());
        window.resize(1000, 700);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(window.windowHandle(), key, modifiers);
        };
        const auto clickAt = [&](QWidget *target, QPoint point) {
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, target->mapTo(&window, point));
        };

        model.selectSidebarItem(SidebarItem::settings);
        auto *systemRow = window.findChild<QWidget *>(QStringLiteral("systemRow"));
        auto *generalRow = window.findChild<QWidget *>(QStringLiteral("generalRow"));
        clickAt(generalRow, generalRow->rect().center());
        QCOMPARE(model.activeSettingsModal(), std::optional(SettingsModal::general));
        QWidget *sheet = window.mainInterface()->sheetHost()->sheetFrame();

        // Round and round both ways: never the hub's rows, never the sidebar.
        QSet<QWidget *> visited;
        for (const auto modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
            for (int i = 0; i < 30; ++i) {
                press(Qt::Key_Tab, modifier);
                QVERIFY(sheet->isAncestorOf(QApplication::focusWidget()));
                // No stop that shows nothing: the sheet's scroll area is none.
                QVERIFY2(!qobject_cast<QAbstractScrollArea *>(QApplication::focusWidget()),
                         qPrintable(QApplication::focusWidget()->objectName()));
                visited.insert(QApplication::focusWidget());
            }
        }
        QVERIFY(visited.size() > 2);
        // A covered widget focusing itself is sent back; Return stays in the sheet.
        systemRow->setFocus();
        QVERIFY(sheet->isAncestorOf(QApplication::focusWidget()));
        press(Qt::Key_Return);
        QCOMPARE(model.activeSettingsModal(), std::optional(SettingsModal::general));

        // A click on the covered sidebar lands on the backdrop: the sheet
        // closes, the sidebar does not switch.
        clickAt(window.mainInterface()->sidebar(), QPoint(100, 120));
        QCOMPARE(model.selectedSidebarItem(), SidebarItem::settings);
        QVERIFY(!model.activeSettingsModal());
        // Without a sheet, Tab reaches the hub again.
        for (int i = 0; i < 60 && QApplication::focusWidget() != systemRow; ++i)
            press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), systemRow);
    }
};

QTEST_MAIN(ModalFocusTest)
#include "tst_ModalFocus.moc"
