#pragma once

#include <QCoreApplication>
#include <QNetworkReply>
#include <QObject>

#include <array>
#include <coroutine>
#include <memory>

// `co_await ReplyActivity(reply)` suspends until the reply reports anything
// (its headers, body bytes, its end) and at once when it has ended. For code
// that reads a reply as it arrives rather than after it finished.
class ReplyActivity
{
public:
    explicit ReplyActivity(QNetworkReply *reply) : m_reply(reply) {}

    bool await_ready() const noexcept { return m_reply->isFinished(); }
    void await_suspend(std::coroutine_handle<> awaiting)
    {
        auto connections = std::make_shared<std::array<QMetaObject::Connection, 4>>();
        const auto resume = [awaiting, connections] {
            // Copies: disconnecting may release this slot's own captures.
            const auto handle = awaiting;
            const auto held = connections;
            for (const QMetaObject::Connection &connection : *held)
                QObject::disconnect(connection);
            handle.resume();
        };
        (*connections)[0] = QObject::connect(m_reply, &QNetworkReply::metaDataChanged, m_reply, resume);
        (*connections)[1] = QObject::connect(m_reply, &QNetworkReply::readyRead, m_reply, resume);
        (*connections)[2] = QObject::connect(m_reply, &QNetworkReply::finished, m_reply, resume);
        // Deleted with its manager: resumed once the deletion is over, so the
        // awaiting code can see the reply is gone. While the application
        // object itself goes (its child manager with it) no loop will run
        // again: resumed at once, or the awaiting coroutines would never end.
        (*connections)[3] = QObject::connect(m_reply, &QObject::destroyed, [awaiting, connections] {
            for (const QMetaObject::Connection &connection : *connections)
                QObject::disconnect(connection);
            if (!QCoreApplication::instance() || QCoreApplication::closingDown())
                awaiting.resume();
            else
                QMetaObject::invokeMethod(QCoreApplication::instance(), [awaiting] { awaiting.resume(); },
                                          Qt::QueuedConnection);
        });
    }
    void await_resume() const noexcept {}

private:
    QNetworkReply *m_reply;
};
