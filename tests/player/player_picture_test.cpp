// Pictures through Quillon.dll's channels: conformance streams through a
// stream channel against their reference MD5s, a field-pair stream joined
// by the deinterlacer, and H264PL_YUV_Show read back from a 1:1 window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "annexb.h"
#include "player_fixture.h"
#include "quillon.h"
#include "qv_deinterlace.h"
#include "window_helpers.h"

using namespace quillon;
using namespace playertest;

namespace {

class Player : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, H264PL_Init()); }
    void TearDown() override { H264PL_DeInit(); }
};

// Every picture a channel hands to its callback.
struct Pictures {
    std::mutex lock;
    struct Pic {
        int width, height;
        std::vector<uint8_t> yuv;
    };
    std::vector<Pic> all;
    size_t Count() {
        std::lock_guard<std::mutex> g(lock);
        return all.size();
    }
    static void CALLBACK Callback(int format, unsigned char* picture, int length, int width, int height,
                                  void* user) {
        auto* p = static_cast<Pictures*>(user);
        if (format != 1) return;
        std::lock_guard<std::mutex> g(p->lock);
        p->all.push_back(Pic{width, height, std::vector<uint8_t>(picture, picture + length)});
    }
};

// Plays access units through stream channel `ch` and collects at least
// `count` pictures: the first two units follow the last again, since the
// channel hands out a picture once the next ones have begun.
void PlayUnits(int ch, HWND wnd, std::vector<std::vector<uint8_t>> units, size_t count, Pictures* pics) {
    units.push_back(units[0]);
    units.push_back(units[1]);
    ASSERT_EQ(0, H264PL_OpenStreamEx(ch, wnd, 1, 0, Pictures::Callback, pics));
    for (const auto& u : units) {
        int rc = kPlRingFull;
        ASSERT_TRUE(playtest::WaitFor([&] { return (rc = H264PL_AddStreamFrame(ch, 1, u.data(), int(u.size()))) != kPlRingFull; },
                                      60000));
        ASSERT_EQ(0, rc);
    }
    EXPECT_TRUE(playtest::WaitFor([&] { return pics->Count() >= count; }, 120000)) << pics->Count();
    EXPECT_EQ(0, H264PL_Close(ch));
    ASSERT_GE(pics->all.size(), count);
}

// Conformance streams whose pictures come out in decoding order and that
// need no more than the channel's four reference frames (the SVA streams
// ask for five, which the channel's decoder refuses).
TEST_F(Player, ConformanceStreamsThroughAStreamChannelMatchTheReference) {
    const std::string dir = std::string(SELVANE_CONFORMANCE) + "/h264/";
    HWND wnd = playtest::MakeWindow(176, 144);
    for (const char* name : {"BAMQ1_JVC_C", "BA_MW_D", "MIDR_MW_D", "NRF_MW_E"}) {
        SCOPED_TRACE(name);
        const auto data = testsupport::ReadFileBytes(dir + name + ".264");
        const auto want = testsupport::ReadFrameMd5s(dir + name + ".framemd5");
        if (data.empty() || want.empty()) {
            ADD_FAILURE() << "conformance stream missing: " << dir << name;
            continue;
        }
        Pictures pics;
        PlayUnits(3, wnd, testsupport::SplitAccessUnits(data), want.size(), &pics);
        if (HasFatalFailure()) break;
        std::lock_guard<std::mutex> g(pics.lock);
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(want[i], PictureMd5(pics.all[i].yuv.data(), int(pics.all[i].yuv.size()))) << "picture " << i;
    }
    DestroyWindow(wnd);
}

