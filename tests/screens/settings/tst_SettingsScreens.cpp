// The settings hub (signed in and out, where its rows lead, the updates
// card over a driver the test holds, the version texts), the sheet "Sistema"
// over the real synchroniser signed in to the stand-in backend, and the
// permissions screen over answers the test sets.
#include "account/AppConfig.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "look/AccentColorOption.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/AppUpdater.h"
#include "platform/AppVersion.h"
#include "look/Theme.h"
#include "screens/dictation-settings/ui/FormSheetParts.h"
#include "screens/settings/SystemSettings.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/PermissionsView.h"
#include "screens/settings/ui/SettingsRowBase.h"
#include "screens/settings/ui/SettingsView.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "support/DictationFakes.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"
#include "texts/DateTexts.h"

#include <QLabel>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
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

const QString kAccent = SettingsKeys::keyboardAccentColor.key();
const QString kSettingsPush = QStringLiteral("sync/settings");

// Signed in, at a clock the test moves.
struct SignedInFixture : AccountServices
{
    SignedInFixture()
    {
        clock = QDateTime(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
        if (!harness.signIn())
            qFatal("sign-in failed");
    }
};

QStringList selectedSwatches(const SystemSettingsSheetView &sheet)
{
    QStringList selected;
    for (auto *swatch : sheet.swatches()) {
        if (swatch->isSelected())
            selected << swatch->rawValue();
    }
    return selected;
}

struct PermissionsFixture
{
    TemporarySettings settings;
    std::shared_ptr<FakePermissionChecks::State> state = std::make_shared<FakePermissionChecks::State>();
    RecordingUrlOpener opener;
    std::unique_ptr<PermissionManager> manager;
    AppEnvironment environment;

    PermissionsFixture(bool microphone, bool accessibility, bool speech)
    {
        state->microphone = microphone ? MicrophoneAuthorization::authorized : MicrophoneAuthorization::denied;
        state->accessibility = accessibility;
        state->speech = speech ? SpeechRecognitionAuthorization::authorized : SpeechRecognitionAuthorization::denied;
        manager = std::make_unique<PermissionManager>(std::make_unique<FakePermissionChecks>(state), opener);
        environment.settings = settings.store.get();
        environment.permissions = manager.get();
    }
};

QList<bool> enableButtonsShown(const PermissionsView &view)
{
    QList<bool> shown;
    for (int kind = 0; kind < 3; ++kind) {
        auto *row = view.findChild<QWidget *>(QStringLiteral("permission.%1").arg(kind));
        shown << row->findChild<QPushButton *>(QStringLiteral("enable"))->isVisibleTo(row);
    }
    return shown;
}

// The colour a push button is filled with, read from its drawing beside
// the caption.
bool filledWith(QWidget *button, const QColor &expected)
{
    const QImage image = button->grab().toImage();
    const QColor fill = image.pixelColor(5, image.height() / 2);
    const int tolerance = 24;
    return qAbs(fill.red() - expected.red()) <= tolerance && qAbs(fill.green() - expected.green()) <= tolerance
        && qAbs(fill.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestSettingsScreens : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        talvoro::ui::applyAppearance(false);
        useLanguage(QStringLiteral("pt-BR"));
    }

    void signedOutAndIn()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        AppEnvironment environment;
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        Hub hub(environment);

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
        for (const char *row : {"statsRow", "feedbackRow", "generalRow", "systemRow"})
            hub.click(row);
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
        // already holds writes nothing and refreshes nothing; the next
        // appearance shows the driver's values.
        driver.checks = true;
        QTest::mouseClick(checks, Qt::LeftButton);
        QCOMPARE(driver.writes, 1);
        QVERIFY(!updater.automaticallyChecksForUpdates());
        QVERIFY(!checks->isChecked());
        QVERIFY(!hub.find("automaticDownloads")->isEnabled());
        hub.view->hide();
        hub.view->show();
        QVERIFY(checks->isChecked());
        QVERIFY(hub.find("automaticDownloads")->isEnabled());
    }

