// The record-file playback engine: the open checks, playback of a record
// file made from the fixtures through a recording SDK seam (units in order,
// audio only at normal speed), damaged headers and the resync, the tick
// periods of the five speeds, idle behaviour, and one run into a real
// window through the SDK.
#include <gtest/gtest.h>

#include <cstring>
#include <atomic>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "RecordFilePlayer.h"
#include "annexb.h"
#include "record_file_fixture.h"
#include "core/Orvik.h"
#include "gui_kit.h"
#include "media_timer.h"
#include "window_helpers.h"

using namespace record;

namespace {

// What the engine handed to the SDK.
struct SdkLog {
    std::mutex lock;
    std::vector<std::vector<uint8_t>> video;
    std::vector<std::vector<uint8_t>> audio;
    std::vector<int> audioTypes;
    std::vector<std::string> snapshots;
    int handles = 0, closed = 0, soundStarts = 0;
    size_t Videos() {
        std::lock_guard<std::mutex> hold(lock);
        return video.size();
    }
};
SdkLog g_sdk;

int WINAPI FakeCreate(HWND) { return ++g_sdk.handles; }
int WINAPI FakeClose(int) { return ++g_sdk.closed, 0; }
int WINAPI FakeVideo(int, unsigned char* d, int n) {
    std::lock_guard<std::mutex> hold(g_sdk.lock);
    g_sdk.video.emplace_back(d, d + n);
    return 0;
}
int WINAPI FakeAudio(unsigned char* d, int n, int type) {
    std::lock_guard<std::mutex> hold(g_sdk.lock);
    g_sdk.audio.emplace_back(d, d + n);
    g_sdk.audioTypes.push_back(type);
    return 1;
}
int WINAPI FakeSoundStart() { return ++g_sdk.soundStarts, 1; }
int WINAPI FakeSnapshot(int, const char* path) {
    g_sdk.snapshots.push_back(path);
    return 0;
}
const RecordPlayerSdk kFakeSdk = {FakeCreate, FakeClose, FakeVideo, FakeAudio, FakeSoundStart, FakeSnapshot};

void ResetSdk() {
    std::lock_guard<std::mutex> hold(g_sdk.lock);
    g_sdk.video.clear();
    g_sdk.audio.clear();
    g_sdk.audioTypes.clear();
    g_sdk.snapshots.clear();
}

CMediaTimer& Timer() {
    static CMediaTimer* t = [] {
        CMediaTimer* m = &PlaybackTimer();
        m->Start(2);
        return m;
    }();
    return *t;
}

HWND Window() {
    static HWND w = playtest::MakeWindow(352, 288);
    return w;
}

}  // namespace

// Opening: lengths, header fields, arguments and a second start.
TEST(RecordFilePlayer, OpenTable) {
    Timer();
    struct Case {
        const char* what;
        std::vector<uint8_t> header;
        size_t length;
        int result;
    } cases[] = {
        {"16,383 bytes", FileHeader(), 16383, kReadTooShort},
        {"16,384 bytes", FileHeader(), 16384, kReadOk},
        {"rate 0", FileHeader(0), 20000, kReadBadHeader},
        {"rate 31", FileHeader(31), 20000, kReadBadHeader},
        {"rate 30", FileHeader(30), 20000, kReadOk},
        {"standard 2", FileHeader(25, 0, 2), 20000, kReadBadHeader},
        {"NTSC", FileHeader(25, 0, 1), 20000, kReadOk},
        {"magic", FileHeader(25, 0, 0, "RIMG"), 20000, kReadBadHeader},
    };
    CRecordFilePlayer engine(kFakeSdk, &Timer());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = c.header;
        bytes.resize(c.length, 0);
        std::string path = WriteTemp("rfp_open.264", bytes);
        PlayerFileInfo info{};
        EXPECT_EQ(engine.Start(path.c_str(), Window(), &info), c.result);
        EXPECT_EQ(engine.IsOpen(), c.result == kReadOk);
        if (c.result == kReadOk) {
            EXPECT_EQ(info.valid, 1);
            EXPECT_EQ(info.frameRate, c.header[5]);
            EXPECT_EQ(engine.TickPeriodMs(), 1000 / c.header[5]);  // 30 frames: 33 ms
            engine.Stop();
        }
    }
    PlayerFileInfo info{};
    std::string good = WriteTemp("rfp_good.264", [] {
        auto b = FileHeader(25, 250);
        b.resize(20000, 0);
        return b;
    }());
    EXPECT_EQ(engine.Start(nullptr, Window(), &info), kReadBadArg);
    EXPECT_EQ(engine.Start(good.c_str(), HWND(0x1234), &info), kReadBadArg);
    EXPECT_EQ(engine.Start(good.c_str(), Window(), nullptr), kReadBadArg);
    EXPECT_EQ(engine.Start(playtest::TempFile("rfp_missing.264").c_str(), Window(), &info), kReadCannotOpen);
    ASSERT_EQ(engine.Start(good.c_str(), Window(), &info), kReadOk);
    EXPECT_EQ(info.durationSeconds, 10);
    EXPECT_EQ(engine.Start(good.c_str(), Window(), &info), kReadBusy);
    EXPECT_TRUE(engine.IsOpen()) << "the running file stays open";
    engine.Stop();
}

