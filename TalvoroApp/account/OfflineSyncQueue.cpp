#include "account/OfflineSyncQueue.h"

#include "account/SyncLogging.h"
#include "platform/AppPaths.h"
#include "platform/AtomicJsonFile.h"
#include "platform/DiskSpace.h"
#include "platform/ModelValues.h"
#include "platform/OrderedJson.h"

#include <QDir>
#include <QFile>
#include <QJsonParseError>
#include <QThreadPool>
#include <QJsonArray>
#include <QUuid>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFormatVersion = 1;
// The journal is folded into a new snapshot once it outgrows both this and
// twice the queue's own size, so its bytes stay a small multiple of the queue.
constexpr qint64 kMinJournalBytes = 64 * 1024;

QJsonValue dateToJson(const QDateTime &date)
{
    return date.isValid() ? QJsonValue(double(date.toMSecsSinceEpoch())) : QJsonValue(QJsonValue::Null);
}

QDateTime dateFromJson(const QJsonValue &value)
{
    if (!value.isDouble())
        return {};
    const auto ms = talvoro::integerInRange(value.toDouble(), -talvoro::kLatestMillisecondsSince1970,
                                            talvoro::kLatestMillisecondsSince1970);
    return ms ? QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC) : QDateTime();
}

std::optional<OfflineSyncItem> itemFromJson(const QJsonValue &value, QString *error)
{
    const QJsonObject o = value.toObject();
    const auto kind = offlineSyncKindFromName(o.value(QLatin1String("kind")).toString());
    if (!value.isObject() || !kind || !o.value(QLatin1String("payload")).isObject()) {
        *error = QStringLiteral("item without a known kind or payload");
        return std::nullopt;
    }
    OfflineSyncItem item;
    item.kind = *kind;
    item.payload = o.value(QLatin1String("payload")).toObject();
    item.id = o.value(QLatin1String("id")).toString();
    if (item.id.isEmpty())
        item.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    item.retryCount = qMax(0, o.value(QLatin1String("retryCount")).toInt());
    item.nextRetryAt = dateFromJson(o.value(QLatin1String("nextRetryAt")));
    item.enqueuedAt = dateFromJson(o.value(QLatin1String("enqueuedAt")));
    if (item.kind != OfflineSyncKind::settings && item.clientId().isEmpty()) {
        *error = QStringLiteral("%1 item without a clientId").arg(offlineSyncKindName(item.kind));
        return std::nullopt;
    }
    return item;
}

QString journalPathFor(const QString &filePath)
{
    return filePath + QStringLiteral(".journal");
}

// A journal's first line names its generation, and the snapshot names the
// generation of the journal that follows it: a journal left by a kill
// between a fold's rename and its removal names an older one and is not
// replayed. Files of earlier versions have neither and replay as before.
QString journalGenerationOf(const QJsonObject &line)
{
    return line.size() == 1 ? line.value(QLatin1String("journal")).toString() : QString();
}

// The change at the end of a line that a cut-short append ran into (the
// next append went on from where the cut one stopped): each of our lines
// starts with '{', the cut part cannot end where a whole object does.
QJsonObject changeAfterACutLine(const QByteArray &line)
{
    for (qsizetype at = line.indexOf('{', 1); at > 0; at = line.indexOf('{', at + 1)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.mid(at), &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            return document.object();
    }
    return {};
}

// Writes all of `bytes` at `offset`; false with errno set when it could not.
bool writeAllAt(int fd, const QByteArray &bytes, qint64 offset)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        done += written;
    }
    return true;
}

void fsyncInBackground(const QString &path)
{
    QThreadPool::globalInstance()->start([path] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    });
}

} // namespace

QString offlineSyncKindName(OfflineSyncKind kind)
{
    switch (kind) {
    case OfflineSyncKind::settings: return QStringLiteral("settings");
    case OfflineSyncKind::rule: return QStringLiteral("rule");
    case OfflineSyncKind::dictionaryEntry: return QStringLiteral("dictionaryEntry");
    case OfflineSyncKind::deleteTranscription: return QStringLiteral("deleteTranscription");
    }
    return {};
}

