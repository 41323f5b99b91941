#pragma once

#include "account/SyncPayloads.h"
#include "transcription/StoreQueries.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <qcorotask.h>

#include <functional>
#include <memory>
#include <optional>

class AppModelContainer;
class ModelContext;
class SyncProviding;
class UserDefaultsProviding;

namespace talvoro::rules {

// Which form the screen shows: create, or edit with a rule.
struct SheetMode
{
    std::optional<ReplacementRule> rule;

    static SheetMode create() { return {}; }
    static SheetMode edit(ReplacementRule rule) { return {std::move(rule)}; }
    bool isEdit() const { return rule.has_value(); }
    // "create", or the rule id's upper-case text: another identity replaces
    // the open sheet.
    QString id() const;
};

// The rule form's state and its save, without widgets.
class RuleForm
{
public:
    RuleForm(SheetMode mode, ModelContext &context, SyncProviding *sync, std::function<QDateTime()> now);

    const SheetMode &mode() const { return m_mode; }
    QString originalText;
    QString replacementText;

    // The save button's state: the trimmed original is not empty.
    bool canSave() const;
    // Writes and pushes the rule. False when nothing may be saved (an empty
    // original: the rule pass would replace at every position) and the sheet
    // stays open; true when the sheet closes, also when the rule being
    // edited was deleted meanwhile (nothing is written or pushed then).
    bool save();

private:
    SheetMode m_mode;
    ModelContext &m_context;
    SyncProviding *m_sync;
    std::function<QDateTime()> m_now;
};

// The rules of the replacement rules screen, without widgets: the search,
// the selection, the sheet mode, the switches and every deletion path.
class ReplacementRulesModel : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPullMinimumInterval = 30;
    enum class Content { noRules, noSearchResults, rules };

    ReplacementRulesModel(UserDefaultsProviding &settings, AppModelContainer &models, SyncProviding *sync,
                          std::function<QDateTime()> now, QObject *parent = nullptr);
    ~ReplacementRulesModel() override;

    ReplacementRulesQuery &query() { return *m_rules; }
    const ReplacementRulesQuery::Results &rules() const;
    ModelContext &context() const;
    SyncProviding *sync() const { return m_sync; }
    std::function<QDateTime()> clock() const { return m_now; }

    // Master switch: only the user's change pushes; a write from a pull
    // redraws the switch but is not echoed back to the account.
    bool rulesEnabled() const;
    void setRulesEnabled(bool enabled);

    // Search: case-insensitive containment in the original, then in the
    // replacement; diacritics count. An empty text shows every rule.
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    static bool matches(const ReplacementRule &rule, const QString &searchText);
    QList<ReplacementRule> filteredRules() const;
    // Whether the list shows the rule with this id: it exists and matches.
    bool isShown(const QUuid &id) const;
    Content content() const;

    const QSet<QUuid> &selection() const { return m_selection; }
    void setSelection(QSet<QUuid> selection);
    // The one selected rule among all rules, when exactly one id is selected.
    std::optional<ReplacementRule> selectedRule() const;
    bool showsEditButton() const { return selectedRule().has_value(); }
    bool showsTrashButton() const { return !m_selection.isEmpty(); }

    // Switches: each writes (also the same value), stamps and pushes.
    void setRuleEnabled(const QUuid &id, bool enabled);
    void toggleRule(const QUuid &id);

    const std::optional<SheetMode> &sheetMode() const { return m_sheetMode; }
    void openCreate();
    void openEditor(const ReplacementRule &rule);
    // Return: true (handled) when it opened the editor of the selected rule.
    bool openSelectedRule();
    void closeSheet();

    // Deletion requests; each opens the confirmation except an empty
    // Delete command, which returns false and does nothing.
    void requestDelete(const ReplacementRule &rule);
    void requestDeleteSelection();
    bool deleteCommand();
    const QList<ReplacementRule> &pendingDeleteRules() const { return m_pending; }
    bool showsDeleteAlert() const { return m_showDeleteAlert; }
    QString deleteAlertTitle() const;
    QString deleteAlertMessage() const;
    void cancelDelete();
    void deletePendingRules();
    // The list's own deletion, by rows as displayed; no confirmation.
    void deleteRows(const QList<int> &rows);
    // The form's delete button.
    void deleteFromForm(const ReplacementRule &rule);

    // Run each time the screen is shown.
    [[nodiscard]] QCoro::Task<void> appear();

Q_SIGNALS:
    void rulesEnabledChanged();
    void searchTextChanged();
    void selectionChanged();
    void sheetModeChanged();
    void deleteAlertChanged();

private:
    QList<ReplacementRule> collectSelected() const;
    void stampAndPush(const QUuid &id, const std::function<void(ReplacementRule &)> &change);
    void openDeleteAlert(QList<ReplacementRule> rules);
    void closeDeleteAlert();
    // Removes the rule and pushes its deletion, also when it is already gone.
    void pushDeletion(const ReplacementRule &rule);

    UserDefaultsProviding &m_settings;
    AppModelContainer &m_models;
    SyncProviding *m_sync;
    std::function<QDateTime()> m_now;
    std::unique_ptr<ReplacementRulesQuery> m_rules;
    QString m_searchText;
    QSet<QUuid> m_selection;
    std::optional<SheetMode> m_sheetMode;
    QList<ReplacementRule> m_pending;
    bool m_showDeleteAlert = false;
};

} // namespace talvoro::rules
