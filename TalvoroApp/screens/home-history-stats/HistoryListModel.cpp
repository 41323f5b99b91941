#include "screens/home-history-stats/HistoryListModel.h"

#include "platform/AppModelContainer.h"
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/SequenceDiff.h"
#include "texts/Localization.h"

#include <QElapsedTimer>

#include <algorithm>

using namespace talvoro::history;

namespace {
// More changed lines than this are announced as a new layout.
constexpr qsizetype kMaxAnnouncedLines = 256;
// A new search reads before the next frame for at most this long; when it
// has no screen of rows by then, the old lines stay until it has.
constexpr qint64 kSearchBudgetMs = 12;
} // namespace

HistoryListModel::HistoryListModel(AppModelContainer &container, std::function<QDateTime()> clock, QObject *parent)
    : QAbstractListModel(parent)
    , m_container(&container)
    , m_clock(std::move(clock))
    , m_records(kCachedTexts)
{
    m_today = dayOf(m_clock(), m_all.index.zone());
    m_loading.setInterval(0);
    connect(&m_loading, &QTimer::timeout, this, &HistoryListModel::loadStep);
    m_announce.setSingleShot(true);
    connect(&m_announce, &QTimer::timeout, this, [this] {
        applyItems(buildItems(), false);
        m_sinceAnnounced.start();
    });
    connect(&container, &AppModelContainer::didCommit, this, &HistoryListModel::commit);
    connect(&container, &AppModelContainer::storeReplaced, this, &HistoryListModel::reload);
    readFirstScreen(m_all);
    m_items = buildItems();
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const HistoryListItem &line = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (line.isHeader())
            return headerText(index.row());
        if (const TranscriptionRecord *found = record(index.row()))
            return found->text;
        return QString();
    case IdRole:
        return line.id;
    case IsHeaderRole:
        return line.isHeader();
    default:
        return {};
    }
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= rowCount() || isHeader(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

const TranscriptionRecord *HistoryListModel::record(int row) const
{
    const HistoryListItem &line = item(row);
    if (line.isHeader())
        return nullptr;
    if (const TranscriptionRecord *held = m_records.object(line.id))
        return held;
    if (!m_container)
        return nullptr;
    auto read = m_container->fetchCommitted<TranscriptionRecord>(line.id);
    if (!read || !*read)
        return nullptr;
    m_records.insert(line.id, new TranscriptionRecord(std::move(**read)));
    return m_records.object(line.id);
}

QString HistoryListModel::headerText(int row) const
{
    const bool portuguese = talvoro::isPortuguese();
    return daySectionHeaderText(dayTitle(item(row).day, m_today, portuguese), portuguese);
}

int HistoryListModel::rowOf(const QUuid &id) const
{
    if (id.isNull())
        return -1;
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&id](const HistoryListItem &line) { return line.id == id; });
    return found == m_items.end() ? -1 : int(found - m_items.begin());
}

bool HistoryListModel::readPage(KeyList &list)
{
    if (list.complete || !m_container)
        return false;
    const bool search = !list.foldedQuery.isEmpty();
    auto page = readTranscriptionKeys(m_container->database(), list.cursor, search ? kSearchSlice : kPage,
                                      list.foldedQuery);
    if (!page) {
        // Tried again on the next turn; a store that keeps failing is logged by it.
        return false;
    }
    list.index.append(page->keys);
    if (page->last)
        list.cursor = page->last;
    list.complete = page->complete;
    return true;
}

void HistoryListModel::readFirstScreen(KeyList &list)
{
    if (list.foldedQuery.isEmpty()) {
        // A short first page: the rows of the first frame, nothing more.
        if (m_container) {
            if (auto page = readTranscriptionKeys(m_container->database(), std::nullopt, kFirstPage)) {
                list.index.assign(page->keys);
                list.cursor = page->last;
                list.complete = page->complete;
            }
        }
    } else {
        QElapsedTimer spent;
        spent.start();
        while (!list.complete && list.index.size() < kFirstScreen && spent.elapsed() < kSearchBudgetMs) {
            if (!readPage(list))
                break;
        }
    }
    list.shownThrough = list.complete || list.index.size() == 0 ? std::nullopt
                                                                  : std::optional(list.index.keyAt(list.index.size() - 1));
    if (!m_all.complete || !list.complete)
        m_loading.start();
}

void HistoryListModel::loadStep()
{
    // A few milliseconds a turn, so that a frame (the rows after a key)
    // never waits long behind the reading.
    QElapsedTimer spent;
    spent.start();
    do {
        if (!loadPage())
            return;
    } while (spent.elapsed() < kTurnBudgetMs);
}