// The engine's field hint (an SEI E0 01 xx, bit 0 of xx): each picture is
// then a field, frame_num even the first of a pair, odd the second, and the
// channel shows the pair deinterlaced as one frame of twice the height.
TEST_F(Player, FieldPairStreamShowsDeinterlacedFrames) {
    auto units = testsupport::SplitAccessUnits(testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_noaud.264"));
    ASSERT_GE(units.size(), 12u);
    units.resize(12);
    HWND wnd = playtest::MakeWindow(352, 576);
    // The fields as plain pictures first: the same stream without the hint.
    Pictures fields;
    ASSERT_NO_FATAL_FAILURE(PlayUnits(4, wnd, units, units.size(), &fields));
    const auto ref = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/cif_noaud.framemd5");
    ASSERT_GE(ref.size(), units.size());
    for (size_t i = 0; i < units.size(); ++i)
        ASSERT_EQ(ref[i], PictureMd5(fields.all[i].yuv.data(), int(fields.all[i].yuv.size()))) << "field " << i;

    // What the deinterlacer makes of them, fed in pairs as the hint says.
    const int w = 352, fh = 288;
    const size_t fl = size_t(w) * fh;
    void* deint = nullptr;
    ASSERT_EQ(0, QV_InitDeinterlace(&deint, qvDEINTERLACE_PARA_S{w, fh, w, w / 2, w, w / 2}));
    std::vector<std::vector<uint8_t>> want;
    for (size_t i = 0; i < units.size(); ++i) {
        std::vector<uint8_t> frame(fl * 3);
        auto& f = fields.all[i].yuv;
        const qvPIC_TYPE_E type = (i & 1) ? QV_PIC_FIELD_OUTPUT : QV_PIC_FIELD_HISTORY;  // frame_num = i
        ASSERT_EQ(0, QV_Deinterlace(deint, qvDEINTERLACE_FRAME_S{frame.data(), frame.data() + fl * 2,
                                                                 frame.data() + fl * 5 / 2},
                                    f.data(), f.data() + fl, f.data() + fl * 5 / 4, type));
        if (type == QV_PIC_FIELD_OUTPUT) want.push_back(frame);
    }
    QV_ReleaseDeinterlace(deint);

    // The hinted stream through a channel: one frame per pair, 352 x 576.
    static const uint8_t kHint[] = {0, 0, 0, 1, 0x06, 0xE0, 0x01, 0x01, 0x80};
    auto hinted = units;
    hinted.front().insert(hinted.front().begin(), kHint, kHint + sizeof kHint);
    Pictures frames;
    ASSERT_NO_FATAL_FAILURE(PlayUnits(5, wnd, hinted, want.size(), &frames));
    std::lock_guard<std::mutex> g(frames.lock);
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(w, frames.all[k].width) << "frame " << k;
        EXPECT_EQ(fh * 2, frames.all[k].height) << "frame " << k;
        EXPECT_TRUE(frames.all[k].yuv == want[k]) << "frame " << k << " is not the deinterlaced pair";
    }
    DestroyWindow(wnd);
}

// BT.601 studio range, as a display draws 4:2:0 pictures.
void Rgb(int y, int u, int v, int* r, int* g, int* b) {
    const double yy = 1.164383 * (y - 16), cb = u - 128, cr = v - 128;
    auto c = [](double x) { return int(std::lround(std::min(255.0, std::max(0.0, x)))); };
    *r = c(yy + 1.596027 * cr);
    *g = c(yy - 0.391762 * cb - 0.812968 * cr);
    *b = c(yy + 2.017232 * cb);
}

TEST_F(Player, YuvShowIntoAOneToOneWindowReadsBackAsThePicture) {
    const int w = 352, h = 288;
    HWND wnd = playtest::MakeWindow(w, h);
    // Luma ramps both ways; chroma in 16 x 16 blocks of varying colour.
    std::vector<uint8_t> pic(size_t(w) * h * 3 / 2);
    uint8_t* y = pic.data();
    uint8_t* u = y + w * h;
    uint8_t* v = u + w * h / 4;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) y[r * w + x] = uint8_t(16 + (x * 3 + r * 2) % 220);
    for (int r = 0; r < h / 2; ++r)
        for (int x = 0; x < w / 2; ++x) {
            u[r * (w / 2) + x] = uint8_t(64 + ((x / 8) * 37 + (r / 8) * 11) % 128);
            v[r * (w / 2) + x] = uint8_t(64 + ((x / 8) * 13 + (r / 8) * 41) % 128);
        }
    ASSERT_EQ(0, H264PL_YUV_Open(1, wnd));
    ASSERT_EQ(0, H264PL_YUV_Show(1, 1, pic.data(), int(pic.size()), w, h));
    playtest::WaitFor([] { return false; }, 200);  // let the window settle
    int rw = 0, rh = 0;
    const auto px = playtest::ReadWindow(wnd, &rw, &rh);
    EXPECT_EQ(0, H264PL_YUV_Close(1));
    DestroyWindow(wnd);
    ASSERT_EQ(w, rw);
    ASSERT_EQ(h, rh);
    int worst = 0, wx = -1, wy = -1;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) {
            int R, G, B;
            Rgb(y[r * w + x], u[(r / 2) * (w / 2) + x / 2], v[(r / 2) * (w / 2) + x / 2], &R, &G, &B);
            const uint32_t p = px[size_t(r) * w + x];
            const int d = std::max({std::abs(int(p >> 16 & 255) - R), std::abs(int(p >> 8 & 255) - G),
                                    std::abs(int(p & 255) - B)});
            if (d > worst) {
                worst = d;
                wx = x;
                wy = r;
            }
        }
    EXPECT_LE(worst, 3) << "pixel (" << wx << ", " << wy << ") differs from the picture";
}

}  // namespace
