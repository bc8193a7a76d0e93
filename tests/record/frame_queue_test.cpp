// The per-channel frame rings: pre-recording back to a key frame, wrapping of
// the data buffer, refusals, lapped consumers, and a two-thread stress run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "FrameQueue.h"

using namespace record;

namespace {

// A record frame of `size` bytes in all whose video carries its channel, its
// number and a checksum over everything behind the header.
std::vector<uint8_t> MakeFrame(uint32_t size, bool key, uint32_t channel, uint32_t seq,
                               uint32_t keyValue = 0xFFFFFFFF) {
    std::vector<uint8_t> f(size);
    RecordFrameHeader h{kRecordFrameSync, keyValue != 0xFFFFFFFF ? keyValue : (key ? 1u : 0u),
                        size - 24, 0, 0, 0, {0, 0, 0}};
    StoreRecordFrameHeader(h, f.data());
    uint32_t x = seq * 2654435761u ^ channel * 40503u;
    for (size_t i = 24; i < f.size(); ++i) {
        x = x * 1103515245u + 12345u;
        f[i] = uint8_t(x >> 16);
    }
    if (size >= 24 + 13) {
        const uint8_t sc[5] = {0, 0, 0, 1, uint8_t(key ? 0x67 : 0x41)};
        std::memcpy(&f[24], sc, 5);
        std::memcpy(&f[29], &channel, 4);
        std::memcpy(&f[33], &seq, 4);
    }
    return f;
}

uint32_t SeqOf(const CTakenFrame& t) {
    uint32_t seq;
    std::memcpy(&seq, t.Data() + 33, 4);
    return seq;
}

uint32_t ChannelOf(const CTakenFrame& t) {
    uint32_t ch;
    std::memcpy(&ch, t.Data() + 29, 4);
    return ch;
}

bool Intact(const CTakenFrame& t, uint32_t size, bool key) {
    std::vector<uint8_t> want = MakeFrame(size, key, ChannelOf(t), SeqOf(t));
    return t.Size() == size && std::memcmp(want.data(), t.Data(), size) == 0;
}

TEST(FrameQueue, PreRecordWalksBackToKeyFrame) {
    struct Case {
        const char* what;
        uint32_t frames;     // put before the start, numbered from 1
        uint32_t keyEvery;   // frame n is a key frame when (n - 1) % keyEvery == 0; 0: none
        int pre;
        uint32_t first;      // the first frame taken
    } cases[] = {
        {"pre 30, key every 25", 100, 25, 30, 51},
        {"pre 0: latest key frame", 100, 25, 0, 76},
        {"pre on a key frame", 100, 25, 24, 76},
        {"pre beyond the frames held", 100, 25, 299, 1},
        {"pre larger than the ring is clamped", 100, 25, 5000, 1},
        {"negative pre counts as 0", 100, 25, -3, 76},
        {"lapped ring: oldest held is a key frame", 400, 25, 299, 101},
        {"lapped ring, walk stops at the oldest held", 410, 25, 299, 111},
        {"no key frame: the oldest held", 50, 0, 10, 1},
        {"single frame", 1, 0, 0, 1},
    };
    CFrameQueue q(1);
    CTakenFrame t;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        q.Reset(0);
        for (uint32_t n = 1; n <= c.frames; ++n) {
            bool key = c.keyEvery && (n - 1) % c.keyEvery == 0;
            ASSERT_TRUE(q.Put(0, MakeFrame(200, key, 0, n).data()));
        }
        ASSERT_TRUE(q.StartRecord(0, c.pre));
        ASSERT_TRUE(q.Take(0, t));
        EXPECT_EQ(c.first, SeqOf(t));
        EXPECT_EQ(0u, t.LostBefore());
        // Then every following frame in order, and nothing more.
        uint32_t n = c.first + 1;
        while (q.Take(0, t))
            EXPECT_EQ(n++, SeqOf(t));
        EXPECT_EQ(c.frames + 1, n);
        EXPECT_EQ(0u, q.LostFrames(0));
    }
}