std::optional<OfflineSyncKind> offlineSyncKindFromName(const QString &name)
{
    for (auto kind : {OfflineSyncKind::settings, OfflineSyncKind::rule, OfflineSyncKind::dictionaryEntry,
                      OfflineSyncKind::deleteTranscription}) {
        if (offlineSyncKindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QString OfflineSyncItem::clientId() const
{
    return payload.value(QLatin1String("clientId")).toString().toUpper();
}

bool OfflineSyncItem::isDeletion() const
{
    return kind == OfflineSyncKind::deleteTranscription || payload.value(QLatin1String("isDeleted")).toBool();
}

bool OfflineSyncItem::isDue(const QDateTime &now) const
{
    return !nextRetryAt.isValid() || nextRetryAt <= now;
}

OfflineSyncQueue::OfflineSyncQueue(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
{
    load();
}

OfflineSyncQueue::~OfflineSyncQueue()
{
    flush();
}

QString OfflineSyncQueue::defaultFilePath()
{
    return QDir(AppPaths::dataDir()).filePath(QStringLiteral("offline-queue.json"));
}

QString OfflineSyncQueue::objectKey(OfflineSyncKind kind, const QString &clientId)
{
    if (kind == OfflineSyncKind::settings)
        return offlineSyncKindName(kind);
    return offlineSyncKindName(kind) + QLatin1Char(':') + clientId.toUpper();
}

QList<OfflineSyncItem> OfflineSyncQueue::items() const
{
    QList<OfflineSyncItem> ordered;
    ordered.reserve(m_items.size());
    for (const auto &[sequence, id] : m_order)
        ordered.append(m_items.value(id));
    return ordered;
}

QList<OfflineSyncItem> OfflineSyncQueue::dueItems(const QDateTime &now) const
{
    QList<OfflineSyncItem> due;
    for (const auto &[sequence, id] : m_order) {
        const OfflineSyncItem &item = *m_items.constFind(id);
        if (item.isDue(now) && !m_inFlight.contains(id))
            due.append(item);
    }
    return due;
}

void OfflineSyncQueue::insert(const OfflineSyncItem &item)
{
    m_journalPending.insert(item.id, true);
    const quint64 sequence = m_nextSequence++;
    m_items.insert(item.id, item);
    m_payloadJson.insert(item.id, QJsonDocument(item.payload).toJson(QJsonDocument::Compact));
    m_order.emplace(sequence, item.id);
    m_sequenceOfId.insert(item.id, sequence);
    m_idOfObject.insert(objectKey(item.kind, item.clientId()), item.id);
}

void OfflineSyncQueue::erase(const QString &itemId)
{
    const auto found = m_items.constFind(itemId);
    if (found == m_items.cend())
        return;
    const QString object = objectKey(found->kind, found->clientId());
    if (m_idOfObject.value(object) == itemId)
        m_idOfObject.remove(object);
    m_order.erase(m_sequenceOfId.take(itemId));
    m_payloadJson.remove(itemId);
    m_journalPending.insert(itemId, false);
    m_inFlight.remove(itemId);
    m_items.erase(found);
}

OfflineSyncItem OfflineSyncQueue::enqueue(OfflineSyncKind kind, const QJsonObject &payload, const QDateTime &now)
{
    OfflineSyncItem item;
    item.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    item.kind = kind;
    item.payload = payload;
    item.enqueuedAt = now;

    if (const auto existing = pendingItem(kind, item.clientId())) {
        const OfflineSyncItem &old = *existing;
        const double oldUpdated = old.payload.value(QLatin1String("updatedAt")).toDouble();
        const double newUpdated = payload.value(QLatin1String("updatedAt")).toDouble();
        const bool newerOrDeletion = item.isDeletion() || (!old.isDeletion() && newUpdated >= oldUpdated);
        if (kind == OfflineSyncKind::deleteTranscription || !newerOrDeletion) {
            qCInfo(lcOfflineSyncQueue, "Keeping queued %s push; newer one already waiting",
                   qUtf8Printable(offlineSyncKindName(kind)));
            return old;
        }
        erase(old.id);
    }
    insert(item);
    qCInfo(lcOfflineSyncQueue, "Queued %s push (%lld waiting)", qUtf8Printable(offlineSyncKindName(kind)),
           qlonglong(m_items.size()));
    markChanged(false);
    return item;
}

bool OfflineSyncQueue::remove(const QString &itemId)
{
    if (!m_items.contains(itemId))
        return false;
    erase(itemId);
    markChanged(true);
    return true;
}

bool OfflineSyncQueue::update(const OfflineSyncItem &item)
{
    const auto stored = m_items.find(item.id);
    if (stored == m_items.end())
        return false;
    if (*stored == item)
        return true;
    if (objectKey(stored->kind, stored->clientId()) != objectKey(item.kind, item.clientId()))
        return false; // an item never changes what it pushes
    if (stored->payload != item.payload)
        m_payloadJson.insert(item.id, QJsonDocument(item.payload).toJson(QJsonDocument::Compact));
    *stored = item;
    m_journalPending.insert(item.id, true);
    markChanged(true);
    return true;
}

void OfflineSyncQueue::clear()
{
    if (m_items.isEmpty() && !QFile::exists(m_filePath))
        return;
    clearItems();
    m_compactNext = true; // nothing left to keep: a new empty snapshot
    markChanged(false);
}

void OfflineSyncQueue::clearItems()
{
    m_items.clear();
    m_order.clear();
    m_sequenceOfId.clear();
    m_idOfObject.clear();
    m_payloadJson.clear();
    m_journalPending.clear();
    m_inFlight.clear();
}

void OfflineSyncQueue::replace(const OfflineSyncItem &item)
{
    m_items.insert(item.id, item);
    m_payloadJson.insert(item.id, QJsonDocument(item.payload).toJson(QJsonDocument::Compact));
    m_journalPending.insert(item.id, true);
}

std::optional<OfflineSyncItem> OfflineSyncQueue::pendingItem(OfflineSyncKind kind, const QString &clientId) const
{
    const auto id = m_idOfObject.constFind(objectKey(kind, clientId));
    if (id == m_idOfObject.cend())
        return std::nullopt;
    return m_items.value(*id);
}

bool OfflineSyncQueue::hasPendingDeletion(OfflineSyncKind kind, const QString &clientId) const
{
    const auto item = pendingItem(kind, clientId);
    return item && item->isDeletion();
}

std::optional<OfflineSyncItem> OfflineSyncQueue::pendingSettings() const
{
    return pendingItem(OfflineSyncKind::settings, {});
}

void OfflineSyncQueue::reload()
{
    clearItems();
    m_writesBlocked = false;
    m_dirty = false;
    m_compactNext = false;
    load();
    Q_EMIT changed();
}

void OfflineSyncQueue::markInFlight(const QString &itemId)
{
    if (m_items.contains(itemId))
        m_inFlight.insert(itemId);
}

void OfflineSyncQueue::settle(const QString &itemId)
{
    m_inFlight.remove(itemId);
}

void OfflineSyncQueue::setDraining(bool draining)
{
    if (m_draining == draining)
        return;
    m_draining = draining;
    if (!draining) {
        if (m_dirty)
            scheduleWrite();
        Q_EMIT drainFinished();
    }
}

void OfflineSyncQueue::markChanged(bool deferrable)
{
    m_dirty = true;
    if (!(deferrable && m_draining))
        scheduleWrite();
    Q_EMIT changed();
}

void OfflineSyncQueue::scheduleWrite()
{
    if (m_writeScheduled)
        return;
    m_writeScheduled = true;
    QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
}

void OfflineSyncQueue::load()
{
    // A snapshot's temporary file whose writer was killed before the rename.
    for (const QString &stray : AtomicJsonFile::removeStaleTemporaries(m_filePath))
        qCInfo(lcOfflineSyncQueue, "Removed %s, left by an interrupted write", qUtf8Printable(stray));
    m_journalGeneration.clear();
    m_hasSnapshot = false;
    loadSnapshot();
    if (!m_writesBlocked)
        replayJournal();
    m_journalPending.clear();
    if (m_dirty)
        flush();
}

void OfflineSyncQueue::loadSnapshot()
{
    auto result = AtomicJsonFile::load(m_filePath);
    switch (result.status) {
    case AtomicJsonFile::LoadStatus::missing:
        return;
    case AtomicJsonFile::LoadStatus::unreadable:
        qCWarning(lcOfflineSyncQueue, "Cannot read offline queue %s: %s; leaving it untouched",
                  qUtf8Printable(m_filePath), qUtf8Printable(result.error));
        m_writesBlocked = true;
        return;
    case AtomicJsonFile::LoadStatus::corrupt:
        if (result.movedAsidePath.isEmpty()) {
            qCCritical(lcOfflineSyncQueue, "Offline queue %s is corrupt (%s); leaving it untouched",
                       qUtf8Printable(m_filePath), qUtf8Printable(result.error));
            m_writesBlocked = true;
        } else {
            qCCritical(lcOfflineSyncQueue, "Offline queue was corrupt (%s); kept it as %s and started empty",
                       qUtf8Printable(result.error), qUtf8Printable(result.movedAsidePath));
        }
        return;
    case AtomicJsonFile::LoadStatus::loaded:
        break;
    }

    const QJsonObject root = result.document.object();
    const QJsonValue items = root.value(QLatin1String("items"));
    if (!result.document.isObject() || !items.isArray()) {
        auto moved = AtomicJsonFile::moveAside(m_filePath);
        if (moved) {
            qCCritical(lcOfflineSyncQueue, "Offline queue has an unknown layout; kept it as %s and started empty",
                       qUtf8Printable(*moved));
        } else {
            qCCritical(lcOfflineSyncQueue, "Offline queue has an unknown layout (%s); leaving it untouched",
                       qUtf8Printable(moved.error()));
            m_writesBlocked = true;
        }
        return;
    }

    m_hasSnapshot = true;
    m_journalGeneration = root.value(QLatin1String("journal")).toString();
    QStringList problems;
    for (const QJsonValue &value : items.toArray()) {
        QString error;
        if (auto item = itemFromJson(value, &error)) {
            if (m_items.contains(item->id))
                item->id = QUuid::createUuid().toString(QUuid::WithoutBraces);
            insert(*item);
        }
        else
            problems.append(error);
    }
    if (!problems.isEmpty()) {
        // Keep the original for recovery, then rewrite the file with what we could read.
        auto moved = AtomicJsonFile::moveAside(m_filePath);
        qCCritical(lcOfflineSyncQueue, "Offline queue held %lld unreadable item(s) (%s); original kept as %s",
                   qlonglong(problems.size()), qUtf8Printable(problems.join(QStringLiteral("; "))),
                   qUtf8Printable(moved ? *moved : moved.error()));
        if (moved) {
            m_dirty = true;
            m_compactNext = true;
        } else
            m_writesBlocked = true;
    }
}

void OfflineSyncQueue::replayJournal()
{
    const QString path = journalPathFor(m_filePath);
    QFile journal(path);
    m_journalBytes = 0;
    if (!journal.exists())
        return;
    if (!journal.open(QIODevice::ReadOnly)) {
        qCWarning(lcOfflineSyncQueue, "Cannot read offline queue journal %s: %s; leaving it untouched",
                  qUtf8Printable(path), qUtf8Printable(journal.errorString()));
        m_writesBlocked = true;
        return;
    }
    const QByteArray bytes = journal.readAll();
    journal.close();
    m_journalBytes = bytes.size();
    qsizetype start = 0;
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QString generation = journalGenerationOf(QJsonDocument::fromJson(bytes.left(firstEnd)).object());
    if (firstEnd >= 0 && !generation.isEmpty())
        start = firstEnd + 1;
    if (m_hasSnapshot && generation != m_journalGeneration) {
        // The snapshot already holds it: a kill came between a fold's
        // rename and the journal's removal.
        qCInfo(lcOfflineSyncQueue, "Offline queue journal %s was folded into the snapshot already; removed it",
               qUtf8Printable(path));
        m_journalBytes = 0; // the next append starts it anew even if this removal fails
        QFile::remove(path);
        return;
    }
    int unreadable = 0;
    for (; start < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            // The last append was cut short by a crash: that turn never ended.
            qCInfo(lcOfflineSyncQueue, "Offline queue journal ends in a partial line; dropped it");
            m_dirty = m_compactNext = true;
            break;
        }
        const QByteArray text = bytes.mid(start, end - start);
        const QJsonDocument line = QJsonDocument::fromJson(text);
        start = end + 1;
        QJsonObject change = line.object();
        if (!line.isObject()) {
            // An append cut short (a full disk, a crash) and the next one
            // written on after it: the cut part goes, the whole change stays.
            change = changeAfterACutLine(text);
            if (!change.isEmpty()) {
                qCInfo(lcOfflineSyncQueue, "Offline queue journal holds a line cut short; kept the change after it");
                m_dirty = m_compactNext = true;
            }
        }
        QString error;
        if (change.value(QLatin1String("removed")).isString()) {
            erase(change.value(QLatin1String("removed")).toString());
        } else if (auto item = itemFromJson(change, &error); item && !change.isEmpty()) {
            if (m_items.contains(item->id))
                replace(*item);
            else
                insert(*item);
        } else {
            ++unreadable;
        }
    }
    if (unreadable > 0) {
        auto moved = AtomicJsonFile::moveAside(path);
        qCCritical(lcOfflineSyncQueue, "Offline queue journal held %d unreadable change(s); original kept as %s",
                   unreadable, qUtf8Printable(moved ? *moved : moved.error()));
        if (!moved) {
            m_writesBlocked = true;
            return;
        }
        m_journalBytes = 0;
        m_dirty = m_compactNext = true;
    }
}

void OfflineSyncQueue::writeItem(OrderedJson::Writer &writer, const OfflineSyncItem &item) const
{
    writer.beginObject();
    writer.member(QLatin1String("id"), item.id);
    writer.member(QLatin1String("kind"), offlineSyncKindName(item.kind));
    writer.key(QLatin1String("payload"));
    writer.raw(m_payloadJson.value(item.id));
    writer.member(QLatin1String("retryCount"), item.retryCount);
    writer.member(QLatin1String("nextRetryAt"), dateToJson(item.nextRetryAt));
    writer.member(QLatin1String("enqueuedAt"), dateToJson(item.enqueuedAt));
    writer.endObject();
}

bool OfflineSyncQueue::flush()
{
    m_writeScheduled = false;
    if (!m_dirty)
        return true;
    if (m_writesBlocked) {
        qCWarning(lcOfflineSyncQueue, "Not writing offline queue over an unreadable file %s",
                  qUtf8Printable(m_filePath));
        return false;
    }
    // This turn's changes as journal lines: removals, then the items as they
    // are now in their order of arrival (replaying keeps that order).
    QByteArray lines;
    OrderedJson::Writer writer(lines);
    std::map<quint64, QString> present;
    for (auto change = m_journalPending.cbegin(); change != m_journalPending.cend(); ++change) {
        if (change.value() && m_items.contains(change.key())) {
            present.emplace(m_sequenceOfId.value(change.key()), change.key());
            continue;
        }
        writer.beginObject();
        writer.member(QLatin1String("removed"), change.key());
        writer.endObject();
        lines += '\n';
    }
    for (const auto &[sequence, id] : present) {
        writeItem(writer, *m_items.constFind(id));
        lines += '\n';
    }
    qint64 queueBytes = 0;
    for (const QByteArray &payload : std::as_const(m_payloadJson))
        queueBytes += payload.size() + 160; // the item's other members, about
    const bool compact = m_compactNext || !QFile::exists(m_filePath)
        || m_journalBytes + lines.size() > std::max(kMinJournalBytes, 2 * queueBytes);
    if (!(compact ? writeSnapshot() : appendToJournal(lines)))
        return false; // stays dirty: the next change or flush tries again
    m_journalPending.clear();
    m_compactNext = false;
    m_dirty = false;
    return true;
}

bool OfflineSyncQueue::appendToJournal(const QByteArray &lines)
{
    const QString path = journalPathFor(m_filePath);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        qCCritical(lcOfflineSyncQueue, "Cannot open offline queue journal %s: %s", qUtf8Printable(path),
                   std::strerror(errno));
        return false;
    }
    // What lies past the journal's known end is a cut-short append (or a
    // journal already folded): cut it off so nothing is written after it.
    struct stat info {};
    qint64 before = m_journalBytes;
    if (::fstat(fd, &info) == 0 && info.st_size < before)
        before = info.st_size;
    QByteArray bytes;
    if (before == 0 && !m_journalGeneration.isEmpty())
        bytes = "{\"journal\":\"" + m_journalGeneration.toUtf8() + "\"}\n";
    bytes += lines;
    // The bytes reach the kernel before the turn ends, so a crash keeps them;
    // the fsync follows on a worker thread, as for the snapshot.
    bool written = ::ftruncate(fd, before) == 0 && writeAllAt(fd, bytes, before);
    const int error = errno;
    if (!written && ::ftruncate(fd, before) != 0) // no partial line for the next append to run into
        qCWarning(lcOfflineSyncQueue, "Cannot cut back offline queue journal %s; the next append does",
                  qUtf8Printable(path));
    ::close(fd);
    if (!written) {
        qCCritical(lcOfflineSyncQueue, "Cannot append to offline queue journal %s: %s; the queue file is kept",
                   qUtf8Printable(path), std::strerror(error));
        if (error == ENOSPC || error == EDQUOT)
            Q_EMIT writeFailedForLackOfSpace();
        return false;
    }
    fsyncInBackground(path);
    m_bytesWritten += bytes.size();
    m_journalBytes = before + bytes.size();
    return true;
}

bool OfflineSyncQueue::writeSnapshot()
{
    // Written as it goes from each item's payload text, kept since it was
    // queued: a snapshot costs about one copy of the file.
    QByteArray bytes;
    OrderedJson::Writer writer(bytes);
    // The journal that follows this snapshot gets a new generation.
    const QString generation = QUuid::createUuid().toString(QUuid::WithoutBraces);
    writer.beginObject();
    writer.member(QLatin1String("version"), kFormatVersion);
    writer.member(QLatin1String("journal"), generation);
    writer.key(QLatin1String("items"));
    writer.beginArray();
    for (const auto &[sequence, id] : m_order)
        writeItem(writer, *m_items.constFind(id));
    writer.endArray();
    writer.endObject();
    if (auto written = AtomicJsonFile::writeBytes(m_filePath, bytes, AtomicJsonFile::Durability::syncedInBackground); !written) {
        qCCritical(lcOfflineSyncQueue, "Cannot write offline queue %s: %s; the previous file is kept",
                   qUtf8Printable(m_filePath), qUtf8Printable(written.error()));
        if (talvoro::lacksSpaceFor(m_filePath, bytes.size()))
            Q_EMIT writeFailedForLackOfSpace();
        return false;
    }
    m_bytesWritten += bytes.size();
    m_hasSnapshot = true;
    m_journalGeneration = generation;
    // The snapshot holds every change the journal did; a journal left by a
    // kill right here names the previous generation and is not replayed.
    const QString journal = journalPathFor(m_filePath);
    if (QFile::exists(journal) && !QFile::remove(journal))
        qCWarning(lcOfflineSyncQueue, "Cannot remove offline queue journal %s", qUtf8Printable(journal));
    m_journalBytes = 0;
    return true;
}
