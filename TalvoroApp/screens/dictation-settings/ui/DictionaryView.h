#pragma once

#include "navigation/AppEnvironment.h"
#include "screens/dictation-settings/DictionaryEditor.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QStackedWidget;
class QSortFilterProxyModel;

namespace talvoro::ui {
class ToggleSwitch;
}
namespace talvoro::settings {
class EditorListView;
class EditorToolbar;
class FormSheetPresenter;
class SegmentedPicker;
}

namespace talvoro::dictionary {

// The personal dictionary (detail route `dictionary`): the enable switch,
// the language picker, the search and the terms of one language, with the
// term sheet for adding and editing and a confirmation before deleting.
class DictionaryView : public QWidget
{
    Q_OBJECT
public:
    // `openAccount` pushes the account screen (the toolbar's avatar).
    DictionaryView(const AppEnvironment &environment, std::function<void()> openAccount = {}, QWidget *parent = nullptr);

    DictionaryEditor *editor() const { return m_editor; }
    settings::FormSheetPresenter *sheets() const { return m_sheets; }

    void addTerm();
    void editEntry(const DictionaryEntry &entry);
    void deleteSelection();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void openDeleteConfirmation();

    const AppEnvironment &m_environment;
    DictionaryEditor *m_editor = nullptr;
    settings::FormSheetPresenter *m_sheets = nullptr;
    ui::ToggleSwitch *m_switch = nullptr;
    settings::SegmentedPicker *m_picker = nullptr;
    QLineEdit *m_search = nullptr;
    QStackedWidget *m_content = nullptr;
    settings::EditorListView *m_list = nullptr;
    QSortFilterProxyModel *m_filter = nullptr;
    QWidget *m_noResults = nullptr;
    settings::EditorToolbar *m_toolbar = nullptr;
};

} // namespace talvoro::dictionary