TEST(FrameQueue, EmptyRingThenFramesInOrder) {
    CFrameQueue q(2);
    CTakenFrame t;
    ASSERT_TRUE(q.StartRecord(1, 60));
    EXPECT_FALSE(q.Take(1, t));
    for (uint32_t n = 1; n <= 5; ++n)
        q.Put(1, MakeFrame(100, n == 1, 1, n).data());
    for (uint32_t n = 1; n <= 5; ++n) {
        ASSERT_TRUE(q.Take(1, t));
        EXPECT_EQ(n, SeqOf(t));
        EXPECT_TRUE(Intact(t, 100, n == 1));
    }
    EXPECT_FALSE(q.Take(1, t));
}

TEST(FrameQueue, RefusalsLeaveTheQueueUnchanged) {
    CFrameQueue q(2);
    CTakenFrame t;
    std::vector<uint8_t> good = MakeFrame(100, true, 0, 1);
    EXPECT_FALSE(q.Put(-1, good.data()));
    EXPECT_FALSE(q.Put(2, good.data()));
    EXPECT_FALSE(q.Put(0, nullptr));
    EXPECT_FALSE(q.Put(0, MakeFrame(100, false, 0, 7, 2).data()));   // keyFrame 2
    // Lengths larger than any record frame (here they would also wrap a 32-bit sum).
    std::vector<uint8_t> bad = good;
    RecordFrameHeader h = LoadRecordFrameHeader(bad.data());
    h.videoLength = 0xFFFFFFF0u;
    h.audioLength = 0x20;
    StoreRecordFrameHeader(h, bad.data());
    EXPECT_FALSE(q.Put(0, bad.data()));
    h.videoLength = kRecordFrameCapacity;  // one header too many
    h.audioLength = 0;
    StoreRecordFrameHeader(h, bad.data());
    EXPECT_FALSE(q.Put(0, bad.data()));

    EXPECT_FALSE(q.StartRecord(-1, 0));
    EXPECT_FALSE(q.StartRecord(2, 0));
    EXPECT_FALSE(q.StopRecord(2));
    EXPECT_FALSE(q.Reset(-5));
    EXPECT_FALSE(q.Take(2, t));
    EXPECT_FALSE(q.IsRecording(2));
    EXPECT_FALSE(q.IsRecording(-1));
    EXPECT_FALSE(q.IsRecording(1 << 30));

    // Nothing was stored by the refused calls.
    ASSERT_TRUE(q.StartRecord(0, 299));
    EXPECT_FALSE(q.Take(0, t));
    ASSERT_TRUE(q.Put(0, good.data()));
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(1u, SeqOf(t));
}

TEST(FrameQueue, TakeOnlyWhileRecording) {
    CFrameQueue q(1);
    CTakenFrame t;
    for (uint32_t n = 1; n <= 3; ++n)
        q.Put(0, MakeFrame(100, true, 0, n).data());
    EXPECT_FALSE(q.IsRecording(0));
    EXPECT_FALSE(q.Take(0, t));
    q.StartRecord(0, 2);
    EXPECT_TRUE(q.IsRecording(0));
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(1u, SeqOf(t));
    q.StopRecord(0);
    EXPECT_FALSE(q.IsRecording(0));
    EXPECT_FALSE(q.Take(0, t));
    // The ring keeps its frames across a stop.
    q.StartRecord(0, 0);
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(3u, SeqOf(t));
    q.Reset(0);
    EXPECT_FALSE(q.IsRecording(0));
    q.StartRecord(0, 299);
    EXPECT_FALSE(q.Take(0, t));
}

TEST(FrameQueue, FrameNumberGoesIntoTheCopy) {
    CFrameQueue q(1);
    CTakenFrame t;
    q.Put(0, MakeFrame(100, true, 0, 1).data());
    q.StartRecord(0, 0);
    ASSERT_TRUE(q.Take(0, t));
    t.SetFrameNumber(0x01020304);
    EXPECT_EQ(0x01020304u, t.Header().frameNumber);
    // The ring's own frame is untouched.
    q.StartRecord(0, 0);
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(0u, t.Header().frameNumber);
    EXPECT_TRUE(Intact(t, 100, true));
}

