// The playback window's arithmetic and the remote playback session, fed
// device messages as a transport would: pane layouts, status texts, record
// lengths, the snapshot drive and path, the speed ladder, and messages that
// are short, long, foreign or past the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "PlaybackCore.h"
#include "RemotePlaySession.h"

using namespace record;

namespace {

bool SameRect(const PaneRect& r, int l, int t, int w, int h) {
    return r.left == l && r.top == t && r.right - r.left == w && r.bottom - r.top == h;
}

std::string Describe(const PaneRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

}  // namespace

// A 600 x 425 client area: the panes share 598 x 398 (25 pixels of buttons,
// a 1-pixel edge).
TEST(PaneLayout, RectanglesOfEveryLayout) {
    const PaneRect client{0, 0, 600, 425};
    struct Expect {
        int pane, l, t, w, h;
    };
    struct Case {
        int layout, current;
        std::vector<Expect> panes;
    } cases[] = {
        {kLayoutSingle, 5, {{5, 1, 1, 598, 398}}},
        {kLayoutFour, 0, {{0, 1, 1, 298, 198}, {1, 300, 1, 298, 198}, {2, 1, 200, 298, 198}, {3, 300, 200, 298, 198}}},
        {kLayoutSix, 0,
         {{0, 1, 1, 397, 265}, {1, 399, 1, 198, 132}, {2, 399, 134, 198, 132},
          {3, 1, 267, 198, 132}, {4, 200, 267, 198, 132}, {5, 399, 267, 198, 132}}},
        {kLayoutNine, 0,
         {{0, 1, 1, 198, 132}, {1, 200, 1, 198, 132}, {2, 399, 1, 198, 132},
          {3, 1, 134, 198, 132}, {4, 200, 134, 198, 132}, {5, 399, 134, 198, 132},
          {6, 1, 267, 198, 132}, {7, 200, 267, 198, 132}, {8, 399, 267, 198, 132}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(c.layout));
        PaneLayout out = ComputePaneLayout(c.layout, c.current, client);
        int shown = 0;
        for (bool s : out.shown) shown += s;
        EXPECT_EQ(shown, int(c.panes.size()));
        for (const Expect& e : c.panes) {
            ASSERT_TRUE(out.shown[e.pane]) << "pane " << e.pane;
            EXPECT_TRUE(SameRect(out.rect[e.pane], e.l, e.t, e.w, e.h))
                << "pane " << e.pane << ": " << Describe(out.rect[e.pane]);
        }
        // No two shown panes overlap, and all stay inside the area.
        for (int a = 0; a < kPlaybackPanes; ++a) {
            if (!out.shown[a]) continue;
            const PaneRect& p = out.rect[a];
            EXPECT_GE(p.left, 1);
            EXPECT_GE(p.top, 1);
            EXPECT_LE(p.right, 599);
            EXPECT_LE(p.bottom, 399);
            for (int b = a + 1; b < kPlaybackPanes; ++b) {
                if (!out.shown[b]) continue;
                const PaneRect& q = out.rect[b];
                bool apart = p.right <= q.left || q.right <= p.left || p.bottom <= q.top || q.bottom <= p.top;
                EXPECT_TRUE(apart) << a << " and " << b;
            }
        }
    }
    EXPECT_EQ(ComputePaneLayout(4, 0, client).shown[0], false) << "no layout 4";
    EXPECT_TRUE(ComputePaneLayout(kLayoutSingle, 12, client).shown[0]) << "a pane outside 0..8 becomes 0";
}

TEST(ControlBarStatus, Texts) {
    struct Case {
        int state;
        uint32_t seconds;
        int level;
        const char* time;
        const char* speed;
    } cases[] = {
        {kPanePlaying, 3725, 0, "Play Time: 01:02:05", "Play Speed:  1 X"},
        {kPanePaused, 59, -2, "Play Time: 00:00:59", "Play Speed:  1/4 X"},
        {kPanePlaying, 0, -1, "Play Time: 00:00:00", "Play Speed:  1/2 X"},
        {kPanePlaying, 360000, 1, "Play Time: 100:00:00", "Play Speed:  2 X"},
        {kPanePlaying, 86399, 2, "Play Time: 23:59:59", "Play Speed:  4 X"},
        {kPaneStopped, 3725, 2, "Play Time:", "Play Speed:"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlayTimeText("Play Time:", c.state, c.seconds), c.time);
        EXPECT_EQ(PlaySpeedText("Play Speed:", c.state, c.level), c.speed);
    }
}

TEST(RecordLength, FromFileTimesAndRemoteTimes) {
    struct Case {
        LocalTime created, modified;
        uint32_t seconds;
    } cases[] = {
        {{2026, 12, 10, 8, 0, 0}, {2026, 12, 10, 8, 30, 15}, 1815},
        {{2026, 12, 10, 23, 50, 0}, {2026, 12, 11, 0, 10, 0}, 1200},    // across midnight
        {{2026, 12, 10, 8, 0, 0}, {2026, 12, 12, 9, 0, 0}, 3600},        // whole days not counted
        {{2026, 12, 10, 8, 0, 0}, {2026, 12, 10, 8, 0, 0}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordSecondsBetween(c.created, c.modified), c.seconds);

    EXPECT_EQ(RemoteRecordSeconds({2026, 12, 31, 23, 59, 0}, {2027, 1, 1, 0, 1, 0}), 120u);
    EXPECT_EQ(RemoteRecordSeconds({2024, 2, 28, 12, 0, 0}, {2024, 3, 1, 12, 0, 0}), 2u * 86400);
    EXPECT_EQ(RemoteRecordSeconds({2026, 12, 10, 9, 0, 0}, {2026, 12, 10, 8, 0, 0}), 0u) << "end before begin";
}

TEST(PlaybackSnapshot, DriveChoiceAndPath) {
    std::map<std::string, uint32_t> free = {{"C:\\", 150}, {"D:\\", 201}, {"E:\\", 9000}, {"Z:\\", 9000}};
    auto freeMB = [&](const std::string& r) { return free.count(r) ? free[r] : 0u; };
    const uint32_t A = 1, C = 1 << 2, D = 1 << 3, E = 1 << 4, Z = 1 << 25;
    EXPECT_EQ(ChooseSnapshotDrive(A | C | D | E, ~0u, 0, freeMB), "D:\\") << "first above 200 MiB";
    EXPECT_EQ(ChooseSnapshotDrive(C | E, ~0u, 0, freeMB), "E:\\");
    EXPECT_EQ(ChooseSnapshotDrive(C | D | E, ~0u, D, freeMB), "E:\\") << "failed drive skipped";
    EXPECT_EQ(ChooseSnapshotDrive(C | D | E, ~D & ~E, 0, freeMB), "");
    free["D:\\"] = 200;
    EXPECT_EQ(ChooseSnapshotDrive(C | D, ~0u, 0, freeMB), "") << "200 MiB is not above 200";
    EXPECT_EQ(ChooseSnapshotDrive(A | Z, ~0u, 0, freeMB), "") << "only C: to Y:";

    LocalTime t{2026, 3, 7, 9, 5, 4};
    SnapshotFolders f = PlaybackSnapshotFolders("E:\\", t);
    EXPECT_EQ(f.levels[0], "E:\\TQX RecordData");
    EXPECT_EQ(f.levels[1], "E:\\TQX RecordData\\20260307");
    EXPECT_EQ(f.levels[2], "E:\\TQX RecordData\\20260307\\TQX PictureData");
    EXPECT_EQ(PlaybackSnapshotFile(f.levels[2], t, 123456789),
              "E:\\TQX RecordData\\20260307\\TQX PictureData\\20260307-090504-0789.bmp");
    EXPECT_NE(PlaybackSnapshotFile("x", t, 1000), PlaybackSnapshotFile("x", t, 1001))
        << "two snapshots in one second differ by the tick part";
}

// ---------------------------------------------------------------- session

namespace {

void PutU32(std::vector<uint8_t>& m, size_t at, uint32_t v) {
    if (m.size() < at + 4) m.resize(at + 4, 0);
    for (int i = 0; i < 4; ++i) m[at + i] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> OpenReply(const char* name, uint32_t result, uint32_t id, size_t size = kRemoteOpenReplySize) {
    std::vector<uint8_t> m(kRemoteOpenReplySize, 0);
    std::strncpy(reinterpret_cast<char*>(&m[8]), name, kRemoteFileNameField);
    PutU32(m, 73, result);
    PutU32(m, 77, id);
    m.resize(size, 0);
    return m;
}

std::vector<uint8_t> Data(uint32_t id, uint32_t tag, size_t dataBytes, uint8_t fillByte, int64_t declared = -1) {
    std::vector<uint8_t> m(16 + dataBytes, fillByte);
    PutU32(m, 0, 0);
    PutU32(m, 4, declared < 0 ? uint32_t(m.size()) : uint32_t(declared));
    PutU32(m, 8, id);
    PutU32(m, 12, tag);
    return m;
}

std::vector<uint8_t> Progress(uint32_t id, uint32_t time, uint32_t pos) {
    std::vector<uint8_t> m(20, 0);
    PutU32(m, 8, id);
    PutU32(m, 12, time);
    PutU32(m, 16, pos);
    return m;
}

// The session as the panel sets it up, started.
struct Session {
    CRemotePlaySession s;
    explicit Session(const char* name = "ch01_20261210.264") {
        uint32_t login = 7, channel = 40, mode = 1, total = 600;
        s.SetParam(kParamFileName, name);
        s.SetParam(kParamMode, &mode);
        s.SetParam(kParamLoginId, &login);
        s.SetParam(kParamTotalSeconds, &total);
        s.SetParam(kParamChannelId, &channel);
        s.Start(nullptr);
    }
    void Feed(uint32_t code, const std::vector<uint8_t>& m) { s.OnDeviceMessage(code, m.data(), uint32_t(m.size())); }
};

}  // namespace

TEST(RemotePlaySession, ParametersAndStart) {
    Session x;
    EXPECT_EQ(x.s.GetKind(), 2u);
    EXPECT_EQ(x.s.LoginId(), 7u);
    EXPECT_EQ(x.s.ChannelId(), 40u);
    EXPECT_EQ(x.s.Mode(), 1u);
    EXPECT_EQ(x.s.GetTotalTime(), 600u);
    EXPECT_EQ(x.s.FileName(), "ch01_20261210.264");
    EXPECT_TRUE(x.s.IsActive());
    EXPECT_EQ(x.s.SpeedState(), 1u);
    EXPECT_TRUE(x.s.HasBuffer());
    uint32_t ignored = 99;
    x.s.SetParam(4, &ignored);
    x.s.SetParam(8, &ignored);
    x.s.SetParam(kParamLoginId, nullptr);
    EXPECT_EQ(x.s.LoginId(), 7u);
    EXPECT_EQ(x.s.Start(nullptr), 1) << "a second start changes nothing";
}

TEST(RemotePlaySession, OpenReplies) {
    struct Case {
        const char* what;
        std::vector<uint8_t> reply;
        uint32_t sessionId;
    } cases[] = {
        {"matching name, other case", OpenReply("CH01_20261210.264", 0, 0x1234), 0x1234},
        {"non-zero result", OpenReply("ch01_20261210.264", 5, 0x1234), 0},
        {"other name", OpenReply("ch02_20261210.264", 0, 0x1234), 0},
        {"name prefix only", OpenReply("ch01_2026", 0, 0x1234), 0},
        {"one byte short", OpenReply("ch01_20261210.264", 0, 0x1234, kRemoteOpenReplySize - 1), 0},
        {"empty", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session x;
        x.Feed(kRemoteOpenReply, c.reply);
        EXPECT_EQ(x.s.SessionId(), c.sessionId);
    }
    // A name that fills all 65 bytes without a terminator is read as 65.
    std::string name65(kRemoteFileNameField, 'a');
    Session full(name65.c_str());
    std::vector<uint8_t> reply = OpenReply("", 0, 9);
    std::memset(&reply[8], 'A', kRemoteFileNameField);
    full.Feed(kRemoteOpenReply, reply);
    EXPECT_EQ(full.s.SessionId(), 9u);
    // A second reply after an id was given is ignored.
    full.Feed(kRemoteOpenReply, [&] {
        auto r = reply;
        PutU32(r, 77, 10);
        return r;
    }());
    EXPECT_EQ(full.s.SessionId(), 9u);
}

TEST(RemotePlaySession, DataMessages) {
    const uint32_t id = 0x55;
    struct Case {
        const char* what;
        std::vector<uint8_t> message;
        uint32_t given;   // bytes handed over (the message's size when 0)
        uint32_t fill;    // fill afterwards, from an empty buffer
    } cases[] = {
        {"whole message", Data(id, 0, 100, 0xAB), 0, 100},
        {"length field shorter than the bytes", Data(id, 0, 100, 0xAB, 16 + 40), 0, 40},
        {"length field longer than the bytes", Data(id, 0, 100, 0xAB, 16 + 5000), 0, 100},
        {"fewer bytes given than the header", Data(id, 0, 100, 0xAB), 15, 0},
        {"length field below the header", Data(id, 0, 100, 0xAB, 8), 0, 0},
        {"other session id", Data(id + 1, 0, 100, 0xAB), 0, 0},
        {"header only", Data(id, 0, 0, 0xAB), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session x;
        x.Feed(kRemoteOpenReply, OpenReply("ch01_20261210.264", 0, id));
        ASSERT_EQ(x.s.SessionId(), id);
        x.s.OnDeviceMessage(kRemoteData, c.message.data(), c.given ? c.given : uint32_t(c.message.size()));
        EXPECT_EQ(x.s.Fill(), c.fill);
        std::vector<uint8_t> back(c.fill);
        EXPECT_EQ(x.s.ReadGathered(0, back.data(), back.size()), c.fill);
        for (uint8_t b : back) EXPECT_EQ(b, 0xAB);
    }
}

// Gathering: blocks of one tag are appended, a new tag starts over, the
// buffer never overflows, and a stopped session takes nothing.
TEST(RemotePlaySession, GatheringAndTheBufferEnd) {
    const uint32_t id = 3;
    Session x;
    x.Feed(kRemoteOpenReply, OpenReply("ch01_20261210.264", 0, id));
    // Data whose bytes 16..19 spell the tag continue the block.
    auto tagged = [&](uint32_t tag, size_t n, uint8_t b) {
        auto m = Data(id, tag, n, b);
        PutU32(m, 16 + 16, tag);
        return m;
    };
    x.Feed(kRemoteData, tagged(0, 64, 1));   // the empty buffer reads 0 at 16: appended
    EXPECT_EQ(x.s.Fill(), 64u);
    x.Feed(kRemoteData, tagged(0, 64, 2));
    EXPECT_EQ(x.s.Fill(), 128u);
    x.Feed(kRemoteData, tagged(7, 32, 3));   // another block: starts over
    EXPECT_EQ(x.s.Fill(), 32u);
    x.Feed(kRemoteData, tagged(7, 1000, 4));
    EXPECT_EQ(x.s.Fill(), 1032u);

    // Near the end of the 2 MiB: what would pass it starts over instead.
    const size_t big = kRemoteBufferSize - 1032 - 10;
    x.Feed(kRemoteData, tagged(7, big, 5));
    EXPECT_EQ(x.s.Fill(), kRemoteBufferSize - 10);
    x.Feed(kRemoteData, tagged(7, 11, 6));
    EXPECT_EQ(x.s.Fill(), 11u);
    x.Feed(kRemoteData, tagged(7, kRemoteBufferSize, 6));   // exactly the buffer: starts over, fits
    EXPECT_EQ(x.s.Fill(), kRemoteBufferSize);
    x.Feed(kRemoteData, tagged(7, kRemoteBufferSize + 1, 6));   // never fits: dropped
    EXPECT_EQ(x.s.Fill(), kRemoteBufferSize);

    x.s.FreeBuffer();
    EXPECT_FALSE(x.s.HasBuffer());
    x.Feed(kRemoteData, tagged(7, 64, 1));
    EXPECT_EQ(x.s.Fill(), 0u) << "no buffer: ignored";
    x.s.Stop();
    x.s.Start(nullptr);
    EXPECT_TRUE(x.s.HasBuffer()) << "a start makes a new buffer";
}

TEST(RemotePlaySession, ProgressAndPosition) {
    Session x;
    x.Feed(kRemoteOpenReply, OpenReply("ch01_20261210.264", 0, 11));
    x.Feed(kRemoteProgress, Progress(11, 42, 500));
    EXPECT_EQ(x.s.GetPlayTime(), 42u);
    EXPECT_EQ(x.s.GetPosition(), 500u);
    x.Feed(kRemoteProgress, Progress(12, 43, 600));
    EXPECT_EQ(x.s.GetPlayTime(), 42u) << "another session's progress";
    auto shortOne = Progress(11, 44, 700);
    x.s.OnDeviceMessage(kRemoteProgress, shortOne.data(), 19);
    EXPECT_EQ(x.s.GetPosition(), 500u) << "too short";
    x.Feed(9999, Progress(11, 45, 800));
    EXPECT_EQ(x.s.GetPosition(), 500u) << "unknown code";
    EXPECT_EQ(x.s.SetPosition(1000), 1);
    EXPECT_EQ(x.s.GetPosition(), 1000u);

    x.s.Stop();
    EXPECT_FALSE(x.s.IsActive());
    EXPECT_EQ(x.s.SessionId(), 0u);
    EXPECT_EQ(x.s.SpeedState(), 0u);
    EXPECT_FALSE(x.s.HasBuffer());
    x.s.SetPosition(5);
    EXPECT_EQ(x.s.GetPosition(), 1000u) << "idle: ignored";
    x.Feed(kRemoteProgress, Progress(0, 1, 1));
    EXPECT_EQ(x.s.GetPlayTime(), 42u) << "idle: ignored";
}

TEST(RemotePlaySession, SpeedLadder) {
    struct Step {
        bool faster;
        int level;
    } steps[] = {
        {true, 1}, {true, 2}, {true, 2}, {false, 1}, {false, 0}, {false, -1}, {false, -2}, {false, -2}, {true, -1},
        {true, 0},
    };
    Session x;
    EXPECT_EQ(x.s.GetSpeedLevel(), 0);
    for (const Step& s : steps) {
        x.s.ChangeSpeed(s.faster);
        EXPECT_EQ(x.s.GetSpeedLevel(), s.level);
    }
    EXPECT_EQ(RemoteSpeedStep(0, true), 1u);
    EXPECT_EQ(RemoteSpeedStep(9, false), 1u);
    EXPECT_EQ(RemoteSpeedLevel(9), 0);
    x.s.Stop();
    x.s.ChangeSpeed(true);
    EXPECT_EQ(x.s.SpeedState(), 0u) << "no steps while idle";
}

// A feeder thread delivering data while the UI thread stops and frees: every
// copy stays inside a live buffer.
TEST(RemotePlaySession, FeederAgainstStopAndFree) {
    Session x;
    x.Feed(kRemoteOpenReply, OpenReply("ch01_20261210.264", 0, 0));
    auto m = Data(0, 0, 4096, 9);
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (int i = 0; i < 2000; ++i) x.s.OnDeviceMessage(kRemoteData, m.data(), uint32_t(m.size()));
        done = true;
    });
    for (int i = 0; i < 3 && !done; ++i) {
        x.s.FreeBuffer();
        x.s.Start(nullptr);
        x.s.Stop();
        x.s.Start(nullptr);
    }
    feeder.join();
    EXPECT_LE(x.s.Fill(), kRemoteBufferSize);
}
