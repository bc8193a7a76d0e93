// x264 streams against libavcodec's per-frame MD5s: every partition shape with
// up to sixteen references, several slices per picture, the whole range of
// deblocking offsets, explicit weighted prediction, cropped sizes and long
// runs without IDR in which frame_num wraps. Each
// stream is decoded with both kernel sets and in both output modes, by a
// decoder created with exactly the stream's number of reference frames.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <utility>
#include "annexb.h"
#include "decoder_stream.h"
#include "h264_internal.h"

namespace {

struct Fixture {
    const char* name;
    uint32_t refFrames;  // num_ref_frames of the stream
    int width, height;   // after cropping
    int cropRight, cropBottom;
    bool severalSlices;  // some picture has more than one slice
    bool weighted;       // explicit weighted prediction
    int alpha, beta;     // slice_alpha_c0_offset_div2, slice_beta_offset_div2
};

const Fixture kFixtures[] = {
    {"mv_ref1", 1, 176, 144, 0, 0, false, false, -6, -6},
    {"mv_ref2_slices4", 2, 176, 144, 0, 0, true, false, -3, 2},
    {"mv_ref3_maxmbs33", 3, 352, 288, 0, 0, true, false, 0, 0},
    {"mv_ref4", 4, 176, 144, 0, 0, false, false, 3, -2},
    {"mv_ref4_slices4", 4, 176, 144, 0, 0, true, false, 6, 6},
    {"wp_ref3", 3, 176, 144, 0, 0, false, true, 0, 0},
    {"wp_ref1_maxmbs33", 1, 176, 144, 0, 0, true, true, -2, 4},
    {"crop_360x240", 2, 360, 240, 8, 0, true, false, 6, -6},
    {"crop_202x118", 3, 202, 118, 6, 10, false, false, -6, 6},
    {"crop_24x18", 2, 24, 18, 8, 14, false, false, 1, -1},
    {"wrap_ref4_32x32", 4, 32, 32, 0, 0, false, false, 0, 0},
    {"wrap_ref16_48x34", 16, 48, 34, 0, 14, false, false, 0, 0},
    // The decoder fuzz target's seeds: a few macroblocks, 768 bytes or less.
    {"small_intra_48x48", 0, 48, 48, 0, 0, false, false, 2, -3},
    {"small_ref3_48x48", 3, 48, 48, 0, 0, false, false, -1, 1},
    {"small_slices_40x40", 2, 40, 40, 8, 8, true, false, 4, -4},
    {"small_wp_32x32", 2, 32, 32, 0, 0, false, true, -4, 3},
    {"small_refresh_64x48", 1, 64, 48, 0, 0, false, false, -5, 5},
    {"small_ref16_32x32", 16, 32, 32, 0, 0, false, false, 0, 0},
    {"small_pcm_ltr_32x32", 4, 32, 32, 0, 0, false, false, 0, 0},
};

std::string DataPath(const std::string& file) { return std::string(SELVANE_TEST_DATA) + "/" + file; }

// What the slice headers of a stream carried, gathered while decoding it
// one NAL unit at a time (so every slice header passes through the context).
struct Seen {
    std::vector<std::string> md5s;
    int damaged = 0;
    int width = 0, height = 0, cropRight = -1, cropBottom = -1;
    bool severalSlices = false, weighted = false;
    std::set<std::pair<int, int>> offsets;
};

Seen DecodeByNal(const std::vector<uint8_t>& data, uint32_t refFrames) {
    Seen s;
    H264DecParams params{0, 0, 120, 68, refFrames, H264DEC_OUTPUT_POC_ORDER};
    H264DecContext* dec = H264DecCreate(&params);
    if (!dec) return s;
    std::vector<size_t> starts = testsupport::FindStartCodes(data);
    starts.push_back(data.size());
    H264DecPicture pic{};
    auto take = [&](const H264DecPicture& p) {
        s.md5s.push_back(dectest::PictureMd5(p));
        s.damaged += p.damaged ? 1 : 0;
        s.width = p.width - p.cropLeft - p.cropRight;
        s.height = p.height - p.cropTop - p.cropBottom;
        s.cropRight = p.cropRight;
        s.cropBottom = p.cropBottom;
    };
    auto look = [&] {
        const H264SliceHeader& sh = dec->sh;
        if (sh.sizeMbs == 0) return;  // no slice yet
        if (sh.firstMb > 0) s.severalSlices = true;
        if (sh.weightMode == 1) s.weighted = true;
        s.offsets.insert({sh.alphaOffsetDiv2, sh.betaOffsetDiv2});
    };
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        int rc = H264DecDecodeFrame(dec, data.data() + starts[i], uint32_t(starts[i + 1] - starts[i]), 0, 0, &pic, 0);
        look();
        while (rc == 0) {
            take(pic);
            rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
        }
    }
    for (int guard = 0; guard < 1000 && H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, H264DEC_FLUSH) == 0; ++guard) {
        look();
        take(pic);
    }
    H264DecRelease(dec);
    return s;
}