TEST(FrameQueue, WrapAtTheBufferEnd) {
    const uint32_t kMiB = 1048576;
    ASSERT_EQ(3 * kMiB, kFrameQueueBufferSize);
    CFrameQueue q(1);
    CTakenFrame t;

    // Three frames filling the buffer to its last byte: nothing wraps.
    q.StartRecord(0, 0);
    for (uint32_t n = 1; n <= 3; ++n)
        ASSERT_TRUE(q.Put(0, MakeFrame(kMiB, n == 1, 0, n).data()));
    for (uint32_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(q.Take(0, t));
        EXPECT_EQ(n, SeqOf(t));
        EXPECT_EQ(0u, t.LostBefore());
        EXPECT_TRUE(Intact(t, kMiB, n == 1));
    }
    EXPECT_EQ(0u, q.LostFrames(0));

    // One byte more: the third frame wraps to offset 0 and overwrites the
    // first and (by its last byte) the second, which are never handed out.
    q.Reset(0);
    q.StartRecord(0, 0);
    ASSERT_TRUE(q.Put(0, MakeFrame(kMiB, true, 0, 1).data()));
    ASSERT_TRUE(q.Put(0, MakeFrame(kMiB, false, 0, 2).data()));
    ASSERT_TRUE(q.Put(0, MakeFrame(kMiB + 1, false, 0, 3).data()));
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(3u, SeqOf(t));
    EXPECT_EQ(2u, t.LostBefore());
    EXPECT_TRUE(Intact(t, kMiB + 1, false));
    EXPECT_EQ(2u, q.LostFrames(0));
    EXPECT_FALSE(q.Take(0, t));

    // A pre-record walk never returns the overwritten frames either.
    q.StopRecord(0);
    q.StartRecord(0, 299);
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(3u, SeqOf(t));
}

TEST(FrameQueue, LappedConsumerSkipsToOldestAndCounts) {
    CFrameQueue q(1);
    CTakenFrame t;
    q.StartRecord(0, 0);
    // Slot lap: 310 small frames for 300 slots.
    for (uint32_t n = 1; n <= 310; ++n)
        q.Put(0, MakeFrame(64, n % 25 == 1, 0, n).data());
    EXPECT_EQ(300u, q.PendingFrames(0));
    ASSERT_TRUE(q.Take(0, t));
    EXPECT_EQ(11u, SeqOf(t));
    EXPECT_EQ(10u, t.LostBefore());
    for (uint32_t n = 12; n <= 310; ++n) {
        ASSERT_TRUE(q.Take(0, t));
        ASSERT_EQ(n, SeqOf(t));
        EXPECT_EQ(0u, t.LostBefore());
    }
    EXPECT_FALSE(q.Take(0, t));
    EXPECT_EQ(10u, q.LostFrames(0));

    // Byte lap: 100 KB frames; 3 MiB hold 31 of them.
    q.Reset(0);
    q.StartRecord(0, 0);
    const uint32_t size = 100000;
    for (uint32_t n = 1; n <= 40; ++n)
        q.Put(0, MakeFrame(size, false, 0, n).data());
    uint32_t taken = 0, lost = 0, last = 0;
    while (q.Take(0, t)) {
        EXPECT_TRUE(Intact(t, size, false));
        EXPECT_EQ(last + 1 + t.LostBefore(), SeqOf(t));
        lost += t.LostBefore();
        last = SeqOf(t);
        ++taken;
    }
    EXPECT_EQ(40u, last);
    EXPECT_EQ(40u, taken + lost);
    EXPECT_EQ(kFrameQueueBufferSize / size, taken);  // 31 frames of 100 KB fit 3 MiB
    EXPECT_EQ(9u, lost);
    EXPECT_EQ(uint64_t(lost), q.LostFrames(0));
}