bool HistoryListModel::loadPage()
{
    // The search first: its rows are the ones the user waits for.
    for (std::optional<KeyList> *search : {&m_pendingSearch, &m_search}) {
        if (*search && !(*search)->complete) {
            if (!readPage(**search))
                return false; // tried again on the next turn
            if (search == &m_pendingSearch && (m_pendingSearch->complete || m_pendingSearch->index.size() >= kFirstScreen)) {
                m_pendingSearch->shownThrough = m_pendingSearch->complete ? std::nullopt
                                                 : std::optional(m_pendingSearch->index.keyAt(m_pendingSearch->index.size() - 1));
                m_search = std::move(m_pendingSearch);
                m_pendingSearch.reset();
                applyItems(buildItems(), false);
            } else if (search == &m_search && m_search->complete) {
                m_search->shownThrough.reset();
                applyItems(buildItems(), false);
            }
            return true;
        }
    }
    if (!m_all.complete) {
        if (!readPage(m_all))
            return false;
        if (m_all.complete) {
            m_all.shownThrough.reset();
            if (!m_search && !m_pendingSearch)
                applyItems(buildItems(), false);
        }
        return true;
    }
    m_loading.stop();
    return false;
}

void HistoryListModel::finishLoading()
{
    while (isLoading() && loadPage()) {
    }
    if (m_announce.isActive())
        applyItems(buildItems(), false);
}

void HistoryListModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_pendingSearch.reset();
    if (text.isEmpty()) {
        m_search.reset();
        applyItems(buildItems(), false);
        return;
    }
    KeyList list;
    list.index.setZone(m_all.index.zone());
    list.foldedQuery = foldForSearch(text);
    readFirstScreen(list);
    if (list.complete || list.index.size() >= kFirstScreen) {
        m_search = std::move(list);
        applyItems(buildItems(), false);
    } else {
        // Not a screen of rows yet: the old lines stay until it has.
        m_pendingSearch = std::move(list);
    }
}

void HistoryListModel::refresh()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    for (KeyList *list : {&m_all, m_search ? &*m_search : nullptr, m_pendingSearch ? &*m_pendingSearch : nullptr}) {
        if (list)
            list->index.setZone(zone);
    }
    m_today = dayOf(m_clock(), zone);
    applyItems(buildItems(), true);
}

void HistoryListModel::reload()
{
    // The store was replaced: every row may differ.
    beginResetModel();
    m_announce.stop();
    m_records.clear();
    m_search.reset();
    m_pendingSearch.reset();
    const QTimeZone zone = m_all.index.zone();
    m_all = KeyList();
    m_all.index.setZone(zone);
    readFirstScreen(m_all);
    if (!m_searchText.isEmpty()) {
        KeyList list;
        list.index.setZone(zone);
        list.foldedQuery = foldForSearch(m_searchText);
        readFirstScreen(list);
        m_search = std::move(list);
    }
    m_items = buildItems();
    endResetModel();
    Q_EMIT emptyChanged(isEmpty());
}

void HistoryListModel::commit(const StoreChangeSet &changeSet)
{
    const ModelChanges<TranscriptionRecord> *changes = changeSet.find<TranscriptionRecord>();
    if (!changes)
        return;
    if (changes->cleared) {
        reload();
        return;
    }
    QSet<QUuid> gone;
    gone.reserve(qsizetype(changes->deleted.size()));
    for (const QUuid &id : changes->deleted) {
        gone.insert(id);
        m_records.remove(id);
    }
    std::vector<const TranscriptionRecord *> written;
    written.reserve(changes->upserted.size());
    for (size_t i = 0; i < changes->upserted.size(); ++i) {
        const TranscriptionRecord &record = changes->upserted[i];
        written.push_back(&record);
        if (!changes->wasInserted[i]) {
            gone.insert(record.id);
            m_records.remove(record.id);
            m_changedIds.insert(record.id);
        }
    }
    for (KeyList *list : {&m_all, m_search ? &*m_search : nullptr, m_pendingSearch ? &*m_pendingSearch : nullptr}) {
        if (list)
            applyCommit(*list, gone, written);
    }
    // After a large commit's announcement, the large ones within the interval
    // wait for its end; any earlier announcement (a small commit, a page, a
    // key) takes them along.
    const bool large = qsizetype(written.size()) + gone.size() >= kCoalescedCommit;
    if (large && m_sinceAnnounced.isValid() && m_sinceAnnounced.elapsed() < kAnnounceIntervalMs) {
        if (!m_announce.isActive())
            m_announce.start(int(kAnnounceIntervalMs - m_sinceAnnounced.elapsed()));
        return;
    }
    applyItems(buildItems(), false);
    if (large)
        m_sinceAnnounced.start();
}

