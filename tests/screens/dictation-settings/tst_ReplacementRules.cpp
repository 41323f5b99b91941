#include "screens/dictation-settings/ReplacementRules.h"
#include "platform/ModelContext.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QTest>

using namespace talvoro;
using namespace talvoro::rules;

namespace {

struct Push
{
    QUuid id;
    bool isDeleted = false;
    QDateTime updatedAt;     // rule pushes
    double payloadTime = 0;  // payload pushes
    bool viaPayload = false;
};

const QString kEnabledKey = QStringLiteral("replacementRulesEnabled");

} // namespace

class TestReplacementRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporaryProfile> m_store;
    QList<Push> m_pushes;
    int m_settingsPushes = 0;
    int m_pulls = 0;
    QDateTime m_now;

    FakeSync m_sync;

    SyncProviding *sync()
    {
        m_sync.onRuleModelPush = [this](const ReplacementRule &rule, bool deleted) {
            m_pushes.append({rule.id, deleted, rule.updatedAt, 0, false});
        };
        m_sync.onRulePush = [this](const SyncRulePayload &payload) {
            m_pushes.append({QUuid::fromString(payload.clientId), payload.isDeleted, {}, payload.updatedAt, true});
        };
        m_sync.onSettingsPush = [this] { ++m_settingsPushes; };
        m_sync.onPullIfStale = [this](int seconds) -> QCoro::Task<void> {
            m_pulls += seconds == 30;
            return [] -> QCoro::Task<void> { co_return; }();
        };
        return &m_sync;
    }
    std::unique_ptr<ReplacementRulesModel> makeModel()
    {
        return std::make_unique<ReplacementRulesModel>(*m_store->store, m_store->models, sync(),
                                                       [this] { return m_now; });
    }
    ReplacementRule addRule(const QString &original, const QString &replacement, int createdSecond)
    {
        ReplacementRule rule(original, replacement);
        rule.createdAt = rule.updatedAt = QDateTime::fromSecsSinceEpoch(1'700'000'000 + createdSecond);
        rule = m_store->models.mainContext().insert(rule);
        commit();
        return rule;
    }
    void commit() { QVERIFY(m_store->models.mainContext().save()); }
    std::optional<ReplacementRule> stored(const QUuid &id)
    {
        return m_store->models.mainContext().fetchById<ReplacementRule>(id);
    }

private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_store = std::make_unique<TemporaryProfile>();
        m_pushes.clear();
        m_settingsPushes = 0;
        m_pulls = 0;
        m_now = QDateTime::fromSecsSinceEpoch(1'800'000'000);
    }
    void cleanup() { m_store.reset(); }

    // The account side of saving: tst_EditorsEndToEnd.
    void formTrimsRefusesAnEmptyOriginalAndKeepsTheRestOnEdit()
    {
        ModelContext &context = m_store->models.mainContext();
        RuleForm create(SheetMode::create(), context, sync(), [this] { return m_now; });
        // Only the original's trimmed text decides; an empty original is
        // refused even when save runs without the button.
        create.originalText = QStringLiteral(" \t\u2009");
        create.replacementText = QStringLiteral("x");
        QVERIFY(!create.canSave());
        QVERIFY(!create.save());
        QVERIFY(m_pushes.isEmpty());

        create.originalText = QStringLiteral("  eae ");
        create.replacementText = QStringLiteral(" ");
        QVERIFY(create.save());
        commit();
        const ReplacementRule rule = context.fetch<ReplacementRule>().value().at(0);
        QCOMPARE(rule.originalText, QStringLiteral("eae"));
        QCOMPARE(rule.replacementText, QString()); // an empty replacement is stored
        QVERIFY(rule.isEnabled);

        // An edit stamps the rule; its switch and use count stay.
        context.modify<ReplacementRule>(rule.id, [](ReplacementRule &r) { r.isEnabled = false; r.useCount = 4; });
        commit();
        m_now = m_now.addSecs(60);
        RuleForm edit(SheetMode::edit(*stored(rule.id)), context, sync(), [this] { return m_now; });
        edit.replacementText = QStringLiteral("E aí\n");
        QVERIFY(edit.save());
        commit();
        const ReplacementRule after = *stored(rule.id);
        QCOMPARE(after.replacementText, QStringLiteral("E aí\n"));
        QCOMPARE(after.updatedAt, m_now);
        QVERIFY(!after.isEnabled);
        QCOMPARE(after.useCount, 4);
        QCOMPARE(m_pushes.size(), 2);
    }

    void editOfADeletedRuleClosesWithoutSaving()
    {
        const ReplacementRule rule = addRule(QStringLiteral("a"), QStringLiteral("b"), 1);
        RuleForm edit(SheetMode::edit(rule), m_store->models.mainContext(), sync(), [this] { return m_now; });
        QVERIFY(m_store->models.mainContext().remove<ReplacementRule>(rule.id));
        commit();
        edit.originalText = QStringLiteral("c");
        QVERIFY(edit.save());
        commit();
        QVERIFY(!stored(rule.id));
        QVERIFY(m_pushes.isEmpty());
    }

    void searchFindsOriginalThenReplacement()
    {
        auto model = makeModel();
        QCOMPARE(model->content(), ReplacementRulesModel::Content::noRules);
        model->setSearchText(QStringLiteral("x"));
        // The empty-store state comes before the search.
        QCOMPARE(model->content(), ReplacementRulesModel::Content::noRules);

        const auto old = addRule(QStringLiteral("Café da manhã"), QStringLiteral("breakfast"), 1);
        const auto mid = addRule(QStringLiteral("vc"), QStringLiteral("Você mesmo"), 2);
        const auto neu = addRule(QStringLiteral("tb"), QStringLiteral("também"), 3);
        auto ids = [&] {
            QList<QUuid> out;
            for (const auto &r : model->filteredRules())
                out.append(r.id);
            return out;
        };
        model->setSearchText(QString());
        QCOMPARE(ids(), (QList<QUuid>{neu.id, mid.id, old.id}));
        model->setSearchText(QStringLiteral("CAFÉ"));
        QCOMPARE(ids(), QList<QUuid>{old.id});
        model->setSearchText(QStringLiteral("cafe"));
        QCOMPARE(model->content(), ReplacementRulesModel::Content::noSearchResults);
        model->setSearchText(QStringLiteral("você"));
        QCOMPARE(ids(), QList<QUuid>{mid.id});
        model->setSearchText(QStringLiteral(" "));
        QCOMPARE(ids(), (QList<QUuid>{mid.id, old.id}));
    }

    void switchesStampAndPushOncePerUserChange()
    {
        auto model = makeModel();
        const auto rule = addRule(QStringLiteral("a"), QStringLiteral("b"), 1);
        const auto other = addRule(QStringLiteral("c"), QStringLiteral("d"), 2);
        model->setRuleEnabled(rule.id, true); // the same value still stamps and pushes
        model->toggleRule(rule.id);
        commit();
        QCOMPARE(m_pushes.size(), 2);
        QVERIFY(!stored(rule.id)->isEnabled);
        QCOMPARE(stored(rule.id)->updatedAt, m_now);
        QCOMPARE(m_pushes[1].updatedAt, m_now);
        QVERIFY(!m_pushes[1].isDeleted);
        // A toggle does not move the rule.
        QCOMPARE(model->rules()[1].id, rule.id);
        QCOMPARE(model->rules()[0].id, other.id);

        QVERIFY(model->rulesEnabled());
        model->setRulesEnabled(false);
        model->setRulesEnabled(true);
        QCOMPARE(m_settingsPushes, 2);
        // A pulled change redraws but is not echoed to the account.
        int redraws = 0;
        connect(model.get(), &ReplacementRulesModel::rulesEnabledChanged, this, [&] { ++redraws; });
        m_store->store->setBool(kEnabledKey, false);
        QCOMPARE(redraws, 1);
        QVERIFY(!model->rulesEnabled());
        QCOMPARE(m_settingsPushes, 2);
        QCOMPARE(m_pushes.size(), 2); // no rule changed

        QCoro::waitFor(model->appear());
        QCOMPARE(m_pulls, 1);
    }

    void confirmedDeletionWordingPushesAndSelection()
    {
        auto model = makeModel();
        const auto a = addRule(QStringLiteral("a"), QStringLiteral("1"), 1);
        const auto b = addRule(QStringLiteral("b"), QStringLiteral("2"), 2);
        const auto c = addRule(QStringLiteral("c"), QStringLiteral("3"), 3);
        const QUuid gone = QUuid::createUuid();

        // Only a vanished id selected: trash confirms 0, Delete does nothing.
        model->setSelection({gone});
        QVERIFY(!model->deleteCommand());
        QVERIFY(!model->showsDeleteAlert());
        model->requestDeleteSelection();
        QVERIFY(model->showsDeleteAlert());
        QCOMPARE(model->deleteAlertTitle(), QStringLiteral("Excluir 0 Regras"));
        QCOMPARE(model->deleteAlertMessage(), QStringLiteral("Tem certeza que deseja excluir as 0 regras selecionadas?"));
        model->deletePendingRules();
        QVERIFY(m_pushes.isEmpty());
        QCOMPARE(model->rules().size(), 3);

        model->requestDelete(b);
        QCOMPARE(model->deleteAlertTitle(), QStringLiteral("Excluir Regra"));
        QCOMPARE(model->deleteAlertMessage(), QStringLiteral("Tem certeza que deseja excluir esta regra?"));
        model->setSelection({a.id, b.id, gone});
        model->cancelDelete();
        QVERIFY(model->pendingDeleteRules().isEmpty());
        QCOMPARE(model->selection().size(), 3);
        QVERIFY(m_pushes.isEmpty());

        // A selected rule hidden by the search is deleted too.
        model->setSearchText(QStringLiteral("a"));
        QVERIFY(model->deleteCommand());
        QCOMPARE(model->deleteAlertTitle(), QStringLiteral("Excluir 2 Regras"));
        m_now = m_now.addSecs(5);
        model->deletePendingRules();
        commit();
        QCOMPARE(m_pushes.size(), 2);
        QCOMPARE(m_pushes[0].id, b.id); // in the order of the list, newest first
        for (const Push &push : m_pushes) {
            QVERIFY(push.isDeleted && !push.viaPayload);
            QCOMPARE(push.updatedAt, a.updatedAt.addSecs(push.id == b.id ? 1 : 0)); // the old times
        }
        QCOMPARE(model->selection(), QSet<QUuid>{gone});
        QVERIFY(!stored(a.id) && !stored(b.id) && stored(c.id));
    }

    void rowAndFormDeletions()
    {
        auto model = makeModel();
        const auto a = addRule(QStringLiteral("xa"), QStringLiteral("1"), 1);
        const auto b = addRule(QStringLiteral("b"), QStringLiteral("2"), 2);
        const auto c = addRule(QStringLiteral("xc"), QStringLiteral("3"), 3);
        const auto d = addRule(QStringLiteral("xd"), QStringLiteral("4"), 4);
        model->setSelection({a.id, c.id});
        // Rows of a filtered list: exactly the rows shown at 0 and 2 (d, a).
        model->setSearchText(QStringLiteral("x"));
        model->deleteRows({2, 0});
        commit();
        QVERIFY(!stored(a.id) && !stored(d.id) && stored(b.id) && stored(c.id));
        QCOMPARE(m_pushes.size(), 2);
        for (const Push &push : m_pushes)
            QVERIFY(push.viaPayload && push.isDeleted && push.payloadTime == m_now.toMSecsSinceEpoch());
        QCOMPARE(model->selection().size(), 2); // the row path keeps the selection

        m_pushes.clear();
        model->deleteFromForm(c);
        commit();
        QVERIFY(!stored(c.id));
        QCOMPARE(m_pushes.size(), 1);
        QVERIFY(m_pushes[0].isDeleted && !m_pushes[0].viaPayload);
        QCOMPARE(m_pushes[0].updatedAt, c.updatedAt);
        QCOMPARE(model->selection(), QSet<QUuid>{a.id});
    }
};

QTEST_GUILESS_MAIN(TestReplacementRules)
#include "tst_ReplacementRules.moc"