// Producers put 25 frames per second on each of 64 channels; the writer takes
// them and stalls now and then. Every frame it takes is intact and in order,
// and every gap is a counted loss.
TEST(FrameQueue, StressProducersAndStallingWriter) {
    constexpr int kChannels = kRecordChannels;
    constexpr int kProducers = 4;
    constexpr auto kRun = std::chrono::milliseconds(4000);
    CFrameQueue q(kChannels);
    for (int ch = 0; ch < kChannels; ++ch)
        q.StartRecord(ch, 0);

    // Sizes of a typical stream: a key frame every 25, P frames much smaller;
    // four channels carry a heavy stream that fills its ring in about a second.
    auto frameSize = [](int ch, uint32_t n) -> uint32_t {
        bool heavy = ch < 4;
        uint32_t v = (n * 7919u + uint32_t(ch) * 104729u) % 1000;
        if ((n - 1) % 25 == 0)
            return heavy ? 260000 + v * 40 : 30000 + v * 20;
        return heavy ? 90000 + v * 60 : 3000 + v * 9;
    };

    std::atomic<bool> stop{false};
    std::vector<std::atomic<uint32_t>> putCount(kChannels);
    std::vector<std::thread> producers;
    const auto start = std::chrono::steady_clock::now();
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            std::vector<uint8_t> frame;
            for (int tick = 0;; ++tick) {
                auto due = start + std::chrono::milliseconds(40) * tick;
                if (due - start >= kRun)
                    break;
                std::this_thread::sleep_until(due);
                for (int ch = p; ch < kChannels; ch += kProducers) {
                    uint32_t n = ++putCount[ch];
                    frame = MakeFrame(frameSize(ch, n), (n - 1) % 25 == 0, uint32_t(ch), n);
                    ASSERT_TRUE(q.Put(ch, frame.data()));
                }
            }
        });
    }

    std::vector<uint32_t> last(kChannels, 0), taken(kChannels, 0), lost(kChannels, 0);
    int bad = 0;
    CTakenFrame t;
    auto drain = [&] {
        for (int ch = 0; ch < kChannels; ++ch) {
            while (q.Take(ch, t)) {
                uint32_t n = SeqOf(t);
                bool ok = ChannelOf(t) == uint32_t(ch) && n == last[ch] + 1 + t.LostBefore() &&
                          Intact(t, frameSize(ch, n), (n - 1) % 25 == 0);
                if (!ok && ++bad < 5)
                    ADD_FAILURE() << "channel " << ch << " frame " << n << " after " << last[ch];
                lost[ch] += t.LostBefore();
                last[ch] = n;
                ++taken[ch];
            }
        }
    };
    int round = 0;
    while (std::chrono::steady_clock::now() - start < kRun) {
        drain();
        // Now and then the disk is slow: short stalls, and one long stall
        // mid-run that lasts until the heavy channels have lapped the writer
        // (40 frames of 90 KB and more are over 3 MiB).
        ++round;
        if (round == 10) {
            const uint32_t from = putCount[0].load();
            while (putCount[0].load() - from < 40 && std::chrono::steady_clock::now() - start < kRun)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 7 == 0 ? 200 : 20));
        }
    }
    for (auto& th : producers)
        th.join();
    drain();

    uint64_t allPut = 0, allTaken = 0, allLost = 0;
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(putCount[ch].load(), last[ch]) << ch;
        EXPECT_EQ(putCount[ch].load(), taken[ch] + lost[ch]) << ch;
        EXPECT_EQ(uint64_t(lost[ch]), q.LostFrames(ch)) << ch;
        allPut += putCount[ch];
        allTaken += taken[ch];
        allLost += lost[ch];
    }
    EXPECT_EQ(0, bad);
    EXPECT_GT(allPut, 64u * 25);
    // The heavy channels were lapped during the long stall; the loss shows.
    EXPECT_GT(lost[0] + lost[1] + lost[2] + lost[3], 0u);
    std::printf("stress: %llu frames put, %llu taken intact, %llu lost (counted)\n",
                (unsigned long long)allPut, (unsigned long long)allTaken, (unsigned long long)allLost);
}

}  // namespace
