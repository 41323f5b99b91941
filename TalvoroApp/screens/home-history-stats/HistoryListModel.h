#pragma once

#include "screens/home-history-stats/HistoryListIndex.h"
#include "transcription/TranscriptionKeys.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QCache>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class AppModelContainer;
class StoreChangeSet;

// The history list as one column of lines: a header for each day, then that
// day's records, newest first, narrowed to the search text. It holds what it
// shows: a key (id, time, day) for every listed record and the texts of the
// rows drawn lately, read from the store when a row is drawn. Records are
// read as keys a page at a time; a search is answered by the store (each
// text's folded copy), also a page at a time. The first screen of a list
// is read at once and shown; the rest is added in one step when read. Each
// commit is announced as row insertions and removals where the list
// changed, or as a new layout when it changed in many places; a new search
// replaces the lines the same way, never with a reset, and the old lines
// stay until the new ones have a screen's worth of rows or are complete.
class HistoryListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1, IsHeaderRole };
    // Keys read before the first frame, and then per event-loop turn.
    static constexpr qsizetype kFirstPage = 200;
    static constexpr qsizetype kPage = 2'000;
    // Rows a search looks at per page, and the matches that make a screen.
    static constexpr qsizetype kSearchSlice = 500;
    // Pages are read for about this long per event-loop turn.
    static constexpr qint64 kTurnBudgetMs = 4;
    static constexpr qsizetype kFirstScreen = 60;
    // Texts kept for the rows drawn lately.
    static constexpr int kCachedTexts = 256;
    // A commit writing at least this many records (a pull's batch) is
    // announced at most once per interval with the ones that follow it: each
    // announcement makes the view lay out every line again.
    static constexpr qsizetype kCoalescedCommit = 64;
    static constexpr int kAnnounceIntervalMs = 250;

    HistoryListModel(AppModelContainer &container, std::function<QDateTime()> clock, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Headers can be neither selected nor opened.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

    // Days, titles and "today" as of now, in the current system time zone.
    void refresh();

    // Keys of the history or of the search are still being read, or
    // commits are still to be announced.
    bool isLoading() const { return m_loading.isActive() || m_announce.isActive(); }
    // Reads every page now (tests, and a caller that needs the whole list).
    void finishLoading();

    // No line at all: the store is empty or the search matches nothing.
    bool isEmpty() const { return m_items.empty(); }

    const talvoro::history::HistoryListItem &item(int row) const { return m_items[size_t(row)]; }
    bool isHeader(int row) const { return item(row).isHeader(); }
    // The record of a record line, read from the store when not among the
    // texts kept; null for a header or a record gone. Valid until the next call.
    const TranscriptionRecord *record(int row) const;
    // Records whose values are held now (the rows drawn lately).
    int heldRecordCount() const { return m_records.size(); }
    // A header line's caption, upper-cased ("HOJE", "5 DE DEZEMBRO DE 2026").
    QString headerText(int row) const;
    // The first line is the newest day's header.
    static bool isFirstSection(int row) { return row == 0; }
    // The row of the record with this id, -1 when it is not listed.
    int rowOf(const QUuid &id) const;

Q_SIGNALS:
    void emptyChanged(bool empty);

private:
    // The keys of one list (every record, or a search's matches) as far as
    // read; `cursor` is the last row the store was read to.
    struct KeyList
    {
        talvoro::history::HistoryListIndex index;
        QByteArray foldedQuery; // empty: every record
        std::optional<TranscriptionKey> cursor;
        bool complete = false;
        // The lines shown end at this key while the list is incomplete.
        std::optional<TranscriptionKey> shownThrough;
    };

    bool readPage(KeyList &list);
    void readFirstScreen(KeyList &list);
    void loadStep();
    // Reads one page of whichever list still reads; false when none does.
    bool loadPage();
    void commit(const StoreChangeSet &changes);
    void reload();
    void applyCommit(KeyList &list, const QSet<QUuid> &gone, const std::vector<const TranscriptionRecord *> &written);
    KeyList &active() { return m_search ? *m_search : m_all; }
    const KeyList &active() const { return m_search ? *m_search : m_all; }
    std::vector<talvoro::history::HistoryListItem> buildItems() const;
    // `everyLineChanged`: titles or ages may read differently (a new day);
    // otherwise only the records a commit changed in place are redrawn.
    void applyItems(std::vector<talvoro::history::HistoryListItem> items, bool everyLineChanged);
    int headerRowOf(const QDate &day) const;

    QPointer<AppModelContainer> m_container;
    std::function<QDateTime()> m_clock;
    KeyList m_all;
    std::optional<KeyList> m_search; // a search's list, once it replaced the lines
    std::optional<KeyList> m_pendingSearch; // a search still short of a screen of rows
    std::vector<talvoro::history::HistoryListItem> m_items;
    QString m_searchText;
    QSet<QUuid> m_changedIds; // records changed in place by the commit being announced
    mutable QCache<QUuid, TranscriptionRecord> m_records;
    QDate m_today;
    QTimer m_loading;
    QTimer m_announce; // large commits applied to the keys, not yet to the lines
    QElapsedTimer m_sinceAnnounced;
};
