#include <windows.h>

#include "core/Log.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process exit the other threads are already gone: nothing may
        // wait for them. The global objects are destroyed after this returns.
        g_sdkProcessEnding = reserved != nullptr;
    }
    return TRUE;
}