class X264Streams : public ::testing::TestWithParam<Fixture> {};

TEST_P(X264Streams, EveryPictureMatchesLibavcodec) {
    const Fixture& f = GetParam();
    std::vector<uint8_t> data = testsupport::ReadFileBytes(DataPath(std::string(f.name) + ".264"));
    std::vector<std::string> want = testsupport::ReadFrameMd5s(DataPath(std::string(f.name) + ".framemd5"));
    ASSERT_FALSE(data.empty()) << f.name;
    ASSERT_FALSE(want.empty()) << f.name;
    for (int level : {-1, 3}) {  // the kernel set the processor selects, then the plain set
        for (uint32_t mode : {uint32_t(H264DEC_OUTPUT_POC_ORDER), 0u}) {
            H264DecSetCpuLevelOverride(level);
            dectest::DecodeResult got = dectest::DecodeStream(data, mode, 4096, f.refFrames);
            H264DecSetCpuLevelOverride(-1);
            ASSERT_EQ(got.md5s.size(), want.size()) << f.name << " level " << level << " mode " << mode;
            int bad = 0, firstBad = -1;
            for (size_t i = 0; i < want.size(); ++i)
                if (got.md5s[i] != want[i]) {
                    if (firstBad < 0) firstBad = int(i);
                    ++bad;
                }
            EXPECT_EQ(bad, 0) << f.name << " level " << level << " mode " << mode << ": first bad picture "
                              << firstBad;
            EXPECT_EQ(got.damaged, 0) << f.name;
        }
    }
}

// The streams carry what their names promise (a re-encode with another
// x264 must not quietly drop weights, slices or offsets), and a decoder with
// one reference frame fewer than the stream needs refuses it instead of
// decoding it wrongly.
TEST_P(X264Streams, CarriesWhatItCovers) {
    const Fixture& f = GetParam();
    std::vector<uint8_t> data = testsupport::ReadFileBytes(DataPath(std::string(f.name) + ".264"));
    std::vector<std::string> want = testsupport::ReadFrameMd5s(DataPath(std::string(f.name) + ".framemd5"));
    ASSERT_FALSE(data.empty()) << f.name;
    Seen s = DecodeByNal(data, f.refFrames);
    EXPECT_EQ(s.md5s, want) << f.name << " fed one NAL unit at a time";
    EXPECT_EQ(s.damaged, 0);
    EXPECT_EQ(s.width, f.width);
    EXPECT_EQ(s.height, f.height);
    EXPECT_EQ(s.cropRight, f.cropRight);
    EXPECT_EQ(s.cropBottom, f.cropBottom);
    EXPECT_EQ(s.severalSlices, f.severalSlices);
    EXPECT_EQ(s.weighted, f.weighted);
    std::set<std::pair<int, int>> offsets = {{f.alpha, f.beta}};
    EXPECT_EQ(s.offsets, offsets);
    if (f.refFrames > 1) {
        dectest::DecodeResult fewer = dectest::DecodeStream(data, H264DEC_OUTPUT_POC_ORDER, 0, f.refFrames - 1);
        EXPECT_TRUE(fewer.md5s.empty()) << f.name << " decoded with " << f.refFrames - 1 << " reference frames";
    }
}

INSTANTIATE_TEST_SUITE_P(Decoder, X264Streams, ::testing::ValuesIn(kFixtures),
                         [](const ::testing::TestParamInfo<Fixture>& i) { return std::string(i.param.name); });

}  // namespace
