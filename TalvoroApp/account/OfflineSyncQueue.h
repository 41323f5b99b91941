#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <map>
#include <optional>

namespace OrderedJson {
class Writer;
}

// What a queued push does when replayed.
enum class OfflineSyncKind {
    settings,            // payload: SyncSettingsPayload
    rule,                // payload: SyncRulePayload
    dictionaryEntry,     // payload: SyncDictionaryEntryPayload
    deleteTranscription, // payload: {"clientId": ...}
};

QString offlineSyncKindName(OfflineSyncKind kind);
std::optional<OfflineSyncKind> offlineSyncKindFromName(const QString &name);

struct OfflineSyncItem
{
    QString id; // of the queued push itself
    OfflineSyncKind kind = OfflineSyncKind::settings;
    QJsonObject payload;
    int retryCount = 0;
    QDateTime nextRetryAt; // invalid: due at once
    QDateTime enqueuedAt;

    QString clientId() const; // upper-case; empty for settings
    bool isDeletion() const;
    bool isDue(const QDateTime &now) const;
    bool operator==(const OfflineSyncItem &) const = default;
};

// The persistent queue of pushes that failed with a retryable error. It lives
// in `offline-queue.json` in the data folder (a snapshot, replaced atomically
// as a whole) and `offline-queue.json.journal` beside it (the changes since,
// one line each, appended). Changes are appended once at the end of the
// event-loop turn that made them (a crash loses at most that turn); the
// journal is folded into a new snapshot once it outgrows the queue. Opening
// reads the snapshot, then replays the journal if it is the one the snapshot
// names (a partial line, cut by a crash or a full disk, is dropped, and a
// change written on after it kept). Deliveries and retry counts recorded
// while a drain runs are written when it ends, since losing them only means
// sending again. A file that cannot be read back is moved aside and logged,
// never silently replaced.
//
// Pushes of the same thing coalesce: one settings block (the newest), one
// push per rule or dictionary term (the newest by `updatedAt`; a deletion
// always wins), one deletion per transcription.
class OfflineSyncQueue : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)
public:
    explicit OfflineSyncQueue(const QString &filePath = defaultFilePath(), QObject *parent = nullptr);
    ~OfflineSyncQueue() override; // writes what is still pending

    static QString defaultFilePath();
    QString filePath() const { return m_filePath; }

    // Oldest first.
    QList<OfflineSyncItem> items() const;
    int count() const { return int(m_items.size()); }
    bool contains(const QString &itemId) const { return m_items.contains(itemId); }
    // Due items that are not being sent right now.
    QList<OfflineSyncItem> dueItems(const QDateTime &now) const;

    // Adds (or coalesces) a push; returns the item as queued.
    OfflineSyncItem enqueue(OfflineSyncKind kind, const QJsonObject &payload,
                            const QDateTime &now = QDateTime::currentDateTimeUtc());
    bool remove(const QString &itemId);
    // Replaces the stored item with the same id (retry count, next retry time).
    bool update(const OfflineSyncItem &item);
    void clear();

    // The queued push for one row, if any.
    std::optional<OfflineSyncItem> pendingItem(OfflineSyncKind kind, const QString &clientId) const;
    bool hasPendingDeletion(OfflineSyncKind kind, const QString &clientId) const;
    std::optional<OfflineSyncItem> pendingSettings() const;

    // Drops the in-memory state and reads the file again.
    void reload();
    // Writes pending changes now instead of at the end of the turn; false
    // when the write failed (the file then keeps its previous content).
    bool flush();
    qint64 bytesWritten() const { return m_bytesWritten; }

    // An item whose request is on its way (a live push written ahead, or a
    // drain's replay): no drain sends it a second time meanwhile. Kept in
    // memory only; after a restart every item is due again.
    void markInFlight(const QString &itemId);
    void settle(const QString &itemId);
    bool isInFlight(const QString &itemId) const { return m_inFlight.contains(itemId); }

    // Set while a drain replays this queue, so a second drain waits for it.
    bool isDraining() const { return m_draining; }
    void setDraining(bool draining);

Q_SIGNALS:
    void changed();
    void drainFinished();
    // A write failed because the disk is full (each failed write says so).
    void writeFailedForLackOfSpace();

private:
    void load();
    void loadSnapshot();
    void replayJournal();
    void insert(const OfflineSyncItem &item);
    void replace(const OfflineSyncItem &item); // same id, same object
    void erase(const QString &itemId);
    void clearItems();
    void writeItem(OrderedJson::Writer &writer, const OfflineSyncItem &item) const;
    bool appendToJournal(const QByteArray &lines);
    bool writeSnapshot();
    // `deferrable`: the change may wait for the end of a running drain.
    void markChanged(bool deferrable);
    // One write at the end of the current event-loop turn.
    void scheduleWrite();
    static QString objectKey(OfflineSyncKind kind, const QString &clientId);

    QString m_filePath;
    // Items by id, their order of arrival, and the item of each object.
    QHash<QString, OfflineSyncItem> m_items;
    std::map<quint64, QString> m_order;
    QHash<QString, quint64> m_sequenceOfId;
    QHash<QString, QString> m_idOfObject;
    QHash<QString, QByteArray> m_payloadJson; // by item id
    // Items changed since the last write: true = as it is now, false = removed.
    QHash<QString, bool> m_journalPending;
    qint64 m_journalBytes = 0; // the journal's whole lines; past them lies a cut append
    // The generation the snapshot names for its journal (empty in files of
    // earlier versions), and whether there is a snapshot.
    QString m_journalGeneration;
    bool m_hasSnapshot = false;
    bool m_compactNext = false;
    QSet<QString> m_inFlight;                 // item ids
    quint64 m_nextSequence = 0;
    bool m_writesBlocked = false; // an unreadable file we could not move aside
    bool m_draining = false;
    bool m_dirty = false;
    bool m_writeScheduled = false;
    qint64 m_bytesWritten = 0;
};
