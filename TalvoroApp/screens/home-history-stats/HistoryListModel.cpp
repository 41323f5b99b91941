#include "screens/home-history-stats/HistoryListModel.h"

#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/SequenceDiff.h"
#include "texts/Localization.h"

using namespace talvoro::history;

namespace {
// Texts folded per event-loop turn: a few milliseconds of work.
constexpr qsizetype kFoldSlice = 2000;
} // namespace

HistoryListModel::HistoryListModel(TranscriptionsQuery &query, std::function<QDateTime()> clock, QObject *parent)
    : QAbstractListModel(parent)
    , m_query(&query)
    , m_clock(std::move(clock))
{
    m_today = dayOf(m_clock(), m_index.zone());
    m_index.assign(query.results());
    m_items = buildItems();
    // The copies follow the query row by row; the lines are worked out once
    // the whole commit is in.
    connect(&query, &LiveQueryBase::rowsInserted, this, [this](qsizetype first, qsizetype last) {
        m_index.insertRows(m_query->results(), first, last);
    });
    connect(&query, &LiveQueryBase::rowsRemoved, this,
            [this](qsizetype first, qsizetype last) { m_index.removeRows(first, last); });
    connect(&query, &LiveQueryBase::rowsMoved, this, [this](qsizetype from, qsizetype to) {
        m_index.moveRow(from, to);
        // A moved record may have a new date.
        const qsizetype row = to > from ? to - 1 : to;
        m_index.changeRows(m_query->results(), row, row);
    });
    connect(&query, &LiveQueryBase::rowsChanged, this, [this](qsizetype first, qsizetype last) {
        m_index.changeRows(m_query->results(), first, last);
    });
    connect(&query, &LiveQueryBase::reset, this, [this] {
        m_index.assign(m_query->results());
        m_folding.start();
    });
    connect(&query, &LiveQueryBase::changed, this, &HistoryListModel::storeChanged);
    m_folding.setInterval(0);
    connect(&m_folding, &QTimer::timeout, this, [this] {
        if (!m_index.foldPending(kFoldSlice))
            m_folding.stop();
    });
    m_folding.start();
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const HistoryListItem &line = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (line.isHeader())
            return headerText(index.row());
        if (const TranscriptionRecord *found = record(index.row()))
            return found->text;
        return QString();
    case IdRole:
        return line.id;
    case IsHeaderRole:
        return line.isHeader();
    default:
        return {};
    }
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= rowCount() || isHeader(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

const TranscriptionRecord *HistoryListModel::record(int row) const
{
    const HistoryListItem &line = item(row);
    if (line.isHeader() || !m_query)
        return nullptr;
    const auto &results = m_query->results();
    // The row noted at the last rebuild; while a change is being announced
    // it may be out of date, then the id decides.
    if (line.row >= 0 && line.row < m_query->count() && results[line.row].id == line.id)
        return &results[line.row];
    const qsizetype current = m_query->indexOf(line.id);
    return current < 0 ? nullptr : &results[current];
}

QString HistoryListModel::headerText(int row) const
{
    const bool portuguese = talvoro::isPortuguese();
    return daySectionHeaderText(dayTitle(item(row).day, m_today, portuguese), portuguese);
}

int HistoryListModel::rowOf(const QUuid &id) const
{
    for (size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row].id == id)
            return int(row);
    }
    return -1;
}

void HistoryListModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    const bool wasEmpty = isEmpty();
    m_searchText = text;
    m_foldedSearch = text.isEmpty() ? QByteArray() : foldForSearch(text);
    beginResetModel();
    m_items = buildItems();
    endResetModel();
    if (wasEmpty != isEmpty())
        Q_EMIT emptyChanged(isEmpty());
}

void HistoryListModel::refresh()
{
    m_index.setZone(QTimeZone::systemTimeZone());
    m_today = dayOf(m_clock(), m_index.zone());
    applyItems(buildItems());
}

void HistoryListModel::storeChanged()
{
    if (!m_query)
        return;
    applyItems(buildItems());
}

std::vector<HistoryListItem> HistoryListModel::buildItems()
{
    return m_index.items({m_foldedSearch.constData(), size_t(m_foldedSearch.size())});
}

void HistoryListModel::applyItems(std::vector<HistoryListItem> items)
{
    const bool wasEmpty = isEmpty();
    const bool firstSectionChanges = !m_items.empty() && !items.empty() && keyOf(m_items.front()) != keyOf(items.front());
    talvoro::applySequenceDiff(
        m_items, items, [](const HistoryListItem &line) { return keyOf(line); },
        [this](const talvoro::DiffStep &step) {
            if (step.kind == talvoro::DiffStep::Kind::insert)
                beginInsertRows({}, int(step.position), int(step.position + step.count - 1));
            else
                beginRemoveRows({}, int(step.position), int(step.position + step.count - 1));
        },
        [this](const talvoro::DiffStep &step) {
            if (step.kind == talvoro::DiffStep::Kind::insert)
                endInsertRows();
            else
                endRemoveRows();
        });
    // Same lines in the same order now; take the fresh record rows.
    m_items = std::move(items);
    if (!m_items.empty()) {
        // A record's text may have changed in place; a new first section
        // changes the old one's spacing.
        if (firstSectionChanges) {
            Q_EMIT layoutAboutToBeChanged();
            Q_EMIT layoutChanged();
        }
        Q_EMIT dataChanged(index(0), index(rowCount() - 1));
    }
    if (wasEmpty != isEmpty())
        Q_EMIT emptyChanged(isEmpty());
}
