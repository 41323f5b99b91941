#include "screens/home-history-stats/HistoryListIndex.h"

#include "screens/home-history-stats/HistoryGrouping.h"

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

void HistoryListIndex::apply(const QSet<QUuid> &gone, std::vector<TranscriptionKey> added)
{
    if (!gone.isEmpty()) {
        std::erase_if(m_entries, [&gone](const Entry &entry) { return gone.contains(entry.id); });
    }
    if (added.empty())
        return;
    std::sort(added.begin(), added.end(), keyPrecedes);
    std::vector<Entry> merged;
    merged.reserve(m_entries.size() + added.size());
    auto next = added.begin();
    for (Entry &entry : m_entries) {
        const TranscriptionKey key{entry.id, entry.createdAt};
        for (; next != added.end() && keyPrecedes(*next, key); ++next)
            merged.push_back(entryFor(*next));
        merged.push_back(std::move(entry));
    }
    for (; next != added.end(); ++next)
        merged.push_back(entryFor(*next));
    m_entries = std::move(merged);
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

qsizetype HistoryListIndex::countThrough(const TranscriptionKey &key) const
{
    const auto after = std::upper_bound(m_entries.begin(), m_entries.end(), key, [](const TranscriptionKey &k, const Entry &e) {
        return keyPrecedes(k, {e.id, e.createdAt});
    });
    return qsizetype(after - m_entries.begin());
}

QDate HistoryListIndex::dayAt(const QDateTime &moment) const
{
    if (!moment.isValid())
        return {};
    const qint64 msecsSinceEpoch = moment.toMSecsSinceEpoch();
    if (msecsSinceEpoch >= m_dayStart && msecsSinceEpoch < m_dayEnd)
        return m_day;
    m_day = dayOf(moment, m_zone);
    m_dayStart = QDateTime(m_day, QTime(0, 0), m_zone).toMSecsSinceEpoch();
    m_dayEnd = QDateTime(m_day.addDays(1), QTime(0, 0), m_zone).toMSecsSinceEpoch();
    // A day whose midnight the zone skips starts later; keep only what is sure.
    if (msecsSinceEpoch < m_dayStart || msecsSinceEpoch >= m_dayEnd)
        m_dayEnd = m_dayStart;
    return m_day;
}

std::vector<HistoryListItem> HistoryListIndex::items(qsizetype count) const
{
    const size_t end = count < 0 ? m_entries.size() : std::min(m_entries.size(), size_t(count));
    std::vector<HistoryListItem> list;
    list.reserve(end + end / 8 + 1);
    for (size_t row = 0; row < end; ++row) {
        const Entry &entry = m_entries[row];
        if (list.empty() || entry.day != list.back().day)
            list.push_back({QUuid(), entry.day, qsizetype(row)});
        list.push_back({entry.id, entry.day, qsizetype(row)});
    }
    return list;
}

} // namespace talvoro::history
