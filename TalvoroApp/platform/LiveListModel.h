#pragma once

#include "platform/LiveQuery.h"

#include <QAbstractListModel>
#include <QPointer>

// A list model over a live query: one row per result, kept in step through
// the query's row signals (inserts, removals, moves and changes in place; a
// reset only when the query reloads). data() gives the record's id under
// IdRole; views read the typed record from the query (query.results()[row]).
// Without widgets.
class LiveListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1 };

    explicit LiveListModel(LiveQueryBase &query, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QPointer<LiveQueryBase> m_query;
    bool m_moving = false;
};
