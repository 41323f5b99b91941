#include "screens/dictation-settings/ReplacementRules.h"

#include "account/SyncProviding.h"
#include "account/SyncMerge.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/dictation-settings/FormText.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "texts/Localization.h"


namespace talvoro::rules {

namespace {

QString withCount(const char *portugueseText, qsizetype count)
{
    return localized(portugueseText).replace(QStringLiteral("%lld"), QString::number(qint64(count)));
}

} // namespace

QString SheetMode::id() const
{
    return rule ? rule->idString() : QStringLiteral("create");
}

// ---- RuleForm

RuleForm::RuleForm(SheetMode mode, ModelContext &context, SyncProviding *sync, std::function<QDateTime()> now)
    : m_mode(std::move(mode))
    , m_context(context)
    , m_sync(sync)
    , m_now(std::move(now))
{
    if (m_mode.rule) {
        originalText = m_mode.rule->originalText;
        replacementText = m_mode.rule->replacementText;
    }
}

bool RuleForm::canSave() const
{
    return !trimmedSpacesAndTabs(originalText).isEmpty();
}

bool RuleForm::save()
{
    const QString original = trimmedSpacesAndTabs(originalText);
    if (original.isEmpty())
        return false;
    const QString replacement = trimmedSpacesAndTabs(replacementText);
    ReplacementRule saved;
    if (m_mode.rule) {
        const QDateTime now = m_now();
        auto modified = m_context.modify<ReplacementRule>(m_mode.rule->id, [&](ReplacementRule &rule) {
            rule.updatedAt = now;
            rule.originalText = original;
            rule.replacementText = replacement;
        });
        // Deleted meanwhile (a pull, another window): nothing to save or push.
        if (!modified)
            return true;
        saved = *modified;
    } else {
        ReplacementRule rule(original, replacement);
        const QDateTime now = m_now();
        rule.createdAt = now;
        rule.updatedAt = now;
        saved = m_context.insert(std::move(rule));
    }
    if (m_sync)
        m_sync->startRuleModelPush(saved, false);
    return true;
}

// ---- ReplacementRulesModel

ReplacementRulesModel::ReplacementRulesModel(UserDefaultsProviding &settings, AppModelContainer &models,
                                             SyncProviding *sync, std::function<QDateTime()> now, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_models(models)
    , m_sync(sync)
    , m_now(now ? std::move(now) : [] { return QDateTime::currentDateTime(); })
    , m_rules(std::make_unique<ReplacementRulesQuery>(models, StoreQueries::rulesNewestFirst()))
{
    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::replacementRulesEnabled)
            Q_EMIT rulesEnabledChanged();
    });
}

ReplacementRulesModel::~ReplacementRulesModel() = default;

const ReplacementRulesQuery::Results &ReplacementRulesModel::rules() const
{
    return m_rules->results();
}

ModelContext &ReplacementRulesModel::context() const
{
    return m_models.mainContext();
}

bool ReplacementRulesModel::rulesEnabled() const
{
    return m_settings.value(SettingsKeys::replacementRulesEnabled);
}

void ReplacementRulesModel::setRulesEnabled(bool enabled)
{
    if (enabled == rulesEnabled())
        return;
    m_settings.set(SettingsKeys::replacementRulesEnabled, enabled);
    if (m_sync)
        m_sync->startSettingsPush();
}

void ReplacementRulesModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    Q_EMIT searchTextChanged();
}

bool ReplacementRulesModel::matches(const ReplacementRule &rule, const QString &searchText)
{
    return talvoro::history::matchesSearch(rule.originalText, searchText)
        || talvoro::history::matchesSearch(rule.replacementText, searchText);
}

QList<ReplacementRule> ReplacementRulesModel::filteredRules() const
{
    QList<ReplacementRule> shown;
    for (const ReplacementRule &rule : rules()) {
        if (matches(rule, m_searchText))
            shown.append(rule);
    }
    return shown;
}

bool ReplacementRulesModel::isShown(const QUuid &id) const
{
    const std::optional<ReplacementRule> rule = m_rules->find(id);
    return rule && matches(*rule, m_searchText);
}

ReplacementRulesModel::Content ReplacementRulesModel::content() const
{
    if (rules().isEmpty())
        return Content::noRules;
    if (m_searchText.isEmpty())
        return Content::rules;
    for (const ReplacementRule &rule : rules()) {
        if (matches(rule, m_searchText))
            return Content::rules;
    }
    return Content::noSearchResults;
}

void ReplacementRulesModel::setSelection(QSet<QUuid> selection)
{
    if (selection == m_selection)
        return;
    m_selection = std::move(selection);
    Q_EMIT selectionChanged();
}

std::optional<ReplacementRule> ReplacementRulesModel::selectedRule() const
{
    if (m_selection.size() != 1)
        return std::nullopt;
    return m_rules->find(*m_selection.cbegin());
}