// A record file made from the fixtures plays its units in order; its audio
// goes out in whole 320-byte blocks at normal speed only.
TEST(RecordFilePlayer, PlaysUnitsInOrderAudioAtNormalSpeed) {
    Timer();
    FixtureFile fx(30);
    ResetSdk();
    CRecordFilePlayer engine(kFakeSdk, &Timer());
    PlayerFileInfo info{};
    ASSERT_EQ(engine.Start(fx.path.c_str(), Window(), &info), kReadOk);
    EXPECT_EQ(engine.Sound(), true);
    engine.Play();
    ASSERT_TRUE(playtest::WaitFor([&] { return g_sdk.Videos() >= fx.units.size(); }, 20000));
    {
        std::lock_guard<std::mutex> hold(g_sdk.lock);
        ASSERT_EQ(g_sdk.video.size(), fx.units.size());
        for (size_t i = 0; i < fx.units.size(); ++i) EXPECT_EQ(g_sdk.video[i], fx.units[i]) << "unit " << i;
        ASSERT_EQ(g_sdk.audio.size(), 2 * fx.units.size());
        for (size_t i = 0; i < fx.units.size(); ++i) {
            auto a = fx.Audio(i);
            EXPECT_TRUE(std::equal(a.begin(), a.begin() + 320, g_sdk.audio[2 * i].begin()));
            EXPECT_TRUE(std::equal(a.begin() + 320, a.begin() + 640, g_sdk.audio[2 * i + 1].begin()));
        }
        for (int t : g_sdk.audioTypes) EXPECT_EQ(t, kAudioPcma);
    }
    uint32_t pos = 0, secs = 99;
    ASSERT_TRUE(playtest::WaitFor([&] { return engine.GetPosition(&pos) == 0 && pos == 1000; }, 2000)) << pos;
    EXPECT_EQ(engine.GetPlayTime(&secs), 0);
    EXPECT_EQ(secs, 30u / 25);

    // Four times as fast from the start: the video again, no audio.
    ResetSdk();
    engine.Faster();
    engine.Faster();
    EXPECT_EQ(engine.TickPeriodMs(), 10);
    engine.Play();  // from the end: restarts at the first frame
    ASSERT_TRUE(playtest::WaitFor([&] { return g_sdk.Videos() >= fx.units.size(); }, 20000));
    EXPECT_TRUE(g_sdk.audio.empty());
    engine.Stop();
}

