// The dictionary and the rules over the real synchroniser, signed in to the
// stand-in backend on loopback. Each step waits for the account to hold the
// last one, so two pushes never race; the clock moves on so every change is
// newer. A pull at the end leaves both sides without the item.
#include "platform/ModelContext.h"
#include "screens/dictation-settings/DictionaryEditor.h"
#include "screens/dictation-settings/ReplacementRules.h"
#include "support/SyncTestSupport.h"

#include <QTest>

using namespace talvoro;

class TestEditorsEndToEnd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void termsAndRulesReachTheAccountAndStayDeleted()
    {
        AccountServices app;
        QVERIFY(app.harness.signIn());
        ModelContext &store = app.models.mainContext();
        app.clock = QDateTime::currentDateTime();
        SyncProviding *const sync = app.environment.syncProvider;
        dictionary::DictionaryEditor editor(*app.environment.settings, store, sync, app.environment.now);
        // A term: added, edited and deleted.
        const auto remote = [&](const char *field) {
            return app.account().dictionaryEntry(editor.query().results()[0].idString())->value(QLatin1String(field));
        };

        dictionary::TermForm create(dictionary::DictionarySheetMode::create(), QStringLiteral("pt"), {});
        create.term = QStringLiteral("Kubernetes");
        QCOMPARE(create.save(store, editor.query().results(), sync, app.clock), dictionary::TermForm::SaveResult::saved);
        QTRY_COMPARE(editor.query().count(), 1);
        QTRY_VERIFY(app.account().dictionaryEntry(editor.query().results()[0].idString()));
        QCOMPARE(remote("term").toString(), QStringLiteral("Kubernetes"));
        const DictionaryEntry entry = editor.query().results()[0];

        app.clock = app.clock.addSecs(1);
        dictionary::TermForm edit(dictionary::DictionarySheetMode::edit(entry), QStringLiteral("pt"), {});
        edit.term = QStringLiteral("K8s");
        QCOMPARE(edit.save(store, editor.query().results(), sync, app.clock), dictionary::TermForm::SaveResult::saved);
        QTRY_COMPARE(remote("term").toString(), QStringLiteral("K8s"));

        app.clock = app.clock.addSecs(1);
        editor.setSelection({entry.id});
        QVERIFY(editor.requestDeleteCommand());
        editor.confirmDelete();
        QTRY_VERIFY(app.account().dictionaryEntry(entry.idString())->value(QLatin1String("isDeleted")).toBool());
        QCoro::waitFor(app.sync->pull(store));
        QCOMPARE(editor.query().count(), 0);

        // A rule: added, edited, disabled and deleted.
        rules::ReplacementRulesModel model(*app.environment.settings, app.models, sync, app.environment.now);
        const auto remoteRule = [&](const char *field) {
            return app.account().rule(model.rules()[0].idString())->value(QLatin1String(field));
        };
        rules::RuleForm createRule(rules::SheetMode::create(), store, sync, app.environment.now);
        createRule.originalText = QStringLiteral("vc");
        QVERIFY(createRule.save());
        QTRY_COMPARE(model.rules().size(), 1);
        QTRY_VERIFY(app.account().rule(model.rules()[0].idString()));
        const ReplacementRule rule = model.rules()[0];

        app.clock = app.clock.addSecs(1);
        rules::RuleForm editRule(rules::SheetMode::edit(rule), store, sync, app.environment.now);
        editRule.replacementText = QStringLiteral("você");
        QVERIFY(editRule.save());
        QTRY_COMPARE(remoteRule("replacementText").toString(), QStringLiteral("você"));

        app.clock = app.clock.addSecs(1);
        model.setRuleEnabled(rule.id, false);
        QTRY_COMPARE(remoteRule("isEnabled").toBool(true), false);

        model.requestDelete(model.rules()[0]);
        model.deletePendingRules();
        QTRY_VERIFY(app.account().rule(rule.idString())->value(QLatin1String("isDeleted")).toBool());
        QCoro::waitFor(app.sync->pull(store));
        QVERIFY(model.rules().isEmpty());
    }
};

QTEST_MAIN(TestEditorsEndToEnd)
#include "tst_EditorsEndToEnd.moc"
