#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <memory>

class QHttpServer;

// A small picture server on 127.0.0.1 for the avatar loader tests: files
// under "storage/files/<id>", failures and delays injected per path.
class AvatarTestServer : public QObject
{
    Q_OBJECT
public:
    struct Failure
    {
        int times = 1;
        int status = 500; // 0: answer normally, after the delay
        std::chrono::milliseconds delay{0};
        QByteArray body;
        QByteArray contentType = "application/json";
    };

    explicit AvatarTestServer(QObject *parent = nullptr);
    ~AvatarTestServer() override;

    quint16 listen();
    QUrl baseURL() const;

    // Serves `data` and returns its URL.
    QUrl addFile(const QString &id, const QByteArray &data, const QByteArray &contentType = "image/png");
    void injectFailure(const QString &path, Failure failure);
    int requestCount(const QString &path) const { return m_requestCounts.value(path); }

Q_SIGNALS:
    void requestHandled(const QString &path, int status);

private:
    struct File
    {
        QByteArray data;
        QByteArray contentType;
    };
    std::unique_ptr<QHttpServer> m_http;
    quint16 m_port = 0;
    QHash<QString, File> m_files;
    QHash<QString, Failure> m_failures;
    QHash<QString, int> m_requestCounts;
};
