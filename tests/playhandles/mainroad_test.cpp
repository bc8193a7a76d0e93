// The SDK's main road: a simulated device on loopback, a login, a live
// stream whose callback pushes every unit into a play handle on a window,
// the picture in the window and a snapshot of it.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DeviceSimulator.h"
#include "annexb.h"
#include "core/Orvik.h"
#include "ffmpeg_api.h"
#include "media/SDKObjectManager.h"
#include "media/cvt_yuv2bmp.h"
#include "window_helpers.h"

using Bytes = std::vector<uint8_t>;
using testsupport::ReadFileBytes;
using namespace playtest;

namespace {

std::string Data(const char* name) { return std::string(SELVANE_TEST_DATA) + "/" + name; }

// Reference pictures of the clip as bottom-up 24-bit BMP rows, through the
// snapshot's own colour conversion.
std::vector<Bytes> ReferenceBmpRows(const Bytes& s, int* w, int* h) {
    std::vector<Bytes> out;
    const auto& t = orvik::GetYuvRgbTables();
    intptr_t dec = ffmpeg_h264_init();
    for (const Bytes& u : testsupport::SplitAccessUnits(s)) {
        int got = 0;
        FfmpegPicture p{};
        ffmpeg_h264_decode(dec, u.data(), int(u.size()), &got, &p);
        if (!got) continue;
        *w = p.width, *h = p.height;
        int row = (p.width * 3 + 3) / 4 * 4;
        Bytes f(size_t(row) * p.height, 0);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                uint8_t r, g, b;
                int c = (y / 2) * (p.width / 2) + x / 2;
                t.Convert(p.y[y * p.width + x], p.u[c], p.v[c], r, g, b);
                uint8_t* d = &f[size_t(p.height - 1 - y) * row + size_t(x) * 3];
                d[0] = b, d[1] = g, d[2] = r;
            }
        out.push_back(std::move(f));
    }
    ffmpeg_h264_Release(dec);
    return out;
}

struct Feed {
    std::atomic<int> handle{0};
    std::atomic<int> units{0};
    std::atomic<int> refused{0};
};

// Runs on an SDK worker thread: only the play-handle export is called.
void CALLBACK OnStream(unsigned char* data, int length, int type, int codec, void* user) {
    auto* feed = static_cast<Feed*>(user);
    if (type != 0 || length <= 0) return;
    if (NET_PlayVideoStream(feed->handle, data, length) == 0)
        ++feed->units;
    else
        ++feed->refused;
}

}  // namespace

TEST(MainRoad, LiveVideoOfADeviceInAWindow) {
    ASSERT_EQ(NET_Init(), 1);
    devsim::Config c;
    c.address = "127.0.6.2";
    c.mainClip = Data("cif_noaud.264");
    c.subClip = Data("cif_aud.264");
    c.audioFile = Data("tone.pcma");
    auto sim = std::make_unique<devsim::Simulator>(c);
    ASSERT_TRUE(sim->Start());

    const Bytes clip = ReadFileBytes(c.mainClip);
    int w = 0, h = 0;
    std::vector<Bytes> ref = ReferenceBmpRows(clip, &w, &h);
    ASSERT_EQ(w, 352);
    ASSERT_EQ(h, 288);

    HWND wnd = MakeWindow(w, h);
    ASSERT_NE(wnd, nullptr);
    NET_LOGIN_PARAMS p = {};
    p.address = c.address.c_str();
    p.port = sim->Port();
    int id = NET_Login(p);
    ASSERT_GT(id, 0);
    Feed feed;
    feed.handle = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(feed.handle.load(), 0);
    ASSERT_EQ(NET_StartRealPlay(id, 0, OnStream, &feed), 1);

    // A second and a half of live video at the clip's rate.
    ASSERT_TRUE(WaitFor([&] { return SdkObjects().DecodedUnits(feed.handle) >= 30; }, 60000))
        << SdkObjects().DecodedUnits(feed.handle) << " decoded of " << feed.units << " pushed";
    EXPECT_EQ(feed.refused, 0);

    // The window shows one of the clip's pictures (loosely: drawing scales
    // through a 16-bit surface).
    int W = 0, H = 0;
    std::vector<uint32_t> px = ReadWindow(wnd, &W, &H);
    const int row = (w * 3 + 3) / 4 * 4;
    double best = 1e9;
    for (const Bytes& f : ref) {
        double diff = 0;
        int n = 0;
        for (int y = 0; y < h; y += 4)
            for (int x = 0; x < w; x += 4) {
                const uint8_t* d = &f[size_t(h - 1 - y) * row + size_t(x) * 3];
                uint32_t q = px[size_t(y) * W + x];
                diff += std::abs(int(q >> 16 & 255) - d[2]) + std::abs(int(q >> 8 & 255) - d[1]) +
                        std::abs(int(q & 255) - d[0]);
                n += 3;
            }
        best = std::min(best, diff / n);
    }
    EXPECT_LT(best, 12.0);

    // A snapshot taken while the stream runs equals one reference picture.
    std::string shot = TempFile("mainroad_shot.bmp");
    std::remove(shot.c_str());
    ASSERT_EQ(NET_Snapshot(feed.handle, shot.c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(shot).size() == size_t(54 + row * h); }, 30000));
    Bytes bmp = ReadFileBytes(shot);
    Bytes pixels(bmp.begin() + 54, bmp.end());
    bool found = false;
    for (const Bytes& f : ref) found = found || f == pixels;
    EXPECT_TRUE(found);
    std::remove(shot.c_str());

    EXPECT_EQ(NET_StopRealPlay(id, 0), 1);
    EXPECT_EQ(NET_CloseRealPlayHandle(feed.handle), 0);
    EXPECT_EQ(NET_LogOut(id), 1);
    NET_Cleanup();
    DestroyWindow(wnd);
}
