// Builds one channel's record frames from its stream: the audio payloads that
// arrive between two video access units are gathered and go out behind the
// next access unit, in one record frame.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "RecordFormat.h"

namespace record {

class CFrameQueue;

enum class BuildResult {
    AudioAdded,       // appended to the gathered audio
    AudioRestarted,   // the gathered audio was full: discarded, the payload starts anew
    AudioDropped,     // a payload larger than the audio area on its own; nothing changed
    FrameBuilt,       // a record frame is complete
    FrameTooLarge,    // the access unit does not fit the frame or readers would refuse it: dropped
    EmptyUnit,        // no bytes: ignored
};

class CRecordFrameBuilder {
public:
    CRecordFrameBuilder();
    CRecordFrameBuilder(const CRecordFrameBuilder&) = delete;
    CRecordFrameBuilder& operator=(const CRecordFrameBuilder&) = delete;

    BuildResult AddAudio(const uint8_t* data, size_t len);

    // Completes the frame under construction with one access unit. After
    // FrameBuilt, Frame() and FrameSize() describe the complete record frame
    // until Restart is called.
    BuildResult AddVideo(const uint8_t* data, size_t len);
    const uint8_t* Frame() const { return frame_.get(); }
    uint32_t FrameSize() const { return frameSize_; }

    // After the hand-over of a complete frame: the next frame starts empty and
    // carries the audio codec current now, when its audio begins to gather.
    void Restart(uint8_t audioFormat);

    // Empty frame, no audio, audio format 0 (as at construction).
    void Reset();

    uint32_t AudioLength() const { return audioLength_; }
    uint8_t AudioFormat() const { return audioFormat_; }

private:
    std::unique_ptr<uint8_t[]> frame_;   // kRecordFrameCapacity bytes
    std::unique_ptr<uint8_t[]> audio_;   // kMaxRecordAudioLength bytes
    uint32_t audioLength_ = 0;
    uint32_t frameSize_ = 0;
    uint8_t audioFormat_ = kAudioNone;
};

// The stream path of a recording channel: stream type 0 is video, anything
// else audio. A complete frame is put into the channel's ring; *wakeWriter
// becomes true when the ring marks the channel recording (the caller then
// signals the writer). Dropped units are reported through log.
BuildResult BuildRecordFrame(CRecordFrameBuilder& builder, CFrameQueue& queue, int channel,
                             const uint8_t* data, size_t len, int streamType,
                             uint8_t currentAudioFormat,
                             const std::function<void(const std::string&)>& log, bool* wakeWriter);

}  // namespace record
