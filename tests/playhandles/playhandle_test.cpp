// Play handles through the NET_* exports: results, numbering, the picture
// in the window, snapshots, the overlay, a stalled gather buffer, closing a
// blocked decode thread, and many handles at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "annexb.h"
#include "core/Orvik.h"
#include "ffmpeg_api.h"
#include "media/SDKObject.h"
#include "media/SDKObjectManager.h"
#include "media/cvt_yuv2bmp.h"
#include "window_helpers.h"

using Bytes = std::vector<uint8_t>;
using testsupport::ReadFileBytes;
using namespace playtest;

namespace {

Bytes Fixture(const char* name) { return ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name); }

// Reference decode of a stream: every picture as I420.
std::vector<Bytes> ReferenceFrames(const Bytes& s, int* w, int* h) {
    std::vector<Bytes> frames;
    intptr_t dec = ffmpeg_h264_init();
    for (const Bytes& u : testsupport::SplitAccessUnits(s)) {
        int got = 0;
        FfmpegPicture p{};
        ffmpeg_h264_decode(dec, const_cast<uint8_t*>(u.data()), int(u.size()), &got, &p);
        if (!got) continue;
        *w = p.width, *h = p.height;
        Bytes f;
        for (int r = 0; r < p.height; ++r) f.insert(f.end(), p.y + r * p.width, p.y + (r + 1) * p.width);
        for (const uint8_t* c : {p.u, p.v})
            for (int r = 0; r < p.height / 2; ++r)
                f.insert(f.end(), c + r * (p.width / 2), c + (r + 1) * (p.width / 2));
        frames.push_back(f);
    }
    ffmpeg_h264_Release(dec);
    return frames;
}

// 24-bit pixels of an I420 picture through the snapshot conversion, bottom-up rows padded to 4.
Bytes BmpPixels(const Bytes& f, int w, int h) {
    const auto& t = orvik::GetYuvRgbTables();
    int row = (w * 3 + 3) / 4 * 4;
    Bytes out(size_t(row) * h, 0);
    const uint8_t *Y = f.data(), *U = Y + w * h, *V = U + (w / 2) * (h / 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t r, g, b;
            t.Convert(Y[y * w + x], U[(y / 2) * (w / 2) + x / 2], V[(y / 2) * (w / 2) + x / 2], r, g, b);
            uint8_t* d = &out[size_t(h - 1 - y) * row + size_t(x) * 3];
            d[0] = b, d[1] = g, d[2] = r;
        }
    return out;
}

void Push(int handle, const Bytes& s, size_t block) {
    for (size_t i = 0; i < s.size(); i += block)
        ASSERT_EQ(NET_PlayVideoStream(handle, const_cast<uint8_t*>(s.data()) + i, int(std::min(block, s.size() - i))), 0);
}

size_t UnitsIn(const Bytes& s) { return testsupport::SplitAccessUnits(s).size() - 1; }

}  // namespace

