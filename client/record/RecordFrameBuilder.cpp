#include "RecordFrameBuilder.h"

#include <cstdio>
#include <cstring>

#include "FrameQueue.h"

namespace record {

CRecordFrameBuilder::CRecordFrameBuilder()
    : frame_(new uint8_t[kRecordFrameCapacity]), audio_(new uint8_t[kMaxRecordAudioLength]) {
    Reset();
}

void CRecordFrameBuilder::Reset() {
    std::memset(frame_.get(), 0, kRecordFrameHeaderSize);
    audioLength_ = 0;
    frameSize_ = 0;
    audioFormat_ = kAudioNone;
}

BuildResult CRecordFrameBuilder::AddAudio(const uint8_t* data, size_t len) {
    if (!data || len == 0)
        return BuildResult::EmptyUnit;
    if (len > kMaxRecordAudioLength)
        return BuildResult::AudioDropped;
    BuildResult r = BuildResult::AudioAdded;
    if (audioLength_ + len > kMaxRecordAudioLength) {
        audioLength_ = 0;
        r = BuildResult::AudioRestarted;
    }
    std::memcpy(audio_.get() + audioLength_, data, len);
    audioLength_ += uint32_t(len);
    return r;
}

BuildResult CRecordFrameBuilder::AddVideo(const uint8_t* data, size_t len) {
    frameSize_ = 0;
    if (!data || len == 0)
        return BuildResult::EmptyUnit;
    if (len > kMaxRecordVideoLength ||
        len > kRecordFrameCapacity - kRecordFrameHeaderSize - audioLength_)
        return BuildResult::FrameTooLarge;
    RecordFrameHeader h;
    std::memset(&h, 0, sizeof h);
    h.sync = kRecordFrameSync;
    h.keyFrame = IsKeyFrameUnit(data, len) ? 1 : 0;
    h.videoLength = uint32_t(len);
    h.audioLength = audioLength_;
    h.audioFormat = audioFormat_;
    uint8_t* p = frame_.get();
    StoreRecordFrameHeader(h, p);
    std::memcpy(p + kRecordFrameHeaderSize, data, len);
    std::memcpy(p + kRecordFrameHeaderSize + len, audio_.get(), audioLength_);
    frameSize_ = kRecordFrameHeaderSize + uint32_t(len) + audioLength_;
    return BuildResult::FrameBuilt;
}

void CRecordFrameBuilder::Restart(uint8_t audioFormat) {
    audioLength_ = 0;
    frameSize_ = 0;
    audioFormat_ = audioFormat;
}

BuildResult BuildRecordFrame(CRecordFrameBuilder& builder, CFrameQueue& queue, int channel,
                             const uint8_t* data, size_t len, int streamType,
                             uint8_t currentAudioFormat,
                             const std::function<void(const std::string&)>& log, bool* wakeWriter) {
    if (wakeWriter)
        *wakeWriter = false;
    char line[160];
    if (streamType != 0) {
        BuildResult r = builder.AddAudio(data, len);
        if (r == BuildResult::AudioDropped && log) {
            std::snprintf(line, sizeof line, "Record channel %d: audio payload of %u bytes dropped",
                          channel + 1, unsigned(len));
            log(line);
        }
        return r;
    }
    BuildResult r = builder.AddVideo(data, len);
    if (r == BuildResult::FrameTooLarge && log) {
        std::snprintf(line, sizeof line,
                      "Record channel %d: video frame of %u bytes (audio %u bytes) too large, dropped",
                      channel + 1, unsigned(len), unsigned(builder.AudioLength()));
        log(line);
    }
    if (r != BuildResult::FrameBuilt)
        return r;
    queue.Put(channel, builder.Frame());
    builder.Restart(currentAudioFormat);
    if (wakeWriter)
        *wakeWriter = queue.IsRecording(channel);
    return r;
}

}  // namespace record
