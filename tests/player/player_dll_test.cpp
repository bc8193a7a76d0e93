// Quillon.dll through its exports: result codes, the record-file reader,
// stream and file channels, snapshots, YUV slots, sound and talk.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <cmath>
#include <functional>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "annexb.h"
#include "md5.h"
#include "player_fixture.h"
#include "quillon.h"

using namespace quillon;
using namespace playertest;

namespace {

std::string TempPath(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "quillon_" + name;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> PadTo16k(std::vector<uint8_t> f) {
    if (f.size() < kShortestFile) f.resize(kShortestFile, 0xEE);
    return f;
}

HWND MakeWindow(int w = 352, int h = 288) {
    HWND wnd = CreateWindowExA(0, "STATIC", "player", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    return wnd;
}

// Collects the pictures a channel hands to its callback.
struct Pictures {
    std::mutex lock;
    std::vector<std::string> md5s;
    std::vector<uint8_t> last;
    int width = 0, height = 0;
    size_t Count() {
        std::lock_guard<std::mutex> g(lock);
        return md5s.size();
    }
};

void CALLBACK OnPicture(int format, unsigned char* picture, int length, int width, int height, void* user) {
    auto* p = static_cast<Pictures*>(user);
    std::lock_guard<std::mutex> g(p->lock);
    if (format != 1) return;
    p->md5s.push_back(PictureMd5(picture, length));
    p->last.assign(picture, picture + length);
    p->width = width;
    p->height = height;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(5);
    }
    return true;
}

class Player : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, H264PL_Init()); }
    void TearDown() override { H264PL_DeInit(); }
};

TEST(PlayerExports, EveryCallBeforeInitIsRefused) {
    int v = 0;
    PlayerFileInfo fi{};
    PlayerFrameInfo fr{};
    uint8_t b[4] = {0, 0, 0, 1};
    const int results[] = {
        H264PL_OpenStream(0, nullptr, 0, 0), H264PL_AddStreamFrame(0, 1, b, 4), H264PL_Close(0),
        H264PL_OpenFile(0, "x", nullptr, &fi), H264PL_Play(0), H264PL_Pause(0), H264PL_Stop(0),
        H264PL_GetPlayingPos(0, &v), H264PL_SetPlayingPos(0, 0), H264PL_GetPlayingTime(0, &v), H264PL_Slow(0),
        H264PL_Fast(0), H264PL_GetSpeed(0, &v), H264PL_NextFrame(0), H264PL_Snapshot(0, "x"),
        H264PL_EnableSound(0, 1), H264PL_ReadFile_Open(0, "x", &fi), H264PL_ReadFile_GetNextFrame(0, &fr),
        H264PL_ReadFile_SetReadPos(0, 0), H264PL_ReadFile_Close(0), H264PL_YUV_Open(0, nullptr),
        H264PL_YUV_Show(0, 1, b, 4, 2, 2), H264PL_YUV_Close(0)};
    for (size_t i = 0; i < sizeof results / sizeof results[0]; ++i) EXPECT_EQ(kPlNotInit, results[i]) << i;
}

