#include "platform/SingleInstance.h"

#include "platform/AppPaths.h"
#include "platform/Logging.h"
#include "platform/ShellLogging.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Frame: quint32 byte length, then a QDataStream of the argument list. A
// larger frame is refused rather than buffered.
constexpr quint32 kMaxFrameBytes = 256 * 1024;
constexpr char kAcknowledgement = '\x06';
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

QByteArray encode(const QStringList &arguments)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << arguments;
    QByteArray frame;
    QDataStream header(&frame, QIODevice::WriteOnly);
    header.setVersion(kStreamVersion);
    header << quint32(payload.size());
    return frame + payload;
}

// A folder only we can reach: made 0700, or an existing real folder of ours
// closed to everyone else. A folder another user made is never used.
QString ensurePrivateDir(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return {};
    if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return {};
    return path;
}

bool isOursAndPrivate(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// The user id of the process at the other end of a local socket.
std::optional<uid_t> peerUid(qintptr descriptor)
{
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0
        || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

bool ownedByAnotherUser(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::getuid();
}

// Whether any process holds a lock on that file, as /proc/locks lists
// them ("1: FLOCK  ADVISORY  WRITE 123 08:02:4567 0 EOF"); the only way to
// see the lock of a file we may not open.
bool isLockedByAnyProcess(const struct stat &file)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = QString::asprintf("%02x:%02x:%llu", major(file.st_dev), minor(file.st_dev),
                                                static_cast<unsigned long long>(file.st_ino))
                                  .toLatin1();
    // readAll: /proc files report a size of 0, so atEnd() is true at once.
    const QList<QByteArray> lines = locks.readAll().split('\n');
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&](const QByteArray &line) { return line.simplified().split(' ').contains(wanted); });
}

enum class LockFile { opened, heldByAnotherUser, unusable };

// Opens the lock file, replacing one we cannot use: another user's (left by
// a launch under sudo), one we may not open, or no plain file. Only in a
// folder that is ours and closed to others; the folder's own flock makes
// the look and the replacement one step for launches started together, so
// none of them removes a lock file another one just made. A foreign lock a
// live process still holds is left alone.
LockFile openLockFile(const QString &lockPath, int &descriptor)
{
    const QByteArray native = QFile::encodeName(lockPath);
    for (int attempt = 0; attempt < 2; ++attempt) {
        descriptor = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        struct stat info {};
        if (descriptor >= 0 && ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid())
            return LockFile::opened;
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = -1;
        const QString folder = QFileInfo(lockPath).absolutePath();
        if (attempt > 0 || !isOursAndPrivate(folder))
            break;
        const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0 || ::flock(folderFd, LOCK_EX) != 0) {
            if (folderFd >= 0)
                ::close(folderFd);
            break;
        }
        bool heldElsewhere = false;
        if (::lstat(native.constData(), &info) == 0
            && (!S_ISREG(info.st_mode) || info.st_uid != ::getuid() || ::access(native.constData(), R_OK | W_OK) != 0)) {
            heldElsewhere = isLockedByAnyProcess(info);
            if (!heldElsewhere) {
                // A folder goes with whatever it holds: nothing of the user's
                // lives at our lock's path, and a non-empty one would stop
                // every start.
                const bool removed = S_ISDIR(info.st_mode) ? QDir(lockPath).removeRecursively()
                                                           : ::unlink(native.constData()) == 0;
                qCWarning(lcSingleInstance).noquote()
                    << (removed ? "Replaced the launch lock" : "Cannot replace the launch lock") << lockPath
                    << "(another user's, or not a file we can open)";
            }
        }
        ::close(folderFd); // also unlocks
        if (heldElsewhere)
            return LockFile::heldByAnotherUser;
    }
    return LockFile::unusable;
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
    if (!m_serverName.isEmpty() && !QDir::isAbsolutePath(m_serverName)) {
        const QString folder = privateRuntimeDir();
        m_serverName = folder.isEmpty() ? QString() : QDir(folder).filePath(m_serverName);
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
    // The file stays: removing it could split two later launches between
    // the old and a new file. Closing releases the lock.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::privateRuntimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isOursAndPrivate(runtime))
        return runtime;
    const QString name = QString::fromLatin1(talvoro::kBundleIdentifier);
    QString folder = ensurePrivateDir(
        QDir(QDir::tempPath()).filePath(name + QLatin1Char('-') + QString::number(::getuid())));
    if (folder.isEmpty())
        folder = ensurePrivateDir(QDir(AppPaths::cacheDir()).filePath(QStringLiteral("run")));
    return folder;
}

QString SingleInstance::defaultServerName()
{
    const QString folder = privateRuntimeDir();
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(QString::fromLatin1(talvoro::kBundleIdentifier) + QStringLiteral(".socket"));
}

bool SingleInstance::isListening() const
{
    return m_server.isListening();
}

