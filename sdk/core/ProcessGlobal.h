// A global object of the library that is destroyed when the library is
// unloaded with FreeLibrary, and left as it is when the process ends.
//
// At process exit the system has already ended the other threads, wherever
// they were: inside a lock this object's destructor would take, or halfway
// through a call into the sound or drawing drivers, which may themselves have
// been detached before this library. Undoing anything then can only hang the
// exit; the system takes back the memory, handles and devices anyway.
#pragma once

#include <new>
#include <utility>

#include "core/Log.h"

template <class T>
class CProcessGlobal {
public:
    template <class... Args>
    explicit CProcessGlobal(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    ~CProcessGlobal() {
        if (!g_sdkProcessEnding) Get().~T();
    }
    CProcessGlobal(const CProcessGlobal&) = delete;
    CProcessGlobal& operator=(const CProcessGlobal&) = delete;

    T& Get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