void HistoryListModel::applyCommit(KeyList &list, const QSet<QUuid> &gone,
                                   const std::vector<const TranscriptionRecord *> &written)
{
    std::vector<TranscriptionKey> added;
    const std::string_view query(list.foldedQuery.constData(), size_t(list.foldedQuery.size()));
    for (const TranscriptionRecord *record : written) {
        const TranscriptionKey key = transcriptionKey(*record);
        // Rows past what was read come with a later page.
        if (!list.complete && (!list.cursor || keyPrecedes(*list.cursor, key)))
            continue;
        if (!query.empty()) {
            const QByteArray folded = foldForSearch(record->text);
            if (!containsFolded({folded.constData(), size_t(folded.size())}, query))
                continue;
        }
        added.push_back(key);
    }
    list.index.apply(gone, std::move(added));
}

std::vector<HistoryListItem> HistoryListModel::buildItems() const
{
    const KeyList &list = active();
    return list.index.items(list.shownThrough ? list.index.countThrough(*list.shownThrough) : -1);
}

void HistoryListModel::applyItems(std::vector<HistoryListItem> items, bool everyLineChanged)
{
    m_announce.stop();
    const bool wasEmpty = isEmpty();
    const bool firstSectionChanges = !m_items.empty() && !items.empty() && keyOf(m_items.front()) != keyOf(items.front());
    qsizetype head = 0;
    const qsizetype oldSize = qsizetype(m_items.size());
    const qsizetype newSize = qsizetype(items.size());
    while (head < oldSize && head < newSize && keyOf(m_items[size_t(head)]) == keyOf(items[size_t(head)]))
        ++head;
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head
           && keyOf(m_items[size_t(oldSize - 1 - tail)]) == keyOf(items[size_t(newSize - 1 - tail)]))
        ++tail;
    // Lines added or taken at one place (a page read at the end) are one
    // step whatever their number.
    const bool onePlace = head + tail == oldSize || head + tail == newSize;
    if (!onePlace && (oldSize - head - tail) + (newSize - head - tail) > kMaxAnnouncedLines) {
        // Changes all over the list (a pull, a new search): one new layout
        // instead of a step per place, keeping the view's current and
        // selected lines on their records.
        Q_EMIT layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        std::vector<HistoryListKey> keys;
        keys.reserve(size_t(before.size()));
        for (const QModelIndex &index : before)
            keys.push_back(keyOf(m_items[size_t(index.row())]));
        m_items = std::move(items);
        QModelIndexList after;
        for (const HistoryListKey &key : keys) {
            const int row = key.id.isNull() ? headerRowOf(key.day) : rowOf(key.id);
            after.append(row < 0 ? QModelIndex() : index(row));
        }
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged();
    } else {
        talvoro::applySequenceDiff(
            m_items, items, [](const HistoryListItem &line) { return keyOf(line); },
            [this](const talvoro::DiffStep &step) {
                if (step.kind == talvoro::DiffStep::Kind::insert)
                    beginInsertRows({}, int(step.position), int(step.position + step.count - 1));
                else
                    beginRemoveRows({}, int(step.position), int(step.position + step.count - 1));
            },
            [this](const talvoro::DiffStep &step) {
                if (step.kind == talvoro::DiffStep::Kind::insert)
                    endInsertRows();
                else
                    endRemoveRows();
            });
        // Same lines in the same order now; take the fresh places.
        m_items = std::move(items);
        // A new first section changes the old one's spacing.
        if (firstSectionChanges) {
            Q_EMIT layoutAboutToBeChanged();
            Q_EMIT layoutChanged();
        }
    }
    if (!m_items.empty()) {
        if (everyLineChanged) {
            Q_EMIT dataChanged(index(0), index(rowCount() - 1));
        } else {
            // Only the records whose values changed in place.
            for (const QUuid &id : std::as_const(m_changedIds)) {
                if (const int row = rowOf(id); row >= 0)
                    Q_EMIT dataChanged(index(row), index(row));
            }
        }
    }
    m_changedIds.clear();
    if (wasEmpty != isEmpty())
        Q_EMIT emptyChanged(isEmpty());
}

int HistoryListModel::headerRowOf(const QDate &day) const
{
    // Days go down the list.
    const auto found = std::lower_bound(m_items.begin(), m_items.end(), day,
                                        [](const HistoryListItem &line, const QDate &d) { return line.day > d; });
    return found != m_items.end() && found->isHeader() && found->day == day ? int(found - m_items.begin()) : -1;
}
