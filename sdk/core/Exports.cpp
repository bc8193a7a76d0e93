// The NET_* boundary: argument checks, results and last-error codes.
#include "core/ManagerServer.h"
#include "core/Orvik.h"
#include "media/SDKObjectManager.h"

extern volatile LONG g_winsockStarted;

namespace {

CManagerServer& M() { return SdkManager(); }
CSDKObjectManager& O() { return SdkObjects(); }

void SetError(int code) { InterlockedExchange(&M().lastError, code); }

// Runs fn(client) with the table lock held for reading while the
// connection is in use. Unknown id: per-thread last error 45, result 0.
template <class Fn>
int WithClient(int loginId, Fn fn) {
    CReadGuard g(M().TableLock());
    CCMDClient* c = M().FindClient(loginId);
    if (!c) {
        ::SetLastError(NET_ERR_UNKNOWN_ID);
        return 0;
    }
    return fn(c);
}

int StartVideo(int loginId, int channel, NET_StreamDataCallback fn, void* user, bool sub) {
    int key = StreamKey(loginId, channel, sub);
    O().AddStreamCallback(key, fn, user);
    return WithClient(loginId, [&](CCMDClient* c) {
        int r = c->StartStream(channel, sub ? 1 : 0);
        if (r == 0) return 1;
        SetError(r);
        if (!sub) O().RemoveStreamCallback(key);
        return 0;
    });
}

int StopVideo(int loginId, int channel, bool sub) {
    if (loginId == 0) {
        SetError(NET_ERR_NULL_ARG);
        return 0;
    }
    if (O().RemoveStreamCallback(StreamKey(loginId, channel, sub)) != 0)
        SetError(NET_ERR_NOT_FOUND);
    return WithClient(loginId, [&](CCMDClient* c) {
        c->CloseStream(channel, sub ? 1 : 0);
        return 1;
    });
}

}  // namespace

extern "C" {

int WINAPI NET_Init(void) {
    if (!g_winsockStarted) {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
            SetError(NET_ERR_SOCKET);
            return 0;
        }
        InterlockedExchange(&g_winsockStarted, 1);
    } else if (M().initialised && M().Running()) {
        return 1;
    }
    // First start, or again after a failed start or a clean-up: the SDK is
    // initialised only with its server running.
    if (M().Start(IocpWorkerThread) != 0) {
        SetError(NET_ERR_SERVER);
        return 0;
    }
    InterlockedExchange(&M().initialised, 1);
    return 1;
}

int WINAPI NET_Cleanup(void) {
    InterlockedExchange(&M().initialised, 0);
    M().infoCallback = CManagerServer::DefaultInfoCallback;
    M().user = &M();
    M().Cleanup();
    O().CloseAll();
    return 1;
}

int WINAPI NET_GetSDKVersions(void) { return ORVIK_SDK_VERSION; }

int WINAPI NET_GetLastError(void) { return M().lastError; }

int WINAPI NET_SetInfoCallBack(NET_InfoCallback fn, void* user) {
    if (!M().initialised) {
        SetError(NET_ERR_NOT_INIT);
        return 0;
    }
    if (!fn) {
        M().infoCallback = CManagerServer::DefaultInfoCallback;
        M().user = &M();
    } else {
        M().infoCallback = fn;
        M().user = user;
    }
    return 1;
}

int WINAPI NET_SetRcfgMsgCallBack(NET_RcfgMsgCallback fn, void* user) {
    if (!M().initialised) {
        SetError(NET_ERR_NOT_INIT);
        return 0;
    }
    if (M().OpenMessageSocket(CManagerServer::kMessagePort) != 0) {
        SetError(NET_ERR_SOCKET);
        return 0;
    }
    if (!fn) {
        M().messageCallback = CManagerServer::DefaultMessageCallback;
        M().user = &M();
    } else {
        M().messageCallback = fn;
        M().user = user;
    }
    return 1;
}

int WINAPI NET_Login(NET_LOGIN_PARAMS params) {
    // A text that is not a dotted IPv4 address is refused like a null one.
    if (!params.address ||
        (inet_addr(params.address) == INADDR_NONE &&
         lstrcmpA(params.address, "255.255.255.255") != 0)) {
        SetError(NET_ERR_NULL_ARG);
        return 0;
    }
    return M().Login(params.address, params.port);
}

