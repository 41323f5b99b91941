// The whole application in one process, driven through its widgets by object
// name: the real AuthManager (browser simulated), SyncManager, offline queue,
// store and lifecycle in a temporary profile, behind the main window with
// every registered screen, against the stand-in backend on loopback.
#include "account/SyncPayloads.h"
#include "app/AppLifecycle.h"
#include "app/ShellAnimations.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/PermissionManager.h"
#include "look/ui/ToggleSwitch.h"
#include "navigation/MainWindowModel.h"
#include "platform/ModelContext.h"
#include "platform/SleepWakeMonitor.h"
#include "support/DictationFakes.h"
#include "support/SyncTestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using backendlocal::SyncAccount;

namespace {

const QString kEmail = QStringLiteral("ana@example.com");

// The one visible widget of that name and type under the window, once it shows.
template <class T>
T *shown(QWidget &root, const QString &name)
{
    T *found = nullptr;
    const auto look = [&] {
        for (T *candidate : root.findChildren<T *>(name))
            if (candidate->isVisible())
                return found = candidate;
        return found = nullptr;
    };
    if (!QTest::qWaitFor([&] { return look() != nullptr; }, 10000))
        qWarning("No visible %s", qPrintable(name));
    return found;
}

void click(QWidget *widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void clickNamed(QWidget &root, const QString &name)
{
    auto *widget = shown<QWidget>(root, name);
    QVERIFY2(widget, qPrintable(name));
    click(widget);
}

} // namespace

class TestWholeApplication : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::installTranslations();
        talvoro::setShellAnimationsEnabled(false);
    }

    void fromOnboardingToSignOut()
    {
        AccountServices app;
        LocalBackend &backend = app.backend;
        // A transcription recorded on another device waits on the account.
        const QString pulledId = newClientId();
        {
            backendlocal::User &user = backend.state().userForEmail(kEmail, QStringLiteral("Ana"));
            SyncAccount account(user.sync);
            const double created = double(QDateTime::currentMSecsSinceEpoch() - 3'600'000);
            QVERIFY(account.pushTranscription(
                SyncTranscriptionPayload{pulledId, QStringLiteral("Ditado de outro computador"), created, 4, 2.5,
                                         QStringLiteral("pt"), created, false}
                    .toJsonObject(),
                backend.state().nowMs()));
            user.sync = account.toJson();
        }
        const auto account = [&] {
            return SyncAccount(backend.state().userForEmail(kEmail, QStringLiteral("Ana")).sync);
        };

        AuthHarness &harness = app.harness;
        harness.browserEmail = kEmail;
        AuthManager &auth = *harness.auth;
        auto permissionState = std::make_shared<FakePermissionChecks::State>();
        permissionState->microphone = MicrophoneAuthorization::authorized;
        permissionState->accessibility = true;
        PermissionManager permissions(std::make_unique<FakePermissionChecks>(permissionState), harness.opener);
        app.environment.permissions = &permissions;
        SleepWakeMonitor wakeMonitor;
        AppLifecycle lifecycle(AppLifecycle::Dependencies{.auth = &auth,
                                                          .sync = app.sync.get(),
                                                          .models = &app.models,
                                                          .settings = harness.settings.store.get(),
                                                          .wakeMonitor = &wakeMonitor});

        MainWindowModel model(*harness.settings.store, &auth);
        MainWindow window(app.environment, model, ScreenRegistry::withAppScreens());
        window.resize(1100, 760);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Onboarding: through the pages to the login page, sign in, finish.
        shown<QWidget>(window, QStringLiteral("onboarding.page.welcome"));
        for (const char *page : {"microphone", "accessibility", "hotkey", "login"}) {
            clickNamed(window, QStringLiteral("onboarding.continue"));
            shown<QWidget>(window, QStringLiteral("onboarding.page.") + QLatin1String(page));
        }
        clickNamed(window, QStringLiteral("onboarding.signIn"));
        QTRY_VERIFY_WITH_TIMEOUT(auth.isAuthenticated(), 10000);
        clickNamed(window, QStringLiteral("onboarding.finish"));
        shown<QWidget>(window, QStringLiteral("mainInterface"));

        // A setting: "Formatar datas" off reaches the account.
        clickNamed(window, QStringLiteral("sidebar.talvoroSettings"));
        click(shown<talvoro::ui::ToggleSwitch>(window, QStringLiteral("formatDatesSwitch")));
        const auto formatsDates = [&] {
            const auto settings = account().settings();
            return !settings || settings->value(QStringLiteral("formattingOptions")).toObject()
                                    .value(QStringLiteral("formatDates")).toBool(true);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!formatsDates(), 10000);

        // A term, added through the dictionary's form.
        clickNamed(window, QStringLiteral("dictionaryLink"));
        clickNamed(window, QStringLiteral("addButton"));
        QTest::keyClicks(shown<QLineEdit>(window, QStringLiteral("termField")), QStringLiteral("Talvoro"));
        clickNamed(window, QStringLiteral("saveButton"));
        const auto termOnAccount = [&] {
            const auto entries = app.models.makeContext()->fetch<DictionaryEntry>().value();
            for (const DictionaryEntry &entry : entries)
                if (entry.term == QLatin1String("Talvoro"))
                    return account().dictionaryEntry(entry.idString()).has_value();
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(termOnAccount(), 10000);
        clickNamed(window, QStringLiteral("navigation.back"));

        // A rule, added through the rules' form.
        clickNamed(window, QStringLiteral("rulesLink"));
        clickNamed(window, QStringLiteral("addButton"));
        QTest::keyClicks(shown<QLineEdit>(window, QStringLiteral("originalField")), QStringLiteral("vc"));
        QTest::keyClicks(shown<QWidget>(window, QStringLiteral("replacementField")), QStringLiteral("voce"));
        clickNamed(window, QStringLiteral("saveButton"));
        const auto ruleOnAccount = [&] {
            const auto rules = app.models.makeContext()->fetch<ReplacementRule>().value();
            for (const ReplacementRule &rule : rules)
                if (rule.originalText == QLatin1String("vc"))
                    return account().rule(rule.idString()).value_or(QJsonObject())
                               .value(QStringLiteral("replacementText")).toString() == QLatin1String("voce");
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ruleOnAccount(), 10000);

        // The pulled transcription, deleted from the history's row menu.
        clickNamed(window, QStringLiteral("sidebar.history"));
        auto *list = shown<QListView>(window, QStringLiteral("historyList"));
        QModelIndex row;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (int i = 0; i < list->model()->rowCount(); ++i) {
                    const QModelIndex index = list->model()->index(i, 0);
                    if (index.data().toString().contains(QStringLiteral("outro computador")))
                        return (row = index).isValid();
                }
                return false;
            }(),
            10000);
        // The row menu runs its own loop: pick "Apagar" once it shows.
        QTimer picker;
        connect(&picker, &QTimer::timeout, this, [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *menu = qobject_cast<QMenu *>(top); menu && menu->isVisible())
                    if (auto *remove = menu->findChild<QAction *>(QStringLiteral("deleteAction"))) {
                        menu->close();
                        remove->trigger();
                    }
        });
        picker.start(20);
        const QRect rect = list->visualRect(row);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, rect.center(), list->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(list->viewport(), &menuEvent);
        QTRY_VERIFY_WITH_TIMEOUT(account().transcription(pulledId).value_or(QJsonObject())
                                     .value(QStringLiteral("isDeleted")).toBool(),
                                 10000);
        // The backend has it before the reply reaches the queue; a sign-out
        // in between keeps the deletion queued, by design.
        QTRY_COMPARE_WITH_TIMEOUT(app.queue->count(), 0, 10000);

        // Signing out from the account screen leaves the main interface.
        clickNamed(window, QStringLiteral("sidebar.settings"));
        clickNamed(window, QStringLiteral("accountRow"));
        QCOMPARE(shown<QLabel>(window, QStringLiteral("accountEmail"))->text(), kEmail);
        clickNamed(window, QStringLiteral("accountButton"));
        QTRY_VERIFY(!auth.isAuthenticated());
        QVERIFY(model.path().isEmpty());
        QTRY_VERIFY(!window.findChild<QWidget *>(QStringLiteral("mainInterface"))
                    || !window.findChild<QWidget *>(QStringLiteral("mainInterface"))->isVisible());

        // The account holds what this session did, and nothing was left queued.
        QVERIFY(!formatsDates());
        QVERIFY(termOnAccount());
        QVERIFY(ruleOnAccount());
        QCOMPARE(account().liveTranscriptionCount(), 0);
        QCOMPARE(app.queue->count(), 0);
    }
};

QTEST_MAIN(TestWholeApplication)
#include "tst_WholeApplication.moc"
