// Play channel objects directly: a channel whose thread does not end within
// the close time-out is terminated, and the channel opens again.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "player_win.h"

using namespace quillon;

TEST(PlayChannel, HungThreadIsTerminatedAndTheChannelReopens) {
    ASSERT_TRUE(Scheduler().Start());
    HWND wnd = CreateWindowExA(0, "STATIC", "ch", WS_POPUP | WS_VISIBLE, 0, 0, 176, 144, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    auto frames = playertest::FixtureFrames("cif_noaud.264");
    auto bytes = playertest::FileHeader(25, 1, uint32_t(frames.size()));
    for (const auto& f : frames) playertest::AppendFrame(bytes, f);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "quillon_hang.rec";
    FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    std::fwrite(bytes.data(), 1, bytes.size(), fp);
    std::fclose(fp);

    CPlayChannel::SetCloseTimeout(300);
    CPlayChannel ch;
    PlayerFileInfo fi{};
    ASSERT_EQ(0, ch.OpenFile(path.c_str(), wnd, &fi, nullptr, nullptr));
    // The file thread takes the channel lock and then sleeps far beyond the
    // close time-out.
    ch.HoldThreadForTest(60000);
    ch.Step();
    Sleep(200);
    const DWORD t0 = GetTickCount();
    EXPECT_EQ(0, ch.Close());
    EXPECT_LT(GetTickCount() - t0, 5000u);
    ch.HoldThreadForTest(0);
    // Reopen, seek (takes the channel lock) and close: no deadlock.
    ASSERT_EQ(0, ch.OpenFile(path.c_str(), wnd, &fi, nullptr, nullptr));
    EXPECT_EQ(0, ch.Seek(500));
    ch.Step();
    EXPECT_EQ(0, ch.Close());

    // The scheduler's table: 64 entries, then -1.
    std::vector<int> ids;
    for (int i = 0; i < 64; ++i) ids.push_back(Scheduler().Add(40, [](void*) {}, nullptr));
    EXPECT_EQ(-1, Scheduler().Add(40, [](void*) {}, nullptr));
    // A channel that would never tick is not opened.
    CPlayChannel full;
    EXPECT_EQ(kPlNoMemory, full.OpenStream(wnd, 0, nullptr, nullptr));
    EXPECT_EQ(kPlNoMemory, full.OpenFile(path.c_str(), wnd, &fi, nullptr, nullptr));
    EXPECT_EQ(int(CPlayChannel::kClosed), full.GetMode());
    for (int id : ids) EXPECT_GE(id, 0);
    for (int id : ids) Scheduler().Remove(id);
    Scheduler().Stop();
    DestroyWindow(wnd);
}

namespace {
int g_pictures = 0;
std::vector<std::string> g_md5s;
void CALLBACK CountPicture(int, unsigned char* p, int length, int, int, void*) {
    ++g_pictures;
    g_md5s.push_back(testsupport::Md5Hex(p, size_t(length)));
}
}  // namespace

TEST(VideoDecoder, DecodesTheFixtureInDecodingOrder) {
    HWND wnd = CreateWindowExA(0, "STATIC", "vd", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    CVideoDecoder vd;
    ASSERT_EQ(0, vd.Create(wnd));
    vd.SetCallback(CountPicture, nullptr);
    auto frames = playertest::FixtureFrames("cif_noaud.264");
    int drawn = 0;
    for (const auto& f : frames) drawn += vd.Decode(f.video.data(), uint32_t(f.video.size()));
    const auto want = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/cif_noaud.framemd5");
    EXPECT_GE(g_pictures + 2, int(want.size())) << drawn;  // the last two wait for later units
    for (size_t i = 0; i < g_md5s.size() && i < want.size(); ++i) EXPECT_EQ(want[i], g_md5s[i]) << i;
    vd.Destroy();
    DestroyWindow(wnd);
}

// The output never runs dry: with no audio queued it plays silence, and
// decoded frames go through the same buffers.
TEST(SoundChannel, PlaysFramesAndSilence) {
    CSoundChannel s;
    std::vector<uint8_t> f44(44, 0x11);
    f44[0] = 0;
    f44[1] = 1;
    f44[2] = 20;
    f44[3] = 0;
    EXPECT_EQ(kPlNoMemory, s.Play(f44.data(), 44));
    ASSERT_EQ(0, s.Start());
    if (!s.Output().IsOpen()) GTEST_SKIP() << "no sound output device";
    for (int i = 0; i < 5; ++i) EXPECT_EQ(0, s.Play(f44.data(), 44));
    const DWORD t0 = GetTickCount();
    while (s.Output().BuffersPlayed() < 12 && GetTickCount() - t0 < 10000) Sleep(20);
    EXPECT_GE(s.Output().BuffersPlayed(), 12u);
    EXPECT_EQ(0, s.Stop());
    EXPECT_FALSE(s.Output().IsOpen());
}