SingleInstance::Role SingleInstance::start(const QStringList &arguments)
{
    if (m_serverName.isEmpty()) {
        qCWarning(lcSingleInstance) << "No private folder for the launch socket; later launches open "
                                       "another window instead of handing over";
        return Role::primary;
    }
    const QString lockPath = m_serverName + QStringLiteral(".lock");
    // Without the lock this launch could become a second primary, and two
    // writers on one offline queue lose changes.
    switch (openLockFile(lockPath, m_lockFd)) {
    case LockFile::opened:
        break;
    case LockFile::heldByAnotherUser:
        qCCritical(lcSingleInstance).noquote() << "The launch lock" << lockPath
                                               << "is held by another user's process; not starting a second copy";
        return Role::unanswered;
    case LockFile::unusable:
        qCCritical(lcSingleInstance).noquote() << "Cannot use the launch lock" << lockPath
                                               << "; not starting a second copy";
        return Role::unanswered;
    }

    const QByteArray frame = encode(argumentsToForward(arguments));
    const QDeadlineTimer deadline(m_handoverTimeoutMs);
    forever {
        // Asked again on every round: the holder may quit while we wait.
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(m_lockFd, 0) != 0 || ::pwrite(m_lockFd, pid.constData(), pid.size(), 0) < 0)
                qCDebug(lcSingleInstance) << "Could not note our process id in the lock file";
            m_primary = true;
            // The server's notifier needs the application's event dispatcher.
            if (QCoreApplication::instance())
                startListening();
            return Role::primary;
        }
        if (errno != EWOULDBLOCK) {
            qCWarning(lcSingleInstance) << "Cannot lock" << lockPath << "-" << qt_error_string(errno)
                                        << "; later launches open another window instead of handing over";
            return Role::primary;
        }
        if (forward(frame, int(std::clamp<qint64>(deadline.remainingTime(), 100, 2000)))) {
            qCInfo(lcSingleInstance) << "Handed over to the running instance";
            return Role::secondary;
        }
        if (deadline.hasExpired())
            break;
        QThread::msleep(100);
    }
    qCCritical(lcSingleInstance) << "Talvoro is already running but does not answer; not starting a second copy";
    return Role::unanswered;
}

QStringList SingleInstance::argumentsToForward(const QStringList &arguments)
{
    // QDataStream: a 4-byte count, then per text a 4-byte length and UTF-16.
    qint64 budget = qint64(kMaxFrameBytes) - 4;
    QStringList kept;
    for (const QString &argument : arguments) {
        const qint64 cost = 4 + 2 * qint64(argument.size());
        if (cost > budget) {
            qCWarning(lcSingleInstance) << "Left out a launch argument of" << argument.size()
                                        << "characters: too long to hand over";
            continue;
        }
        budget -= cost;
        kept.append(argument);
    }
    return kept;
}

bool SingleInstance::forward(const QByteArray &frame, int timeoutMs)
{
    if (ownedByAnotherUser(m_serverName))
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // The callback URL carries a sign-in code: only a process of ours gets it.
    if (peerUid(socket.socketDescriptor()) != ::getuid()) {
        qCWarning(lcSingleInstance) << "The launch socket belongs to another user; not handing over";
        socket.abort();
        return false;
    }
    socket.write(frame);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char reply = 0;
    return socket.getChar(&reply) && reply == kAcknowledgement;
}

void SingleInstance::startListening()
{
    if (m_primary && !m_server.isListening() && !listen())
        qCWarning(lcSingleInstance) << "Cannot listen for other launches:" << m_server.errorString();
}

bool SingleInstance::listen()
{
    // We hold the lock, so a socket file left behind belongs to a dead process.
    QLocalServer::removeServer(m_serverName);
    return m_server.listen(m_serverName);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (peerUid(socket->socketDescriptor()) != ::getuid()) {
            qCWarning(lcSingleInstance) << "Refused a launch of another user";
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->property("talvoroDone").toBool())
                return;
            if (socket->bytesAvailable() < qint64(sizeof(quint32)))
                return;
            QDataStream in(socket);
            in.setVersion(kStreamVersion);
            in.startTransaction();
            quint32 length = 0;
            in >> length;
            if (length > kMaxFrameBytes) {
                qCWarning(lcSingleInstance) << "Refused an oversize message from another launch";
                socket->setProperty("talvoroDone", true);
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < qint64(length)) {
                in.rollbackTransaction();
                return;
            }
            QStringList arguments;
            in >> arguments;
            if (!in.commitTransaction()) {
                qCWarning(lcSingleInstance) << "Ignored a malformed message from another launch";
                socket->setProperty("talvoroDone", true);
                socket->abort();
                return;
            }
            socket->setProperty("talvoroDone", true);
            socket->putChar(kAcknowledgement);
            socket->flush();
            const QList<QUrl> urls = urlsInArguments(arguments);
            qCInfo(lcSingleInstance) << "Another launch asked to be shown, with" << urls.size() << "URL(s)";
            Q_EMIT activationRequested(urls);
        });
    }
}

QList<QUrl> SingleInstance::urlsInArguments(const QStringList &arguments)
{
    QList<QUrl> urls;
    for (const QString &argument : arguments) {
        if (argument.startsWith(QLatin1Char('-')) || !argument.contains(QLatin1Char(':')))
            continue;
        const QUrl url(argument, QUrl::StrictMode);
        // A one-letter scheme or a bare path is not a URL someone opened. One
        // that does not parse still goes on (invalid, with the scheme read
        // before the fault), so a sign-in waiting for it can end.
        if (url.scheme().size() > 1 && url.scheme() != QLatin1String("file"))
            urls.append(url);
    }
    return urls;
}
