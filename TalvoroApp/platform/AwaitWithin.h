#pragma once

#include <QCoroSignal>
#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

// Says that a task awaited within a bound has ended.
class TaskCompletion : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void completed();
};

namespace talvoro {

namespace detail {

template <typename T>
QCoro::Task<> runToCompletion(QCoro::Task<T> task, std::shared_ptr<std::optional<T>> result,
                              QPointer<TaskCompletion> completion)
{
    auto value = co_await std::move(task);
    result->emplace(std::move(value));
    // Queued: the waiter, resumed, destroys `completion`, which must not
    // happen inside its own signal; a waiter gone by then gets nothing.
    if (completion)
        QMetaObject::invokeMethod(completion.data(), &TaskCompletion::completed, Qt::QueuedConnection);
}

} // namespace detail

// The task's value, or nothing when it has not ended within `bound`. A task
// that overruns is not cancelled: it runs on to its end (its value is
// dropped), so what it holds must outlive it as for any task nobody awaits.
//
//     auto reading = talvoro::awaitWithin(std::chrono::seconds(20), secrets->read(name));
//     const auto read = co_await std::move(reading);
template <typename T>
[[nodiscard]] QCoro::Task<std::optional<T>> awaitWithin(std::chrono::milliseconds bound, QCoro::Task<T> task)
{
    auto result = std::make_shared<std::optional<T>>();
    TaskCompletion completion;
    // Dropping the returned task detaches it; it may end before this line does.
    static_cast<void>(detail::runToCompletion(std::move(task), result, QPointer<TaskCompletion>(&completion)));
    if (!result->has_value()) {
        auto ended = qCoro(&completion, &TaskCompletion::completed, bound);
        co_await std::move(ended);
    }
    co_return std::optional<T>(std::move(*result));
}

} // namespace talvoro
