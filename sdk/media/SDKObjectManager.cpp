#include "media/SDKObjectManager.h"

#include <new>
#include <vector>

#include "media/SDKObject.h"

CSDKObjectManager::CSDKObjectManager() = default;

CSDKObjectManager::~CSDKObjectManager() { CloseAll(); }

int CSDKObjectManager::CreateRealPlayHandle(HWND window) {
    auto* obj = new (std::nothrow) CSDKObject;
    if (!obj) return -1;
    obj->m_hWnd = window;
    obj->StartDecode();  // a failed start is retried by the first feed
    {
        CWriteGuard g(playLock_);
        const int handle = ++handleCounter_;
        for (CSDKObject*& slot : table_) {
            if (!slot) {
                obj->m_Handle = handle;
                slot = obj;
                return handle;
            }
        }
    }
    CSDKObject::Dispose(obj);
    return -1;
}

int CSDKObjectManager::CloseRealPlayHandle(int handle) {
    CSDKObject* obj = nullptr;
    {
        CWriteGuard g(playLock_);
        for (CSDKObject*& slot : table_) {
            if (slot && slot->m_Handle == handle) {
                obj = slot;
                slot = nullptr;
                break;
            }
        }
    }
    if (!obj) return -1;
    CSDKObject::Dispose(obj);
    return 0;
}

CSDKObject* CSDKObjectManager::FindObject(int handle) {
    for (CSDKObject* obj : table_)
        if (obj && obj->m_Handle == handle) return obj;
    return nullptr;
}

int CSDKObjectManager::CloseAll() {
    // The slots are cleared under the lock; the objects are stopped after
    // it is released, as on a single close.
    std::vector<CSDKObject*> closing;
    {
        CWriteGuard g(playLock_);
        for (CSDKObject*& slot : table_) {
            if (slot) {
                closing.push_back(slot);
                slot = nullptr;
            }
        }
    }
    for (CSDKObject* obj : closing) CSDKObject::Dispose(obj);
    return 0;
}

int CSDKObjectManager::PlayVideoStream(int handle, const unsigned char* data, int length) {
    CReadGuard g(playLock_);
    CSDKObject* obj = FindObject(handle);
    if (!obj) return NET_ERR_NOT_FOUND;
    if (!obj->Running()) obj->StartDecode();
    obj->DecodeFrameH264(data, length);
    return 0;
}

int CSDKObjectManager::StopPlayVideoStream(int handle) {
    CReadGuard g(playLock_);
    CSDKObject* obj = FindObject(handle);
    if (!obj) return NET_ERR_NOT_FOUND;
    return obj->StopPlay();
}

int CSDKObjectManager::OverlayMdCoverRgn(int handle, const int32_t values[23]) {
    CReadGuard g(playLock_);
    CSDKObject* obj = FindObject(handle);
    if (!obj) return NET_ERR_NOT_FOUND;
    obj->SetOverlayRegions(values);
    return 0;
}

int CSDKObjectManager::Snapshot(int handle, const char* path) {
    CReadGuard g(playLock_);
    CSDKObject* obj = FindObject(handle);
    if (!obj) return NET_ERR_NOT_FOUND;
    obj->Snapshot(path);
    return 0;
}

long CSDKObjectManager::DecodedUnits(int handle) {
    CReadGuard g(playLock_);
    CSDKObject* obj = FindObject(handle);
    return obj ? obj->DecodedUnits() : -1;
}

int CSDKObjectManager::RestartDecode(int handle, int decoderType, int qvAccessUnitMode) {
    // Under the write lock: no feed reaches the object while its thread
    // and ring are replaced.
    CWriteGuard g(playLock_);
    for (CSDKObject*& slot : table_) {
        if (slot && slot->m_Handle == handle) {
            int r = slot->RestartDecode(decoderType, qvAccessUnitMode);
            if (r == -4) slot = nullptr;  // its thread frees it
            return r;
        }
    }
    return NET_ERR_NOT_FOUND;
}

int CSDKObjectManager::AddStreamCallback(int key, NET_StreamDataCallback callback, void* user) {
    CWriteGuard g(callbackLock_);
    callbacks_.emplace(key, StreamCallbackEntry{key, callback, user});
    return 1;
}

int CSDKObjectManager::RemoveStreamCallback(int key) {
    CWriteGuard g(callbackLock_);
    return callbacks_.erase(key) ? 0 : NET_ERR_NOT_FOUND;
}

bool CSDKObjectManager::CallStreamCallback(int key, unsigned char* data, int length,
                                           int streamType, int audioCodec) {
    CReadGuard g(callbackLock_);
    auto it = callbacks_.find(key);
    if (it == callbacks_.end() || !it->second.callback) return false;
    it->second.callback(data, length, streamType, audioCodec, it->second.user);
    return true;
}

bool CSDKObjectManager::HasStreamCallback(int key) {
    CReadGuard g(callbackLock_);
    return callbacks_.count(key) != 0;
}

int CSDKObjectManager::AddTalkSession(int loginId, int channel, int value) {
    CWriteGuard g(talkLock_);
    talks_.emplace(loginId, TalkSession{loginId, channel, value});
    return 0;
}

int CSDKObjectManager::RemoveTalkSession(int loginId) {
    CWriteGuard g(talkLock_);
    return talks_.erase(loginId) ? 0 : NET_ERR_NOT_FOUND;
}

int CSDKObjectManager::SetTalkParams(int codecType, int sampleRateType) {
    talkCodecType_ = codecType;
    sampleRateType_ = sampleRateType;
    return 0;
}

// The shared sound player and capture: sound_manager.cpp.
