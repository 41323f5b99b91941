#include "screens/home-history-stats/HistoryListModel.h"

#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/SequenceDiff.h"
#include "texts/Localization.h"

#include <algorithm>

using namespace talvoro::history;

namespace {
// Texts folded per event-loop turn: a few milliseconds of work.
constexpr qsizetype kFoldSlice = 2000;
// More changed lines than this are announced as a new layout.
constexpr qsizetype kMaxAnnouncedLines = 256;
} // namespace

HistoryListModel::HistoryListModel(TranscriptionsQuery &query, std::function<QDateTime()> clock, QObject *parent)
    : QAbstractListModel(parent)
    , m_query(&query)
    , m_clock(std::move(clock))
{
    m_today = dayOf(m_clock(), m_index.zone());
    m_index.assign(query.results());
    m_items = buildItems();
    // A commit's rows are noted as the query announces them and merged once
    // the whole commit is in.
    connect(&query, &LiveQueryBase::rowsInserted, this, [this](qsizetype first, qsizetype last) {
        for (qsizetype row = first; row <= last; ++row)
            m_index.noteUpserted(m_query->results()[row]);
    });
    connect(&query, &LiveQueryBase::rowsAboutToBeRemoved, this, [this](qsizetype first, qsizetype last) {
        for (qsizetype row = first; row <= last; ++row)
            m_index.noteRemoved(m_query->results()[row].id);
    });
    // A move is followed by the moved row's rowsChanged.
    connect(&query, &LiveQueryBase::rowsChanged, this, [this](qsizetype first, qsizetype last) {
        for (qsizetype row = first; row <= last; ++row) {
            const TranscriptionRecord &record = m_query->results()[row];
            m_index.noteUpserted(record);
            m_changedIds.insert(record.id);
        }
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
    const qsizetype queryRow = m_query ? m_query->indexOf(id) : -1;
    if (queryRow < 0)
        return -1;
    // Lines are in the query's order; a header carries its first record's row.
    const auto found = std::lower_bound(m_items.begin(), m_items.end(), queryRow,
                                        [](const HistoryListItem &line, qsizetype row) { return line.row < row; });
    for (auto line = found; line != m_items.end() && line->row == queryRow; ++line) {
        if (line->id == id)
            return int(line - m_items.begin());
    }
    return -1;
}

void HistoryListModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    const bool wasEmpty = isEmpty();
    const QByteArray folded = text.isEmpty() ? QByteArray() : foldForSearch(text);
    // A longer text only drops lines: look at the current matches alone.
    const bool narrows = narrowsSearch({m_foldedSearch.constData(), size_t(m_foldedSearch.size())},
                                       {folded.constData(), size_t(folded.size())});
    m_searchText = text;
    m_foldedSearch = folded;
    std::vector<HistoryListItem> items = narrows ? m_index.items(foldedSearch(), &m_items) : buildItems();
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
    if (wasEmpty != isEmpty())
        Q_EMIT emptyChanged(isEmpty());
}

void HistoryListModel::refresh()
{
    m_index.setZone(QTimeZone::systemTimeZone());
    m_today = dayOf(m_clock(), m_index.zone());
    applyItems(buildItems(), true);
}

void HistoryListModel::storeChanged()
{
    if (!m_query)
        return;
    m_index.merge(m_query->results());
    if (m_index.hasPendingFolds())
        m_folding.start();
    applyItems(buildItems(), false);
}

std::string_view HistoryListModel::foldedSearch() const
{
    return {m_foldedSearch.constData(), size_t(m_foldedSearch.size())};
}

std::vector<HistoryListItem> HistoryListModel::buildItems()
{
    return m_index.items(foldedSearch());
}

void HistoryListModel::applyItems(std::vector<HistoryListItem> items, bool everyLineChanged)
{
    const bool wasEmpty = isEmpty();
    const bool firstSectionChanges = !m_items.empty() && !items.empty() && keyOf(m_items.front()) != keyOf(items.front());
    qsizetype head = 0;
    const qsizetype oldSize = qsizetype(m_items.size());
    const qsizetype newSize = qsizetype(items.size());
    while (head < oldSize && head < newSize && keyOf(m_items[size_t(head)]) == keyOf(items[size_t(head)]))
        ++head;
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head
           && keyOf(m_items[size_t(oldSize - 1 - tail)]) == keyOf(items[size_t(newSize - 1 - tail)]))
        ++tail;
    // Lines added or taken at one place (a page read at the end) are one
    // step whatever their number.
    const bool onePlace = head + tail == oldSize || head + tail == newSize;
    if (!onePlace && (oldSize - head - tail) + (newSize - head - tail) > kMaxAnnouncedLines) {
        // Changes all over the list (a pull): one new layout instead of a
        // step per place, keeping the view's current and selected lines.
        Q_EMIT layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        std::vector<HistoryListKey> keys;
        keys.reserve(size_t(before.size()));
        for (const QModelIndex &index : before)
            keys.push_back(keyOf(m_items[size_t(index.row())]));
        m_items = std::move(items);
        QModelIndexList after;
        for (const HistoryListKey &key : keys) {
            const int row = key.id.isNull() ? headerRowOf(key.day) : rowOf(key.id);
            after.append(row < 0 ? QModelIndex() : index(row));
        }
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged();
    } else {
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
        // A new first section changes the old one's spacing.
        if (firstSectionChanges) {
            Q_EMIT layoutAboutToBeChanged();
            Q_EMIT layoutChanged();
        }
    }
    if (!m_items.empty()) {
        if (everyLineChanged) {
            Q_EMIT dataChanged(index(0), index(rowCount() - 1));
        } else {
            // Only the records whose values changed in place.
            for (const QUuid &id : std::as_const(m_changedIds)) {
                if (const int row = rowOf(id); row >= 0)
                    Q_EMIT dataChanged(index(row), index(row));
            }
        }
    }
    m_changedIds.clear();
    if (wasEmpty != isEmpty())
        Q_EMIT emptyChanged(isEmpty());
}

int HistoryListModel::headerRowOf(const QDate &day) const
{
    // Days go down the list.
    const auto found = std::lower_bound(m_items.begin(), m_items.end(), day,
                                        [](const HistoryListItem &line, const QDate &d) { return line.day > d; });
    return found != m_items.end() && found->isHeader() && found->day == day ? int(found - m_items.begin()) : -1;
}
