// FATE-style conformance: every stream is decoded in picture-order-count
// order and every output picture's MD5 is compared with the reference list.
#include <gtest/gtest.h>
#include <fstream>
#include "annexb.h"
#include "decoder_stream.h"

namespace {

struct Stream {
    const char* name;
    const char* file;
    bool passes;  // expected to match (false: known not to yet)
};

// Every baseline conformance stream in the shared folder.
const Stream kStreams[] = {
    {"BA1_Sony_D", "BA1_Sony_D.jsv", true},
    {"BAMQ1_JVC_C", "BAMQ1_JVC_C.264", true},
    {"BASQP1_Sony_C", "BASQP1_Sony_C.jsv", true},
    {"CVPCMNL1_SVA_C", "CVPCMNL1_SVA_C.264", true},
    {"NL1_Sony_D", "NL1_Sony_D.jsv", true},
    {"NLMQ1_JVC_C", "NLMQ1_JVC_C.264", true},
    {"SVA_BA1_B", "SVA_BA1_B.264", true},
    {"SVA_NL1_B", "SVA_NL1_B.264", true},
    {"BA1_FT_C", "BA1_FT_C.264", true},
    {"BAMQ2_JVC_C", "BAMQ2_JVC_C.264", true},
    {"BANM_MW_D", "BANM_MW_D.264", true},
    {"BA_MW_D", "BA_MW_D.264", true},
    {"CI1_FT_B", "CI1_FT_B.264", true},
    {"CI_MW_D", "CI_MW_D.264", true},
    {"CVFC1_Sony_C", "CVFC1_Sony_C.jsv", true},
    {"LS_SVA_D", "LS_SVA_D.264", true},
    {"MIDR_MW_D", "MIDR_MW_D.264", true},
    {"MPS_MW_A", "MPS_MW_A.264", true},
    {"MR1_BT_A", "MR1_BT_A.h264", true},
    {"MR1_MW_A", "MR1_MW_A.264", true},
    {"MR2_MW_A", "MR2_MW_A.264", true},
    {"MR2_TANDBERG_E", "MR2_TANDBERG_E.264", true},
    {"NLMQ2_JVC_C", "NLMQ2_JVC_C.264", true},
    {"NRF_MW_E", "NRF_MW_E.264", true},
    {"SVA_BA2_D", "SVA_BA2_D.264", true},
    {"SVA_Base_B", "SVA_Base_B.264", true},
    {"SVA_CL1_E", "SVA_CL1_E.264", true},
    {"SVA_FM1_E", "SVA_FM1_E.264", true},
    {"SVA_NL2_E", "SVA_NL2_E.264", true},
};

class Conformance : public ::testing::TestWithParam<Stream> {};

TEST_P(Conformance, EveryFrameMatches) {
    const Stream& s = GetParam();
    std::string dir = std::string(SELVANE_CONFORMANCE) + "/h264/";
    std::vector<uint8_t> data = testsupport::ReadFileBytes(dir + s.file);
    std::vector<std::string> want = testsupport::ReadFrameMd5s(dir + s.name + ".framemd5");
    if (data.empty() || want.empty()) GTEST_SKIP() << "stream not present: " << s.file;
    if (!s.passes) GTEST_SKIP() << s.name << " does not decode exactly yet";
    // Both kernel sets: the one the processor selects, then the plain set.
    for (int level : {-1, 3}) {
        H264DecSetCpuLevelOverride(level);
        dectest::DecodeResult got = dectest::DecodeStream(data, H264DEC_OUTPUT_POC_ORDER, 4096);
        H264DecSetCpuLevelOverride(-1);
        ASSERT_EQ(got.md5s.size(), want.size()) << s.name << ": picture count";
        int bad = 0, firstBad = -1;
        for (size_t i = 0; i < want.size(); ++i)
            if (got.md5s[i] != want[i]) {
                ++bad;
                if (firstBad < 0) firstBad = int(i);
            }
        EXPECT_EQ(bad, 0) << s.name << " level " << level << ": first mismatching frame " << firstBad;
        EXPECT_EQ(got.damaged, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(H264, Conformance, ::testing::ValuesIn(kStreams),
                         [](const ::testing::TestParamInfo<Stream>& i) { return std::string(i.param.name); });

}  // namespace
