// Every control of a screen is reached by Tab and shows the focus by its
// pixels; no stop shows nothing; after a step the keyboard is where the user
// goes next. The whole window over the stand-in backend, keys through it.
#include "app/ShellAnimations.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "navigation/MainWindowModel.h"
#include "platform/ModelContext.h"
#include "support/DictationFakes.h"
#include "support/SyncTestSupport.h"
#include "transcription/TranscriptionRecord.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

namespace {

// The window over a signed-in (or signed-out) account with finished onboarding.
struct App
{
    AccountServices services;
    std::shared_ptr<FakePermissionChecks::State> permissionState = std::make_shared<FakePermissionChecks::State>();
    PermissionManager permissions{std::make_unique<FakePermissionChecks>(permissionState), services.harness.opener};
    HotkeyManager hotkeys{*services.harness.settings.store, std::make_unique<FakeKeyboardMonitor>()};
    std::unique_ptr<MainWindowModel> model;
    std::unique_ptr<MainWindow> window;

    App(bool signedIn, bool onboarded)
    {
        permissionState->microphone = MicrophoneAuthorization::authorized;
        permissionState->accessibility = true;
        permissions.refresh();
        services.environment.permissions = &permissions;
        services.environment.hotkeys = &hotkeys;
        services.harness.browserEmail = QStringLiteral("ana@example.com");
        services.harness.browserName = QStringLiteral("Ana Souza");
        if (signedIn && !services.harness.signIn())
            qFatal("sign-in failed");
        services.harness.settings.store->set(SettingsKeys::onboardingCompleted, onboarded);
        model = std::make_unique<MainWindowModel>(*services.harness.settings.store, services.harness.auth.get());
        window = std::make_unique<MainWindow>(services.environment, *model, ScreenRegistry::withAppScreens());
        window->resize(1000, 760);
        window->show();
        window->activateWindow();
    }
    ~App()
    {
        window.reset();
        // The home screen's pull outlives the window; let it end with the test.
        QTRY_VERIFY_WITH_TIMEOUT(!services.sync->isSyncing(), 30000);
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    QWidget *focus() const { return window->focusWidget(); }
    QString focusName() const { return focus() ? focus()->objectName() : QString(); }
    template<class T = QWidget>
    T *named(const QString &name) const
    {
        for (T *candidate : window->findChildren<T *>(name))
            if (candidate->isVisible())
                return candidate;
        return nullptr;
    }
};

bool takesText(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget)
        || qobject_cast<const QTextEdit *>(widget);
}

// The largest contrast between the same pixel in two pictures of a widget.
double largestChange(const QImage &before, const QImage &after)
{
    double best = 1.0;
    for (int y = 0; y < std::min(before.height(), after.height()); ++y)
        for (int x = 0; x < std::min(before.width(), after.width()); ++x)
            best = std::max(best, talvoro::contrastRatio(after.pixelColor(x, y), before.pixelColor(x, y)));
    return best;
}

} // namespace

class KeyboardReachTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::setShellAnimationsEnabled(false);
        talvoro::ui::applyAppearance(false);
    }

    // Tab goes round the whole window from the screen's first named stop and
    // comes back to it: every stop takes the focus visibly (3:1 between the
    // pictures of the control with and without it; text fields show their
    // caret, lists their current row), none is a scroll area, and the
    // controls named are among them, in the order named.
    void tabReachesEveryControlVisibly_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QStringList>("reached");
        QTest::addRow("home") << "home" << QStringList{"sidebar.home", "sidebar.settings"};
        QTest::addRow("settings") << "settings" << QStringList{"accountRow", "generalRow", "systemRow"};
        QTest::addRow("account") << "account"
                                 << QStringList{"accountAvatarButton", "accountManagementLink", "accountButton"};
        // Tab leaves the description for the controls below it.
        QTest::addRow("feedback") << "feedback"
                                  << QStringList{"topicChip.bug", "feedbackSubject", "feedbackDescription",
                                                 "addScreenshots", "sendFeedbackButton"};
    }
    void tabReachesEveryControlVisibly()
    {
        QFETCH(QString, place);
        QFETCH(QStringList, reached);
        App app(true, true);
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        if (place == QLatin1String("settings"))
            app.model->selectSidebarItem(SidebarItem::settings);
        if (place == QLatin1String("account"))
            app.model->push(DetailRoute::account);
        if (place == QLatin1String("feedback")) {
            app.model->push(DetailRoute::feedback);
            QTRY_VERIFY(app.named(QStringLiteral("topicChip.bug")));
            // What enables "Enviar Feedback": a topic, a subject, a description.
            QTest::mouseClick(app.named(QStringLiteral("topicChip.bug")), Qt::LeftButton);
            app.named<QLineEdit>(QStringLiteral("feedbackSubject"))->setText(QStringLiteral("Atalho"));
            app.named<QPlainTextEdit>(QStringLiteral("feedbackDescription"))->setPlainText(QStringLiteral("Não abre."));
        }
        QWidget *first = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((first = app.named(reached.first())), 10000);
        first->setFocus(Qt::TabFocusReason);

        QStringList order;
        QList<QWidget *> stops{first};
        for (int i = 0; i < 80; ++i) {
            QWidget *before = app.focus();
            app.press(Qt::Key_Tab);
            QWidget *now = app.focus();
            QVERIFY2(now && now != before, qPrintable(QStringLiteral("Tab stays on ") + before->objectName()));
            if (now == first)
                break;
            stops.append(now);
        }
        QCOMPARE(app.focus(), first);

        for (QWidget *stop : std::as_const(stops)) {
            const QString name = stop->objectName() + QLatin1Char(' ') + stop->metaObject()->className();
            if (reached.contains(stop->objectName()))
                order.append(stop->objectName());
            QVERIFY2(!qobject_cast<QAbstractScrollArea *>(stop) || takesText(stop) || qobject_cast<QAbstractItemView *>(stop),
                     qPrintable(name));
            if (takesText(stop) || qobject_cast<QAbstractItemView *>(stop))
                continue;
            app.window->setFocus(Qt::OtherFocusReason);
            const QImage plain = stop->grab().toImage();
            stop->setFocus(Qt::TabFocusReason);
            const QImage focused = stop->grab().toImage();
            QVERIFY2(largestChange(plain, focused) >= 3.0, qPrintable(name));
        }
        QCOMPARE(order, reached);
    }

    // Where the keyboard is after a step the user takes with it.
    void theKeyboardLandsWhereTheUserGoesNext_data()
    {
        QTest::addColumn<QString>("flow");
        QTest::addColumn<QString>("focused");
        // Not "Pular": one more Space would skip the sign-in.
        QTest::addRow("onboarding's last page") << "arrive at the last page" << "onboarding.signIn";
        QTest::addRow("onboarding signed in") << "sign in on the last page" << "onboarding.finish";
        QTest::addRow("signed out from the account") << "sign out" << "login.signIn";
        // Row 0 is a day's title; Home goes to the first dictation.
        QTest::addRow("history's Home") << "history Home" << "historyList";
    }
    void theKeyboardLandsWhereTheUserGoesNext()
    {
        QFETCH(QString, flow);
        QFETCH(QString, focused);
        const bool onboarding = flow.contains(QLatin1String("last page"));
        App app(!onboarding, !onboarding);
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));

        if (onboarding) {
            for (int i = 0; i < 20 && app.focusName() != QLatin1String("onboarding.continue"); ++i)
                app.press(Qt::Key_Tab);
            for (int i = 0; i < 10 && app.named(QStringLiteral("onboarding.signIn")) == nullptr; ++i) {
                QCOMPARE(app.focusName(), QStringLiteral("onboarding.continue"));
                app.press(Qt::Key_Space);
            }
            QVERIFY(app.named(QStringLiteral("onboarding.signIn")));
            if (flow.startsWith(QLatin1String("sign in"))) {
                QCOMPARE(app.focusName(), QStringLiteral("onboarding.signIn"));
                app.press(Qt::Key_Space);
                QTRY_VERIFY_WITH_TIMEOUT(app.services.harness.auth->isAuthenticated(), 10000);
            }
        } else if (flow == QLatin1String("sign out")) {
            app.model->push(DetailRoute::account);
            QTRY_VERIFY(app.named(QStringLiteral("accountButton")));
            app.named(QStringLiteral("accountButton"))->setFocus(Qt::TabFocusReason);
            app.press(Qt::Key_Space);
            QTRY_VERIFY_WITH_TIMEOUT(app.named(QStringLiteral("login.signIn")), 10000);
        } else {
            auto &context = app.services.models.mainContext();
            for (int i = 0; i < 3; ++i)
                context.insert(TranscriptionRecord(QStringLiteral("Ditado %1").arg(i), 2, 3.0, QStringLiteral("pt")));
            QVERIFY(context.save());
            app.model->selectSidebarItem(SidebarItem::history);
            auto *list = app.named<QAbstractItemView>(QStringLiteral("historyList"));
            QTRY_VERIFY(list && list->model()->rowCount() > 3);
            list->setFocus(Qt::TabFocusReason);
            app.press(Qt::Key_End);
            QCOMPARE(list->currentIndex().row(), list->model()->rowCount() - 1);
            app.press(Qt::Key_Home);
            QVERIFY(list->currentIndex().row() > 0);
            QCOMPARE(list->currentIndex().row(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(app.focusName(), focused, 10000);
    }
};

QTEST_MAIN(KeyboardReachTest)
#include "tst_KeyboardReach.moc"