TEST_F(Player, ResultCodesOfBadCalls) {
    HWND wnd = MakeWindow();
    int v = 0;
    PlayerFileInfo fi{};
    PlayerFrameInfo fr{};
    uint8_t b[8] = {0, 0, 0, 1, 0x67};
    uint8_t pcm[4096];
    const std::string tooShort = TempPath("short.rec");
    {
        auto f = FileHeader();
        f.resize(kShortestFile - 1);
        WriteFile(tooShort, f);
    }
    const std::string badHeader = TempPath("badheader.rec");
    WriteFile(badHeader, PadTo16k(FileHeader(31)));
    const std::string badCodec = TempPath("badcodec.rec");
    WriteFile(badCodec, PadTo16k(FileHeader(25, 2)));
    ASSERT_EQ(0, H264PL_OpenStream(5, wnd, 0, 0));
    const struct {
        const char* what;
        int got, want;
    } cases[] = {
        {"init twice", H264PL_Init(), 0},
        {"channel 128", H264PL_Play(128), kPlBadArg},
        {"channel -1", H264PL_Close(-1), kPlBadArg},
        {"reader 256", H264PL_ReadFile_Close(256), kPlBadArg},
        {"slot 128", H264PL_YUV_Close(128), kPlBadArg},
        {"decoder 64", H264PL_Audio_Decode(64, b, 8, pcm, &v), kPlBadArg},
        {"decode null out", H264PL_Audio_Decode(0, b, 8, pcm, nullptr), kPlBadArg},
        {"stream no window", H264PL_OpenStream(1, nullptr, 0, 0), kPlBadArg},
        {"stream busy", H264PL_OpenStream(5, wnd, 0, 0), kPlBusy},
        {"frame zero length", H264PL_AddStreamFrame(5, 1, b, 0), kPlBadArg},
        {"frame null", H264PL_AddStreamFrame(5, 1, nullptr, 5), kPlBadArg},
        {"frame type 3", H264PL_AddStreamFrame(5, 3, b, 5), kPlBadFrameType},
        {"frame to closed", H264PL_AddStreamFrame(6, 1, b, 5), kPlNotOpen},
        {"still usable after -509", H264PL_AddStreamFrame(5, 1, b, 5), 0},
        {"play closed", H264PL_Play(6), kPlNotOpen},
        {"pos null", H264PL_GetPlayingPos(5, nullptr), kPlBadArg},
        {"time null", H264PL_GetPlayingTime(5, nullptr), kPlBadArg},
        {"speed null", H264PL_GetSpeed(5, nullptr), kPlBadArg},
        {"stream pos", H264PL_GetPlayingPos(5, &v), 0},
        {"seek 1001", H264PL_SetPlayingPos(5, 1001), kPlBadArg},
        {"snapshot before picture", H264PL_Snapshot(5, TempPath("none.bmp").c_str()), kPlNoPicture},
        {"close closed", H264PL_Close(7), 0},
        {"file missing", H264PL_OpenFile(8, TempPath("missing.rec").c_str(), wnd, &fi), kPlCannotOpen},
        {"file 16383 bytes", H264PL_OpenFile(8, tooShort.c_str(), wnd, &fi), kPlTooShort},
        {"file rate 31", H264PL_OpenFile(8, badHeader.c_str(), wnd, &fi), kPlBadHeader},
        {"file codec 2", H264PL_OpenFile(8, badCodec.c_str(), wnd, &fi), kPlBadHeader},
        {"file null info", H264PL_OpenFile(8, badCodec.c_str(), wnd, nullptr), kPlBadArg},
        {"file no window", H264PL_OpenFile(8, badCodec.c_str(), nullptr, &fi), kPlBadArg},
        {"file on stream channel", H264PL_OpenFile(5, badCodec.c_str(), wnd, &fi), kPlBusy},
        {"reader null path", H264PL_ReadFile_Open(0, nullptr, &fi), kPlBadArg},
        {"reader 16383 bytes", H264PL_ReadFile_Open(0, tooShort.c_str(), &fi), kPlTooShort},
        {"reader bad header", H264PL_ReadFile_Open(0, badHeader.c_str(), &fi), kPlBadHeader},
        {"reader next closed", H264PL_ReadFile_GetNextFrame(0, &fr), kPlNotOpen},
        {"reader next null", H264PL_ReadFile_GetNextFrame(0, nullptr), kPlBadArg},
        {"reader pos 1001", H264PL_ReadFile_SetReadPos(0, 1001), kPlBadArg},
        {"reader pos closed", H264PL_ReadFile_SetReadPos(0, 5), kPlNotOpen},
        {"yuv not a window", H264PL_YUV_Open(0, HWND(0x1234)), kPlBadArg},
        {"yuv show closed", H264PL_YUV_Show(0, 1, b, 8, 2, 2), kPlNotOpen},
        {"yuv show null", H264PL_YUV_Show(0, 1, nullptr, 8, 2, 2), kPlBadArg},
        {"voice output not started", H264PL_Voice_Output(b, 8), kPlNoMemory},
    };
    for (auto& c : cases) EXPECT_EQ(c.want, c.got) << c.what;
    EXPECT_EQ(0, H264PL_Close(5));
    EXPECT_EQ(0, H264PL_Close(5));
    DestroyWindow(wnd);
}

