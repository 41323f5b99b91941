// The composition root as main() builds it: the first frame comes before the
// keychain read, the hotkey grab and the tray, which follow it at once.
#include "account/AuthManager.h"
#include "app/AppComposition.h"
#include "app/ui/MainWindow.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QTest>

class TestAppStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sessionAndTrayFollowTheFirstFrame()
    {
        AppComposition::configureApplication();
        // Signed in by the settings, with no tokens in the keychain: the
        // session's restore ends it.
        SettingsStore &settings = SettingsStore::shared();
        settings.set(SettingsKeys::onboardingCompleted, true);
        settings.set(SettingsKeys::authUserId, QStringLiteral("user-1"));
        SingleInstance instance(QStringLiteral("tst_AppStart-%1").arg(QCoreApplication::applicationPid()));
        QCOMPARE(instance.start({}), SingleInstance::Role::primary);

        bool paintedSignedIn = false;
        AppComposition composition(instance, {});
        MainWindow &window = composition.shell().window();
        QVERIFY(AuthManager::shared().isAuthenticated());
        // No tray on the test display: once started, closing the window quits.
        QVERIFY(!QApplication::quitOnLastWindowClosed());

        struct PaintWatch : QObject
        {
            bool *signedIn;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && !*signedIn)
                    *signedIn = AuthManager::shared().isAuthenticated() && !QApplication::quitOnLastWindowClosed();
                return QObject::eventFilter(watched, event);
            }
        } watch;
        watch.signedIn = &paintedSignedIn;
        window.installEventFilter(&watch);

        QTRY_VERIFY_WITH_TIMEOUT(!AuthManager::shared().isAuthenticated(), 20000);
        QVERIFY2(paintedSignedIn, "the first frame waited for the session's restore or the tray");
        QVERIFY(QApplication::quitOnLastWindowClosed());
        window.removeEventFilter(&watch);
        composition.saveBeforeExit();
    }
};

QTEST_MAIN(TestAppStart)
#include "tst_AppStart.moc"
