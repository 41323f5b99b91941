// The dictation settings, dictionary and rules screens over the real
// services: a signed-in AuthManager, the SyncManager with its backend client
// and offline queue, the store, against the stand-in backend on loopback.
#include "account/OfflineSyncQueue.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/DictionaryEditor.h"
#include "screens/dictation-settings/ReplacementRules.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "support/SignedInSync.h"
#include "texts/Localization.h"
#include "transcription/FormattingOptions.h"

#include <QComboBox>
#include <QJsonObject>
#include <QTest>

using namespace talvoro;
using talvoro::ui::ToggleSwitch;

class TestDictationSettingsEndToEnd : public QObject
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
        SignedInSync account;
        QVERIFY(account.signedIn);
        const auto accountSettings = [&] { return account.account().settings(); };
        SyncManager &sync = *account.sync;

        TalvoroSettingsView view(account.environment, {});
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
        QVERIFY(!FormattingOptions::loadFromUserDefaults(*account.environment.settings).formatDates);
        QTRY_VERIFY(accountSettings().has_value());
        QTRY_COMPARE(accountSettings()->value(QStringLiteral("formattingOptions")).toObject()
                         .value(QStringLiteral("formatDates")).toBool(true),
                     false);

        // A picker change goes the same way.
        auto *language = view.findChild<QComboBox *>(QStringLiteral("languagePicker"));
        const int spanish = language->findData(QStringLiteral("es"));
        language->setCurrentIndex(spanish);
        Q_EMIT language->activated(spanish);
        QTRY_COMPARE(accountSettings()->value(QStringLiteral("transcriptionLanguage")).toString(), QStringLiteral("es"));
        QCOMPARE(account.deps.queue->count(), 0);
    }

    // Each step waits for the account to hold the last one, so two pushes
    // never race; the clock moves on so every change is newer. A pull at the
    // end leaves both sides without the item.
    void aTermIsAddedEditedAndDeletedOnTheAccount()
    {
        SignedInSync account;
        QVERIFY(account.signedIn);
        ModelContext &store = account.container.mainContext();
        QDateTime clock = QDateTime::currentDateTime();
        const auto hooks = dictionary::dictionarySyncHooks(account.sync.get());
        dictionary::DictionaryEditor editor(*account.environment.settings, store, hooks, [&clock] { return clock; });
        const auto remote = [&](const char *field) {
            return account.account().dictionaryEntry(editor.query().results()[0].idString())->value(QLatin1String(field));
        };

        dictionary::TermForm create(dictionary::DictionarySheetMode::create(), QStringLiteral("pt"), {});
        create.term = QStringLiteral("Kubernetes");
        QCOMPARE(create.save(store, editor.query().results(), hooks, clock), dictionary::TermForm::SaveResult::saved);
        QTRY_COMPARE(editor.query().count(), 1);
        QTRY_VERIFY(account.account().dictionaryEntry(editor.query().results()[0].idString()));
        QCOMPARE(remote("term").toString(), QStringLiteral("Kubernetes"));
        const DictionaryEntry entry = editor.query().results()[0];

        clock = clock.addSecs(1);
        dictionary::TermForm edit(dictionary::DictionarySheetMode::edit(entry), QStringLiteral("pt"), {});
        edit.term = QStringLiteral("K8s");
        QCOMPARE(edit.save(store, editor.query().results(), hooks, clock), dictionary::TermForm::SaveResult::saved);
        QTRY_COMPARE(remote("term").toString(), QStringLiteral("K8s"));

        clock = clock.addSecs(1);
        editor.setSelection({entry.id});
        QVERIFY(editor.requestDeleteCommand());
        editor.confirmDelete();
        QTRY_VERIFY(account.account().dictionaryEntry(entry.idString())->value(QLatin1String("isDeleted")).toBool());
        QCoro::waitFor(account.sync->pull(store));
        QCOMPARE(editor.query().count(), 0);
    }

    void aRuleIsAddedEditedDisabledAndDeletedOnTheAccount()
    {
        SignedInSync account;
        QVERIFY(account.signedIn);
        ModelContext &store = account.container.mainContext();
        QDateTime clock = QDateTime::currentDateTime();
        const auto now = [&clock] { return clock; };
        const auto hooks = rules::ruleSyncHooks(account.sync.get());
        rules::ReplacementRulesModel model(*account.environment.settings, account.container, hooks, now);
        const auto remote = [&](const char *field) {
            return account.account().rule(model.rules()[0].idString())->value(QLatin1String(field));
        };

        rules::RuleForm create(rules::SheetMode::create(), store, hooks, now);
        create.originalText = QStringLiteral("vc");
        QVERIFY(create.save());
        QTRY_COMPARE(model.rules().size(), 1);
        QTRY_VERIFY(account.account().rule(model.rules()[0].idString()));
        QCOMPARE(remote("originalText").toString(), QStringLiteral("vc"));
        const ReplacementRule rule = model.rules()[0];

        clock = clock.addSecs(1);
        rules::RuleForm edit(rules::SheetMode::edit(rule), store, hooks, now);
        edit.replacementText = QStringLiteral("você");
        QVERIFY(edit.save());
        QTRY_COMPARE(remote("replacementText").toString(), QStringLiteral("você"));

        clock = clock.addSecs(1);
        model.setRuleEnabled(rule.id, false);
        QTRY_COMPARE(remote("isEnabled").toBool(true), false);

        model.requestDelete(model.rules()[0]);
        model.deletePendingRules();
        QTRY_VERIFY(account.account().rule(rule.idString())->value(QLatin1String("isDeleted")).toBool());
        QCoro::waitFor(account.sync->pull(store));
        QVERIFY(model.rules().isEmpty());
    }
};

QTEST_MAIN(TestDictationSettingsEndToEnd)
#include "tst_DictationSettingsEndToEnd.moc"