TEST(PlayHandle, ResultsAndNumbering) {
    HWND wnd = MakeWindow(64, 48);
    uint8_t b[4] = {0, 0, 1, 9};
    EXPECT_EQ(NET_CreateRealPlayHandle(nullptr), 0);
    EXPECT_EQ(NET_PlayVideoStream(12345, b, 4), 47);
    EXPECT_EQ(NET_PlayVideoStream(12345, b, 0), 50);
    EXPECT_EQ(NET_PlayVideoStream(12345, nullptr, 4), 50);
    EXPECT_EQ(NET_StopPlayVideoStream(12345), 47);
    EXPECT_EQ(NET_Snapshot(12345, "x.bmp"), 47);
    EXPECT_EQ(NET_OverlayMdCoverRgn(12345, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 47);
    int h1 = NET_CreateRealPlayHandle(wnd);
    int h2 = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(h1, 0);
    EXPECT_EQ(h2, h1 + 1);
    EXPECT_EQ(NET_PlayVideoStream(h1, b, -1), 50);
    EXPECT_EQ(NET_PlayVideoStream(h1, b, 4), 0);
    EXPECT_EQ(NET_StopPlayVideoStream(h1), 0);
    EXPECT_EQ(NET_Snapshot(h1, nullptr), 0);
    EXPECT_EQ(NET_CloseRealPlayHandle(h1), 0);
    EXPECT_EQ(NET_CloseRealPlayHandle(h1), 47);
    EXPECT_EQ(NET_CreateRealPlayHandle(wnd), h2 + 1);  // numbers are never reused
    EXPECT_EQ(NET_CloseRealPlayHandle(h2), 0);
    EXPECT_EQ(NET_CloseRealPlayHandle(h2 + 1), 0);
    EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    DestroyWindow(wnd);
}

// The fixture pushed in odd-sized blocks appears in the window; a snapshot
// is one of the reference pictures; the overlay lands where its values say.
TEST(PlayHandle, PictureSnapshotAndOverlay) {
    const Bytes s = Fixture("cif_aud.264");
    int w = 0, h = 0;
    std::vector<Bytes> ref = ReferenceFrames(s, &w, &h);
    ASSERT_EQ(w, 352);
    HWND wnd = MakeWindow(352, 288);
    int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    // Grid: row 0 all drawn, other rows none; cover at (100,100) 50x40 in a 352x288 space.
    std::vector<int> v(23, 0);
    v[0] = 352, v[1] = 288, v[2] = 1, v[3] = 0;
    for (int r = 1; r < 15; ++r) v[3 + r] = 0xFFFFF;
    v[18] = 1 | (100 << 16), v[19] = 100 | (50 << 16), v[20] = 40;
    ASSERT_EQ(NET_OverlayMdCoverRgn(hd, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
                                    v[12], v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22]),
              0);
    std::string shot = TempFile("playhandle_shot.bmp");
    std::remove(shot.c_str());
    const size_t units = UnitsIn(s);
    Push(hd, Bytes(s.begin(), s.begin() + long(s.size() / 2)), 3001);
    ASSERT_EQ(NET_Snapshot(hd, shot.c_str()), 0);
    Push(hd, Bytes(s.begin() + long(s.size() / 2), s.end()), 4093);
    ASSERT_TRUE(WaitFor([&] { return SdkObjects().DecodedUnits(hd) >= long(units); }, 60000))
        << SdkObjects().DecodedUnits(hd) << " of " << units;
    Sleep(100);

    int W, H;
    std::vector<uint32_t> px = ReadWindow(wnd, &W, &H);
    ASSERT_EQ(W, 352);
    // Overlay: red cell borders on row 0, green cover frame.
    const int cw = 352 / 20, ch = 288 / 15;
    EXPECT_EQ(px[size_t(0) * W + 5], 0xFF0000u);          // top edge of cell 0
    EXPECT_EQ(px[size_t(5) * W + cw], 0xFF0000u);         // left edge of cell 1
    EXPECT_EQ(px[size_t(ch - 1) * W + 5], 0xFF0000u);     // bottom edge of cell 0
    EXPECT_EQ(px[size_t(120) * W + 100], 0x00FF00u);      // cover left edge
    EXPECT_EQ(px[size_t(139) * W + 120], 0x00FF00u);      // cover bottom edge
    EXPECT_NE(px[size_t(120) * W + 120], 0x00FF00u);      // inside: the picture
    // Row 0's top edge is red all along; row 3 (its bits set) has no edge across.
    int redTop = 0, redRow3 = 0;
    for (int x = 0; x < 20 * cw; ++x) {
        redTop += px[size_t(0) * W + x] == 0xFF0000u;
        redRow3 += px[size_t(3 * ch) * W + x] == 0xFF0000u;
    }
    EXPECT_EQ(redTop, 20 * cw);
    EXPECT_LT(redRow3, 20 * cw);

    // The picture: the last reference frame, loosely (away from the overlay).
    Bytes last = BmpPixels(ref.back(), w, h);
    const int row = (w * 3 + 3) / 4 * 4;
    double diff = 0;
    int n = 0;
    for (int y = 40; y < 280; y += 3)
        for (int x = 0; x < 352; x += 3) {
            if (x >= 95 && x <= 155 && y >= 95 && y <= 145) continue;
            const uint8_t* d = &last[size_t(h - 1 - y) * row + size_t(x) * 3];
            uint32_t p = px[size_t(y) * W + x];
            diff += std::abs(int(p >> 16 & 255) - d[2]) + std::abs(int(p >> 8 & 255) - d[1]) + std::abs(int(p & 255) - d[0]);
            n += 3;
        }
    EXPECT_LT(diff / n, 12.0);

    // The snapshot equals one reference picture exactly.
    Bytes bmp = ReadFileBytes(shot);
    ASSERT_EQ(bmp.size(), size_t(54 + row * h));
    Bytes pixels(bmp.begin() + 54, bmp.end());
    bool found = false;
    for (const Bytes& f : ref) found = found || BmpPixels(f, w, h) == pixels;
    EXPECT_TRUE(found);
    std::remove(shot.c_str());

    // Zero reference size: nothing drawn, no fault.
    v[0] = 0;
    ASSERT_EQ(NET_OverlayMdCoverRgn(hd, v[0], v[1], 0, v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
                                    v[12], v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22]),
              0);
    long before = SdkObjects().DecodedUnits(hd);
    Push(hd, s, 5000);
    ASSERT_TRUE(WaitFor([&] { return SdkObjects().DecodedUnits(hd) >= before + long(units); }, 60000));
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    DestroyWindow(wnd);
}

// A gather buffer filled by bytes with no unit boundary recovers: later
// pushes of a good stream are decoded.
TEST(PlayHandle, FullGatherBufferRecovers) {
    HWND wnd = MakeWindow(176, 144);
    int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    Bytes junk(1 << 20, 0x55);
    junk[0] = 0, junk[1] = 0, junk[2] = 1, junk[3] = 0x65, junk[4] = 0x88;  // a slice that never ends
    for (int i = 0; i < 5; ++i) ASSERT_EQ(NET_PlayVideoStream(hd, junk.data() + (i ? 5 : 0), int(junk.size()) - (i ? 5 : 0)), 0);
    Bytes big(4 * 1024 * 1024 + 1, 0);
    EXPECT_EQ(NET_PlayVideoStream(hd, big.data(), int(big.size())), 0);  // too big for any gather buffer: dropped
    const Bytes clip = Fixture("cif_noaud.264");
    const Bytes s(clip.begin(), clip.begin() + long(clip.size() / 6));
    Push(hd, s, 20000);
    Push(hd, s, 20000);
    EXPECT_TRUE(WaitFor([&] { return SdkObjects().DecodedUnits(hd) >= long(UnitsIn(s)); }, 60000))
        << SdkObjects().DecodedUnits(hd);
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    DestroyWindow(wnd);
}

