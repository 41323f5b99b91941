#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <new>
#include <utility>

// An object on pages of its own. destroy() runs its destructor and makes the
// pages unreadable for the rest of the process, so code that touches the
// object after it is gone crashes the test at once (no sanitizer needed).
template <typename T>
class GuardedObject
{
public:
    template <typename... Args>
    explicit GuardedObject(Args &&...args)
    {
        const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
        m_bytes = (sizeof(T) + page - 1) / page * page;
        m_memory = ::mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m_memory == MAP_FAILED)
            throw std::bad_alloc();
        m_object = new (m_memory) T(std::forward<Args>(args)...);
    }
    GuardedObject(const GuardedObject &) = delete;
    GuardedObject &operator=(const GuardedObject &) = delete;

    ~GuardedObject()
    {
        if (m_object) {
            m_object->~T();
            ::munmap(m_memory, m_bytes);
        }
        // Destroyed ones stay mapped and unreadable: a late touch still crashes.
    }

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }

    void destroy()
    {
        m_object->~T();
        m_object = nullptr;
        ::mprotect(m_memory, m_bytes, PROT_NONE);
    }

private:
    void *m_memory = nullptr;
    std::size_t m_bytes = 0;
    T *m_object = nullptr;
};
