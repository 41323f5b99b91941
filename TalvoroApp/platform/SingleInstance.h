#pragma once

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>

// One running Talvoro per user. The first instance takes a lock file and
// listens on a local socket; a later launch connects, hands over its
// command-line arguments (a sign-in callback URL among them) and exits.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        primary,   // this process runs the application
        secondary, // a running instance received the arguments; exit
    };

    // serverName: a plain name (socket in the temporary folder) or an
    // absolute socket path; the lock file sits next to it.
    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/com.torvenak.talvoro-mac.socket, or a name carrying
    // the user id when there is no runtime folder.
    static QString defaultServerName();

    // Decides the role. A secondary forwards `arguments` and waits for the
    // running instance to acknowledge them. When no running instance answers
    // while another holds the lock, the handover failed and this process
    // carries on as a primary without a server, rather than never starting.
    Role start(const QStringList &arguments);
    bool isListening() const;
    QString serverName() const { return m_serverName; }

    // The arguments that are URLs with a scheme (stovelantern-mac://...).
    static QList<QUrl> urlsInArguments(const QStringList &arguments);

Q_SIGNALS:
    // Another launch asked to be shown; urls are its URL arguments.
    void activationRequested(const QList<QUrl> &urls);

private:
    bool forward(const QStringList &arguments, int timeoutMs);
    bool listen();
    void acceptConnections();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
