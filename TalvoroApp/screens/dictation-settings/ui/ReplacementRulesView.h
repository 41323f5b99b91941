#pragma once

#include "navigation/AppEnvironment.h"
#include "screens/dictation-settings/ReplacementRules.h"

#include <QPointer>
#include <QWidget>

class LiveListModel;
class QLineEdit;
class QListView;
class QMessageBox;
class QSortFilterProxyModel;
class QStackedWidget;
class QToolButton;
class RuleFormSheet;

namespace talvoro::settings {
class ContentUnavailableView;
}
namespace talvoro::ui {
class ToggleSwitch;
}

// The replacement rules screen (route `replacementRules`): the master
// switch, the search and the rules bound to the live query, newest first,
// with the add/edit form, the row switches and the deletion confirmation.
class ReplacementRulesView : public QWidget
{
    Q_OBJECT
public:
    ReplacementRulesView(const AppEnvironment &environment, talvoro::rules::RuleSyncHooks hooks,
                         QWidget *parent = nullptr);
    ~ReplacementRulesView() override;

    talvoro::rules::ReplacementRulesModel *rulesModel() const { return m_model; }
    QListView *listView() const { return m_list; }
    RuleFormSheet *sheet() const;
    QMessageBox *deleteAlert() const;
    // The row of the list as displayed of a rule; -1 when hidden.
    int displayedRow(const QUuid &id) const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshContent();
    void refreshToolbar();
    void syncSelectionFromView();
    void presentSheet();
    void presentDeleteAlert();
    void showContextMenu(const QUuid &id, const QPoint &globalPosition);

    talvoro::rules::ReplacementRulesModel *m_model = nullptr;
    LiveListModel *m_listModel = nullptr;
    QSortFilterProxyModel *m_filter = nullptr;
    QListView *m_list = nullptr;
    QLineEdit *m_search = nullptr;
    QStackedWidget *m_content = nullptr;
    talvoro::settings::ContentUnavailableView *m_noResults = nullptr;
    talvoro::ui::ToggleSwitch *m_masterSwitch = nullptr;
    QToolButton *m_add = nullptr;
    QToolButton *m_edit = nullptr;
    QToolButton *m_trash = nullptr;
    QPointer<RuleFormSheet> m_sheet;
    QPointer<QMessageBox> m_alert;
};