void ReplacementRulesModel::stampAndPush(const QUuid &id, const std::function<void(ReplacementRule &)> &change)
{
    const QDateTime now = m_now();
    auto changed = context().modify<ReplacementRule>(id, [&](ReplacementRule &rule) {
        change(rule);
        rule.updatedAt = now;
    });
    if (changed && m_sync)
        m_sync->startRuleModelPush(*changed, false);
}

void ReplacementRulesModel::setRuleEnabled(const QUuid &id, bool enabled)
{
    stampAndPush(id, [enabled](ReplacementRule &rule) { rule.isEnabled = enabled; });
}

void ReplacementRulesModel::toggleRule(const QUuid &id)
{
    stampAndPush(id, [](ReplacementRule &rule) { rule.isEnabled = !rule.isEnabled; });
}

void ReplacementRulesModel::openCreate()
{
    m_sheetMode = SheetMode::create();
    Q_EMIT sheetModeChanged();
}

void ReplacementRulesModel::openEditor(const ReplacementRule &rule)
{
    m_sheetMode = SheetMode::edit(rule);
    Q_EMIT sheetModeChanged();
}

bool ReplacementRulesModel::openSelectedRule()
{
    const auto rule = selectedRule();
    if (!rule)
        return false;
    openEditor(*rule);
    return true;
}

void ReplacementRulesModel::closeSheet()
{
    if (!m_sheetMode)
        return;
    m_sheetMode.reset();
    Q_EMIT sheetModeChanged();
}

QList<ReplacementRule> ReplacementRulesModel::collectSelected() const
{
    QList<ReplacementRule> selected;
    for (const ReplacementRule &rule : rules()) {
        if (m_selection.contains(rule.id))
            selected.append(rule);
    }
    return selected;
}

void ReplacementRulesModel::openDeleteAlert(QList<ReplacementRule> rules)
{
    m_pending = std::move(rules);
    m_showDeleteAlert = true;
    Q_EMIT deleteAlertChanged();
}

void ReplacementRulesModel::closeDeleteAlert()
{
    m_pending.clear();
    m_showDeleteAlert = false;
    Q_EMIT deleteAlertChanged();
}

void ReplacementRulesModel::requestDelete(const ReplacementRule &rule)
{
    openDeleteAlert({rule});
}

void ReplacementRulesModel::requestDeleteSelection()
{
    openDeleteAlert(collectSelected());
}

bool ReplacementRulesModel::deleteCommand()
{
    QList<ReplacementRule> selected = collectSelected();
    if (selected.isEmpty())
        return false;
    openDeleteAlert(std::move(selected));
    return true;
}

QString ReplacementRulesModel::deleteAlertTitle() const
{
    if (m_pending.size() == 1)
        return localized("Excluir Regra");
    return withCount("Excluir %lld Regras", m_pending.size());
}

QString ReplacementRulesModel::deleteAlertMessage() const
{
    if (m_pending.size() == 1)
        return localized("Tem certeza que deseja excluir esta regra?");
    return withCount("Tem certeza que deseja excluir as %lld regras selecionadas?", m_pending.size());
}

void ReplacementRulesModel::cancelDelete()
{
    closeDeleteAlert();
}

void ReplacementRulesModel::deletePendingRules()
{
    const QList<ReplacementRule> pending = m_pending;
    QSet<QUuid> selection = m_selection;
    for (const ReplacementRule &rule : pending) {
        pushDeletion(rule);
        selection.remove(rule.id);
    }
    closeDeleteAlert();
    setSelection(std::move(selection));
}

void ReplacementRulesModel::deleteRows(const QList<int> &rows)
{
    // Resolve every row before removing any: each removal shifts the rows
    // after it, and a filtered list would otherwise lose the wrong rules.
    const QList<ReplacementRule> shown = filteredRules();
    QList<QUuid> ids;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int row : sorted) {
        if (row >= 0 && row < shown.size() && !ids.contains(shown[row].id))
            ids.append(shown[row].id);
    }
    for (const QUuid &id : ids) {
        auto removed = context().remove<ReplacementRule>(id);
        if (!removed)
            continue;
        ReplacementRule stamped = *removed;
        stamped.updatedAt = m_now();
        if (m_sync)
            m_sync->startRulePush(SyncMerge::payloadFromRule(stamped, true));
    }
}

void ReplacementRulesModel::deleteFromForm(const ReplacementRule &rule)
{
    pushDeletion(rule);
    QSet<QUuid> selection = m_selection;
    selection.remove(rule.id);
    setSelection(std::move(selection));
}

void ReplacementRulesModel::pushDeletion(const ReplacementRule &rule)
{
    // The snapshot `remove` returns carries the values at deletion. A rule
    // already gone here (a pull, another window) still sends its tombstone,
    // from the values the screen had: the account may hold it.
    auto removed = context().remove<ReplacementRule>(rule.id);
    if (m_sync)
        m_sync->startRuleModelPush(removed ? *removed : rule, true);
}

QCoro::Task<void> ReplacementRulesModel::appear()
{
    if (m_sync)
        co_await m_sync->pullIfStale(kPullMinimumInterval);
}

} // namespace talvoro::rules
