#include "platform/LiveListModel.h"

LiveListModel::LiveListModel(LiveQueryBase &query, QObject *parent)
    : QAbstractListModel(parent)
    , m_query(&query)
{
    using Q = LiveQueryBase;
    connect(&query, &Q::rowsAboutToBeInserted, this,
            [this](qsizetype first, qsizetype last) { beginInsertRows({}, int(first), int(last)); });
    connect(&query, &Q::rowsInserted, this, [this] { endInsertRows(); });
    connect(&query, &Q::rowsAboutToBeRemoved, this,
            [this](qsizetype first, qsizetype last) { beginRemoveRows({}, int(first), int(last)); });
    connect(&query, &Q::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(&query, &Q::rowsAboutToBeMoved, this, [this](qsizetype from, qsizetype to) {
        m_moving = beginMoveRows({}, int(from), int(from), {}, int(to));
    });
    connect(&query, &Q::rowsMoved, this, [this] {
        if (std::exchange(m_moving, false))
            endMoveRows();
    });
    connect(&query, &Q::rowsChanged, this, [this](qsizetype first, qsizetype last) {
        Q_EMIT dataChanged(index(int(first)), index(int(last)));
    });
    connect(&query, &Q::aboutToReset, this, [this] { beginResetModel(); });
    connect(&query, &Q::reset, this, [this] { endResetModel(); });
    connect(&query, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_query = nullptr;
        endResetModel();
    });
}

int LiveListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_query)
        return 0;
    return int(m_query->count());
}

QVariant LiveListModel::data(const QModelIndex &index, int role) const
{
    if (role != IdRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || !m_query)
        return {};
    return m_query->idAt(index.row());
}

QHash<int, QByteArray> LiveListModel::roleNames() const
{
    return {{IdRole, QByteArrayLiteral("id")}};
}
