// Channel recording and the record writer: file headers and frame numbers,
// write errors and giving up a drive, torn frames, rotation on key frames,
// 64 busy channels, and a writer that stops at once. A fake host stands in
// for the main dialog; files go to a temporary folder.
#include <gtest/gtest.h>

#include "writer_fixture.h"

using namespace writertest;

// A recording begins at the latest key frame before its start, numbers its
// frames from 1, keeps their audio, and completes its header at the stop.
TEST(RecordWriter, FileFromKeyFrameWithNumbersAndHeader) {
    Rig rig("header");
    rig.host.videoStandard = 5;  // any non-zero standard is NTSC
    ASSERT_TRUE(rig.writer.StartThread());
    for (uint32_t s = 1; s <= 12; ++s) rig.Feed(1, s, s % 5 == 1);  // keys 1, 6, 11
    rig.host.tick = 5000;
    ASSERT_TRUE(rig.writer.StartRecord(1, kRecordNormal, 0));
    EXPECT_TRUE(rig.writer.StartRecord(1, kRecordNormal, 0)) << "a second start is TRUE without a new file";
    EXPECT_EQ(rig.host.names.size(), 1u);
    for (uint32_t s = 13; s <= 40; ++s) rig.Feed(1, s, s % 5 == 1, 300 + s, s % 3 ? 320 : 0);
    ASSERT_TRUE(rig.WaitFrames(1, 30));  // 11..40
    const std::string path = rig.writer.FileState(1).path;
    rig.host.tick = 5000 + 90500;
    rig.writer.StopRecord(1);
    EXPECT_FALSE(rig.writer.IsRecording(1));
    EXPECT_FALSE(rig.host.recordingFlag[1]);
    EXPECT_TRUE(rig.writer.StopThread(1000));

    RecordFileHeader h;
    auto frames = ParseFile(rig.Read(path), &h);
    EXPECT_EQ(std::memcmp(h.magic, "RIMF", 4), 0);
    EXPECT_EQ(h.videoStandard, 1);
    EXPECT_EQ(h.frameRate, 25);
    EXPECT_EQ(h.videoCodec, 1);
    EXPECT_EQ(h.hasAudio, 1);
    EXPECT_EQ(h.audioBlockLength, 320);
    EXPECT_EQ(h.frameCount, 30u);
    EXPECT_EQ(h.recordSeconds, 90u);
    ASSERT_EQ(frames.size(), 30u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].h.frameNumber, i + 1);
        EXPECT_EQ(frames[i].seq, 11 + i);
        EXPECT_EQ(frames[i].h.keyFrame, frames[i].seq % 5 == 1 ? 1u : 0u);
        if (frames[i].seq >= 13) {
            EXPECT_EQ(frames[i].h.videoLength, 300 + frames[i].seq);
            EXPECT_EQ(frames[i].h.audioLength, frames[i].seq % 3 ? 320u : 0u);
        }
    }
    EXPECT_EQ(rig.host.notices[1], 1);
    EXPECT_EQ(rig.host.channelBytes[1].load(), rig.Read(path).size() - 32);
}

// Start refusals and the channel name of a device without a channel block.
TEST(RecordWriter, StartRefusalsAndDefaultName) {
    Rig rig("refusals");
    rig.host.noDevice.insert(0);
    rig.host.streamFails.insert(1);
    rig.host.noChannelBlock.insert(3);
    EXPECT_FALSE(rig.writer.StartRecord(0, kRecordNormal, 0));  // no device
    EXPECT_FALSE(rig.writer.StartRecord(1, kRecordNormal, 0));  // the stream does not start
    EXPECT_FALSE(rig.writer.StartRecord(4, kRecordNormal, 0));  // beyond the channel count
    EXPECT_FALSE(rig.writer.StartRecord(-1, kRecordNormal, 0));
    ASSERT_TRUE(rig.writer.StartRecord(3, kRecordAlarm, 0));
    ASSERT_EQ(rig.host.names.size(), 1u);
    EXPECT_EQ(rig.host.names[0], "Channel-3");
    EXPECT_EQ(rig.writer.FileState(3).recordType, kRecordAlarm);
    rig.writer.StopRecord(3);

    // A header that cannot be written is a failure, and the channel is not recording.
    rig.script.failHeader = true;
    EXPECT_FALSE(rig.writer.StartRecord(2, kRecordNormal, 0));
    EXPECT_FALSE(rig.writer.IsRecording(2));
    EXPECT_FALSE(rig.queue.IsRecording(2));
    EXPECT_FALSE(rig.host.recordingFlag[2]);
}

