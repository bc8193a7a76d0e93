// Snapshot conversion and BMP files, checked against the conversion
// computed here independently; snapshots of decoded pictures of every
// fixture size; and the picture pacing of decoder types 1 and 2.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "annexb.h"
#include "ffmpeg_api.h"
#include "media/cvt_yuv2bmp.h"
#include "media/frame_pacer.h"
#include "media/video_dec_draw.h"

using namespace testsupport;
using orvik::CCvtYuv2BMP;

namespace {

int Clamp(int x) { return x < 0 ? 0 : x > 255 ? 255 : x; }

// The conversion, written out from its definition.
void RefPixel(int y, int u, int v, int& r, int& g, int& b) {
    r = Clamp((11644 * y + 15938 * v - 2221300) / 10000);
    b = Clamp((11644 * y + 20238 * u - 2771300) / 10000);
    g = Clamp((19837 * y - 311710 - 5094 * r - 1942 * b) / 10000);
}

// A whole BMP file of an I420 picture: headers, bottom-up rows padded to 4.
std::vector<uint8_t> RefBmp(const uint8_t* i420, int w, int h) {
    const uint8_t *Y = i420, *U = Y + w * h, *V = U + (w / 2) * (h / 2);
    int row = (w * 3 + 3) / 4 * 4;
    uint32_t size = 54 + uint32_t(row) * h;
    std::vector<uint8_t> f(size, 0);
    auto le = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    le(2, size, 4);
    le(10, 54, 4);
    le(14, 40, 4);
    le(18, uint32_t(w), 4);
    le(22, uint32_t(h), 4);
    le(26, 1, 2);
    le(28, 24, 2);
    le(34, uint32_t(row) * h, 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int r, g, b;
            RefPixel(Y[y * w + x], U[(y / 2) * (w / 2) + x / 2], V[(y / 2) * (w / 2) + x / 2], r, g, b);
            size_t at = 54 + size_t(h - 1 - y) * row + size_t(x) * 3;
            f[at] = uint8_t(b), f[at + 1] = uint8_t(g), f[at + 2] = uint8_t(r);
        }
    return f;
}

std::string TempPath(const char* name) {
    char dir[260];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

std::vector<uint8_t> Synthetic(int w, int h) {
    std::vector<uint8_t> p(size_t(w) * h * 3 / 2);
    for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t((i * 2654435761u) >> 13);
    return p;
}

TEST(BmpHeader, ExactBytes) {
    CCvtYuv2BMP c(720, 576);
    const uint8_t want[54] = {'B', 'M', 0x36, 0xFC, 0x12, 0x00, 0, 0, 0, 0, 54, 0, 0, 0,
                              40, 0, 0, 0, 0xD0, 0x02, 0, 0, 0x40, 0x02, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                              0x00, 0xFC, 0x12, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(c.BmpHeader(), std::vector<uint8_t>(want, want + 54));
    EXPECT_EQ(c.FileSize(), 1244214u);  // 54 + 720 x 576 x 3
}

struct SizeCase {
    int w, h;
};
class BmpFile : public ::testing::TestWithParam<SizeCase> {};

// Small pictures show row order and padding (6 and 10 pixels wide need
// padding; 4 and 16 do not); 2560 x 1440 is beyond the old 10 MiB buffer.
TEST_P(BmpFile, MatchesIndependentConversion) {
    const SizeCase c = GetParam();
    std::vector<uint8_t> pic = Synthetic(c.w, c.h);
    CCvtYuv2BMP cvt(c.w, c.h);
    std::vector<uint8_t> rgb(cvt.ImageSize(), 0xCC);
    ASSERT_EQ(cvt.YuvToRgb(pic.data(), rgb.data()), 1);
    std::string path = TempPath("orvik_bmp_test.bmp");
    ASSERT_EQ(cvt.WriteBmp(path.c_str(), rgb.data(), 24), 1);
    std::vector<uint8_t> file = ReadFileBytes(path);
    std::remove(path.c_str());
    std::vector<uint8_t> want = RefBmp(pic.data(), c.w, c.h);
    ASSERT_EQ(file.size(), want.size());
    EXPECT_TRUE(file == want);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpFile,
                         ::testing::Values(SizeCase{4, 2}, SizeCase{6, 4}, SizeCase{10, 2}, SizeCase{16, 16},
                                           SizeCase{704, 6}, SizeCase{2560, 1440}));

TEST(BmpFile, RowZeroIsLastAndColoursLand) {
    // 2 x 2: top row white-ish (Y 235), bottom row black (Y 16), grey chroma.
    const uint8_t pic[6] = {235, 235, 16, 16, 128, 128};
    CCvtYuv2BMP cvt(2, 2);
    ASSERT_EQ(cvt.RowBytes(), 8u);
    std::vector<uint8_t> rgb(cvt.ImageSize(), 0xCC);
    ASSERT_EQ(cvt.YuvToRgb(pic, rgb.data()), 1);
    // File row 0 is the picture's bottom row.
    for (int i = 0; i < 6; ++i) EXPECT_LE(rgb[i], 1) << i;
    for (int i = 8; i < 14; ++i) EXPECT_GE(rgb[i], 254) << i;
    for (int i : {6, 7, 14, 15}) EXPECT_EQ(rgb[i], 0) << "padding " << i;
}

TEST(BmpFile, RefusalsAndFailures) {
    std::vector<uint8_t> pic = Synthetic(16, 16), rgb(16 * 16 * 3);
    std::string path = TempPath("orvik_bmp_refused.bmp");
    std::remove(path.c_str());
    CCvtYuv2BMP ok(16, 16);
    for (int bits : {8, 16, 32, 0}) EXPECT_EQ(ok.WriteBmp(path.c_str(), rgb.data(), bits), 0) << bits;
    EXPECT_TRUE(ReadFileBytes(path).empty());  // nothing written
    EXPECT_EQ(ok.WriteBmp("Z:\\no\\such\\folder\\x.bmp", rgb.data(), 24), 0);
    EXPECT_EQ(ok.WriteBmp(nullptr, rgb.data(), 24), 0);
    EXPECT_EQ(ok.YuvToRgb(nullptr, rgb.data()), 0);
    for (SizeCase bad : {SizeCase{15, 16}, SizeCase{16, 15}, SizeCase{0, 16}, SizeCase{16, -2}}) {
        CCvtYuv2BMP c(bad.w, bad.h);
        EXPECT_EQ(c.YuvToRgb(pic.data(), rgb.data()), 0) << bad.w << "x" << bad.h;
    }
}

TEST(Rgb565, MatchesTheSnapshotConversion) {
    std::vector<uint8_t> pic = Synthetic(8, 4);
    std::vector<uint8_t> out(8 * 2 * 4 + 8, 0xEE);
    ASSERT_TRUE(orvik::YuvToRgb565(pic.data(), 8, pic.data() + 32, pic.data() + 40, 4, out.data(), 8, 4, 18));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int r, g, b;
            RefPixel(pic[y * 8 + x], pic[32 + (y / 2) * 4 + x / 2], pic[40 + (y / 2) * 4 + x / 2], r, g, b);
            int v = out[y * 18 + 2 * x] | out[y * 18 + 2 * x + 1] << 8;
            ASSERT_EQ(v, (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)) << x << "," << y;
        }
    EXPECT_FALSE(orvik::YuvToRgb565(pic.data(), 8, pic.data() + 32, pic.data() + 40, 4, out.data(), 7, 4, 18));
}

// ---- snapshots of decoded pictures ----

struct ShotCase {
    const char* stream;
    int width, height;
    size_t fileSize;
};
class Snapshot : public ::testing::TestWithParam<ShotCase> {};

// Through the play handle's decoder (type 3), with no window to draw in:
// the drawing fails quietly and the snapshot is still written, from the
// picture of the unit during which it was requested.
TEST_P(Snapshot, DecodedPictureBecomesTheBmp) {
    const ShotCase c = GetParam();
    std::vector<uint8_t> s = ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + c.stream + ".264");
    std::vector<std::vector<uint8_t>> units = SplitAccessUnits(s);
    const size_t at = units.size() > 2 ? 2 : units.size() - 1;
    std::string path = TempPath("orvik_snapshot.bmp");
    std::remove(path.c_str());

    orvik::CVideoDecDrawH264 dd;
    ASSERT_EQ(dd.InitDecoder(nullptr), 0);
    intptr_t ref = ffmpeg_h264_init();
    std::vector<uint8_t> expected;
    for (size_t i = 0; i <= at; ++i) {
        if (i == at) dd.RequestSnapshot(path.c_str());
        dd.DecDrawFfmpegApi(units[i].data(), int(units[i].size()));
        int got = 0;
        FfmpegPicture p{};
        ffmpeg_h264_decode(ref, units[i].data(), int(units[i].size()), &got, &p);
        if (got && i == at) {
            ASSERT_EQ(p.width, c.width);
            ASSERT_EQ(p.height, c.height);
            expected = RefBmp(p.y, p.width, p.height);
        }
    }
    ffmpeg_h264_Release(ref);
    EXPECT_FALSE(dd.SnapshotPending());
    std::vector<uint8_t> file = ReadFileBytes(path);
    std::remove(path.c_str());
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_TRUE(file == expected);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Snapshot,
                         ::testing::Values(ShotCase{"cif_aud", 352, 288, 304182}, ShotCase{"d1", 704, 576, 1216566},
                                           ShotCase{"fhd", 1920, 1080, 6220854}));

TEST(Snapshot, UnwritablePathDropsTheRequest) {
    std::vector<uint8_t> s = ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_noaud.264");
    std::vector<std::vector<uint8_t>> units = SplitAccessUnits(s);
    orvik::CVideoDecDrawH264 dd;
    ASSERT_EQ(dd.InitDecoder(nullptr), 0);
    dd.RequestSnapshot("Z:\\no\\such\\folder\\shot.bmp");
    dd.DecDrawFfmpegApi(units[0].data(), int(units[0].size()));
    EXPECT_FALSE(dd.SnapshotPending());
    dd.RequestSnapshot(nullptr);  // an empty path: cannot be created either
    dd.DecDrawFfmpegApi(units[1].data(), int(units[1].size()));
    EXPECT_FALSE(dd.SnapshotPending());
}

// ---- pacing ----

struct PaceCase {
    int stepMs;  // between pictures
    int pictures;
    int wantInterval;
};
class Pacing : public ::testing::TestWithParam<PaceCase> {};

// Each time more than 1,000 ms have gathered the count is judged: above 26
// pictures lengthens the interval by 1 ms, below shortens it, never below 0.
// 33 ms steps close a second after 31 pictures, 50 ms steps after 21, 39 ms
// steps after exactly 26 (27 in the first second, which also counts the
// picture that started the clock).
TEST_P(Pacing, IntervalFollowsTheRate) {
    const PaceCase c = GetParam();
    orvik::FramePacer p;
    uint32_t now = 0xFFFFF000u;  // across the tick counter's wrap
    p.Account(now);              // the first picture only starts the clock
    for (int i = 1; i <= c.pictures; ++i) p.Account(now + uint32_t(i * c.stepMs));
    EXPECT_EQ(p.interval, c.wantInterval);
}

INSTANTIATE_TEST_SUITE_P(Rates, Pacing,
                         ::testing::Values(PaceCase{33, 30, 38}, PaceCase{33, 31, 39}, PaceCase{33, 155, 43},
                                           PaceCase{39, 260, 39}, PaceCase{50, 21, 37}, PaceCase{50, 210, 28},
                                           PaceCase{50, 21 * 45, 0}));

TEST(Pacing, SleepsTheRestOfTheInterval) {
    orvik::FramePacer p;
    EXPECT_EQ(p.SleepBefore(5000), 0);  // nothing shown yet
    p.Account(5000);
    EXPECT_EQ(p.SleepBefore(5010), 28);
    EXPECT_EQ(p.SleepBefore(5038), 0);
    EXPECT_EQ(p.SleepBefore(5100), 0);
}

}  // namespace
