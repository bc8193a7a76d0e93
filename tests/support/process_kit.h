// Small helpers for tests that look at the test process itself: how many
// threads it has, and typed entry points of a loaded DLL.
#pragma once
#include <windows.h>

#include <tlhelp32.h>

namespace testsupport {

// Threads of this process, or -1 when no snapshot can be taken.
inline int ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) n += te.th32OwnerProcessID == self;
    CloseHandle(snap);
    return n;
}

// GetProcAddress cast to the entry's own function type (null when absent).
template <class T>
T ProcEntry(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace testsupport
