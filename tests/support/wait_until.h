#pragma once
#include <windows.h>

// Polls pred every 10 ms until it holds or timeoutMs pass.
template <class Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        Sleep(10);
    }
}
