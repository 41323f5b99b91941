#include "screens/home-history-stats/HistoryListIndex.h"

#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistorySearch.h"

#include <QHash>

#include <algorithm>

namespace talvoro::history {

size_t qHash(const HistoryListKey &key, size_t seed)
{
    return qHashMulti(seed, key.id, key.day.toJulianDay());
}

HistoryListIndex::HistoryListIndex(const QTimeZone &zone)
    : m_zone(zone)
{
}

HistoryListIndex::Entry HistoryListIndex::entryFor(const TranscriptionRecord &record, bool deferFolding)
{
    const qint64 createdAt = record.createdAt.toMSecsSinceEpoch();
    Entry entry{record.id, record.text, createdAt, dayAt(createdAt), {}, false};
    if (deferFolding) {
        ++m_waiting;
    } else {
        entry.folded = foldForSearch(entry.text);
        entry.folded_ = true;
    }
    return entry;
}

void HistoryListIndex::noteUpserted(const TranscriptionRecord &record)
{
    // Folded later with the others waiting (a page of a long list brings thousands).
    m_touched.insert(record.id, entryFor(record, true));
}

void HistoryListIndex::noteRemoved(const QUuid &id)
{
    m_touched.insert(id, std::nullopt);
}

void HistoryListIndex::clear()
{
    m_entries.clear();
    m_touched.clear();
    m_waiting = 0;
}

bool HistoryListIndex::foldPending(qsizetype count)
{
    for (Entry &entry : m_entries) {
        if (m_waiting == 0 || count == 0)
            break;
        if (entry.folded_)
            continue;
        entry.folded = foldForSearch(entry.text);
        entry.folded_ = true;
        --m_waiting;
        --count;
    }
    if (count > 0)
        m_waiting = 0; // every entry was seen folded; removed ones counted too
    return m_waiting > 0;
}

void HistoryListIndex::setZone(const QTimeZone &zone)
{
    if (zone == m_zone)
        return;
    m_zone = zone;
    m_dayEnd = m_dayStart;
    for (Entry &entry : m_entries)
        entry.day = dayAt(entry.createdAt);
}

QDate HistoryListIndex::dayAt(qint64 msecsSinceEpoch) const
{
    if (msecsSinceEpoch >= m_dayStart && msecsSinceEpoch < m_dayEnd)
        return m_day;
    m_day = dayOf(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, QTimeZone::utc()), m_zone);
    m_dayStart = QDateTime(m_day, QTime(0, 0), m_zone).toMSecsSinceEpoch();
    m_dayEnd = QDateTime(m_day.addDays(1), QTime(0, 0), m_zone).toMSecsSinceEpoch();
    // A day whose midnight the zone skips starts later; keep only what is sure.
    if (msecsSinceEpoch < m_dayStart || msecsSinceEpoch >= m_dayEnd)
        m_dayEnd = m_dayStart;
    return m_day;
}

std::vector<HistoryListItem> HistoryListIndex::items(std::string_view foldedQuery,
                                                     const std::vector<HistoryListItem> *within)
{
    if (!foldedQuery.empty() && m_waiting > 0)
        foldPending(size());
    std::vector<HistoryListItem> list;
    QDate currentDay;
    const auto add = [&](size_t row, qsizetype from) {
        const Entry &entry = m_entries[row];
        const qsizetype at = findFolded({entry.folded.constData(), size_t(entry.folded.size())}, foldedQuery, from);
        if (at < 0)
            return;
        if (entry.day != currentDay || list.empty()) {
            currentDay = entry.day;
            list.push_back({QUuid(), currentDay, qsizetype(row)});
        }
        list.push_back({entry.id, entry.day, qsizetype(row), at});
    };
    if (within) {
        list.reserve(within->size());
        for (const HistoryListItem &item : *within) {
            if (!item.isHeader())
                add(size_t(item.row), item.matchAt);
        }
        return list;
    }
    list.reserve(m_entries.size() + m_entries.size() / 8 + 1);
    for (size_t row = 0; row < m_entries.size(); ++row)
        add(row, 0);
    return list;
}

} // namespace talvoro::history
