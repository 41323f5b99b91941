#include "navigation/MainWindowModel.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString kCompleted = QString::fromLatin1(MainWindowModel::kOnboardingCompletedKey);
const QString kAllow = QString::fromLatin1(MainWindowModel::kAllowUnauthenticatedAccessKey);

} // namespace

class MainWindowModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gateForEveryCombination_data();
    void gateForEveryCombination();
    void gateFollowsChangesAtOnce();
    void gateIgnoresUnrelatedKeysAndMissingAuth();
    void sheetSizeRule_data();
    void sheetSizeRule();
    void sheetSizeFollowsWindow();
    void pushAndPop();
    void sidebarChangeResetsPath();
    void openPermissionsClosesSheetThenPushes();
    void resetOnboardingClosesSheetThenShowsWizard();
};

void MainWindowModelTest::gateForEveryCombination_data()
{
    QTest::addColumn<bool>("completed");
    QTest::addColumn<bool>("authenticated");
    QTest::addColumn<bool>("allow");
    QTest::addColumn<GatePage>("expected");
    for (bool authenticated : {false, true})
        for (bool allow : {false, true})
            QTest::addRow("not completed, auth=%d allow=%d", authenticated, allow)
                << false << authenticated << allow << GatePage::onboarding;
    QTest::newRow("completed, signed out") << true << false << false << GatePage::login;
    QTest::newRow("completed, signed in") << true << true << false << GatePage::mainInterface;
    QTest::newRow("completed, without account") << true << false << true << GatePage::mainInterface;
    QTest::newRow("completed, both") << true << true << true << GatePage::mainInterface;
}

void MainWindowModelTest::gateForEveryCombination()
{
    QFETCH(bool, completed);
    QFETCH(bool, authenticated);
    QFETCH(bool, allow);
    QFETCH(GatePage, expected);
    QCOMPARE(MainWindowModel::gatePageFor(completed, authenticated, allow), expected);

    // The same through the stored keys and the auth state at construction.
    TemporarySettings settings;
    FakeAuthState auth;
    settings.store->setBool(kCompleted, completed);
    settings.store->setBool(kAllow, allow);
    auth.setAuthenticated(authenticated);
    MainWindowModel model(*settings.store, &auth);
    QCOMPARE(model.gatePage(), expected);
}

void MainWindowModelTest::gateFollowsChangesAtOnce()
{
    TemporarySettings settings;
    FakeAuthState auth;
    MainWindowModel model(*settings.store, &auth);
    QSignalSpy spy(&model, &MainWindowModel::gatePageChanged);
    QCOMPARE(model.gatePage(), GatePage::onboarding);

    settings.store->setBool(kCompleted, true);
    QCOMPARE(model.gatePage(), GatePage::login);
    auth.setAuthenticated(true);
    QCOMPARE(model.gatePage(), GatePage::mainInterface);
    auth.setAuthenticated(false);
    QCOMPARE(model.gatePage(), GatePage::login);
    settings.store->setBool(kAllow, true);
    QCOMPARE(model.gatePage(), GatePage::mainInterface);
    settings.store->remove(kAllow);
    QCOMPARE(model.gatePage(), GatePage::login);
    settings.store->remove(kCompleted);
    QCOMPARE(model.gatePage(), GatePage::onboarding);

    // Synchronous, one signal per real change, each with the screen spring.
    QCOMPARE(spy.count(), 6);
    for (const auto &arguments : spy)
        QCOMPARE(arguments.at(1).value<MainWindowModel::Animation>(),
                 MainWindowModel::Animation::screenTransition);
    QCOMPARE(spy.last().at(0).value<GatePage>(), GatePage::onboarding);
}

void MainWindowModelTest::gateIgnoresUnrelatedKeysAndMissingAuth()
{
    TemporarySettings settings;
    settings.store->setBool(kCompleted, true);
    MainWindowModel model(*settings.store, nullptr);
    QSignalSpy spy(&model, &MainWindowModel::gatePageChanged);
    QCOMPARE(model.gatePage(), GatePage::login);
    settings.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
    settings.store->setBool(kCompleted, true); // same value: silent
    QCOMPARE(spy.count(), 0);

    // An auth manager that goes away leaves the window signed out.
    auto auth = std::make_unique<FakeAuthState>();
    auth->setAuthenticated(true);
    MainWindowModel withAuth(*settings.store, auth.get());
    QCOMPARE(withAuth.gatePage(), GatePage::mainInterface);
    auth.reset();
    settings.store->setBool(kAllow, false);
    QCOMPARE(withAuth.gatePage(), GatePage::login);
}

void MainWindowModelTest::sheetSizeRule_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("sheet");
    QTest::newRow("tiny") << QSize(0, 0) << QSize(320, 320);
    QTest::newRow("floor edge") << QSize(376, 376) << QSize(320, 320);
    QTest::newRow("just above floor") << QSize(377, 377) << QSize(321, 321);
    QTest::newRow("middle") << QSize(500, 600) << QSize(444, 544);
    QTest::newRow("width cap edge") << QSize(676, 756) << QSize(620, 700);
    QTest::newRow("past both caps") << QSize(677, 757) << QSize(620, 700);
    QTest::newRow("huge") << QSize(3000, 2000) << QSize(620, 700);
    QTest::newRow("wide and short") << QSize(1400, 300) << QSize(620, 320);
}

