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

    // Copies every record (newest first; any range of records). The texts
    // are folded later (foldPending, or the first search), so a long list
    // opens at once.
    template<class Records>
    void assign(const Records &records)
    {
        clear();
        m_entries.reserve(size_t(records.size()));
        for (const TranscriptionRecord &record : records)
            m_entries.push_back(entryFor(record, true));
    }
    // Row by row, as the query announces its changes (rows of `records`
    // after the change; `to` of a move counted before it, as
    // QAbstractItemModel::beginMoveRows has it).
    template<class Records>
    void insertRows(const Records &records, qsizetype first, qsizetype last)
    {
        std::vector<Entry> added;
        added.reserve(size_t(last - first + 1));
        for (qsizetype row = first; row <= last; ++row)
            added.push_back(entryFor(records[row], false));
        m_entries.insert(m_entries.begin() + first, added.begin(), added.end());
    }
    template<class Records>
    void changeRows(const Records &records, qsizetype first, qsizetype last)
    {
        for (qsizetype row = first; row <= last; ++row)
            refresh(m_entries[size_t(row)], records[row]);
    }
    void removeRows(qsizetype first, qsizetype last);
    void moveRow(qsizetype from, qsizetype to);
    void clear();

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
    Entry entryFor(const TranscriptionRecord &record, bool deferFolding);
    // Copies the record again when its text or date changed.
    void refresh(Entry &entry, const TranscriptionRecord &record);

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
