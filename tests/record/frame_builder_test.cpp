// The frame builder: audio gathering and its bound, the key flag, the audio
// format carried by each frame, and units too large for a frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FrameQueue.h"
#include "RecordFrameBuilder.h"

using namespace record;

namespace {

enum Kind { A, V };
enum Unit { kSps4, kSps3, kAudSps, kIdr, kShort, kPlain };

struct Step {
    Kind kind;
    uint32_t size;       // bytes of the payload or access unit
    uint8_t format;      // the device's audio codec when the step arrives
    Unit unit;           // access unit form (video only)
};

struct Expect {
    uint32_t key, videoLength, audioLength;
    uint8_t audioFormat;
    std::vector<int> audioParts;  // indexes of the audio steps the frame carries, in order
};

struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<Expect> frames;
    int logLines;
};

std::vector<uint8_t> MakeUnit(Unit u, uint32_t size, int tag) {
    std::vector<uint8_t> v(size, uint8_t(0x80 + tag));
    auto put = [&](std::initializer_list<int> head) {
        size_t i = 0;
        for (int b : head)
            if (i < v.size())
                v[i++] = uint8_t(b);
    };
    switch (u) {
    case kSps4: put({0, 0, 0, 1, 0x67}); break;
    case kSps3: put({0, 0, 1, 0x67}); break;
    case kAudSps: put({0, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x67}); break;
    case kIdr: put({0, 0, 0, 1, 0x65}); break;
    case kShort: v = {0, 0, 1}; break;
    case kPlain: put({0, 0, 0, 1, 0x41}); break;
    }
    return v;
}

std::vector<uint8_t> AudioPayload(const Step& s, int index) {
    std::vector<uint8_t> v(s.size);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = uint8_t(index * 31 + i);
    return v;
}

