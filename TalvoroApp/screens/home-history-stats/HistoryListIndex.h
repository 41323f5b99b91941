#pragma once

#include "transcription/TranscriptionKeys.h"

#include <QDate>
#include <QSet>
#include <QTimeZone>
#include <QUuid>

#include <vector>

namespace talvoro::history {

// One line of the history list: a day's header or one record.
struct HistoryListItem
{
    QUuid id;           // null for a header
    QDate day;          // the day the line belongs to
    // The record's place among the index's keys when the list was made; for
    // a header, the place of the record after it (so places never go down).
    qsizetype row = -1;

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

// The records of a list as keys (id, time, calendar day) in the store's
// newest-first order: tens of bytes a record, never a text. Grouping is
// noticing where the day changes.
class HistoryListIndex
{
public:
    explicit HistoryListIndex(const QTimeZone &zone = QTimeZone::systemTimeZone());

    // Replaces every key (records or keys, newest first).
    template<class Rows>
    void assign(const Rows &rows)
    {
        m_entries.clear();
        append(rows);
    }
    // Adds keys that sort after every key held (the next page).
    template<class Rows>
    void append(const Rows &rows)
    {
        m_entries.reserve(m_entries.size() + size_t(rows.size()));
        for (const auto &row : rows)
            m_entries.push_back(entryFor(asKey(row)));
    }
    // One commit: drops the keys of `gone` and lays `added` in, in one pass
    // (inserting each into the middle would move every key behind it).
    void apply(const QSet<QUuid> &gone, std::vector<TranscriptionKey> added);
    void clear() { m_entries.clear(); }

    // Days are worked out in this zone; a new zone recomputes them.
    void setZone(const QTimeZone &zone);
    const QTimeZone &zone() const { return m_zone; }
    qsizetype size() const { return qsizetype(m_entries.size()); }
    TranscriptionKey keyAt(qsizetype row) const { return {m_entries[size_t(row)].id, m_entries[size_t(row)].createdAt}; }
    // How many keys sort before `key` or are it.
    qsizetype countThrough(const TranscriptionKey &key) const;

    // The lines of the first `count` keys (all when negative), a header
    // before the first record of each day.
    std::vector<HistoryListItem> items(qsizetype count = -1) const;

private:
    struct Entry
    {
        QUuid id;
        QDateTime createdAt;
        QDate day;
    };
    static TranscriptionKey asKey(const TranscriptionKey &key) { return key; }
    static TranscriptionKey asKey(const TranscriptionRecord &record) { return transcriptionKey(record); }
    Entry entryFor(const TranscriptionKey &key) const { return {key.id, key.createdAt, dayAt(key.createdAt)}; }

    // The calendar day of a moment. Converting to a time zone is slow and
    // neighbouring records mostly share a day, so the last day's span is kept.
    QDate dayAt(const QDateTime &moment) const;

    QTimeZone m_zone;
    std::vector<Entry> m_entries;
    mutable qint64 m_dayStart = 0;
    mutable qint64 m_dayEnd = 0; // empty span: nothing kept
    mutable QDate m_day;
};

} // namespace talvoro::history