// A record file in the player's frame layout from cif_noaud.264, with
// garbage and a header too large for the reader between frames.
struct ReaderFile {
    std::vector<FrameSpec> frames;
    std::vector<uint8_t> bytes;
};

ReaderFile MakeDamagedFile() {
    ReaderFile r;
    r.frames = FixtureFrames("cif_noaud.264");
    r.bytes = FileHeader(25, 1, uint32_t(r.frames.size()));
    for (size_t i = 0; i < r.frames.size(); ++i) {
        AppendFrame(r.bytes, r.frames[i]);
        if (i == 2) r.bytes.insert(r.bytes.end(), 5, 0xAB);  // less than a header of garbage
        if (i == 5) r.bytes.insert(r.bytes.end(), 3000, 0x00);
        if (i == 8) {
            // A header with a good sync whose lengths are beyond the reader.
            FrameSpec big;
            big.video.assign(16, 0);
            AppendFrame(r.bytes, big);
            uint8_t* h = &r.bytes[r.bytes.size() - 32];
            StoreFrameHeader(PlayerFrameHeader{kFrameSync, MakeFrameInfo(0, 0x30000, 0x100), 99, 0}, h);
        }
    }
    return r;
}

TEST_F(Player, ReaderStepsOverGarbageSeeksAndEnds) {
    ReaderFile f = MakeDamagedFile();
    ASSERT_GE(f.frames.size(), 20u);
    const std::string path = TempPath("reader.rec");
    WriteFile(path, PadTo16k(f.bytes));
    PlayerFileInfo fi{};
    ASSERT_EQ(0, H264PL_ReadFile_Open(3, path.c_str(), &fi));
    EXPECT_EQ(kPlBusy, H264PL_ReadFile_Open(3, path.c_str(), &fi));
    EXPECT_EQ(1, fi.valid);
    EXPECT_EQ(25, fi.frameRate);
    PlayerFrameInfo fr{};
    for (size_t i = 0; i < f.frames.size(); ++i) {
        ASSERT_EQ(0, H264PL_ReadFile_GetNextFrame(3, &fr)) << i;
        ASSERT_EQ(int(f.frames[i].video.size()), fr.videoLength) << i;
        EXPECT_EQ(0, std::memcmp(fr.video, f.frames[i].video.data(), size_t(fr.videoLength))) << i;
        EXPECT_EQ(f.frames[i].key ? 1 : 0, fr.keyFrame) << i;
    }
    EXPECT_EQ(kPlEndOfFile, H264PL_ReadFile_GetNextFrame(3, &fr));
    EXPECT_EQ(kPlEndOfFile, H264PL_ReadFile_GetNextFrame(3, &fr));
    // Seek to 0: the first frame again; 500: a key frame at or after the
    // middle; 1000: the end.
    ASSERT_EQ(0, H264PL_ReadFile_SetReadPos(3, 0));
    ASSERT_EQ(0, H264PL_ReadFile_GetNextFrame(3, &fr));
    EXPECT_EQ(int(f.frames[0].video.size()), fr.videoLength);
    ASSERT_EQ(0, H264PL_ReadFile_SetReadPos(3, 500));
    int rc = H264PL_ReadFile_GetNextFrame(3, &fr);
    if (rc == 0) {
        EXPECT_EQ(1, fr.keyFrame);
        EXPECT_GE(fr.position, 500);
    } else {
        EXPECT_EQ(kPlEndOfFile, rc);  // no key frame after the middle
    }
    ASSERT_EQ(0, H264PL_ReadFile_SetReadPos(3, 1000));
    EXPECT_EQ(kPlEndOfFile, H264PL_ReadFile_GetNextFrame(3, &fr));
    EXPECT_EQ(0, H264PL_ReadFile_Close(3));
    EXPECT_EQ(0, H264PL_ReadFile_Close(3));
}

