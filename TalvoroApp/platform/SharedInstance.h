#pragma once

#include <QtGlobal>

#include <typeinfo>

// The one instance of T that the composition root made, behind the few
// accessors that hand it out by name (`AuthManager::shared()` and the like).
// The root holds a SharedInstance for exactly as long as the instance
// lives; nothing is made on first use, so asking outside that span is a
// programming error that stops the process.
template<class T>
class SharedInstance
{
public:
    explicit SharedInstance(T &instance)
    {
        if (s_instance)
            qFatal("A second shared %s was registered", typeid(T).name());
        s_instance = &instance;
    }
    ~SharedInstance() { s_instance = nullptr; }
    SharedInstance(const SharedInstance &) = delete;
    SharedInstance &operator=(const SharedInstance &) = delete;

    static T &get()
    {
        if (!s_instance)
            qFatal("The shared %s was asked for outside the composition root's lifetime", typeid(T).name());
        return *s_instance;
    }

private:
    static inline T *s_instance = nullptr;
};
