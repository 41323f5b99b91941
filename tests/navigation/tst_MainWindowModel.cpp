#include "navigation/MainWindowModel.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

} // namespace

class MainWindowModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gateFollowsTheStoredKeysAndTheSessionAtOnce()
    {
        TemporarySettings settings;
        auto auth = std::make_unique<FakeAuthState>();
        MainWindowModel model(*settings.store, auth.get());
        QSignalSpy spy(&model, &MainWindowModel::gatePageChanged);
        QCOMPARE(model.gatePage(), GatePage::onboarding);
        auth->setAuthenticated(true);
        settings.store->setBool(kAllow, true);
        QCOMPARE(model.gatePage(), GatePage::onboarding); // onboarding first, whatever else holds

        settings.store->setBool(kCompleted, true);
        QCOMPARE(model.gatePage(), GatePage::mainInterface);
        settings.store->remove(kAllow);
        auth->setAuthenticated(false);
        QCOMPARE(model.gatePage(), GatePage::login);
        settings.store->setBool(kAllow, true);
        QCOMPARE(model.gatePage(), GatePage::mainInterface);
        settings.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
        settings.store->setBool(kCompleted, true); // same value: silent

        // One signal per real change, each with the screen spring.
        QCOMPARE(spy.count(), 3);
        for (const auto &arguments : spy)
            QCOMPARE(arguments.at(1).value<MainWindowModel::Animation>(), MainWindowModel::Animation::screenTransition);

        // An auth manager that goes away leaves the window signed out.
        auth->setAuthenticated(true);
        settings.store->remove(kAllow);
        auth.reset();
        settings.store->setBool(kAllow, false);
        QCOMPARE(model.gatePage(), GatePage::login);
    }

    void sheetSizeFollowsTheWindowWithinItsBounds()
    {
        QCOMPARE(MainWindowModel::sheetSizeFor({0, 0}), QSize(320, 320));
        QCOMPARE(MainWindowModel::sheetSizeFor({377, 377}), QSize(321, 321));
        QCOMPARE(MainWindowModel::sheetSizeFor({677, 757}), QSize(620, 700));
        QCOMPARE(MainWindowModel::sheetSizeFor({1400, 300}), QSize(620, 320));

        TemporarySettings settings;
        MainWindowModel model(*settings.store, nullptr);
        QSignalSpy spy(&model, &MainWindowModel::sheetSizeChanged);
        model.setWindowSize({1200, 900});
        model.setWindowSize({1300, 1000}); // still capped: no change
        model.setWindowSize({500, 400});
        QCOMPARE(spy.count(), 2);
        QCOMPARE(model.sheetSize(), QSize(444, 344));
    }

    void openPermissionsClosesTheSheetBeforePushing()
    {
        TemporarySettings settings;
        MainWindowModel model(*settings.store, nullptr);
        model.selectSidebarItem(SidebarItem::settings);
        model.setActiveSettingsModal(SettingsModal::system);
        QStringList order;
        connect(&model, &MainWindowModel::activeSettingsModalChanged, this, [&] {
            QVERIFY(model.path().isEmpty());
            order << QStringLiteral("sheet");
        });
        connect(&model, &MainWindowModel::pathChanged, this, [&] { order << QStringLiteral("path"); });
        model.openPermissions();
        QCOMPARE(order, (QStringList{QStringLiteral("sheet"), QStringLiteral("path")}));
        QCOMPARE(model.path(), NavigationPath{DetailRoute::permissions});
    }
};

QTEST_GUILESS_MAIN(MainWindowModelTest)
#include "tst_MainWindowModel.moc"
