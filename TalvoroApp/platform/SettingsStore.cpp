#include "platform/SettingsStore.h"

#include "platform/AppPaths.h"
#include "platform/DiskSpace.h"
#include "platform/Logging.h"
#include "platform/PrivateFiles.h"
#include "platform/SharedInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLockFile>
#include <QTimer>

#include <cmath>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Made before QSettings reads it: QSettings keeps the rights of an existing
// file when it rewrites it, so the file stays the user's alone.
const QString &privateSettingsFile(const QString &filePath)
{
    talvoro::makePrivateFolder(QFileInfo(filePath).absolutePath());
    talvoro::makePrivateFile(filePath);
    return filePath;
}

// A process killed between making its lock file and writing its id into it
// leaves the file empty, and QLockFile takes such a file as stale only after
// 30 s. A live QLockFile holds a flock on its file, so an empty one that
// nobody holds has lost its owner: it goes at once.
bool removeAbandonedEmptyLock(const QString &lockPath)
{
    const QByteArray native = QFile::encodeName(lockPath);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool removed = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0
        && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(native.constData()) == 0;
    ::close(fd);
    return removed;
}

// Whether a write into the folder fails for want of room rather than of
// rights: less free than the file's size and some slack.
bool diskIsFull(const QString &filePath)
{
    return talvoro::lacksSpaceFor(filePath, QFileInfo(filePath).size());
}

QString canonicalDouble(double value)
{
    return QString::number(value, 'g', 17);
}

// Stored text of a value, for comparison and storage. Data stays bytes.
QVariant canonical(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        return canonicalDouble(value.toDouble());
    default:
        return value.toString();
    }
}

// Only texts, numbers and booleans read as text: anything else QSettings can
// decode from the file (data, lists, "@Rect(...)", "@Variant(...)") is
// another type, which reads as absent.
std::optional<QString> asText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        return canonicalDouble(value.toDouble());
    default:
        return std::nullopt;
    }
}

} // namespace

SettingsStore::SettingsStore(const QString &filePath, QObject *parent)
    : UserDefaultsProviding(parent)
    , m_settings(std::make_unique<QSettings>(privateSettingsFile(filePath), QSettings::IniFormat))
{
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcSettingsStore) << "Settings file unreadable, starting empty:" << filePath;
    // QSettings writes on its own at the next loop turn, waiting on its lock
    // file with no limit; we write instead, after checking the lock.
    m_settings->installEventFilter(this);
    m_retry.setSingleShot(true);
    m_retry.setInterval(2000);
    connect(&m_retry, &QTimer::timeout, this, &SettingsStore::synchronize);
}

SettingsStore::~SettingsStore()
{
    // Destroyed with unwritten changes, QSettings would wait on the lock;
    // at exit its memory goes with the process anyway.
    if (!synchronize() && m_pendingWrite) {
        QCoreApplication::removePostedEvents(m_settings.get(), QEvent::UpdateRequest);
        (void)m_settings.release();
    }
}

bool SettingsStore::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_settings.get() && event->type() == QEvent::UpdateRequest)
        return true;
    return UserDefaultsProviding::eventFilter(watched, event);
}

SettingsStore &SettingsStore::shared()
{
    return SharedInstance<SettingsStore>::get();
}

QString SettingsStore::applicationFilePath()
{
    return QDir(AppPaths::configDir()).filePath(QStringLiteral("settings.ini"));
}

QString SettingsStore::filePath() const
{
    return m_settings->fileName();
}

QVariant SettingsStore::rawValue(const QString &key) const
{
    const QVariant stored = m_settings->value(key);
    if (stored.isValid())
        return stored;
    return m_registered.value(key);
}

bool SettingsStore::contains(const QString &key) const
{
    return m_settings->contains(key);
}

bool SettingsStore::boolValue(const QString &key, bool defaultValue) const
{
    const auto text = asText(rawValue(key));
    if (!text)
        return defaultValue;
    const QString t = text->trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("no"))
        return false;
    bool ok = false;
    const qlonglong number = t.toLongLong(&ok);
    return ok ? number != 0 : defaultValue;
}

qint64 SettingsStore::int64Value(const QString &key, qint64 defaultValue) const
{
    const auto text = asText(rawValue(key));
    if (!text)
        return defaultValue;
    bool ok = false;
    const qint64 value = text->trimmed().toLongLong(&ok);
    if (ok)
        return value;
    if (text->trimmed() == QLatin1String("true"))
        return 1;
    if (text->trimmed() == QLatin1String("false"))
        return 0;
    // A whole number stored as floating point still reads as that number.
    const double asDouble = text->trimmed().toDouble(&ok);
    if (ok && std::isfinite(asDouble) && std::abs(asDouble) < 9.2e18)
        return static_cast<qint64>(asDouble);
    return defaultValue;
}

