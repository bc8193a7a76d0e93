// The cross-built libavcodec, reached through ffmpeg_api.dll, decodes the
// fixture streams to the reference pictures.
#include <gtest/gtest.h>

#include "annexb.h"
#include "ffmpeg_api.h"
#include "md5.h"

using namespace testsupport;

namespace {

struct Case {
    const char* stream;
    int width, height, frames;
};

class FfmpegApiDecode : public ::testing::TestWithParam<Case> {};

TEST_P(FfmpegApiDecode, EveryPictureMatchesItsReference) {
    const Case& c = GetParam();
    std::string base = std::string(SELVANE_TEST_DATA) + "/" + c.stream;
    std::vector<uint8_t> stream = ReadFileBytes(base + ".264");
    std::vector<std::string> want = ReadFrameMd5s(base + ".framemd5");
    ASSERT_FALSE(stream.empty());
    ASSERT_EQ(int(want.size()), c.frames);

    intptr_t h = ffmpeg_h264_init();
    ASSERT_NE(h, 0);
    std::vector<std::string> got;
    auto take = [&](const FfmpegPicture& pic) {
        ASSERT_EQ(pic.width, c.width);
        ASSERT_EQ(pic.height, c.height);
        size_t size = size_t(pic.width) * pic.height * 3 / 2;
        ASSERT_EQ(pic.u, pic.y + pic.width * pic.height);
        got.push_back(Md5Hex(pic.y, size));
    };
    for (const auto& au : SplitAccessUnits(stream)) {
        int have = 0;
        FfmpegPicture pic{};
        ASSERT_EQ(ffmpeg_h264_decode(h, au.data(), int(au.size()), &have, &pic), int(au.size()));
        if (have) take(pic);
    }
    for (int i = 0; i < 16; ++i) {
        int have = 0;
        FfmpegPicture pic{};
        ffmpeg_h264_decode(h, nullptr, 0, &have, &pic);
        if (!have) break;
        take(pic);
    }
    ffmpeg_h264_Release(h);
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FfmpegApiDecode,
                         ::testing::Values(Case{"cif_aud", 352, 288, 50}, Case{"cif_noaud", 352, 288, 50},
                                           Case{"d1", 704, 576, 25},
                                           Case{"fhd", 1920, 1080, 3}));

TEST(FfmpegApi, RejectsBadArguments) {
    int have = 1;
    uint8_t b[4] = {0, 0, 0, 1};
    EXPECT_EQ(ffmpeg_h264_decode(0, b, 4, &have, nullptr), -1);
    EXPECT_EQ(have, 0);
    intptr_t h = ffmpeg_h264_init();
    ASSERT_NE(h, 0);
    EXPECT_EQ(ffmpeg_h264_decode(h, nullptr, 4, &have, nullptr), -1);
    EXPECT_EQ(ffmpeg_h264_decode(h, b, -1, &have, nullptr), -1);
    ffmpeg_h264_Release(h);
    ffmpeg_h264_Release(0);
}

}  // namespace
