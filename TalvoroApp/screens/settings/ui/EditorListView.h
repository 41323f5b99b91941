#pragma once

#include <QListView>
#include <QSet>
#include <QUuid>

#include <functional>

class QMenu;

namespace talvoro::settings {

// The list of an editor screen, bound to a model whose rows carry their
// record's id under LiveListModel::IdRole: multiple selection, a context menu
// per row, and the screen's handlers for the keys:
//  - Return/Enter: the return handler says whether it took the key; when it
//    did not, the key passes on to the parent;
//  - Delete/Backspace: the delete handler (the screen confirms);
//  - Shift+Delete: the row handler with the selected rows, at once.
// Nothing happens for a key without a handler.
class EditorListView : public QListView
{
    Q_OBJECT
public:
    using ReturnHandler = std::function<bool()>;
    using DeleteHandler = std::function<void()>;
    using RowDeleteHandler = std::function<void(const QList<int> &rows)>;
    // Fills the menu for the row at `index`; an empty menu is not shown.
    using MenuBuilder = std::function<void(QMenu &menu, const QModelIndex &index)>;

    explicit EditorListView(QWidget *parent = nullptr);

    void setReturnHandler(ReturnHandler handler) { m_onReturn = std::move(handler); }
    void setDeleteHandler(DeleteHandler handler) { m_onDelete = std::move(handler); }
    void setRowDeleteHandler(RowDeleteHandler handler) { m_onRowDelete = std::move(handler); }
    void setMenuBuilder(MenuBuilder builder) { m_menuBuilder = std::move(builder); }

    // The ids of the selected rows, in row order.
    QList<QUuid> selectedIds() const;
    // The selected rows, ascending.
    QList<int> selectedRowNumbers() const;
    // Selects the rows with these ids, as far as they are shown.
    void selectIds(const QSet<QUuid> &ids);
    // The screen's selection once the shown part of it changed: the selected
    // rows' ids, and the ids of `current` that `isShown` calls hidden unless
    // a plain click (or key) of the user replaced the whole selection, as in
    // any list; Ctrl and Shift extend it and keep them. The screen's filter,
    // not the rows, says what is hidden: Qt reports rows as deselected
    // before the filter has removed them.
    QSet<QUuid> selectionKeepingHidden(const QSet<QUuid> &current,
                                       const std::function<bool(const QUuid &)> &isShown) const;

Q_SIGNALS:
    void selectedIdsChanged();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    // Runs Qt's handling of one mouse or key event of the user; the screen
    // hears of the selection once it is done.
    void userGesture(const std::function<void()> &handle);

    ReturnHandler m_onReturn;
    DeleteHandler m_onDelete;
    RowDeleteHandler m_onRowDelete;
    MenuBuilder m_menuBuilder;
    bool m_inGesture = false;
    bool m_changedInGesture = false;
    // The gesture running (or just run) asked Qt to clear the selection.
    mutable bool m_gestureReplaces = false;
};

} // namespace talvoro::settings