TEST_F(Player, ReaderFindsAFrameInTheLastShortWindow) {
    auto frames = FixtureFrames("cif_noaud.264");
    auto bytes = FileHeader();
    bytes.resize(kShortestFile + 100, 0x11);  // garbage only
    AppendFrame(bytes, frames[0]);
    const std::string path = TempPath("tail.rec");
    WriteFile(path, bytes);
    PlayerFileInfo fi{};
    ASSERT_EQ(0, H264PL_ReadFile_Open(4, path.c_str(), &fi));
    PlayerFrameInfo fr{};
    ASSERT_EQ(0, H264PL_ReadFile_GetNextFrame(4, &fr));
    EXPECT_EQ(int(frames[0].video.size()), fr.videoLength);
    EXPECT_EQ(kPlEndOfFile, H264PL_ReadFile_GetNextFrame(4, &fr));
    H264PL_ReadFile_Close(4);
}

// Every picture of the fixture stream reaches the callback, in decoding
// order, with the reference MD5s.
TEST_F(Player, StreamChannelsOfEveryFixtureMatchTheReference) {
    HWND wnd = MakeWindow();
    for (const char* name : {"cif_aud", "d1"}) {
        Pictures pics;
        ASSERT_EQ(0, H264PL_OpenStreamEx(12, wnd, 1, 0, OnPicture, &pics));
        auto frames = FixtureFrames(std::string(name) + ".264");
        if (frames.size() > 30) frames.resize(30);  // a second of D1 is enough under emulation
        const auto want = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/" + name + ".framemd5");
        for (const FrameSpec& f : frames) {
            int rc;
            ASSERT_TRUE(WaitFor([&] { return (rc = H264PL_AddStreamFrame(12, 1, f.video.data(), int(f.video.size()))) != kPlRingFull; }, 60000));
            ASSERT_EQ(0, rc);
        }
        ASSERT_TRUE(WaitFor([&] { return pics.Count() + 2 >= frames.size(); }, 120000)) << name << " " << pics.Count();
        std::lock_guard<std::mutex> g(pics.lock);
        for (size_t i = 0; i < pics.md5s.size() && i < want.size(); ++i) EXPECT_EQ(want[i], pics.md5s[i]) << name << " " << i;
        H264PL_Close(12);
    }
    DestroyWindow(wnd);
}

TEST_F(Player, StreamChannelHandsEveryPictureToTheCallback) {
    HWND wnd = MakeWindow();
    Pictures pics;
    ASSERT_EQ(0, H264PL_OpenStreamEx(10, wnd, 1, 0, OnPicture, &pics));
    auto frames = FixtureFrames("cif_noaud.264");
    const auto want = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/cif_noaud.framemd5");
    for (const FrameSpec& f : frames) {
        ASSERT_EQ(0, H264PL_AddStreamFrame(10, 1, f.video.data(), int(f.video.size())));
    }
    // The last pictures leave the decoder only when later units come.
    ASSERT_TRUE(WaitFor([&] { return pics.Count() + 2 >= want.size(); }, 60000)) << pics.Count();
    {
        std::lock_guard<std::mutex> g(pics.lock);
        EXPECT_EQ(352, pics.width);
        EXPECT_EQ(288, pics.height);
        for (size_t i = 0; i < pics.md5s.size() && i < want.size(); ++i) EXPECT_EQ(want[i], pics.md5s[i]) << i;
    }
    // Snapshot of the current picture against an independent conversion.
    const std::string bmp = TempPath("snap.bmp");
    ASSERT_EQ(0, H264PL_Snapshot(10, bmp.c_str()));
    auto file = testsupport::ReadFileBytes(bmp);
    ASSERT_EQ(54u + 352 * 288 * 3, file.size());
    {
        std::lock_guard<std::mutex> g(pics.lock);
        const uint8_t* y = pics.last.data();
        const uint8_t* u = y + 352 * 288;
        const uint8_t* v = u + 352 * 288 / 4;
        int mismatches = 0;
        for (int row = 0; row < 288; ++row)
            for (int x = 0; x < 352; ++x) {
                const double Y = 1.164 * (y[row * 352 + x] - 16), U = u[(row / 2) * 176 + x / 2] - 128.0,
                             V = v[(row / 2) * 176 + x / 2] - 128.0;
                const double rgb[3] = {Y + 2.018 * U, Y - 0.391 * U - 0.813 * V, Y + 1.596 * V};  // B, G, R
                const uint8_t* px = &file[54 + size_t(287 - row) * 352 * 3 + size_t(x) * 3];
                for (int k = 0; k < 3; ++k) {
                    const double want = rgb[k] < 0 ? 0 : rgb[k] > 255 ? 255 : rgb[k];
                    if (std::abs(want - px[k]) > 3) ++mismatches;
                }
            }
        EXPECT_EQ(0, mismatches);
    }
    EXPECT_EQ(0, H264PL_Close(10));
    DestroyWindow(wnd);
}

