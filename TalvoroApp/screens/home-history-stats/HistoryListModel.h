#pragma once

#include "screens/home-history-stats/HistoryListIndex.h"
#include "transcription/StoreQueries.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <functional>

// The history list as one column of lines: a header for each day, then that
// day's records, newest first, narrowed to the search text. It follows the
// transcriptions query: each commit is announced as row insertions and
// removals where the list changed, or as a new layout when it changed in many
// places (never a reset); a new search text resets.
class HistoryListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1, IsHeaderRole };

    HistoryListModel(TranscriptionsQuery &query, std::function<QDateTime()> clock, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Headers can be neither selected nor opened.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

    // Days, titles and "today" as of now, in the current system time zone.
    void refresh();

    // Texts are still being prepared for searching, in the background.
    bool isPreparingSearch() const { return m_folding.isActive(); }

    // No line at all: the store is empty or the search matches nothing.
    bool isEmpty() const { return m_items.empty(); }

    const talvoro::history::HistoryListItem &item(int row) const { return m_items[size_t(row)]; }
    bool isHeader(int row) const { return item(row).isHeader(); }
    // The record of a record line; null for a header or a record gone.
    const TranscriptionRecord *record(int row) const;
    // A header line's caption, upper-cased ("HOJE", "5 DE DEZEMBRO DE 2026").
    QString headerText(int row) const;
    // The first line is the newest day's header.
    static bool isFirstSection(int row) { return row == 0; }
    // The row of the record with this id, -1 when it is not listed.
    int rowOf(const QUuid &id) const;

Q_SIGNALS:
    void emptyChanged(bool empty);

private:
    void storeChanged();
    std::string_view foldedSearch() const;
    std::vector<talvoro::history::HistoryListItem> buildItems();
    // `everyLineChanged`: titles or ages may read differently (a new day);
    // otherwise only the records a commit changed in place are redrawn.
    void applyItems(std::vector<talvoro::history::HistoryListItem> items, bool everyLineChanged);
    int headerRowOf(const QDate &day) const;

    QPointer<TranscriptionsQuery> m_query;
    std::function<QDateTime()> m_clock;
    talvoro::history::HistoryListIndex m_index;
    std::vector<talvoro::history::HistoryListItem> m_items;
    QString m_searchText;
    QByteArray m_foldedSearch;
    QSet<QUuid> m_changedIds; // records changed in place by the commit being announced
    QDate m_today;
    // Folds the texts in slices after the list opened, ahead of a search.
    QTimer m_folding;
};
