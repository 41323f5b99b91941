#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QStringList>
#include <QUrl>

// One running Talvoro per user. The first instance holds an advisory lock
// (flock) on a file next to its socket and listens there; a later launch
// connects, hands over its command-line arguments (a sign-in callback URL
// among them) and exits. The kernel drops the lock with its holder, so a lock
// left by a crash never blocks a start, whatever the file holds.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        primary,    // this process runs the application
        secondary,  // a running instance received the arguments; exit
        unanswered, // an instance holds the lock but took nothing; exit without starting
    };

    // serverName: an absolute socket path (the lock file sits next to it) or
    // a plain name, placed in privateRuntimeDir().
    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // <privateRuntimeDir>/com.torvenak.talvoro-mac.socket.
    static QString defaultServerName();
    // $XDG_RUNTIME_DIR when it is ours and closed to others; otherwise a
    // folder of our own in the temporary folder (made 0700, refused when
    // another user owns it), then one in the cache folder. Empty when none
    // can be trusted.
    static QString privateRuntimeDir();

    // Decides the role. A secondary forwards `arguments` and waits for the
    // running instance to acknowledge them; a running instance that never
    // acknowledges makes this launch `unanswered`, never a second primary.
    // Needs no application object: a launch that only hands over a URL
    // creates no GUI. The primary listens at once when the application
    // object exists, else from startListening().
    Role start(const QStringList &arguments);
    // For a primary started before the application object: listens once it
    // exists (later launches keep trying meanwhile).
    void startListening();
    bool isListening() const;
    QString serverName() const { return m_serverName; }
    // How long a later launch keeps trying to reach the running instance.
    void setHandoverTimeout(int milliseconds) { m_handoverTimeoutMs = milliseconds; }

    // The arguments that are URLs with a scheme (stovelantern-mac://...),
    // including ones that do not parse (invalid QUrls).
    static QList<QUrl> urlsInArguments(const QStringList &arguments);
    // The arguments that fit one handover message, in order; an argument
    // that would overflow it is left out (and logged).
    static QStringList argumentsToForward(const QStringList &arguments);

Q_SIGNALS:
    // Another launch asked to be shown; urls are its URL arguments.
    void activationRequested(const QList<QUrl> &urls);

private:
    bool forward(const QByteArray &frame, int timeoutMs);
    bool listen();
    void acceptConnections();

    QString m_serverName;
    int m_lockFd = -1;
    bool m_primary = false;
    int m_handoverTimeoutMs = 3000;
    QLocalServer m_server;
};
