#pragma once

#include <QCoroTask>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <expected>
#include <type_traits>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcTasks)

namespace talvoro {

namespace detail {

template <typename T>
struct IsExpected : std::false_type
{
};
template <typename V, typename E>
struct IsExpected<std::expected<V, E>> : std::true_type
{
};

template <typename E>
QString describeFailure(const E &error)
{
    if constexpr (requires { error.errorDescription(); })
        return error.errorDescription();
    else if constexpr (requires { QString(error.detail); })
        return error.detail;
    else
        return QStringLiteral("an error");
}

void logTaskFailure(const QObject *owner, const char *what, const QString &reason);

template <typename T>
QCoro::Task<> runStartedTask(QPointer<QObject> owner, QCoro::Task<T> task, const char *what)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
        } else {
            const T result = co_await std::move(task);
            if constexpr (IsExpected<T>::value) {
                if (!result)
                    logTaskFailure(owner, what, describeFailure(result.error()));
            }
        }
    } catch (const std::exception &error) {
        logTaskFailure(owner, what, QString::fromUtf8(error.what()));
    } catch (...) {
        logTaskFailure(owner, what, QStringLiteral("an unknown exception"));
    }
}

} // namespace detail

// Starts a task that nobody awaits; the one way to do so. `owner` is the
// object the task works for (the service or screen that started it). A
// coroutine cannot be stopped between two awaits, so the task runs to its end
// even when the owner is gone: it must check after every await that what it
// touches still exists. A failure — an error result (std::expected) or an
// exception — is logged with `what` and the owner; nothing else is reported.
template <typename T>
void startTask(QObject *owner, QCoro::Task<T> task, const char *what)
{
    // Dropping the returned task detaches it; the coroutine frame frees
    // itself when it ends.
    auto running = detail::runStartedTask(QPointer<QObject>(owner), std::move(task), what);
    static_cast<void>(running);
}

} // namespace talvoro
