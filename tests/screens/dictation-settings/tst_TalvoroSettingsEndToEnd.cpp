// The dictation settings screen over the real services: a signed-in
// AuthManager, the SyncManager with its backend client and offline queue, the
// store, against the stand-in backend on loopback.
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncManager.h"
#include "navigation/AppEnvironment.h"
#include "texts/Localization.h"
#include "look/ui/ToggleSwitch.h"
#include "backend-local/SyncAccount.h"
#include "platform/AppModelContainer.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "support/AccountTestSupport.h"
#include "transcription/FormattingOptions.h"

#include <QComboBox>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using talvoro::ui::ToggleSwitch;

class TestTalvoroSettingsEndToEnd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        talvoro::installTranslations();
    }

    void aFlippedSwitchReachesTheAccount()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        QVERIFY(harness.signIn());
        const QString userId = harness.auth->userId().value_or(QString());
        QVERIFY(!userId.isEmpty());
        const auto accountSettings = [&]() -> std::optional<QJsonObject> {
            return backendlocal::SyncAccount(backend.state().user(userId)->sync).settings();
        };

        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("TalvoroApp.store")));
        auto provider = std::make_shared<DefaultAuthProvider>();
        SyncManager::Dependencies deps;
        deps.auth = provider;
        deps.client = std::make_shared<BackendAPIClient>(provider, &harness.network, backend.baseURL());
        deps.queue = std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("offline-queue.json")));
        deps.defaults = harness.settings.store.get();
        deps.container = &container;
        deps.accountId = [&harness] { return harness.auth->userId().value_or(QString()); };
        deps.timeZoneId = [] { return QStringLiteral("UTC"); };
        SyncManager sync(deps);

        AppEnvironment environment;
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        environment.sync = &sync;
        environment.models = &container;
        TalvoroSettingsView view(environment, {});
        view.resize(900, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // Showing the screen pulled (nothing synced yet) and pushed no settings.
        QTRY_VERIFY(sync.lastSyncDate().has_value());
        QTRY_VERIFY(!sync.isSyncing());
        QVERIFY(!accountSettings().has_value()
                || accountSettings()->value(QStringLiteral("formattingOptions")).toObject()
                           .value(QStringLiteral("formatDates")).toBool(true));

        // Flip "Formatar datas" off: saved at once and pushed to the account.
        auto *dates = view.findChild<ToggleSwitch *>(QStringLiteral("formatDatesSwitch"));
        QVERIFY(dates);
        QVERIFY(dates->isChecked());
        QTest::mouseClick(dates, Qt::LeftButton);
        QVERIFY(!FormattingOptions::loadFromUserDefaults(*harness.settings.store).formatDates);
        QTRY_VERIFY(accountSettings().has_value());
        QTRY_COMPARE(accountSettings()->value(QStringLiteral("formattingOptions")).toObject()
                         .value(QStringLiteral("formatDates")).toBool(true),
                     false);
        const QJsonObject block = *accountSettings();
        QCOMPARE(block.value(QStringLiteral("formattingOptions")).toObject().value(QStringLiteral("tone")).toString(),
                 QStringLiteral("natural"));
        QVERIFY(block.contains(QStringLiteral("transcriptionLanguage")));

        // A picker change goes the same way.
        auto *language = view.findChild<QComboBox *>(QStringLiteral("languagePicker"));
        const int spanish = language->findData(QStringLiteral("es"));
        language->setCurrentIndex(spanish);
        Q_EMIT language->activated(spanish);
        QTRY_COMPARE(accountSettings()->value(QStringLiteral("transcriptionLanguage")).toString(), QStringLiteral("es"));
        QCOMPARE(deps.queue->count(), 0);
    }
};

QTEST_MAIN(TestTalvoroSettingsEndToEnd)
#include "tst_TalvoroSettingsEndToEnd.moc"
