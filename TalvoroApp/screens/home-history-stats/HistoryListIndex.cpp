#include "screens/home-history-stats/HistoryListIndex.h"

#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/SequenceDiff.h"

#include <QHash>

namespace talvoro::history {

using talvoro::applySequenceDiff;
using talvoro::DiffStep;

size_t qHash(const HistoryListKey &key, size_t seed)
{
    return qHashMulti(seed, key.id, key.day.toJulianDay());
}

HistoryListIndex::HistoryListIndex(const QTimeZone &zone)
    : m_zone(zone)
{
}

HistoryListIndex::Entry HistoryListIndex::makeEntry(const TranscriptionRecord &record) const
{
    const qint64 createdAt = record.createdAt.toMSecsSinceEpoch();
    return {record.id, record.text, createdAt, dayAt(createdAt), {}, false};
}

void HistoryListIndex::alignTo(const std::vector<QUuid> &ids)
{
    std::vector<Entry> target;
    target.reserve(ids.size());
    for (const QUuid &id : ids)
        target.push_back({id, {}, 0, {}, {}, false});
    applySequenceDiff(
        m_entries, target, [](const Entry &entry) { return entry.id; }, [](const DiffStep &) {},
        [](const DiffStep &) {});
}

void HistoryListIndex::refresh(Entry &entry, const TranscriptionRecord &record, bool deferFolding)
{
    const bool blank = entry.createdAt == 0 && entry.text.isNull() && !entry.folded_;
    const bool sameText = entry.text.constData() == record.text.constData() || entry.text == record.text;
    if (!blank && sameText && entry.createdAt == record.createdAt.toMSecsSinceEpoch())
        return;
    entry = makeEntry(record);
    if (deferFolding) {
        ++m_waiting;
    } else {
        entry.folded = foldForSearch(entry.text);
        entry.folded_ = true;
    }
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

std::vector<HistoryListItem> HistoryListIndex::items(std::string_view foldedQuery)
{
    if (!foldedQuery.empty() && m_waiting > 0)
        foldPending(size());
    std::vector<HistoryListItem> list;
    list.reserve(m_entries.size() + m_entries.size() / 8 + 1);
    QDate currentDay;
    for (size_t row = 0; row < m_entries.size(); ++row) {
        const Entry &entry = m_entries[row];
        if (!foldedQuery.empty()
            && !containsFolded({entry.folded.constData(), size_t(entry.folded.size())}, foldedQuery))
            continue;
        if (entry.day != currentDay || list.empty()) {
            currentDay = entry.day;
            list.push_back({QUuid(), currentDay, -1});
        }
        list.push_back({entry.id, entry.day, qsizetype(row)});
    }
    return list;
}

} // namespace talvoro::history
