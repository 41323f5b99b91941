#pragma once

#include "navigation/AppEnvironment.h"
#include "screens/dictation-settings/ReplacementRules.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class LiveListModel;
class QLineEdit;
class QMessageBox;
class QSortFilterProxyModel;
class QStackedWidget;

namespace talvoro::settings {
class ContentUnavailableView;
class EditorListView;
class EditorToolbar;
class FormSheetPresenter;
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
    // `openAccount` pushes the account screen (the toolbar's avatar).
    ReplacementRulesView(const AppEnvironment &environment, std::function<void()> openAccount = {},
                         QWidget *parent = nullptr);
    ~ReplacementRulesView() override;

    talvoro::rules::ReplacementRulesModel *rulesModel() const { return m_model; }
    talvoro::settings::EditorListView *listView() const { return m_list; }
    talvoro::settings::FormSheetPresenter *sheets() const { return m_sheets; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshContent();
    void refreshToolbar();
    void syncSelectionFromView();
    void presentSheet();
    void presentDeleteAlert();

    talvoro::rules::ReplacementRulesModel *m_model = nullptr;
    LiveListModel *m_listModel = nullptr;
    QSortFilterProxyModel *m_filter = nullptr;
    talvoro::settings::EditorListView *m_list = nullptr;
    talvoro::settings::EditorToolbar *m_toolbar = nullptr;
    talvoro::settings::FormSheetPresenter *m_sheets = nullptr;
    QLineEdit *m_search = nullptr;
    QStackedWidget *m_content = nullptr;
    talvoro::settings::ContentUnavailableView *m_noResults = nullptr;
    talvoro::ui::ToggleSwitch *m_masterSwitch = nullptr;
    QPointer<QMessageBox> m_alert;
};
