// Per-channel rings of recent record frames between the stream threads (one
// producer per channel) and the record writer (one consumer for all). A ring
// keeps the last 300 frames in a 3 MiB buffer, so that a recording can begin
// before its start, always on a key frame.
//
// Every channel has its own lock. The producer copies a frame in under it and
// the consumer copies a frame out under it, so the writer never holds bytes a
// producer may be overwriting. Frames whose bytes were overwritten (the
// producer lapped the consumer) are never handed out: the consumer skips to
// the oldest intact frame and the skipped frames are counted.
//
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "RecordFormat.h"

namespace record {

constexpr int kFrameQueueSlots = 300;
constexpr uint32_t kFrameQueueBufferSize = 3145728;
constexpr int kRecordChannels = 64;

// A frame taken out of a ring: the writer's own copy.
class CTakenFrame {
public:
    CTakenFrame() : data_(new uint8_t[kRecordFrameCapacity]) {}
    const uint8_t* Data() const { return data_.get(); }
    uint32_t Size() const { return size_; }
    RecordFrameHeader Header() const { return LoadRecordFrameHeader(data_.get()); }
    // The writer numbers the frames of a file as it writes them.
    void SetFrameNumber(uint32_t n);
    // Frames of the channel lost just before this one (overwritten before they were taken).
    uint32_t LostBefore() const { return lostBefore_; }

private:
    friend class CFrameQueue;
    std::unique_ptr<uint8_t[]> data_;
    uint32_t size_ = 0;
    uint32_t lostBefore_ = 0;
};

class CFrameQueue {
public:
    explicit CFrameQueue(int channelCount);
    ~CFrameQueue();
    CFrameQueue(const CFrameQueue&) = delete;
    CFrameQueue& operator=(const CFrameQueue&) = delete;

    int ChannelCount() const { return channelCount_; }

    // Copies a complete record frame into the channel's ring. Refused (FALSE,
    // nothing changed): a bad channel, keyFrame other than 0 or 1, or a frame
    // larger than a record frame can be. Never waits for room: the oldest
    // frames are overwritten.
    bool Put(int channel, const uint8_t* frame);

    // Recording begins with the latest key frame at or before the frame
    // preFrames (0..299) back from the newest; without one, with the oldest
    // frame held.
    bool StartRecord(int channel, int preFrames);
    bool StopRecord(int channel);
    bool IsRecording(int channel) const;

    // The next unread frame of a recording channel, copied into out; FALSE when
    // there is none or the channel does not record.
    bool Take(int channel, CTakenFrame& out);

    // Empties the channel; not recording afterwards. The buffer is kept.
    bool Reset(int channel);

    // Frames overwritten before the writer took them, since the last Reset.
    uint64_t LostFrames(int channel) const;
    // Frames held in the ring and not yet taken (0 when not recording).
    uint32_t PendingFrames(int channel) const;

private:
    struct Slot {
        uint32_t keyFrame;
        uint32_t size;
        uint32_t offset;
    };
    struct Channel {
        mutable std::mutex lock;
        std::unique_ptr<uint8_t[]> buffer;
        uint32_t dataOffset = 0;
        // Frames are numbered from 1 since the last reset; frame n lives in
        // slot (n - 1) % 300. Frames oldest..putCount are intact.
        uint64_t putCount = 0;
        uint64_t oldest = 1;
        uint64_t next = 1;        // the next frame to take
        uint64_t lost = 0;
        std::atomic<uint32_t> recording{0};
        Slot slots[kFrameQueueSlots];
    };

    Channel* Get(int channel) const;
    static void ResetLocked(Channel& c);

    int channelCount_;
    std::unique_ptr<Channel[]> channels_;
};

}  // namespace record
