// The SDK's libraries linked as a DLL of their own (as Orvik.dll is), with
// entries that a test reaches by GetProcAddress: the feeding exports, and
// the switch of a play handle to decoder type 1 that Orvik does not export.
// A test loads and unloads it with type-1 handles still open.
#include <windows.h>

#include "core/Orvik.h"
#include "media/SDKObject.h"
#include "media/SDKObjectManager.h"

extern "C" {

__declspec(dllexport) int ProbeInit() { return NET_Init(); }
__declspec(dllexport) int ProbeCleanup() { return NET_Cleanup(); }

// A play handle on the window decoding with the given type (1: in
// access-unit or NAL mode); 0 on failure.
__declspec(dllexport) int ProbeOpen(HWND window, int decoderType, int accessUnitMode) {
    const int hd = NET_CreateRealPlayHandle(window);
    if (hd <= 0) return 0;
    if (SdkObjects().RestartDecode(hd, decoderType, accessUnitMode) != 0) {
        NET_CloseRealPlayHandle(hd);
        return 0;
    }
    return hd;
}

__declspec(dllexport) int ProbePush(int handle, const unsigned char* data, int length) {
    return NET_PlayVideoStream(handle, const_cast<unsigned char*>(data), length);
}

__declspec(dllexport) long ProbeDecodedUnits(int handle) { return SdkObjects().DecodedUnits(handle); }
__declspec(dllexport) long ProbeLiveObjects() { return CSDKObject::LiveObjects(); }

}  // extern "C"
