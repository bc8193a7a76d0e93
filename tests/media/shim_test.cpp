// The libavcodec shim exports of Orvik.dll, reached by their exact decorated
// names, and the planar-to-UYVY packer behind "_yuvtoyuv422_ffplay@36".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "annexb.h"
#include "md5.h"
#include "media/avcodec_shim.h"
#include "media/yuv_pack.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace testsupport;

namespace {

struct Shim {
    using AllocContext = AVCodecContext*(__stdcall*)();
    using AllocFrame = AVFrame*(__stdcall*)();
    using Open = int(__stdcall*)(AVCodecContext*, const AVCodec*);
    using Decode = int(__stdcall*)(AVCodecContext*, AVFrame*, int*, const uint8_t*, int);
    using Close = int(__stdcall*)(AVCodecContext*);
    using Free = void(__stdcall*)(void*);
    using Init = int(__stdcall*)();
    using Pack = void(__stdcall*)(const uint8_t*, int, const uint8_t*, const uint8_t*, int, uint8_t*, int, int, int);

    HMODULE dll = LoadLibraryA("Orvik.dll");
    template <class F>
    F Get(const char* name) {
        return dll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
    }
    AllocContext allocContext = Get<AllocContext>("_AVCODEC_alloc_context@0");
    AllocFrame allocFrame = Get<AllocFrame>("_AVCODEC_alloc_frame@0");
    Open open = Get<Open>("_AVCODEC_open@8");
    Decode decode = Get<Decode>("_AVCODEC_decode_video@20");
    Close close = Get<Close>("_AVCODEC_close@4");
    Free free = Get<Free>("_AV_FREE@4");
    Init init = Get<Init>("_AVCODEC_init@0");
    Pack pack = Get<Pack>("_yuvtoyuv422_ffplay@36");

    bool Complete() const { return allocContext && allocFrame && open && decode && close && free && init && pack; }
};

Shim& TheShim() {
    static Shim s;
    return s;
}

// MD5 of the visible planes, rows without padding, as framemd5 computes it.
std::string PictureMd5(const AVFrame* f) {
    std::vector<uint8_t> buf;
    for (int p = 0; p < 3; ++p) {
        int w = p ? f->width / 2 : f->width, h = p ? f->height / 2 : f->height;
        for (int r = 0; r < h; ++r)
            buf.insert(buf.end(), f->data[p] + ptrdiff_t(r) * f->linesize[p], f->data[p] + ptrdiff_t(r) * f->linesize[p] + w);
    }
    return Md5Hex(buf.data(), buf.size());
}

TEST(ShimExports, AllEightResolveByDecoratedName) {
    ASSERT_NE(TheShim().dll, nullptr);
    EXPECT_TRUE(TheShim().Complete());
    // The undecorated names are not exported.
    EXPECT_EQ(GetProcAddress(TheShim().dll, "AVCODEC_init"), nullptr);
    EXPECT_EQ(GetProcAddress(TheShim().dll, "_AVCODEC_init"), nullptr);
}

TEST(ShimExports, InitOnceThenOne) {
    ASSERT_TRUE(TheShim().Complete());
    EXPECT_EQ(TheShim().init(), 64);
    EXPECT_EQ(TheShim().init(), 1);
    EXPECT_EQ(TheShim().init(), 1);
}

TEST(ShimTables, MatchTheirDefinitions) {
    // The library linked statically into this test has its own once-flag.
    EXPECT_EQ(AVCODEC_init(), 64);
    const orvik::AvcodecTables t = orvik::GetAvcodecTables();
    for (int i = 0; i < 1024; ++i) {
        ASSERT_EQ(t.crop[i], 0) << i;
        ASSERT_EQ(t.crop[1024 + 256 + i], 255) << i;
    }
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t.crop[1024 + i], i);
    EXPECT_EQ(t.squares[0], 65536u);
    EXPECT_EQ(t.squares[255], 1u);
    EXPECT_EQ(t.squares[256], 0u);
    EXPECT_EQ(t.squares[511], 65025u);
    // The inverse scan undoes the scan, one-based.
    for (int j = 0; j < 64; ++j) ASSERT_EQ(t.invZigzag[orvik::kZigzagDirect[j]], j + 1);
    EXPECT_EQ(t.invZigzag[0], 1);
    EXPECT_EQ(t.invZigzag[63], 64);
    EXPECT_EQ(t.invZigzag[8], 3);  // raster (1,0) is the third in scan order
    // A second call changes nothing.
    EXPECT_EQ(AVCODEC_init(), 1);
    EXPECT_EQ(std::memcmp(&t, &orvik::GetAvcodecTables(), sizeof t), 0);
}