TEST(FrameBuilder, Sequences) {
    const uint32_t kHalf = kMaxRecordAudioLength / 2;
    const Case cases[] = {
        {"audio gathered behind the next video",
         {{A, 100, 1}, {A, 60, 1}, {V, 500, 1, kSps4}, {V, 300, 1, kPlain}},
         {{1, 500, 160, 0, {0, 1}}, {0, 300, 0, 1, {}}}, 0},
        {"key flag: 3-byte, AUD, IDR alone, short unit",
         {{V, 50, 0, kSps3}, {V, 50, 0, kAudSps}, {V, 50, 0, kIdr}, {V, 3, 0, kShort}},
         {{1, 50, 0, 0, {}}, {1, 50, 0, 0, {}}, {0, 50, 0, 0, {}}, {0, 3, 0, 0, {}}}, 0},
        {"audio format carried from the start of gathering",
         {{V, 40, 1, kSps4}, {A, 10, 2}, {V, 40, 2, kPlain}, {V, 40, 0, kPlain}, {V, 40, 1, kPlain}},
         {{1, 40, 0, 0, {}}, {0, 40, 10, 1, {1}}, {0, 40, 0, 2, {}}, {0, 40, 0, 0, {}}}, 0},
        {"exactly 0x20000 of audio is kept",
         {{A, kHalf, 1}, {A, kHalf, 1}, {V, 40, 1, kPlain}},
         {{0, 40, kMaxRecordAudioLength, 0, {0, 1}}}, 0},
        {"one byte over 0x20000 discards what was gathered",
         {{A, kHalf, 1}, {A, kHalf, 1}, {A, 1, 1}, {A, 7, 1}, {V, 40, 1, kPlain}},
         {{0, 40, 8, 0, {2, 3}}}, 0},
        {"a payload larger than the audio area alone is dropped",
         {{A, 20, 1}, {A, kMaxRecordAudioLength + 1, 1}, {V, 40, 1, kPlain}},
         {{0, 40, 20, 0, {0}}}, 1},
        {"video longer than readers accept is dropped, its audio goes on",
         {{A, 30, 1}, {V, kMaxRecordVideoLength + 1, 1, kSps4}, {V, 40, 1, kPlain}},
         {{0, 40, 30, 0, {0}}}, 1},
        {"largest video with the audio that still fits the frame",
         {{A, kMaxRecordAudioLength - 24, 1}, {V, kMaxRecordVideoLength, 1, kSps4}},
         {{1, kMaxRecordVideoLength, kMaxRecordAudioLength - 24, 0, {0}}}, 0},
        {"largest video with full audio does not fit the frame",
         {{A, kMaxRecordAudioLength, 1}, {V, kMaxRecordVideoLength, 1, kSps4}, {V, 10, 1, kPlain}},
         {{0, 10, kMaxRecordAudioLength, 0, {0}}}, 1},
        {"an empty unit changes nothing",
         {{A, 5, 1}, {V, 0, 1, kPlain}, {V, 10, 1, kPlain}},
         {{0, 10, 5, 0, {0}}}, 0},
    };
    CFrameQueue queue(1);
    CRecordFrameBuilder builder;
    CTakenFrame taken;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        builder.Reset();
        queue.Reset(0);
        queue.StartRecord(0, 0);
        std::vector<std::vector<uint8_t>> audio(c.steps.size());
        std::vector<std::vector<uint8_t>> video;
        std::vector<std::string> log;
        auto logFn = [&](const std::string& s) { log.push_back(s); };
        int wakes = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            bool wake = false;
            if (s.kind == A) {
                audio[i] = AudioPayload(s, int(i));
                BuildRecordFrame(builder, queue, 0, audio[i].data(), audio[i].size(), 3, s.format, logFn,
                                 &wake);
            } else {
                std::vector<uint8_t> u = MakeUnit(s.unit, s.size, int(i));
                if (BuildRecordFrame(builder, queue, 0, u.data(), u.size(), 0, s.format, logFn, &wake) ==
                    BuildResult::FrameBuilt)
                    video.push_back(u);
            }
            wakes += wake;
        }
        EXPECT_EQ(c.logLines, int(log.size()));
        EXPECT_EQ(int(c.frames.size()), wakes);
        ASSERT_EQ(c.frames.size(), video.size());
        for (size_t f = 0; f < c.frames.size(); ++f) {
            SCOPED_TRACE(f);
            ASSERT_TRUE(queue.Take(0, taken));
            const Expect& e = c.frames[f];
            RecordFrameHeader h = taken.Header();
            EXPECT_EQ(kRecordFrameSync, h.sync);
            EXPECT_EQ(e.key, h.keyFrame);
            EXPECT_EQ(e.videoLength, h.videoLength);
            EXPECT_EQ(e.audioLength, h.audioLength);
            EXPECT_EQ(e.audioFormat, h.audioFormat);
            EXPECT_EQ(0u, h.frameNumber);
            ASSERT_EQ(24 + e.videoLength + e.audioLength, taken.Size());
            const uint8_t* p = taken.Data() + 24;
            EXPECT_TRUE(std::equal(video[f].begin(), video[f].end(), p));
            std::vector<uint8_t> want;
            for (int part : e.audioParts)
                want.insert(want.end(), audio[part].begin(), audio[part].end());
            ASSERT_EQ(want.size(), e.audioLength);
            EXPECT_TRUE(std::equal(want.begin(), want.end(), p + e.videoLength));
        }
        EXPECT_FALSE(queue.Take(0, taken));
    }
}

TEST(FrameBuilder, NoWakeWhileTheChannelDoesNotRecord) {
    CFrameQueue queue(2);
    CRecordFrameBuilder builder;
    std::vector<uint8_t> u = MakeUnit(kSps4, 100, 1);
    bool wake = true;
    EXPECT_EQ(BuildResult::FrameBuilt,
              BuildRecordFrame(builder, queue, 1, u.data(), u.size(), 0, 1, nullptr, &wake));
    EXPECT_FALSE(wake);
    // The frame is kept for a recording that starts later.
    queue.StartRecord(1, 10);
    CTakenFrame taken;
    ASSERT_TRUE(queue.Take(1, taken));
    EXPECT_EQ(124u, taken.Size());
}

}  // namespace
