#include "screens/settings/ui/EditorListView.h"

#include "platform/LiveListModel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>

#include <algorithm>

namespace talvoro::settings {

EditorListView::EditorListView(QWidget *parent)
    : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

QList<int> EditorListView::selectedRowNumbers() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QUuid> EditorListView::selectedIds() const
{
    QList<QUuid> ids;
    for (int row : selectedRowNumbers())
        ids.push_back(model()->index(row, 0).data(LiveListModel::IdRole).toUuid());
    return ids;
}

void EditorListView::selectIds(const QSet<QUuid> &ids)
{
    if (!model() || !selectionModel())
        return;
    QItemSelection selection;
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (ids.contains(index.data(LiveListModel::IdRole).toUuid()))
            selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QSet<QUuid> EditorListView::selectionKeepingHidden(const QSet<QUuid> &current,
                                                   const std::function<bool(const QUuid &)> &isShown) const
{
    QSet<QUuid> selection;
    if (!m_gestureReplaces) {
        for (const QUuid &id : current) {
            if (!isShown(id))
                selection.insert(id);
        }
    }
    for (const QUuid &id : selectedIds())
        selection.insert(id);
    return selection;
}

QItemSelectionModel::SelectionFlags EditorListView::selectionCommand(const QModelIndex &index,
                                                                    const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (m_inGesture && command.testFlag(QItemSelectionModel::Clear))
        m_gestureReplaces = true;
    return command;
}

void EditorListView::userGesture(const std::function<void()> &handle)
{
    m_inGesture = true;
    m_changedInGesture = false;
    m_gestureReplaces = false;
    handle();
    m_inGesture = false;
    // Also when Qt changed nothing: a plain click on the one shown selected
    // row leaves the rows as they were but drops the hidden ids.
    if (m_changedInGesture || m_gestureReplaces)
        Q_EMIT selectedIdsChanged();
    m_gestureReplaces = false;
}

void EditorListView::mousePressEvent(QMouseEvent *event)
{
    userGesture([&] { QListView::mousePressEvent(event); });
}

void EditorListView::mouseMoveEvent(QMouseEvent *event)
{
    userGesture([&] { QListView::mouseMoveEvent(event); });
}

void EditorListView::mouseReleaseEvent(QMouseEvent *event)
{
    userGesture([&] { QListView::mouseReleaseEvent(event); });
}

void EditorListView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (m_onReturn && m_onReturn()) {
            event->accept();
            return;
        }
        event->ignore();
        return;
    }
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        if (event->modifiers() & Qt::ShiftModifier) {
            if (m_onRowDelete)
                m_onRowDelete(selectedRowNumbers());
        } else if (m_onDelete) {
            m_onDelete();
        }
        event->accept();
        return;
    }
    userGesture([&] { QListView::keyPressEvent(event); });
}

void EditorListView::contextMenuEvent(QContextMenuEvent *event)
{
    QModelIndex index;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        index = currentIndex();
        if (index.isValid())
            at = viewport()->mapToGlobal(visualRect(index).center());
    } else {
        index = indexAt(event->pos());
    }
    if (!index.isValid() || !m_menuBuilder)
        return;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("editorRowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menuBuilder(*menu, index);
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    menu->popup(at);
}

void EditorListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    if (m_inGesture)
        m_changedInGesture = true;
    else
        Q_EMIT selectedIdsChanged();
}

} // namespace talvoro::settings