struct Case {
    const char* stream;
    int width, height;
};

class ShimDecode : public ::testing::TestWithParam<Case> {};

TEST_P(ShimDecode, EveryPictureMatchesItsReference) {
    Shim& s = TheShim();
    ASSERT_TRUE(s.Complete());
    const Case& c = GetParam();
    std::string base = std::string(SELVANE_TEST_DATA) + "/" + c.stream;
    std::vector<uint8_t> stream = ReadFileBytes(base + ".264");
    std::vector<std::string> want = ReadFrameMd5s(base + ".framemd5");
    ASSERT_FALSE(stream.empty());
    ASSERT_FALSE(want.empty());

    AVCodecContext* ctx = s.allocContext();
    AVFrame* pic = s.allocFrame();
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(pic, nullptr);
    ASSERT_GE(s.open(ctx, nullptr), 0);  // null codec: H.264
    std::vector<std::string> got;
    for (const auto& au : SplitAccessUnits(stream)) {
        int have = -1;
        ASSERT_EQ(s.decode(ctx, pic, &have, au.data(), int(au.size())), int(au.size()));
        ASSERT_TRUE(have == 0 || have == 1);
        if (have) {
            ASSERT_EQ(pic->width, c.width);
            ASSERT_EQ(pic->height, c.height);
            got.push_back(PictureMd5(pic));
        }
    }
    for (int i = 0; i < 16; ++i) {  // drain what the decoder holds back
        int have = 0;
        ASSERT_GE(s.decode(ctx, pic, &have, nullptr, 0), 0);
        if (!have) break;
        got.push_back(PictureMd5(pic));
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(s.close(ctx), 0);
    s.free(ctx);
    s.free(pic);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ShimDecode,
                         ::testing::Values(Case{"cif_aud", 352, 288}, Case{"cif_noaud", 352, 288},
                                           Case{"d1", 704, 576}, Case{"fhd", 1920, 1080}));

TEST(ShimDecodeErrors, BadArgumentsAreRefused) {
    Shim& s = TheShim();
    ASSERT_TRUE(s.Complete());
    uint8_t b[8] = {0, 0, 0, 1, 0x09, 0x10, 0, 0};
    int have = 7;
    AVFrame* pic = s.allocFrame();
    EXPECT_LT(s.decode(nullptr, pic, &have, b, 8), 0);
    EXPECT_EQ(have, 0);
    AVCodecContext* ctx = s.allocContext();
    EXPECT_LT(s.decode(ctx, pic, &have, b, 8), 0);  // not opened yet
    ASSERT_GE(s.open(ctx, nullptr), 0);
    EXPECT_LT(s.decode(ctx, nullptr, &have, b, 8), 0);
    EXPECT_LT(s.decode(ctx, pic, nullptr, b, 8), 0);
    EXPECT_LT(s.decode(ctx, pic, &have, nullptr, 8), 0);
    EXPECT_LT(s.decode(ctx, pic, &have, b, -1), 0);
    EXPECT_LT(s.open(nullptr, nullptr), 0);
    // Garbage is consumed without a picture.
    uint8_t junk[64];
    for (int i = 0; i < 64; ++i) junk[i] = uint8_t(i * 37 + 5);
    EXPECT_GE(s.decode(ctx, pic, &have, junk, 64), 0);
    EXPECT_EQ(have, 0);
    s.close(ctx);
    s.free(ctx);
    s.free(pic);
    s.free(nullptr);
}

// ---- packer ----

// Reference UYVY packing, one pixel pair at a time.
std::vector<uint8_t> RefPack(const std::vector<uint8_t>& y, int ys, const std::vector<uint8_t>& u,
                             const std::vector<uint8_t>& v, int cs, int w, int h, int pitch) {
    std::vector<uint8_t> d(size_t(pitch) * h, 0xEE);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; x += 2) {
            uint8_t* o = &d[size_t(r) * pitch + 2 * x];
            o[0] = u[size_t(r / 2) * cs + x / 2];
            o[1] = y[size_t(r) * ys + x];
            o[2] = v[size_t(r / 2) * cs + x / 2];
            o[3] = y[size_t(r) * ys + x + 1];
        }
    return d;
}