void MainWindowModelTest::sheetSizeRule()
{
    QFETCH(QSize, window);
    QFETCH(QSize, sheet);
    QCOMPARE(MainWindowModel::sheetSizeFor(window), sheet);
}

void MainWindowModelTest::sheetSizeFollowsWindow()
{
    TemporarySettings settings;
    MainWindowModel model(*settings.store, nullptr);
    QSignalSpy spy(&model, &MainWindowModel::sheetSizeChanged);
    model.setWindowSize({1200, 900});
    model.setWindowSize({1300, 1000}); // still capped: no change
    model.setWindowSize({500, 400});
    QCOMPARE(spy.count(), 2);
    QCOMPARE(model.sheetSize(), QSize(444, 344));
}

void MainWindowModelTest::pushAndPop()
{
    TemporarySettings settings;
    MainWindowModel model(*settings.store, nullptr);
    QSignalSpy spy(&model, &MainWindowModel::pathChanged);
    const QUuid id = QUuid::createUuid();
    model.push(DetailRoute::account);
    model.push(DetailRoute::accountManagement);
    model.push(HistoryDetailRoute{id});
    QCOMPARE(model.path(), (NavigationPath{DetailRoute::account, DetailRoute::accountManagement,
                                           HistoryDetailRoute{id}}));
    model.pop();
    QCOMPARE(model.path(), (NavigationPath{DetailRoute::account, DetailRoute::accountManagement}));
    model.popToRoot();
    QVERIFY(model.path().isEmpty());
    model.pop(); // nothing to dismiss
    model.popToRoot();
    QCOMPARE(spy.count(), 5);
}

void MainWindowModelTest::sidebarChangeResetsPath()
{
    TemporarySettings settings;
    MainWindowModel model(*settings.store, nullptr);
    QCOMPARE(model.selectedSidebarItem(), SidebarItem::home);
    model.push(DetailRoute::statsDetail);

    QSignalSpy selection(&model, &MainWindowModel::selectedSidebarItemChanged);
    model.selectSidebarItem(SidebarItem::home);
    QCOMPARE(model.path().size(), 1); // the same item keeps the stack
    QCOMPARE(selection.count(), 0);

    QSignalSpy path(&model, &MainWindowModel::pathChanged);
    model.selectSidebarItem(SidebarItem::settings);
    QCOMPARE(model.selectedSidebarItem(), SidebarItem::settings);
    QVERIFY(model.path().isEmpty());
    QCOMPARE(selection.count(), 1);
    QCOMPARE(path.count(), 1);
    QCOMPARE(path.first().at(0).value<MainWindowModel::Animation>(), MainWindowModel::Animation::none);
}

void MainWindowModelTest::openPermissionsClosesSheetThenPushes()
{
    TemporarySettings settings;
    MainWindowModel model(*settings.store, nullptr);
    model.selectSidebarItem(SidebarItem::settings);
    model.setActiveSettingsModal(SettingsModal::system);

    QStringList order;
    connect(&model, &MainWindowModel::activeSettingsModalChanged, this,
            [&](MainWindowModel::Animation animation) {
                QCOMPARE(animation, MainWindowModel::Animation::navigation);
                QVERIFY(model.path().isEmpty());
                order << QStringLiteral("sheet");
            });
    connect(&model, &MainWindowModel::pathChanged, this, [&] { order << QStringLiteral("path"); });
    model.openPermissions();

    QCOMPARE(order, (QStringList{QStringLiteral("sheet"), QStringLiteral("path")}));
    QVERIFY(!model.activeSettingsModal());
    QCOMPARE(model.path(), NavigationPath{DetailRoute::permissions});
    QCOMPARE(model.selectedSidebarItem(), SidebarItem::settings);
}

void MainWindowModelTest::resetOnboardingClosesSheetThenShowsWizard()
{
    TemporarySettings settings;
    FakeAuthState auth;
    auth.setAuthenticated(true);
    settings.store->setBool(kCompleted, true);
    settings.store->setBool(kAllow, true);
    MainWindowModel model(*settings.store, &auth);
    model.selectSidebarItem(SidebarItem::settings);
    model.setActiveSettingsModal(SettingsModal::system);
    QCOMPARE(model.gatePage(), GatePage::mainInterface);

    QStringList order;
    connect(&model, &MainWindowModel::activeSettingsModalChanged, this, [&] {
        QCOMPARE(model.gatePage(), GatePage::mainInterface);
        order << QStringLiteral("sheet");
    });
    connect(&model, &MainWindowModel::gatePageChanged, this,
            [&](GatePage, MainWindowModel::Animation animation) {
                QCOMPARE(animation, MainWindowModel::Animation::screenTransition);
                order << QStringLiteral("gate");
            });
    model.resetOnboarding();

    QCOMPARE(order, (QStringList{QStringLiteral("sheet"), QStringLiteral("gate")}));
    QCOMPARE(model.gatePage(), GatePage::onboarding);
    QVERIFY(settings.store->contains(kCompleted));
    QCOMPARE(settings.store->boolValue(kCompleted, true), false);
    // Nothing else is reset.
    QCOMPARE(settings.store->boolValue(kAllow, false), true);
    QVERIFY(auth.isAuthenticated());
    QCOMPARE(model.selectedSidebarItem(), SidebarItem::settings);
}

QTEST_GUILESS_MAIN(MainWindowModelTest)
#include "tst_MainWindowModel.moc"
