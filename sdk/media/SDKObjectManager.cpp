#include "media/SDKObjectManager.h"

CSDKObjectManager::CSDKObjectManager() = default;

CSDKObjectManager::~CSDKObjectManager() { CloseAll(); }

// Play handles are not built yet: no handle can be created, so every
// handle is unknown.
int CSDKObjectManager::CreateRealPlayHandle(HWND) {
    CWriteGuard g(playLock_);
    ++handleCounter_;
    return -1;
}

int CSDKObjectManager::CloseRealPlayHandle(int handle) {
    CWriteGuard g(playLock_);
    return FindObject(handle) ? 0 : -1;
}

CSDKObject* CSDKObjectManager::FindObject(int handle) {
    (void)handle;
    return nullptr;
}

int CSDKObjectManager::CloseAll() { return 0; }

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
