#include "platform/SingleInstance.h"

#include "platform/ShellLogging.h"
#include "platform/Logging.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

// Frame: quint32 byte length, then a QDataStream of the argument list. A
// larger frame is refused rather than buffered.
constexpr quint32 kMaxFrameBytes = 256 * 1024;
constexpr char kAcknowledgement = '\x06';
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

QString lockPathFor(const QString &serverName)
{
    if (QDir::isAbsolutePath(serverName))
        return serverName + QStringLiteral(".lock");
    return QDir(QDir::tempPath()).filePath(serverName + QStringLiteral(".lock"));
}

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

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

QString SingleInstance::defaultServerName()
{
    const QString name = QString::fromLatin1(talvoro::kBundleIdentifier);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name + QStringLiteral(".socket"));
    return name + QLatin1Char('-') + QString::number(::getuid());
}

bool SingleInstance::isListening() const
{
    return m_server.isListening();
}

SingleInstance::Role SingleInstance::start(const QStringList &arguments)
{
    m_lock = std::make_unique<QLockFile>(lockPathFor(m_serverName));
    m_lock->setStaleLockTime(0); // stale only when its process is gone
    if (m_lock->tryLock(0)) {
        if (!listen())
            qCWarning(lcSingleInstance) << "Cannot listen for other launches:" << m_server.errorString();
        return Role::primary;
    }
    // The holder may still be starting up: give it a moment to listen.
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        if (forward(arguments, 2000)) {
            qCInfo(lcSingleInstance) << "Handed over to the running instance";
            return Role::secondary;
        }
        QThread::msleep(100);
    }
    qCWarning(lcSingleInstance) << "The running instance does not answer; starting anyway";
    m_lock.reset();
    return Role::primary;
}

bool SingleInstance::forward(const QStringList &arguments, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encode(arguments));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char reply = 0;
    return socket.getChar(&reply) && reply == kAcknowledgement;
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
        // A one-letter scheme or a bare path is not a URL someone opened.
        if (url.isValid() && url.scheme().size() > 1 && url.scheme() != QLatin1String("file"))
            urls.append(url);
    }
    return urls;
}