// Write errors: fewer than ten in a row keep the recording; the tenth stops
// it with a complete header, gives up the drive and adds a "Disk Error Info"
// row; the next start goes to another drive. UI updates of that stop are
// posted (fromWriter).
TEST(RecordWriter, WriteErrorsGiveUpTheDrive) {
    struct Case {
        const char* what;
        int errors;         // failing frame writes in a row
        bool stopped;
    } cases[] = {
        {"nine errors, then a success", 9, false},
        {"ten errors", 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.errors == 9 ? "errors9" : "errors10");
        ASSERT_TRUE(rig.writer.StartThread());
        rig.Feed(0, 1, true);
        ASSERT_TRUE(rig.writer.StartRecord(0, kRecordNormal, 0));
        ASSERT_TRUE(rig.WaitFrames(0, 1));
        for (int i = 0; i < c.errors; ++i) rig.script.steps.push_back(WriteStep::Fail);
        const std::string path = rig.writer.FileState(0).path;
        for (uint32_t s = 2; s <= 13; ++s) rig.Feed(0, s, false);
        if (c.stopped) {
            ASSERT_TRUE(WaitFor([&] { return !rig.writer.IsRecording(0); }, 10000));
            RecordFileHeader h;
            auto frames = ParseFile(rig.Read(path), &h);
            EXPECT_EQ(h.frameCount, 1u) << "the final header is written";
            EXPECT_EQ(frames.size(), 1u);
            ASSERT_EQ(rig.host.failedRoots.size(), 1u);
            EXPECT_EQ(rig.host.failedRoots[0], "P:\\");
            ASSERT_EQ(rig.host.diskErrors.size(), 1u);
            EXPECT_EQ(rig.host.diskErrors[0].slot, 0);
            EXPECT_EQ(rig.host.diskErrors[0].path, path);
            EXPECT_EQ(rig.host.diskErrors[0].error,
                      "Write record file error, jump disk: " + rig.host.failedRoots[0]);
            bool posted = false;
            for (auto& s : rig.host.states) posted |= s.slot == 0 && !s.on && s.fromWriter;
            EXPECT_TRUE(posted) << "the stop on the writer thread posts its UI updates";
            EXPECT_EQ(rig.writer.FileState(0).writeErrors, 0u);
            ASSERT_TRUE(rig.writer.StartRecord(0, kRecordNormal, 0));
            EXPECT_EQ(rig.writer.FileState(0).root, "Q:\\") << "the next file goes to another drive";
        } else {
            ASSERT_TRUE(rig.WaitFrames(0, 4));  // frames 11.. after the nine failures
            EXPECT_TRUE(rig.writer.IsRecording(0));
            EXPECT_EQ(rig.writer.FileState(0).writeErrors, 0u);
            EXPECT_TRUE(rig.host.diskErrors.empty());
            EXPECT_TRUE(rig.host.failedRoots.empty());
        }
        rig.writer.StopRecord(0);
        EXPECT_TRUE(rig.writer.StopThread(1000));
    }
}

// A short write is cut back: the file holds whole frames only, numbered
// without a gap.
TEST(RecordWriter, ShortWriteLeavesNoTornFrame) {
    Rig rig("short");
    ASSERT_TRUE(rig.writer.StartThread());
    rig.Feed(0, 1, true);
    ASSERT_TRUE(rig.writer.StartRecord(0, kRecordNormal, 0));
    ASSERT_TRUE(rig.WaitFrames(0, 1));
    rig.script.steps.push_back(WriteStep::Short);
    rig.Feed(0, 2, false, 5000);
    rig.Feed(0, 3, false, 700);
    ASSERT_TRUE(rig.WaitFrames(0, 2));
    const std::string path = rig.writer.FileState(0).path;
    rig.writer.StopRecord(0);
    auto bytes = rig.Read(path);
    auto frames = ParseFile(bytes);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].seq, 3u);
    EXPECT_EQ(frames[1].h.frameNumber, 2u);
    EXPECT_EQ(bytes.size(), 32u + 224 + 724) << "nothing of the torn frame is left";
}

// Frames lost because the writer fell a whole ring behind are logged.
TEST(RecordWriter, LostFramesAreLogged) {
    Rig rig("lost");
    rig.Feed(2, 1, true);
    ASSERT_TRUE(rig.writer.StartRecord(2, kRecordNormal, 0));
    for (uint32_t s = 2; s <= 350; ++s) rig.Feed(2, s, s % 25 == 1);  // the writer is not running
    ASSERT_TRUE(rig.writer.StartThread());
    rig.writer.Signal(2);
    ASSERT_TRUE(rig.WaitFrames(2, 300));
    rig.writer.StopRecord(2);
    bool logged = false;
    for (auto& l : rig.host.log) logged |= l.find("Record frames lost!") != std::string::npos && l.find(" 03 ") != std::string::npos;
    EXPECT_TRUE(logged);
}

