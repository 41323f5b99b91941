#pragma once

#include "transcription/TranscriptionRecord.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QTimeZone>
#include <QUuid>

#include <optional>
#include <string_view>
#include <vector>

namespace talvoro::history {

// One line of the history list: a day's header or one record.
struct HistoryListItem
{
    QUuid id;           // null for a header
    QDate day;          // the day the line belongs to
    // The record's row in the query's results when the list was made; for a
    // header, the row of the record after it (so rows never go down).
    qsizetype row = -1;
    qsizetype matchAt = 0; // where the search text first matched the record's folded text

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
    // A commit's rows as the query announces them, noted and then merged
    // into the copies at once when the commit is in: one pass for the whole
    // commit, however many rows it brought (inserting them one by one into
    // the middle would move every row behind them each time).
    void noteUpserted(const TranscriptionRecord &record);
    void noteRemoved(const QUuid &id);
    // `records`: the query's results after the commit.
    template<class Records>
    void merge(const Records &records)
    {
        if (m_touched.isEmpty())
            return;
        std::vector<Entry> merged;
        merged.reserve(size_t(records.size()));
        size_t old = 0;
        bool consistent = true;
        for (const TranscriptionRecord &record : records) {
            // Rows nobody touched keep their order among themselves.
            while (old < m_entries.size() && m_touched.contains(m_entries[old].id))
                ++old;
            const auto touched = m_touched.find(record.id);
            if (touched != m_touched.end() && touched->has_value()) {
                merged.push_back(std::move(**touched));
            } else if (touched == m_touched.end() && old < m_entries.size() && m_entries[old].id == record.id) {
                merged.push_back(std::move(m_entries[old++]));
            } else {
                consistent = false;
                break;
            }
        }
        while (consistent && old < m_entries.size() && m_touched.contains(m_entries[old].id))
            ++old;
        consistent = consistent && old == m_entries.size();
        m_touched.clear();
        if (consistent)
            m_entries = std::move(merged);
        else
            assign(records); // never expected; copy everything again rather than show a wrong list
    }
    void clear();

    // Folds up to `count` texts still waiting; false once none waits.
    bool foldPending(qsizetype count);
    bool hasPendingFolds() const { return m_waiting > 0; }
    // Days are worked out in this zone; a new zone recomputes them.
    void setZone(const QTimeZone &zone);
    const QTimeZone &zone() const { return m_zone; }
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // The list for a search text folded by foldForSearch (empty: every
    // record), a header before the first record of each day. With `within`
    // (a list this index made since its last change, for a search the new
    // one narrows) only its records are looked at.
    std::vector<HistoryListItem> items(std::string_view foldedQuery,
                                       const std::vector<HistoryListItem> *within = nullptr);

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

    // The calendar day of a moment. Converting to a time zone is slow and
    // neighbouring records mostly share a day, so the last day's span is kept.
    QDate dayAt(qint64 msecsSinceEpoch) const;

    QTimeZone m_zone;
    std::vector<Entry> m_entries;
    // The rows a commit brought (their new copies) or took (empty), by id.
    QHash<QUuid, std::optional<Entry>> m_touched;
    mutable qint64 m_dayStart = 0;
    mutable qint64 m_dayEnd = 0; // empty span: nothing kept
    mutable QDate m_day;
    qsizetype m_waiting = 0; // entries whose text may still wait to be folded
};

} // namespace talvoro::history