quint64 SettingsStore::uint64Value(const QString &key, quint64 defaultValue) const
{
    const auto text = asText(rawValue(key));
    if (!text)
        return defaultValue;
    bool ok = false;
    const quint64 value = text->trimmed().toULongLong(&ok);
    return ok ? value : defaultValue;
}

double SettingsStore::doubleValue(const QString &key, double defaultValue) const
{
    const auto text = asText(rawValue(key));
    if (!text)
        return defaultValue;
    bool ok = false;
    const double value = text->trimmed().toDouble(&ok);
    return ok ? value : defaultValue;
}

QString SettingsStore::stringValue(const QString &key, const QString &defaultValue) const
{
    return asText(rawValue(key)).value_or(defaultValue);
}

QByteArray SettingsStore::dataValue(const QString &key, const QByteArray &defaultValue) const
{
    const QVariant value = rawValue(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : defaultValue;
}

void SettingsStore::store(const QString &key, const QVariant &value)
{
    const QVariant before = rawValue(key);
    const QVariant after = canonical(value);
    const bool wasStored = m_settings->contains(key);
    if (wasStored && before.typeId() == after.typeId() && before == after)
        return; // the same value again: nothing to write, nothing changed
    m_settings->setValue(key, after);
    scheduleSync();
    if (!wasStored && before.isValid() && canonical(before) == after)
        return;
    Q_EMIT changed(key);
}

void SettingsStore::setBool(const QString &key, bool value) { store(key, value); }
void SettingsStore::setInt64(const QString &key, qint64 value) { store(key, QString::number(value)); }
void SettingsStore::setUInt64(const QString &key, quint64 value) { store(key, QString::number(value)); }
void SettingsStore::setString(const QString &key, const QString &value) { store(key, value); }
void SettingsStore::setData(const QString &key, const QByteArray &value) { store(key, value); }

void SettingsStore::setDouble(const QString &key, double value)
{
    if (!std::isfinite(value)) {
        qCWarning(lcSettingsStore) << "Refusing to store a non-finite number under" << key;
        return;
    }
    store(key, value);
}

void SettingsStore::remove(const QString &key)
{
    if (!m_settings->contains(key))
        return;
    const QVariant before = rawValue(key);
    m_settings->remove(key);
    scheduleSync();
    const QVariant after = rawValue(key);
    if (!(before.typeId() == after.typeId() && before == after))
        Q_EMIT changed(key);
}

void SettingsStore::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), canonical(it.value()));
}

bool SettingsStore::synchronize()
{
    m_syncScheduled = false;
    if (QString reason; m_pendingWrite && !lockIsFree(&reason)) {
        reportUnwritable(reason);
        if (diskIsFull(m_settings->fileName()))
            Q_EMIT writeFailedForLackOfSpace();
        m_retry.start();
        return false;
    }
    m_settings->sync();
    m_pendingWrite = false;
    if (m_settings->status() != QSettings::NoError) {
        const bool full = diskIsFull(m_settings->fileName());
        reportUnwritable(full ? QStringLiteral("the disk is full")
                              : QStringLiteral("the file or its folder is not writable"));
        if (full)
            Q_EMIT writeFailedForLackOfSpace();
        return false;
    }
    m_reportedUnwritable = false;
    return true;
}

// QSettings takes settings.ini.lock with no time limit, and a stale one it
// cannot remove (a read-only folder) would hold it for ever: look first,
// without waiting. A free lock is released at once for QSettings to take.
bool SettingsStore::lockIsFree(QString *reason) const
{
    const QString lockPath = m_settings->fileName() + QStringLiteral(".lock");
    QLockFile probe(lockPath);
    if (probe.tryLock(0))
        return true;
    if (probe.error() == QLockFile::LockFailedError && removeAbandonedEmptyLock(lockPath) && probe.tryLock(0))
        return true;
    if (probe.error() == QLockFile::LockFailedError)
        *reason = QStringLiteral("its lock file is held by another process, or left behind where it cannot be removed");
    else if (diskIsFull(m_settings->fileName()))
        *reason = QStringLiteral("the disk is full");
    else
        *reason = QStringLiteral("its folder is not writable");
    return false;
}

void SettingsStore::reportUnwritable(const QString &reason)
{
    if (m_reportedUnwritable)
        return;
    m_reportedUnwritable = true;
    qCWarning(lcSettingsStore).noquote()
        << QStringLiteral("Cannot write the settings file %1: %2; changes are kept until Talvoro quits")
               .arg(m_settings->fileName(), reason);
}

// Writes are coalesced into one file write per event-loop turn.
void SettingsStore::scheduleSync()
{
    m_pendingWrite = true;
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_syncScheduled)
            synchronize();
    });
}