TEST_F(Player, StreamBacklogDrainsAndFullRingDropsUntilSps) {
    HWND wnd = MakeWindow();
    Pictures pics;
    ASSERT_EQ(0, H264PL_OpenStreamEx(11, wnd, 0, 0, OnPicture, &pics));
    auto frames = FixtureFrames("cif_noaud.264");
    ASSERT_TRUE(frames[0].key);
    // Fill the ring with frames that never decode into pictures, until -508.
    std::vector<uint8_t> filler(0x7F000, 0);
    filler[3] = 1;
    filler[4] = 0x0C;  // filler data NAL
    int rc = 0, added = 0;
    while ((rc = H264PL_AddStreamFrame(11, 1, filler.data(), int(filler.size()))) == 0 && added < 10) ++added;
    if (rc == kPlRingFull) {
        // P frames are taken with 0 but never decoded; the SPS frame resumes.
        EXPECT_EQ(0, H264PL_AddStreamFrame(11, 1, frames[1].video.data(), int(frames[1].video.size())));
        ASSERT_TRUE(WaitFor([&] { return H264PL_AddStreamFrame(11, 1, frames[0].video.data(),
                                                               int(frames[0].video.size())) == 0; },
                            30000));
        for (size_t i = 1; i < 6; ++i)
            ASSERT_EQ(0, H264PL_AddStreamFrame(11, 1, frames[i].video.data(), int(frames[i].video.size())));
        ASSERT_TRUE(WaitFor([&] { return pics.Count() >= 4; }, 30000)) << pics.Count();  // six units, the last two still inside
    }
    EXPECT_EQ(kPlRingFull, rc);
    // A frame longer than the stream thread takes is refused up front.
    std::vector<uint8_t> huge(0x80001, 0);
    EXPECT_EQ(kPlBadArg, H264PL_AddStreamFrame(11, 1, huge.data(), int(huge.size())));
    EXPECT_EQ(0, H264PL_Close(11));
    DestroyWindow(wnd);
}

std::string WritePlayFile(const char* name, uint8_t rate) {
    auto frames = FixtureFrames("cif_noaud.264");
    auto bytes = FileHeader(rate, 1, uint32_t(frames.size()));
    for (const FrameSpec& f : frames) AppendFrame(bytes, f);
    const std::string path = TempPath(name);
    WriteFile(path, PadTo16k(bytes));
    return path;
}