    void versionTexts()
    {
        QCOMPARE(talvoro::appVersionString(QStringLiteral("1.4.2"), QStringLiteral("57")), QStringLiteral("1.4.2 (57)"));
        QCOMPARE(talvoro::appVersionString(QStringLiteral("0.1.0"), std::nullopt), QStringLiteral("0.1.0 (—)"));
        QCOMPARE(talvoro::appVersionString(std::nullopt, std::nullopt), QStringLiteral("— (—)"));

        // The build number: the checkout's commit count, else none (a source
        // tarball, or no git).
        QTemporaryDir dir;
        const auto buildNumber = [&dir](const QString &source) {
            const QString header = dir.filePath(QStringLiteral("number.h"));
            QProcess cmake;
            cmake.start(QStringLiteral(TALVORO_CMAKE_COMMAND),
                        {QStringLiteral("-DSOURCE_DIR=") + source, QStringLiteral("-DOUTPUT=") + header,
                         QStringLiteral("-P"), QStringLiteral(TALVORO_SOURCE_DIR "/cmake/BuildNumber.cmake")});
            QFile file(header);
            if (!cmake.waitForFinished(60000) || cmake.exitCode() != 0 || !file.open(QIODevice::ReadOnly))
                return QStringLiteral("failed");
            return QString::fromUtf8(file.readAll()).section(QLatin1Char('"'), 1, 1);
        };
        QCOMPARE(buildNumber(dir.path()), QString());
        QProcess git;
        git.start(QStringLiteral("git"), {QStringLiteral("-C"), QStringLiteral(TALVORO_SOURCE_DIR),
                                          QStringLiteral("rev-list"), QStringLiteral("--count"), QStringLiteral("HEAD")});
        if (git.waitForFinished(60000) && git.exitStatus() == QProcess::NormalExit && git.exitCode() == 0) {
            QCOMPARE(buildNumber(QStringLiteral(TALVORO_SOURCE_DIR)),
                     QString::fromUtf8(git.readAllStandardOutput()).trimmed());
            QVERIFY(!talvoro::appVersionString().endsWith(QStringLiteral("(—)"))); // built from it too
        }

        TemporarySettings settings;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        Hub hub(environment);
        QCOMPARE(hub.find<QLabel>("versionLabel")->text(),
                 QStringLiteral("Versão ") + talvoro::appVersionString());
    }
    void relativeTexts()
    {
        const QDateTime now(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);
        QCOMPARE(talvoro::relativeDateText(now.addSecs(-150), now, talvoro::textLocale(false)),
                 QStringLiteral("2 minutes ago"));
        QCOMPARE(talvoro::relativeDateRefreshMs(now.addMSecs(-5'250), now), 750);
        QCOMPARE(talvoro::relativeDateRefreshMs(now.addSecs(-150), now), 30'000);
    }

    void swatchesLinksAndOnboarding()
    {
        SignedInFixture f;
        f.environment.settings->setString(kAccent, QStringLiteral("Orange"));
        int resets = 0;
        SystemSettingsSheetView sheet(f.environment, {}, [&] { resets++; });
        sheet.show();
        // Only an exact raw value selects.
        QCOMPARE(selectedSwatches(sheet), QStringList{});

        f.backend.server.resetRequestCounts();
        auto *orange = sheet.findChild<AccentSwatch *>(QStringLiteral("swatch.orange"));
        orange->click();
        QCOMPARE(f.environment.settings->stringValue(kAccent), QStringLiteral("orange"));
        QCOMPARE(selectedSwatches(sheet), QStringList{QStringLiteral("orange")});
        QTRY_COMPARE(f.requests(kSettingsPush), 1);
        QTRY_COMPARE(orange->scale(), AccentSwatch::kSelectedScale);

        // The selected swatch writes and pushes again.
        orange->click();
        QTRY_COMPARE(f.requests(kSettingsPush), 2);
        QCOMPARE(selectedSwatches(sheet), QStringList{QStringLiteral("orange")});

        f.harness.opener.opened.clear();
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("terms"))->clicked();
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("privacy"))->clicked();
        QCOMPARE(f.harness.opener.opened, (QList<QUrl>{AppConfig::termsOfUseURL(), AppConfig::privacyPolicyURL()}));
        QVERIFY(sheet.isVisible());
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("redoOnboarding"))->clicked();
        QCOMPARE(resets, 1);
    }

    // A form's confirming button is filled with the accent, "Ativar" is a
    // bordered button in the user's accent, "Refazer onboarding" is red.
    void tintedButtons()
    {
        QWidget form;
        const talvoro::forms::SheetHeader header = talvoro::forms::sheetHeader(QStringLiteral("Novo Termo"),
                                                                               QStringLiteral("Adicionar"), &form);
        form.show();
        QVERIFY(filledWith(header.save, talvoro::AccentColorOption().color(false)));

        PermissionsFixture f(false, true, true);
        f.settings.store->setString(kAccent, QStringLiteral("orange"));
        const QColor orange = talvoro::AccentColorOption(talvoro::AccentColorOption::orange).color(false);
        PermissionsView view(f.environment);
        view.resize(700, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto *enable = view.findChild<QWidget *>(QStringLiteral("permission.0"))->findChild<QPushButton *>(
            QStringLiteral("enable"));
        QVERIFY(enable->isVisible());
        const QColor window = enable->palette().color(QPalette::Window);
        const auto wash = [](qreal accent, qreal background) { return 0.15 * accent + 0.85 * background; };
        QVERIFY(filledWith(enable, QColor::fromRgbF(wash(orange.redF(), window.redF()),
                                                    wash(orange.greenF(), window.greenF()),
                                                    wash(orange.blueF(), window.blueF()))));

        SystemSettingsSheetView sheet(f.environment, {}, {});
        auto *redo = sheet.findChild<SettingsRowBase *>(QStringLiteral("redoOnboarding"));
        // The destructive red's hue, darkened until it reads on the window.
        const QColor red = redo->titleLabel()->palette().color(QPalette::WindowText);
        QVERIFY(std::abs(red.hslHue() - talvoro::systemRedColor(false).hslHue()) <= 2);
        QVERIFY(talvoro::contrastRatio(red, talvoro::windowBackgroundColor(false)) >= 4.5);
    }

    void syncRowStates()
    {
        SignedInFixture f;
        SystemSettingsSheetView sheet(f.environment, {}, {});
        sheet.show();
        auto *row = sheet.findChild<SettingsRowBase *>(QStringLiteral("syncNow"));
        auto *spinner = sheet.findChild<talvoro::ui::Spinner *>(QStringLiteral("syncSpinner"));
        auto *text = sheet.findChild<QLabel *>(QStringLiteral("lastSyncText"));
        // Never synced: nothing.
        QVERIFY(!spinner->isVisible() && !text->isVisible());

        Q_EMIT row->clicked();
        QTRY_VERIFY(f.sync->isSyncing());
        QVERIFY(spinner->isVisible());
        QVERIFY(!row->isEnabled());
        QTRY_VERIFY(!f.sync->isSyncing());
        QVERIFY(row->isEnabled());
        QVERIFY(!spinner->isVisible());
        QCOMPARE(text->text(), QStringLiteral("agora"));

        // The text keeps itself current.
        f.clock = f.clock.addSecs(125);
        QTRY_COMPARE_WITH_TIMEOUT(text->text(), QStringLiteral("há 2 minutos"), 3000);
    }

    // Where the desktop offers no global hotkeys, accessibility has nothing
    // to turn on: its row says so instead of offering "Ativar".
    void accessibilityRowWhereTheDesktopHasNoGlobalHotkeys()
    {
        PermissionsFixture f(true, false, true);
        HotkeyManager none(*f.settings.store, std::make_unique<NullKeyboardMonitor>());
        f.environment.hotkeys = &none;
        PermissionsView view(f.environment);
        auto *row = view.findChild<QWidget *>(QStringLiteral("permission.1"));
        auto *note = row->findChild<QLabel *>(QStringLiteral("unavailable"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, false, false}));
        QVERIFY(note->isVisibleTo(row));
        QCOMPARE(note->text(), QStringLiteral("Atalhos globais não estão disponíveis nesta área de trabalho."));

        HotkeyManager working(*f.settings.store, std::make_unique<FakeKeyboardMonitor>());
        f.environment.hotkeys = &working;
        PermissionsView offered(f.environment);
        QCOMPARE(enableButtonsShown(offered), (QList<bool>{false, true, false}));
        QVERIFY(!offered.findChild<QWidget *>(QStringLiteral("permission.1"))
                     ->findChild<QLabel *>(QStringLiteral("unavailable"))
                     ->isVisibleTo(&offered));
    }

    // The permissions screen and the sheet's badge follow the manager; only
    // the screen polls, and only while shown.
    void permissionsFollowTheManager()
    {
        PermissionsFixture f(true, true, false);
        PermissionsView view(f.environment);
        int opened = 0;
        SystemSettingsSheetView sheet(f.environment, [&] { opened++; }, {});
        sheet.show();
        QVERIFY(!f.manager->pollingTask());
        auto *banner = view.findChild<QLabel *>(QStringLiteral("bannerText"));
        auto *badge = sheet.findChild<QLabel *>(QStringLiteral("permissionsBadge"));
        QCOMPARE(banner->text(), QStringLiteral("1 permissão pendente"));
        QCOMPARE(badge->text(), QStringLiteral("1 permissão pendente"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, false, true}));

        // Accessibility withdrawn, then everything granted, as a refresh reads it.
        f.state->accessibility = false;
        f.manager->refresh();
        QCOMPARE(banner->text(), QStringLiteral("2 permissões pendentes"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, true, true}));
        f.state->accessibility = true;
        f.state->speech = SpeechRecognitionAuthorization::authorized;
        f.manager->refresh();
        QCOMPARE(banner->text(), QStringLiteral("Todas as permissões concedidas"));
        QCOMPARE(badge->text(), QStringLiteral("OK"));
        QCOMPARE(enableButtonsShown(view), (QList<bool>{false, false, false}));
        Q_EMIT sheet.findChild<SettingsRowBase *>(QStringLiteral("permissions"))->clicked();
        QCOMPARE(opened, 1);

        QVERIFY(!f.manager->pollingTask());
        view.show();
        auto task = f.manager->pollingTask();
        QVERIFY(task);
        f.state->accessibility = false;
        QTRY_VERIFY_WITH_TIMEOUT(!f.manager->accessibilityGranted(), 3000);

        view.hide();
        QVERIFY(task->isCancelled());
        QVERIFY(!f.manager->pollingTask());

        // Coming back starts it again; leaving stops a poll someone else started.
        view.show();
        QVERIFY(f.manager->pollingTask());
        f.manager->startPolling();
        auto other = f.manager->pollingTask();
        view.hide();
        QVERIFY(other->isCancelled());
        QVERIFY(!f.manager->pollingTask());
    }
};

QTEST_MAIN(TestSettingsScreens)
#include "tst_SettingsScreens.moc"
