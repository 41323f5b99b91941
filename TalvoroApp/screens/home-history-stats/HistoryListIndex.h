#pragma once

#include "transcription/TranscriptionRecord.h"

#include <QByteArray>
#include <QDate>
#include <QTimeZone>
#include <QUuid>

#include <string_view>
#include <vector>

namespace talvoro::history {

// One line of the history list: a day's header or one record.
struct HistoryListItem
{
    QUuid id;           // null for a header
    QDate day;          // the day the line belongs to
    qsizetype row = -1; // a record's row in the query's results when the list was made

    bool isHeader() const { return id.isNull(); }
};

// What identifies a line across rebuilds: the record's id, or the header's day.
struct HistoryListKey
{
    QUuid id;
    QDate day;
    bool operator==(const HistoryListKey &) const = default;
};
size_t qHash(const HistoryListKey &key, size_t seed = 0);
inline HistoryListKey keyOf(const HistoryListItem &item)
{
    return {item.id, item.isHeader() ? item.day : QDate()};
}

// Search copies of the query's records (folded text and calendar day), kept
// in the query's order so that one keystroke costs one byte scan per record
// and grouping costs nothing more than noticing where the day changes.
class HistoryListIndex
{
public:
    explicit HistoryListIndex(const QTimeZone &zone = QTimeZone::systemTimeZone());

    // Brings the copies in line with `records` (newest first; any range of
    // records), copying only the records that are new or whose text or date
    // changed. The first sync leaves the folding of the texts for later
    // (foldPending, or the first search), so a long list opens at once.
    template<class Records>
    void sync(const Records &records)
    {
        std::vector<QUuid> ids;
        ids.reserve(size_t(records.size()));
        for (const TranscriptionRecord &record : records)
            ids.push_back(record.id);
        const bool deferFolding = m_entries.empty();
        alignTo(ids);
        size_t i = 0;
        for (const TranscriptionRecord &record : records)
            refresh(m_entries[i++], record, deferFolding);
    }
    // Folds up to `count` texts still waiting; false once none waits.
    bool foldPending(qsizetype count);
    // Days are worked out in this zone; a new zone recomputes them.
    void setZone(const QTimeZone &zone);
    const QTimeZone &zone() const { return m_zone; }
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // The list for a search text folded by foldForSearch (empty: every
    // record), a header before the first record of each day.
    std::vector<HistoryListItem> items(std::string_view foldedQuery);

private:
    struct Entry
    {
        QUuid id;
        QString text; // shares the query's copy; tells a changed text apart cheaply
        qint64 createdAt = 0;
        QDate day;
        QByteArray folded;
        bool folded_ = false;
    };
    Entry makeEntry(const TranscriptionRecord &record) const;
    // Keeps the entries of `ids`, in that order; new ones come in blank.
    void alignTo(const std::vector<QUuid> &ids);
    void refresh(Entry &entry, const TranscriptionRecord &record, bool deferFolding);

    // The calendar day of a moment. Converting to a time zone is slow and
    // neighbouring records mostly share a day, so the last day's span is kept.
    QDate dayAt(qint64 msecsSinceEpoch) const;

    QTimeZone m_zone;
    std::vector<Entry> m_entries;
    mutable qint64 m_dayStart = 0;
    mutable qint64 m_dayEnd = 0; // empty span: nothing kept
    mutable QDate m_day;
    qsizetype m_waiting = 0; // entries whose text may still wait to be folded
};

} // namespace talvoro::history