TEST_F(Player, FileChannelStepsSeeksAndPlays) {
    HWND wnd = MakeWindow();
    const std::string path = WritePlayFile("play.rec", 25);
    Pictures pics;
    PlayerFileInfo fi{};
    ASSERT_EQ(0, H264PL_OpenFileEx(20, path.c_str(), wnd, &fi, OnPicture, &pics));
    EXPECT_EQ(25, fi.frameRate);
    EXPECT_EQ(kPlBusy, H264PL_OpenFile(20, path.c_str(), wnd, &fi));
    // Opened paused: nothing is read until a step.
    Sleep(200);
    EXPECT_EQ(0u, pics.Count());
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(0, H264PL_NextFrame(20));
        Sleep(150);
    }
    // Four frames read; the decoder shows a picture once two later units began.
    EXPECT_TRUE(WaitFor([&] { return pics.Count() >= 2; }, 5000)) << pics.Count();
    int time = -1, pos = -1, speed = 9;
    EXPECT_EQ(0, H264PL_GetPlayingTime(20, &time));
    EXPECT_EQ(0, time);  // frame 3 of 25 per second
    EXPECT_EQ(0, H264PL_GetPlayingPos(20, &pos));
    EXPECT_GT(pos, 0);
    // Stop while paused keeps the position.
    EXPECT_EQ(0, H264PL_Stop(20));
    int pos2 = -1;
    EXPECT_EQ(0, H264PL_GetPlayingPos(20, &pos2));
    EXPECT_EQ(pos, pos2);
    // Speeds.
    const int ups[] = {1, 2, 2};
    for (int want : ups) {
        EXPECT_EQ(0, H264PL_Fast(20));
        EXPECT_EQ(0, H264PL_GetSpeed(20, &speed));
        EXPECT_EQ(want, speed);
    }
    for (int want : {1, 0, -1, -2, -2}) {
        EXPECT_EQ(0, H264PL_Slow(20));
        EXPECT_EQ(0, H264PL_GetSpeed(20, &speed));
        EXPECT_EQ(want, speed);
    }
    EXPECT_EQ(0, H264PL_Fast(20));
    EXPECT_EQ(0, H264PL_Fast(20));
    // Seek to the end while paused; play restarts from the first frame.
    EXPECT_EQ(0, H264PL_SetPlayingPos(20, 1000));
    EXPECT_EQ(0, H264PL_GetPlayingPos(20, &pos));
    EXPECT_EQ(1000, pos);
    const size_t before = pics.Count();
    EXPECT_EQ(0, H264PL_Play(20));
    EXPECT_TRUE(WaitFor([&] { return pics.Count() >= before + 10; }, 20000)) << pics.Count();
    EXPECT_EQ(0, H264PL_Pause(20));
    EXPECT_EQ(0, H264PL_SetPlayingPos(20, 0));
    EXPECT_EQ(0, H264PL_Close(20));
    EXPECT_EQ(kPlNotOpen, H264PL_Play(20));
    DestroyWindow(wnd);
}

// The rate of shown pictures follows the speed level (loosely: Wine under
// emulation).
TEST_F(Player, FilePlayRateFollowsTheSpeed) {
    HWND wnd = MakeWindow();
    const std::string path = WritePlayFile("rate.rec", 10);  // 100 ms per frame at level 0
    const struct {
        int level;
        double fps;
    } cases[] = {{-2, 2.5}, {-1, 5}, {0, 10}, {1, 20}, {2, 40}};
    for (auto& c : cases) {
        Pictures pics;
        PlayerFileInfo fi{};
        ASSERT_EQ(0, H264PL_OpenFileEx(21, path.c_str(), wnd, &fi, OnPicture, &pics));
        for (int k = 0; k < c.level; ++k) H264PL_Fast(21);
        for (int k = 0; k > c.level; --k) H264PL_Slow(21);
        ASSERT_EQ(0, H264PL_Play(21));
        const DWORD window = c.level < 0 ? 2400 : 1200;
        Sleep(200);
        const size_t n0 = pics.Count();
        const DWORD t0 = GetTickCount();
        Sleep(window);
        const size_t n1 = pics.Count();
        const double fps = double(n1 - n0) * 1000.0 / double(GetTickCount() - t0);
        EXPECT_GT(fps, c.fps * 0.4) << c.level;
        EXPECT_LT(fps, c.fps * 1.6) << c.level;
        H264PL_Close(21);
    }
    DestroyWindow(wnd);
}

TEST_F(Player, YuvSlotShowsAndChecksItsPicture) {
    HWND wnd = MakeWindow();
    std::vector<uint8_t> pic(352 * 288 * 3 / 2, 128);
    EXPECT_EQ(0, H264PL_YUV_Open(0, wnd));
    EXPECT_EQ(kPlBusy, H264PL_YUV_Open(0, wnd));
    const struct {
        const char* what;
        int format, length, w, h, want;
    } cases[] = {
        {"good", 1, int(pic.size()), 352, 288, 0},
        {"format 2", 2, int(pic.size()), 352, 288, kPlBadArg},
        {"short buffer", 1, int(pic.size()) - 1, 352, 288, kPlBadArg},
        {"wider than the surface", 1, int(pic.size()), 1602, 2, kPlBadArg},
        {"odd width", 1, int(pic.size()), 351, 288, kPlBadArg},
        {"zero height", 1, int(pic.size()), 352, 0, kPlBadArg},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.want, H264PL_YUV_Show(0, c.format, pic.data(), c.length, c.w, c.h)) << c.what;
    EXPECT_EQ(0, H264PL_YUV_Close(0));
    EXPECT_EQ(kPlNotOpen, H264PL_YUV_Show(0, 1, pic.data(), int(pic.size()), 352, 288));
    DestroyWindow(wnd);
}

