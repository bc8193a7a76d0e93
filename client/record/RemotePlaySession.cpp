#include "RemotePlaySession.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace record {

namespace {
uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool SameTextIgnoringCase(const std::string& a, const char* b, size_t bLength) {
    if (a.size() != bLength) return false;
    for (size_t i = 0; i < bLength; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}
}  // namespace

int RemoteSpeedLevel(uint32_t state) {
    switch (state) {
        case 2: return -1;
        case 3: return -2;
        case 4: return 1;
        case 5: return 2;
        default: return 0;
    }
}

uint32_t RemoteSpeedStep(uint32_t state, bool faster) {
    // state:                     1  2  3  4  5
    static const uint32_t kFaster[] = {0, 4, 1, 2, 5, 5};
    static const uint32_t kSlower[] = {0, 2, 3, 3, 1, 4};
    if (state < 1 || state > 5) return 1;
    return faster ? kFaster[state] : kSlower[state];
}

CRemotePlaySession::CRemotePlaySession() = default;
CRemotePlaySession::~CRemotePlaySession() = default;

void CRemotePlaySession::ChangeSpeed(bool faster) {
    if (active_) speedState_ = RemoteSpeedStep(speedState_, faster);
}

int CRemotePlaySession::GetSpeedLevel() { return RemoteSpeedLevel(speedState_); }

int CRemotePlaySession::SetPosition(uint32_t perMille) {
    if (active_) position_ = perMille;
    return 1;
}

int CRemotePlaySession::Start(void*) {
    if (active_) return 1;
    std::lock_guard<std::mutex> hold(lock_);
    sessionId_ = 0;
    speedState_ = 1;
    if (!buffer_) buffer_.reset(new uint8_t[kRemoteBufferSize]);
    std::memset(buffer_.get(), 0, 28);
    fill_ = 0;
    playTime_ = 0;
    position_ = 0;
    active_ = true;
    return 1;
}

int CRemotePlaySession::Stop() {
    if (!active_) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::lock_guard<std::mutex> hold(lock_);
    buffer_.reset();
    fill_ = 0;
    speedState_ = 0;
    active_ = false;
    sessionId_ = 0;
    return 0;
}

void CRemotePlaySession::FreeBuffer() {
    std::lock_guard<std::mutex> hold(lock_);
    buffer_.reset();
    fill_ = 0;
}

void CRemotePlaySession::SetParam(int which, const void* value) {
    if (!value) return;
    const uint32_t number = (which == kParamFileName || which == kParamNotifyWindow)
                                ? 0
                                : *static_cast<const uint32_t*>(value);
    switch (which) {
        case kParamLoginId: loginId_ = number; break;
        case kParamChannelId: channelId_ = number; break;
        case kParamFileName: {
            std::lock_guard<std::mutex> hold(lock_);
            fileName_ = static_cast<const char*>(value);
            break;
        }
        case kParamMode: mode_ = number; break;
        case kParamNotifyWindow: notifyWindow_ = const_cast<void*>(value); break;
        case kParamTotalSeconds: totalSeconds_ = number; break;
        default: break;
    }
}

int CRemotePlaySession::OnDeviceMessage(uint32_t code, const uint8_t* message, uint32_t length) {
    if (!message) return 1;
    std::lock_guard<std::mutex> hold(lock_);
    switch (code) {
        case kRemoteOpenReply: OnOpenReply(message, length); break;
        case kRemoteData: OnData(message, length); break;
        case kRemoteProgress: OnProgress(message, length); break;
        default: break;
    }
    return 1;
}

void CRemotePlaySession::OnOpenReply(const uint8_t* m, uint32_t length) {
    if (length < kRemoteOpenReplySize) return;   // read only as far as the reply is long
    if (LoadU32(m + 73) != 0 || sessionId_ != 0) return;
    const char* name = reinterpret_cast<const char*>(m + 8);
    const size_t nameLength = strnlen(name, kRemoteFileNameField);
    if (!SameTextIgnoringCase(fileName_, name, nameLength)) return;
    sessionId_ = LoadU32(m + 77);
}

void CRemotePlaySession::OnData(const uint8_t* m, uint32_t length) {
    if (length < kRemoteMessageHeader) return;
    // The message's own length bounds the data, and so do the bytes given.
    const uint32_t declared = LoadU32(m + 4);
    const uint32_t total = std::min(declared, length);
    if (total < kRemoteMessageHeader) return;
    if (LoadU32(m + 8) != sessionId_ || !buffer_) return;
    const uint32_t size = total - kRemoteMessageHeader;
    if (size > kRemoteBufferSize) return;   // never fits: dropped whole
    if (LoadU32(buffer_.get() + 16) != LoadU32(m + 12)) fill_ = 0;
    if (size > kRemoteBufferSize - fill_) fill_ = 0;   // would pass the end: gathering starts over
    std::memcpy(buffer_.get() + fill_, m + kRemoteMessageHeader, size);
    fill_ += size;
}

void CRemotePlaySession::OnProgress(const uint8_t* m, uint32_t length) {
    if (length < 20 || !active_ || LoadU32(m + 8) != sessionId_) return;
    playTime_ = LoadU32(m + 12);
    position_ = LoadU32(m + 16);
}

uint32_t CRemotePlaySession::Fill() {
    std::lock_guard<std::mutex> hold(lock_);
    return fill_;
}

bool CRemotePlaySession::HasBuffer() {
    std::lock_guard<std::mutex> hold(lock_);
    return buffer_ != nullptr;
}

size_t CRemotePlaySession::ReadGathered(size_t offset, uint8_t* out, size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!buffer_ || offset >= fill_) return 0;
    const size_t n = std::min(size, size_t(fill_) - offset);
    std::memcpy(out, buffer_.get() + offset, n);
    return n;
}

}  // namespace record
