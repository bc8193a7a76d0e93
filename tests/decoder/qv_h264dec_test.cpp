// qv_h264dec.dll: the type-1 decoder functions decode the fixtures to the
// same pictures as libavcodec, by access unit and by arbitrary byte pieces.
#include <gtest/gtest.h>
#include "annexb.h"
#include "md5.h"
#include "qv_h264dec.h"

namespace {

std::string Md5(const QV_H264DEC_PICTURE& p) {
    testsupport::Md5 md5;
    for (int y = 0; y < p.height; ++y) md5.Update(p.y + y * p.yStride, size_t(p.width));
    for (const uint8_t* plane : {p.u, p.v})
        for (int y = 0; y < p.height / 2; ++y) md5.Update(plane + y * p.cStride, size_t(p.width / 2));
    return md5.HexDigest();
}

const std::string kData = SELVANE_TEST_DATA;

TEST(QvH264Dec, AccessUnitModeGivesEveryPictureAtOnce) {
    std::vector<uint8_t> data = testsupport::ReadFileBytes(kData + "/cif_aud.264");
    std::vector<std::string> want = testsupport::ReadFrameMd5s(kData + "/cif_aud.framemd5");
    ASSERT_FALSE(data.empty());
    intptr_t dec = QV_H264DEC_Create(0, 1, 0);
    ASSERT_NE(dec, 0);
    std::vector<std::string> got;
    for (const auto& au : testsupport::SplitAccessUnits(data)) {
        QV_H264DEC_PICTURE pic{};
        int rc = QV_H264DEC_DecodeAu(dec, au.data(), int(au.size()), &pic);
        ASSERT_GE(rc, 0);
        if (rc == 1) {
            EXPECT_EQ(pic.width, 352);
            EXPECT_EQ(pic.height, 288);
            EXPECT_EQ(pic.field, 0);
            got.push_back(Md5(pic));
        }
    }
    EXPECT_EQ(got, want);
    QV_H264DEC_Release(dec);
}

TEST(QvH264Dec, NaluModeAndBadArguments) {
    std::vector<uint8_t> data = testsupport::ReadFileBytes(kData + "/cif_noaud.264");
    std::vector<std::string> want = testsupport::ReadFrameMd5s(kData + "/cif_noaud.framemd5");
    intptr_t dec = QV_H264DEC_Create(0, 0, 0);
    ASSERT_NE(dec, 0);
    QV_H264DEC_PICTURE pic{};
    EXPECT_EQ(QV_H264DEC_DecodeNalu(0, data.data(), 10, &pic), -1);
    EXPECT_EQ(QV_H264DEC_DecodeNalu(dec, nullptr, 10, &pic), -1);
    EXPECT_EQ(QV_H264DEC_DecodeAu(dec, data.data(), 0, &pic), -1);
    std::vector<std::string> got;
    // One NAL unit per call.
    std::vector<size_t> starts = testsupport::FindStartCodes(data);
    starts.push_back(data.size());
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        int n = int(starts[k + 1] - starts[k]);
        if (QV_H264DEC_DecodeNalu(dec, data.data() + starts[k], n, &pic) == 1) got.push_back(Md5(pic));
    }
    // The last picture waits for a following one; the rest match in order.
    ASSERT_GE(got.size() + 2, want.size());  // the last unit waits for a start code after it
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], want[i]) << i;
    QV_H264DEC_Release(dec);
    QV_H264DEC_Release(0);
}

}  // namespace