std::atomic<int> g_captured{0};
std::atomic<int> g_capturedBad{0};
void CALLBACK OnCapture(unsigned char* frame, int length) {
    if (length < 4 || frame[0] != 0x00 || frame[1] != 0x01 || 4 + 2 * frame[2] != length) ++g_capturedBad;
    ++g_captured;
}

TEST_F(Player, VoiceOutputDecodeAndCapture) {
    // Voice frames of codec type 6 (44 bytes) and 4 (24 bytes).
    std::vector<uint8_t> f44(44, 0x11), f24(24, 0x22);
    f44[0] = 0;
    f44[1] = 1;
    f44[2] = 20;
    f44[3] = 0;
    f24[0] = 0;
    f24[1] = 1;
    f24[2] = 10;
    f24[3] = 0;
    std::vector<uint8_t> two(f44);
    two.insert(two.end(), f44.begin(), f44.end());
    EXPECT_EQ(kPlNoMemory, H264PL_Voice_Output(two.data(), 88));
    ASSERT_EQ(0, H264PL_Voice_StartOutput());
    EXPECT_EQ(0, H264PL_Voice_Output(two.data(), 88));
    EXPECT_EQ(kPlBadArg, H264PL_Voice_Output(two.data(), 87));
    EXPECT_EQ(0, H264PL_Voice_Output(f24.data(), 24));
    std::vector<uint8_t> f42(42, 0);
    f42[1] = 1;
    f42[2] = 19;
    EXPECT_EQ(kPlBadArg, H264PL_Voice_Output(f42.data(), 42));
    Sleep(300);
    EXPECT_EQ(0, H264PL_Voice_StopOutput());

    uint8_t pcm[4096];
    int bytes = 0;
    EXPECT_EQ(0, H264PL_Audio_Decode(3, two.data(), 88, pcm, &bytes));
    EXPECT_EQ(2 * 2 * 80, bytes);  // 80 samples of 32 kbit/s per 40-byte payload
    EXPECT_EQ(0, H264PL_Audio_Decode(3, f24.data(), 24, pcm, &bytes));
    EXPECT_EQ(2 * 80, bytes);
    EXPECT_EQ(kPlBadArg, H264PL_Audio_Decode(3, two.data(), 87, pcm, &bytes));
    // A later frame whose header claims 120 words (244 bytes) in a 44-byte
    // slot: refused there, nothing read past the bytes or written past the
    // first frame's samples.
    {
        std::vector<uint8_t> lying(two);
        lying[44 + 2] = 120;
        std::unique_ptr<uint8_t[]> exact(new uint8_t[88]);
        std::memcpy(exact.get(), lying.data(), 88);
        std::memset(pcm, 0xCC, sizeof pcm);
        EXPECT_EQ(kPlBadArg, H264PL_Audio_Decode(3, exact.get(), 88, pcm, &bytes));
        EXPECT_EQ(2 * 80, bytes);
        EXPECT_EQ(0xCC, pcm[2 * 80]);
        EXPECT_EQ(0, H264PL_Voice_StartOutput());
        EXPECT_EQ(0, H264PL_Voice_Output(exact.get(), 88));  // the lying frame is dropped
        EXPECT_EQ(0, H264PL_Voice_StopOutput());
    }

    int rc = H264PL_Voice_StartCapture(OnCapture);
    if (rc == kPlNoCapture) GTEST_SKIP() << "no sound input device";
    ASSERT_EQ(0, rc);
    EXPECT_EQ(0, H264PL_Voice_StartCapture(nullptr));  // already open: 0, first callback kept
    EXPECT_TRUE(WaitFor([] { return g_captured >= 3; }, 10000)) << g_captured;
    EXPECT_EQ(0, H264PL_Voice_StopCapture());
    EXPECT_EQ(0, g_capturedBad.load());
}

}  // namespace
