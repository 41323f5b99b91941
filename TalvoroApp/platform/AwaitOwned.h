#pragma once

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <optional>
#include <type_traits>
#include <utility>

namespace talvoro {

// What an await made for an owner gives: the awaited value (for a task
// without one, true), or nothing (false) when the owner was destroyed while
// the task ran.
template <typename T>
using Owned = std::conditional_t<std::is_void_v<T>, bool, std::optional<T>>;

// The one way a member coroutine awaits: the task runs to its end, then the
// caller learns whether `owner` still exists before it touches a member.
//
//     auto reading = talvoro::awaitOwned(this, secrets->read(name));
//     const auto read = co_await std::move(reading);
//     if (!read)
//         co_return; // the owner is gone: touch nothing of it
//
// Made in a statement of its own and awaited after (GCC 12 destroys the
// arguments of a coroutine call inside a co_await twice). An owner is never
// resumed from its own destructor, so "still exists" is what QPointer says.
template <typename T>
[[nodiscard]] QCoro::Task<Owned<T>> awaitOwned(const QObject *owner, QCoro::Task<T> task)
{
    const QPointer<const QObject> guard(owner);
    if constexpr (std::is_void_v<T>) {
        co_await std::move(task);
        co_return !guard.isNull();
    } else {
        T value = co_await std::move(task);
        if (guard.isNull())
            co_return Owned<T>();
        co_return Owned<T>(std::move(value));
    }
}

} // namespace talvoro
