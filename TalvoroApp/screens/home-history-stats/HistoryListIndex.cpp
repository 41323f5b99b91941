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
    return {record.id, record.text, record.createdAt.toMSecsSinceEpoch(), dayOf(record.createdAt, m_zone),
            foldForSearch(record.text)};
}

void HistoryListIndex::alignTo(const std::vector<QUuid> &ids)
{
    std::vector<Entry> target;
    target.reserve(ids.size());
    for (const QUuid &id : ids)
        target.push_back({id, {}, 0, {}, {}});
    applySequenceDiff(
        m_entries, target, [](const Entry &entry) { return entry.id; }, [](const DiffStep &) {},
        [](const DiffStep &) {});
}

void HistoryListIndex::refresh(Entry &entry, const TranscriptionRecord &record) const
{
    const bool sameText = entry.text.constData() == record.text.constData() || entry.text == record.text;
    if (entry.folded.isNull() || !sameText || entry.createdAt != record.createdAt.toMSecsSinceEpoch())
        entry = makeEntry(record);
}

void HistoryListIndex::setZone(const QTimeZone &zone)
{
    if (zone == m_zone)
        return;
    m_zone = zone;
    for (Entry &entry : m_entries)
        entry.day = dayOf(QDateTime::fromMSecsSinceEpoch(entry.createdAt, QTimeZone::utc()), m_zone);
}

std::vector<HistoryListItem> HistoryListIndex::items(std::string_view foldedQuery) const
{
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
