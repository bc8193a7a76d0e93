#include "FrameQueue.h"

#include <cstring>

namespace record {

void CTakenFrame::SetFrameNumber(uint32_t n) {
    uint8_t* p = data_.get() + 16;
    p[0] = uint8_t(n);
    p[1] = uint8_t(n >> 8);
    p[2] = uint8_t(n >> 16);
    p[3] = uint8_t(n >> 24);
}

CFrameQueue::CFrameQueue(int channelCount)
    : channelCount_(channelCount > 0 ? channelCount : 0),
      channels_(new Channel[channelCount_ > 0 ? channelCount_ : 1]) {
    for (int i = 0; i < channelCount_; ++i) {
        // Not cleared: only bytes a slot describes are ever read.
        channels_[i].buffer.reset(new uint8_t[kFrameQueueBufferSize]);
        ResetLocked(channels_[i]);
    }
}

CFrameQueue::~CFrameQueue() = default;

CFrameQueue::Channel* CFrameQueue::Get(int channel) const {
    if (channel < 0 || channel >= channelCount_)
        return nullptr;
    return &channels_[channel];
}

void CFrameQueue::ResetLocked(Channel& c) {
    c.dataOffset = 0;
    c.putCount = 0;
    c.oldest = 1;
    c.next = 1;
    c.lost = 0;
    c.recording.store(0, std::memory_order_relaxed);
    std::memset(c.slots, 0, sizeof c.slots);
}

bool CFrameQueue::Put(int channel, const uint8_t* frame) {
    Channel* c = Get(channel);
    if (!c || !frame)
        return false;
    RecordFrameHeader h = LoadRecordFrameHeader(frame);
    if (h.keyFrame > 1)
        return false;
    uint32_t size = RecordFrameSize(h);
    if (size == 0)
        return false;

    std::lock_guard<std::mutex> hold(c->lock);
    uint32_t offset = c->dataOffset;
    if (size > kFrameQueueBufferSize - offset)
        offset = 0;  // the tail is left unused; frames are never split
    const uint64_t seq = c->putCount + 1;
    // Frames whose bytes or slot the new frame takes are lost, and so is
    // every frame older than them: the intact frames stay one run.
    for (uint64_t n = c->oldest; n < seq; ++n) {
        const Slot& s = c->slots[(n - 1) % kFrameQueueSlots];
        bool slotReused = seq - n >= uint64_t(kFrameQueueSlots);
        bool bytesOverlap = s.offset < offset + size && offset < s.offset + s.size;
        if (slotReused || bytesOverlap)
            c->oldest = n + 1;
    }
    Slot& s = c->slots[(seq - 1) % kFrameQueueSlots];
    s.keyFrame = h.keyFrame;
    s.size = size;
    s.offset = offset;
    std::memcpy(c->buffer.get() + offset, frame, size);
    c->dataOffset = offset + size;
    c->putCount = seq;
    return true;
}

bool CFrameQueue::StartRecord(int channel, int preFrames) {
    Channel* c = Get(channel);
    if (!c)
        return false;
    if (preFrames < 0)
        preFrames = 0;
    if (preFrames > kFrameQueueSlots - 1)
        preFrames = kFrameQueueSlots - 1;
    std::lock_guard<std::mutex> hold(c->lock);
    if (c->putCount < c->oldest) {
        c->next = c->putCount + 1;  // nothing held: begin with the next frame put
    } else {
        uint64_t start = c->putCount - c->oldest >= uint64_t(preFrames) ? c->putCount - preFrames
                                                                         : c->oldest;
        uint64_t n = start;
        while (n > c->oldest && c->slots[(n - 1) % kFrameQueueSlots].keyFrame != 1)
            --n;
        c->next = n;  // a key frame, or the oldest frame held
    }
    c->recording.store(1, std::memory_order_release);
    return true;
}

bool CFrameQueue::StopRecord(int channel) {
    Channel* c = Get(channel);
    if (!c)
        return false;
    std::lock_guard<std::mutex> hold(c->lock);
    c->recording.store(0, std::memory_order_release);
    return true;
}

bool CFrameQueue::IsRecording(int channel) const {
    const Channel* c = Get(channel);
    return c && c->recording.load(std::memory_order_acquire) != 0;
}

bool CFrameQueue::Take(int channel, CTakenFrame& out) {
    Channel* c = Get(channel);
    if (!c)
        return false;
    std::lock_guard<std::mutex> hold(c->lock);
    if (!c->recording.load(std::memory_order_relaxed))
        return false;
    uint32_t lost = 0;
    if (c->next < c->oldest) {
        uint64_t skipped = c->oldest - c->next;
        c->lost += skipped;
        lost = skipped > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(skipped);
        c->next = c->oldest;
    }
    if (c->next > c->putCount)
        return false;  // the newest frame is always intact, so no loss is pending here
    const Slot& s = c->slots[(c->next - 1) % kFrameQueueSlots];
    std::memcpy(out.data_.get(), c->buffer.get() + s.offset, s.size);
    out.size_ = s.size;
    out.lostBefore_ = lost;
    ++c->next;
    return true;
}

bool CFrameQueue::Reset(int channel) {
    Channel* c = Get(channel);
    if (!c)
        return false;
    std::lock_guard<std::mutex> hold(c->lock);
    ResetLocked(*c);
    return true;
}

uint64_t CFrameQueue::LostFrames(int channel) const {
    const Channel* c = Get(channel);
    if (!c)
        return 0;
    std::lock_guard<std::mutex> hold(c->lock);
    return c->lost;
}

uint32_t CFrameQueue::PendingFrames(int channel) const {
    const Channel* c = Get(channel);
    if (!c)
        return 0;
    std::lock_guard<std::mutex> hold(c->lock);
    if (!c->recording.load(std::memory_order_relaxed) || c->putCount < c->next)
        return 0;
    uint64_t from = c->next < c->oldest ? c->oldest : c->next;
    return uint32_t(c->putCount + 1 - from);
}

}  // namespace record
