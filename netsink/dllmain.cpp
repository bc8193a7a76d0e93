#include <windows.h>

#include "tarrow_api.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // FreeLibrary without NETLIB_DeInit. At process exit (reserved set)
        // the other threads are gone already and nothing needs undoing.
        tarrow::DeInitOnUnload();
    }
    return TRUE;
}