TEST(Packer, ThirtyTwoByTwoSharesChroma) {
    ASSERT_TRUE(TheShim().Complete());
    std::vector<uint8_t> y(64), u(16), v(16);
    for (int i = 0; i < 64; ++i) y[i] = uint8_t(i);
    for (int i = 0; i < 16; ++i) u[i] = uint8_t(100 + i), v[i] = uint8_t(200 + i);
    std::vector<uint8_t> d(128, 0xEE);
    TheShim().pack(y.data(), 32, u.data(), v.data(), 16, d.data(), 32, 2, 64);
    for (int r = 0; r < 2; ++r)
        for (int x = 0; x < 32; x += 2) {
            const uint8_t* o = &d[r * 64 + 2 * x];
            ASSERT_EQ(o[0], 100 + x / 2) << r << "," << x;
            ASSERT_EQ(o[1], r * 32 + x);
            ASSERT_EQ(o[2], 200 + x / 2);
            ASSERT_EQ(o[3], r * 32 + x + 1);
        }
    EXPECT_EQ(std::memcmp(&d[0], &d[64], 0), 0);
}

struct PackCase {
    int w, h, yStride, cStride, pitch;
};

class PackerShapes : public ::testing::TestWithParam<PackCase> {};

// Padded planes (libavcodec pads a 704-wide picture's chroma rows beyond
// 352 bytes) keep their colours; widths off the 16-pixel step and odd
// heights are packed whole.
TEST_P(PackerShapes, MatchesReference) {
    const PackCase& c = GetParam();
    std::vector<uint8_t> y(size_t(c.yStride) * c.h), u(size_t(c.cStride) * ((c.h + 1) / 2)), v(u.size());
    for (size_t i = 0; i < y.size(); ++i) y[i] = uint8_t(i * 7 + 3);
    for (size_t i = 0; i < u.size(); ++i) u[i] = uint8_t(i * 13 + 1), v[i] = uint8_t(i * 5 + 77);
    std::vector<uint8_t> d(size_t(c.pitch) * c.h, 0xEE);
    ASSERT_TRUE(orvik::PackUyvy(y.data(), c.yStride, u.data(), v.data(), c.cStride, d.data(), c.w, c.h, c.pitch));
    EXPECT_EQ(d, RefPack(y, c.yStride, u, v, c.cStride, c.w, c.h, c.pitch));
    // The same through the export.
    std::vector<uint8_t> d2(d.size(), 0xEE);
    TheShim().pack(y.data(), c.yStride, u.data(), v.data(), c.cStride, d2.data(), c.w, c.h, c.pitch);
    EXPECT_EQ(d2, d);
}

INSTANTIATE_TEST_SUITE_P(Shapes, PackerShapes,
                         ::testing::Values(PackCase{32, 2, 32, 16, 64}, PackCase{704, 4, 768, 384, 1408},
                                           PackCase{352, 6, 352, 176, 800}, PackCase{18, 2, 18, 9, 36},
                                           PackCase{34, 3, 48, 24, 80}, PackCase{2, 1, 2, 1, 4}));

TEST(Packer, RefusesWhatItCannotPack) {
    std::vector<uint8_t> y(64 * 4, 1), u(64, 2), v(64, 3), d(256 * 4, 0xEE);
    const std::vector<uint8_t> untouched = d;
    struct Bad {
        int w, h, ys, cs, pitch;
    } cases[] = {{31, 2, 32, 16, 64}, {0, 2, 32, 16, 64}, {32, 0, 32, 16, 64}, {-32, 2, 32, 16, 64},
                 {32, 2, 16, 16, 64}, {32, 2, 32, 8, 64},  {32, 2, 32, 16, 32}};
    for (const Bad& b : cases) {
        EXPECT_FALSE(orvik::PackUyvy(y.data(), b.ys, u.data(), v.data(), b.cs, d.data(), b.w, b.h, b.pitch)) << b.w;
        TheShim().pack(y.data(), b.ys, u.data(), v.data(), b.cs, d.data(), b.w, b.h, b.pitch);
    }
    EXPECT_FALSE(orvik::PackUyvy(nullptr, 32, u.data(), v.data(), 16, d.data(), 32, 2, 64));
    EXPECT_FALSE(orvik::PackUyvy(y.data(), 32, nullptr, v.data(), 16, d.data(), 32, 2, 64));
    EXPECT_EQ(d, untouched);
}

}  // namespace