namespace {
HANDLE g_release = nullptr;
std::atomic<int> g_blocked{0};
void BlockOnce(CSDKObject*) {
    if (g_blocked.exchange(1) == 0) WaitForSingleObject(g_release, 5000);
}
}  // namespace

// Closing a handle whose decode thread is stuck ends within the wait; the
// object is freed once the thread gets out.
TEST(PlayHandle, CloseWithBlockedThreadEndsInTimeAndFrees) {
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_blocked = 0;
    CSDKObject::SetStepHookForTest(BlockOnce);
    HWND wnd = MakeWindow(64, 48);
    int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    ASSERT_TRUE(WaitFor([] { return g_blocked.load() == 1; }, 5000));
    DWORD t0 = GetTickCount();
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    DWORD spent = GetTickCount() - t0;
    EXPECT_LT(spent, 1500u);
    EXPECT_GE(spent, 900u);
    EXPECT_EQ(CSDKObject::LiveObjects(), 1);  // the thread still holds it
    SetEvent(g_release);
    EXPECT_TRUE(WaitFor([] { return CSDKObject::LiveObjects() == 0; }, 5000));
    CSDKObject::SetStepHookForTest(nullptr);
    CloseHandle(g_release);
    DestroyWindow(wnd);
}

namespace {
// Address space in use by the process.
SIZE_T PrivateBytes() {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatusEx(&ms);
    return SIZE_T(ms.ullTotalVirtual - ms.ullAvailVirtual);
}
}  // namespace

struct Feed {
    int hd;
    const Bytes* s;
};
DWORD WINAPI FeedThread(LPVOID p) {
    auto* f = static_cast<Feed*>(p);
    for (size_t i = 0; i < f->s->size(); i += 1400)
        NET_PlayVideoStream(f->hd, const_cast<uint8_t*>(f->s->data()) + i, int(std::min<size_t>(1400, f->s->size() - i)));
    return 0;
}

// 36 handles on 36 windows fed at once; every one decodes; closing all is
// quick and gives back the memory and the objects.
TEST(PlayHandle, ThirtySixHandlesAtOnce) {
    const int kHandles = 36;
    // The first units of the clip, plus the next unit's start to complete the last.
    const Bytes clip = Fixture("cif_noaud.264");
    std::vector<Bytes> all = testsupport::SplitAccessUnits(clip);
    const size_t units = 6;
    Bytes s;
    for (size_t i = 0; i <= units; ++i) s.insert(s.end(), all[i].begin(), all[i].end());
    SIZE_T mem0 = PrivateBytes();
    DWORD gdi0 = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HWND> wnds;
    std::vector<int> hds;
    for (int i = 0; i < kHandles; ++i) {
        wnds.push_back(MakeWindow(176, 144));
        hds.push_back(NET_CreateRealPlayHandle(wnds.back()));
        ASSERT_GT(hds.back(), 0);
    }
    SIZE_T memIdle = PrivateBytes();
    std::vector<HANDLE> feeders;
    std::vector<Feed> feeds;
    feeds.reserve(hds.size());
    for (int hd : hds) feeds.push_back(Feed{hd, &s});
    for (Feed& f : feeds)
        feeders.push_back(CreateThread(nullptr, 0, FeedThread, &f, 0, nullptr));
    for (HANDLE t : feeders) {
        EXPECT_EQ(WaitForSingleObject(t, 60000), WAIT_OBJECT_0);
        CloseHandle(t);
    }
    EXPECT_TRUE(WaitFor([&] {
        for (int hd : hds)
            if (SdkObjects().DecodedUnits(hd) < long(units)) return false;
        return true;
    }, 120000));
    SIZE_T memFed = PrivateBytes();
    DWORD t0 = GetTickCount();
    for (int hd : hds) EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    DWORD closeMs = GetTickCount() - t0;
    EXPECT_LT(closeMs, DWORD(kHandles) * 1000u);
    EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    for (HWND w : wnds) DestroyWindow(w);
    SIZE_T mem1 = PrivateBytes();
    std::printf("per handle: %.1f MiB idle, %.1f MiB fed; close of %d: %lu ms; left after close: %.1f MiB\n",
                double(memIdle - mem0) / kHandles / 1048576.0, double(memFed - mem0) / kHandles / 1048576.0,
                kHandles, (unsigned long)closeMs, (double(mem1) - double(mem0)) / 1048576.0);
    EXPECT_LT(double(mem1) - double(mem0), 40.0 * 1048576.0);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi0 + 8);
}