// Rotation while frames flow: every file begins with a key frame, and the
// files together hold the frames in order.
TEST(RecordWriter, RotatedFilesStartOnKeyFrames) {
    Rig rig("rotation");
    ASSERT_TRUE(rig.writer.StartThread());
    std::atomic<bool> done{false};
    rig.Feed(0, 1, true);
    ASSERT_TRUE(rig.writer.StartRecord(0, kRecordNormal, 0));
    std::thread producer([&] {
        for (uint32_t s = 2; s <= 1500 && !done; ++s) {
            auto f = MakeFrame(0, s, s % 7 == 1, 400);
            rig.queue.Put(0, f.data());
            if (rig.queue.IsRecording(0)) rig.writer.Signal(0);
            if (s % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::vector<std::string> paths;
    for (int r = 0; r < 12; ++r) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        paths.push_back(rig.writer.FileState(0).path);
        rig.writer.StopRecord(0);
        ASSERT_TRUE(rig.writer.StartRecord(0, kRecordNormal, 30));
    }
    done = true;
    producer.join();
    paths.push_back(rig.writer.FileState(0).path);
    rig.writer.StopRecord(0);
    ASSERT_TRUE(rig.writer.StopThread(1000));
    int nonEmpty = 0;
    for (auto& p : paths) {
        RecordFileHeader h;
        auto frames = ParseFile(rig.Read(p), &h);
        EXPECT_EQ(h.frameCount, frames.size()) << p;
        if (frames.empty()) continue;
        ++nonEmpty;
        EXPECT_EQ(frames[0].h.keyFrame, 1u) << p;
        for (size_t i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].seq, frames[i - 1].seq + 1) << p;
            EXPECT_EQ(frames[i].h.frameNumber, i + 1) << p;
        }
    }
    EXPECT_GE(nonEmpty, 6);
}

// 64 channels fed at once all grow; a wake for a slot at or beyond the
// channel count is ignored.
TEST(RecordWriter, SixtyFourChannelsAllGrow) {
    Rig rig("all64", kRecordChannels);
    ASSERT_TRUE(rig.writer.StartThread());
    for (int c = 0; c < kRecordChannels; ++c) {
        rig.Feed(c, 1, true);
        ASSERT_TRUE(rig.writer.StartRecord(c, kRecordNormal, 0));
    }
    std::vector<std::thread> producers;
    for (int t = 0; t < 4; ++t)
        producers.emplace_back([&, t] {
            for (uint32_t s = 2; s <= 60; ++s)
                for (int c = t; c < kRecordChannels; c += 4) {
                    auto f = MakeFrame(c, s, s % 25 == 1, 2000);
                    rig.queue.Put(c, f.data());
                    rig.writer.Signal(c);
                }
        });
    for (auto& p : producers) p.join();
    for (int c = 0; c < kRecordChannels; ++c) EXPECT_TRUE(rig.WaitFrames(c, 60)) << "channel " << c;
    for (int c = 0; c < kRecordChannels; ++c) rig.writer.StopRecord(c);
    EXPECT_TRUE(rig.writer.StopThread(1000));

    Rig few("few", 2);
    ASSERT_TRUE(few.writer.StartThread());
    few.writer.Signal(5);
    few.writer.Signal(63);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(few.writer.StopThread(1000));
    EXPECT_TRUE(few.host.names.empty());
}

// The writer leaves within a second of the stop, with no channel and with
// 64 channels busy.
TEST(RecordWriter, StopsWithinASecond) {
    for (int channels : {0, kRecordChannels}) {
        SCOPED_TRACE(channels);
        Rig rig(channels ? "stop64" : "stop0", channels);
        ASSERT_TRUE(rig.writer.StartThread());
        std::atomic<bool> done{false};
        std::thread producer;
        if (channels) {
            for (int c = 0; c < channels; ++c) {
                rig.Feed(c, 1, true);
                ASSERT_TRUE(rig.writer.StartRecord(c, kRecordNormal, 0));
            }
            producer = std::thread([&] {
                for (uint32_t s = 2; !done; ++s)
                    for (int c = 0; c < channels && !done; ++c) {
                        auto f = MakeFrame(c, s, s % 25 == 1, 40000);
                        rig.queue.Put(c, f.data());
                        rig.writer.Signal(c);
                    }
            });
            ASSERT_TRUE(rig.WaitFrames(63, 3));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        auto t0 = std::chrono::steady_clock::now();
        bool left = rig.writer.StopThread(5000);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        done = true;
        if (producer.joinable()) producer.join();
        EXPECT_TRUE(left);
        EXPECT_LT(ms, 1000);
        for (int c = 0; c < channels; ++c) rig.writer.StopRecord(c);
    }
}