int WINAPI NET_LogOut(int loginId) {
    if (loginId == 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    bool known;
    {
        CReadGuard g(M().TableLock());
        known = M().FindClient(loginId) != nullptr;
    }
    if (!known || M().RemoveClient(loginId) != 0) {
        SetError(NET_ERR_UNKNOWN_ID);
        return 0;
    }
    return 1;
}

int WINAPI NET_StartRealPlay(int loginId, int channel, NET_StreamDataCallback fn, void* user) {
    if (loginId == 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    return StartVideo(loginId, channel, fn, user, false);
}

int WINAPI NET_StartSubStream(int loginId, int channel, NET_StreamDataCallback fn, void* user) {
    if (loginId == 0) {
        SetError(NET_ERR_NULL_ARG);
        return 0;
    }
    return StartVideo(loginId, channel, fn, user, true);
}

int WINAPI NET_StopRealPlay(int loginId, int channel) { return StopVideo(loginId, channel, false); }

int WINAPI NET_StopSubStream(int loginId, int channel) { return StopVideo(loginId, channel, true); }

int WINAPI NET_OpenSound(int loginId, int channel) {
    if (loginId == 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    return WithClient(loginId, [&](CCMDClient* c) {
        // The player's result does not decide the call's, but a start that
        // counted is given back when the stream does not open: the caller
        // does not close a sound that failed to open.
        int player = O().StartAudioPlay();
        int r = c->StartStream(channel, 3);
        if (r == 0) return 1;
        if (player == 0 || player == 61) O().ReleaseAudioPlay();
        SetError(r);
        return 0;
    });
}

int WINAPI NET_CloseSound(int loginId, int channel) {
    if (loginId == 0) {
        SetError(NET_ERR_NULL_ARG);
        return 0;
    }
    return WithClient(loginId, [&](CCMDClient* c) {
        c->CloseStream(channel, 3);
        return O().ReleaseAudioPlay();
    });
}

int WINAPI NET_GetAudioEncode(int loginId, int channel) {
    if (loginId == 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    return WithClient(loginId, [&](CCMDClient* c) { return c->GetAudioEncode(channel); });
}

int WINAPI NET_StartTalkback(int loginId, int channel, int value) {
    // Channel 0 is a device's first channel: only a negative one is refused.
    if (loginId == 0 || channel < 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    O().AddTalkSession(loginId, channel, value);
    {
        CReadGuard g(M().TableLock());
        if (!M().FindClient(loginId)) {
            SetError(NET_ERR_UNKNOWN_ID);
            return 0;
        }
        O().SetTalkParams(1, 1);
    }
    return 1;
}

int WINAPI NET_SoundCaptureStart(NET_CaptureCallback fn, int user) {
    return O().SoundCaptureStart(fn, user);
}

int WINAPI NET_TalkSendData(int loginId, const char* data, int length) {
    if (loginId < 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    CReadGuard g(M().TableLock());
    if (!M().FindClient(loginId)) {
        SetError(NET_ERR_UNKNOWN_ID);
        return 0;
    }
    return length;  // nothing is sent
}

int WINAPI NET_StopTalkback(int loginId) {
    if (loginId < 0) {
        SetError(NET_ERR_BAD_ID);
        return 0;
    }
    int r = O().RemoveTalkSession(loginId);
    if (r != 0) {
        SetError(r);
        return 0;
    }
    {
        CReadGuard g(M().TableLock());
        if (!M().FindClient(loginId)) {
            SetError(NET_ERR_UNKNOWN_ID);
            return 0;
        }
    }
    O().ReleaseAudioPlay();
    O().StopCapture();
    return 1;
}

int WINAPI NET_AudioPlayStart(void) {
    int r = O().StartAudioPlay();
    if (r != 0) {
        // A start refused because the player runs counted in the manager;
        // the caller sees a failure and will not release it, so it is
        // given back here.
        if (r == 61) O().ReleaseAudioPlay();
        SetError(r);
        return 0;
    }
    return 1;
}

int WINAPI NET_AudioDecode(unsigned char* data, int length, int type) {
    O().AudioDecode(data, length, type == 2 ? 2 : 1);
    return 1;
}

int WINAPI NET_AudioPlayStop(void) { return O().ReleaseAudioPlay(); }

int WINAPI NET_CreateRealPlayHandle(HWND window) {
    if (!window) return 0;
    int h = O().CreateRealPlayHandle(window);
    return h > 0 ? h : 0;
}

int WINAPI NET_CloseRealPlayHandle(int handle) {
    return O().CloseRealPlayHandle(handle) == 0 ? 0 : NET_ERR_NOT_FOUND;
}

int WINAPI NET_PlayVideoStream(int handle, unsigned char* data, int length) {
    if (!data || length <= 0) return NET_ERR_BAD_DATA;
    return O().PlayVideoStream(handle, data, length);
}

int WINAPI NET_StopPlayVideoStream(int handle) { return O().StopPlayVideoStream(handle); }

int WINAPI NET_OverlayMdCoverRgn(int handle, int v0, int v1, int v2, int v3, int v4, int v5, int v6, int v7,
                                 int v8, int v9, int v10, int v11, int v12, int v13, int v14, int v15, int v16,
                                 int v17, int v18, int v19, int v20, int v21, int v22) {
    const int32_t values[23] = {v0,  v1,  v2,  v3,  v4,  v5,  v6,  v7,  v8,  v9,  v10, v11,
                                v12, v13, v14, v15, v16, v17, v18, v19, v20, v21, v22};
    return O().OverlayMdCoverRgn(handle, values);
}

int WINAPI NET_Snapshot(int handle, const char* path) { return O().Snapshot(handle, path); }

}  // extern "C"
