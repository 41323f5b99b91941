// The settings hub: what it shows signed in and out, where its rows lead,
// the updates card over a driver the test holds, and the version texts.
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppUpdater.h"
#include "platform/AppVersion.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/SettingsRowBase.h"
#include "screens/settings/ui/SettingsView.h"
#include "support/AccountTestSupport.h"
#include "texts/Localization.h"

#include <QTest>

using namespace talvoro::settings;
using talvoro::ui::ToggleSwitch;

namespace {

class FakeUpdateDriver final : public AppUpdateDriving
{
public:
    bool configured = true;
    bool checks = true;
    bool downloads = false;
    int checkCalls = 0;
    int writes = 0;

    bool isConfigured() const override { return configured; }
    bool automaticallyChecksForUpdates() const override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override
    {
        writes++;
        checks = enabled;
    }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override
    {
        writes++;
        downloads = enabled;
    }
    void checkForUpdates() override { checkCalls++; }
};

struct Hub
{
    QList<DetailRoute> pushed;
    QList<SettingsModal> sheets;
    std::unique_ptr<SettingsView> view;

    explicit Hub(const AppEnvironment &environment)
    {
        SettingsView::Actions actions;
        actions.push = [this](DetailRoute route) { pushed << route; };
        actions.openSheet = [this](SettingsModal modal) { sheets << modal; };
        view = std::make_unique<SettingsView>(environment, std::move(actions));
        view->resize(800, 1200);
        view->show();
    }

    template <typename T = QWidget>
    T *find(const char *name) const
    {
        return view->findChild<T *>(QString::fromLatin1(name));
    }
    bool shown(const char *name) const { return find(name)->isVisibleTo(view.get()); }
    QString email() const { return find<QLabel>("accountEmail")->text(); }
    void click(const char *name) const { Q_EMIT find<SettingsRowBase>(name)->clicked(); }
};

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::ui::applyAppearance(false);
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::installTranslations();
    }

    void signedOutAndIn()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        AppEnvironment environment;
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        Hub hub(environment);

        QCOMPARE(hub.find<BrandedHeaderView>("brandedHeader")->title(), QStringLiteral("ajustes"));
        QCOMPARE(hub.email(), QStringLiteral("Não autenticado"));
        QVERIFY(!hub.shown("feedbackRow"));
        QVERIFY(!hub.shown("feedbackSeparator"));
        QVERIFY(!hub.view->findChild<AccountToolbarItem *>()->link());
        // The account row leads to the account screen also while signed out.
        QTest::mouseClick(hub.find("accountRow"), Qt::LeftButton);
        QCOMPARE(hub.pushed, QList<DetailRoute>{DetailRoute::account});

        harness.browserEmail = QStringLiteral("ana@example.test");
        QVERIFY(harness.signIn());
        QCOMPARE(hub.email(), QStringLiteral("ana@example.test"));
        QVERIFY(hub.shown("feedbackRow"));
        QVERIFY(hub.shown("feedbackSeparator"));
        QVERIFY(hub.view->findChild<AccountToolbarItem *>()->link());

        hub.pushed.clear();
        for (const char *row : {"statsRow", "feedbackRow"})
            hub.click(row);
        hub.click("generalRow");
        hub.click("systemRow");
        QCOMPARE(hub.pushed, (QList<DetailRoute>{DetailRoute::statsDetail, DetailRoute::feedback}));
        QCOMPARE(hub.sheets, (QList<SettingsModal>{SettingsModal::general, SettingsModal::system}));

        // Signed in without a stored e-mail.
        environment.settings->remove(SettingsKeys::authUserEmail.key());
        harness.restart();
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        Hub restarted(environment);
        QCOMPARE(restarted.email(), QStringLiteral("Não autenticado"));
        QVERIFY(restarted.shown("feedbackRow"));
    }

    void updatesCard()
    {
        TemporarySettings settings;
        auto owned = std::make_unique<FakeUpdateDriver>();
        FakeUpdateDriver &driver = *owned;
        driver.configured = false;
        AppUpdater updater(std::move(owned));
        AppEnvironment environment;
        environment.settings = settings.store.get();
        environment.updater = &updater;

        // Not configured: all three disabled, the driver's values shown.
        {
            Hub hub(environment);
            QVERIFY(!hub.find("checkForUpdatesRow")->isEnabled());
            QVERIFY(!hub.find("automaticChecks")->isEnabled());
            QVERIFY(!hub.find("automaticDownloads")->isEnabled());
            QVERIFY(hub.find<ToggleSwitch>("automaticChecksSwitch")->isChecked());
        }

        driver.configured = true;
        Hub hub(environment);
        auto *checks = hub.find<ToggleSwitch>("automaticChecksSwitch");
        auto *downloads = hub.find<ToggleSwitch>("automaticDownloadsSwitch");
        QVERIFY(hub.find("checkForUpdatesRow")->isEnabled());
        QVERIFY(hub.find("automaticDownloads")->isEnabled());
        hub.click("checkForUpdatesRow");
        QCOMPARE(driver.checkCalls, 1);

        // Checks off: downloads disabled, keeping the driver's value.
        driver.downloads = true;
        updater.refreshFromDriver();
        QTest::mouseClick(checks, Qt::LeftButton);
        QVERIFY(!driver.checks);
        QCOMPARE(driver.writes, 1);
        QVERIFY(!hub.find("automaticDownloads")->isEnabled());
        QVERIFY(downloads->isChecked());
        QVERIFY(driver.downloads);

        // The driver changed behind the hub's back: a switch to the value it
        // already holds writes nothing and ends up showing the driver.
        driver.checks = true;
        QTest::mouseClick(checks, Qt::LeftButton);
        QCOMPARE(driver.writes, 1);
        QVERIFY(checks->isChecked());
        QVERIFY(hub.find("automaticDownloads")->isEnabled());
    }

    void versionTexts()
    {
        QCOMPARE(talvoro::appVersionString(QStringLiteral("1.4.2"), QStringLiteral("57")), QStringLiteral("1.4.2 (57)"));
        QCOMPARE(talvoro::appVersionString(QStringLiteral("0.1.0"), std::nullopt), QStringLiteral("0.1.0 (—)"));
        QCOMPARE(talvoro::appVersionString(std::nullopt, std::nullopt), QStringLiteral("— (—)"));
        QCOMPARE(talvoro::appShortVersion(), std::optional<QString>(QStringLiteral("0.1.0")));

        TemporarySettings settings;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        Hub hub(environment);
        QCOMPARE(hub.find<QLabel>("versionLabel")->text(),
                 QStringLiteral("Versão ") + talvoro::appVersionString());
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_SettingsView.moc"