// Damaged frame headers: the reader resumes at the next good frame, also
// when it begins inside the rejected header's bytes or in the last, short
// stretch of the file.
TEST(RecordFilePlayer, ResyncAfterDamage) {
    Timer();
    auto units = testsupport::SplitAccessUnits(testsupport::ReadFileBytes(Data("cif_aud.264")));
    struct Case {
        const char* what;
        size_t junk;  // bytes of damage (a broken header and filler) before the good frame
        size_t tail;  // bytes after the last frame
    } cases[] = {
        {"good frame 40,000 bytes on", 40000, 20000},
        {"good frame 5 bytes on", 5, 20000},
        {"good frame in the last short window", 3000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = FileHeader(25, 3);
        AppendFrame(file, units[0], {}, 1);
        if (c.tail == 0) file.resize(kShortestPlayableFile, 0);  // the damage lies in the file's last 32,768 bytes
        std::vector<uint8_t> junk(c.junk, 0x5A);
        junk[0] = 0;  // a header with a wrong sync
        file.insert(file.end(), junk.begin(), junk.end());
        AppendFrame(file, units[1], {}, 2);
        AppendFrame(file, units[2], {}, 3);
        file.resize(file.size() + c.tail, 0);
        std::string path = WriteTemp("rfp_damage.264", file);
        ResetSdk();
        CRecordFilePlayer engine(kFakeSdk, &Timer());
        PlayerFileInfo info{};
        ASSERT_EQ(engine.Start(path.c_str(), Window(), &info), kReadOk);
        engine.Faster();
        engine.Faster();
        engine.Play();
        ASSERT_TRUE(playtest::WaitFor([&] { return g_sdk.Videos() >= 3; }, 10000)) << g_sdk.Videos();
        std::lock_guard<std::mutex> hold(g_sdk.lock);
        EXPECT_EQ(g_sdk.video[1], units[1]);
        EXPECT_EQ(g_sdk.video[2], units[2]);
        engine.Stop();
    }
}

// Tick periods by speed level at 25 frames per second.
TEST(RecordFilePlayer, SpeedPeriods) {
    Timer();
    FixtureFile fx(3, "rfp_speeds.264");
    CRecordFilePlayer engine(kFakeSdk, &Timer());
    PlayerFileInfo info{};
    ASSERT_EQ(engine.Start(fx.path.c_str(), Window(), &info), kReadOk);
    struct Step {
        int (CRecordFilePlayer::*op)();
        int level, period;
    } steps[] = {
        {&CRecordFilePlayer::Slower, -1, 80}, {&CRecordFilePlayer::Slower, -2, 160},
        {&CRecordFilePlayer::Slower, -2, 160}, {&CRecordFilePlayer::Faster, -1, 80},
        {&CRecordFilePlayer::Faster, 0, 40},  {&CRecordFilePlayer::Faster, 1, 20},
        {&CRecordFilePlayer::Faster, 2, 10},  {&CRecordFilePlayer::Faster, 2, 10},
    };
    for (const Step& s : steps) {
        (engine.*s.op)();
        int level = 9;
        engine.GetSpeed(&level);
        EXPECT_EQ(level, s.level);
        EXPECT_EQ(engine.TickPeriodMs(), s.period) << "level " << s.level;
    }
    EXPECT_EQ(engine.GetSpeed(nullptr), kReadBadArg);
    engine.Stop();
}

// Seeking, the end, StopPlay while paused, and an idle engine.
TEST(RecordFilePlayer, PositionsAndIdle) {
    Timer();
    FixtureFile fx(20, "rfp_positions.264");
    CRecordFilePlayer engine(kFakeSdk, &Timer());
    uint32_t pos = 7, secs = 7;
    EXPECT_EQ(engine.GetPosition(&pos), 0);
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(engine.GetPlayTime(&secs), 0);
    EXPECT_EQ(secs, 0u);
    DWORD t0 = GetTickCount();
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_LT(GetTickCount() - t0, 100u) << "Stop while idle returns at once";
    EXPECT_EQ(engine.GetPosition(nullptr), kReadBadArg);
    EXPECT_EQ(engine.GetPlayTime(nullptr), kReadBadArg);

    PlayerFileInfo info{};
    ASSERT_EQ(engine.Start(fx.path.c_str(), Window(), &info), kReadOk);
    EXPECT_EQ(engine.SetPosition(-1), kReadBadArg);
    EXPECT_EQ(engine.SetPosition(1001), kReadBadArg);
    EXPECT_EQ(engine.SetPosition(1000), 0);
    engine.GetPosition(&pos);
    engine.GetPlayTime(&secs);
    EXPECT_EQ(pos, 1000u);
    EXPECT_EQ(secs, 20u / 25);
    EXPECT_EQ(engine.StopPlay(), 0);  // paused already: nothing moves
    engine.GetPosition(&pos);
    EXPECT_EQ(pos, 1000u);
    ResetSdk();
    EXPECT_EQ(engine.SetPosition(0), 0);  // paused: the frames at the new place are shown
    ASSERT_TRUE(playtest::WaitFor([&] { return g_sdk.Videos() >= 1; }, 2000));
    EXPECT_EQ(g_sdk.video[0], fx.units[0]);
    engine.GetPosition(&pos);
    EXPECT_LT(pos, 500u);

    std::string longest(kSnapshotPathMax, 'a'), tooLong(kSnapshotPathMax + 1, 'a');
    EXPECT_EQ(engine.Snapshot(tooLong.c_str()), kReadBadArg) << "refused, not cut to another name";
    EXPECT_EQ(engine.Snapshot(nullptr), kReadBadArg);
    EXPECT_EQ(engine.Snapshot(longest.c_str()), 0);
    EXPECT_EQ(engine.Snapshot("C:\\shot.bmp"), 0);
    ASSERT_EQ(g_sdk.snapshots.size(), 2u);
    EXPECT_EQ(g_sdk.snapshots[0], longest);
    EXPECT_EQ(g_sdk.snapshots[1], "C:\\shot.bmp");
    g_sdk.snapshots.clear();
    engine.Stop();
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(engine.PlayHandle(), 0);
}

// One run through the SDK's own play handle: the window shows the picture.
TEST(RecordFilePlayer, DrawsIntoTheWindow) {
    Timer();
    FixtureFile fx(25, "rfp_draw.264");
    HWND wnd = Window();
    int w = 0, h = 0;
    CRecordFilePlayer engine(OrvikPlayerSdk(), &Timer());
    PlayerFileInfo info{};
    ASSERT_EQ(engine.Start(fx.path.c_str(), wnd, &info), kReadOk);
    EXPECT_GT(engine.PlayHandle(), 0);
    engine.SetSound(false);
    engine.Play();
    bool drawn = playtest::WaitFor([&] {
        auto px = playtest::ReadWindow(wnd, &w, &h);
        size_t lit = 0;
        for (uint32_t p : px) lit += p != 0;
        return lit > px.size() / 2;
    }, 30000);
    EXPECT_TRUE(drawn);
    gui::SaveWindowBitmap(wnd, gui::OutputPath("record_file_player.bmp"));
    engine.Stop();
}

namespace {
std::atomic<bool> g_stick{false}, g_stuck{false};
HANDLE g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
int WINAPI StickyVideo(int h, unsigned char* d, int n) {
    if (g_stick) {
        g_stuck = true;
        WaitForSingleObject(g_release, INFINITE);
    }
    return FakeVideo(h, d, n);
}
const RecordPlayerSdk kStickySdk = {FakeCreate, FakeClose, StickyVideo, FakeAudio, FakeSoundStart, FakeSnapshot};
}  // namespace

// A reader thread stuck in the SDK while holding the engine lock is ended
// after 5 s; the engine then opens, seeks and plays again with a new lock.
TEST(RecordFilePlayer, StuckReaderIsEndedAndTheEngineGoesOn) {
    Timer();
    FixtureFile fx(10, "rfp_stuck.264");
    CRecordFilePlayer engine(kStickySdk, &Timer());
    PlayerFileInfo info{};
    g_stick = true;
    ASSERT_EQ(engine.Start(fx.path.c_str(), Window(), &info), kReadOk);
    engine.Play();
    ASSERT_TRUE(playtest::WaitFor([] { return g_stuck.load(); }, 5000));
    DWORD t0 = GetTickCount();
    engine.Stop();
    DWORD took = GetTickCount() - t0;
    EXPECT_GE(took, 4500u);
    EXPECT_LT(took, 9000u);
    g_stick = false;

    ResetSdk();
    ASSERT_EQ(engine.Start(fx.path.c_str(), Window(), &info), kReadOk);
    std::atomic<bool> seeked{false};
    std::thread seek([&] {
        engine.SetPosition(0);
        seeked = true;
    });
    bool done = playtest::WaitFor([&] { return seeked.load(); }, 3000);
    EXPECT_TRUE(done) << "a seek takes the engine lock: it must not be the dead thread's";
    if (!done) {
        seek.detach();
        return;
    }
    seek.join();
    engine.Play();
    EXPECT_TRUE(playtest::WaitFor([&] { return g_sdk.Videos() >= fx.units.size(); }, 10000));
    engine.Stop();
    SetEvent(g_release);
}
