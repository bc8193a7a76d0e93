// Single-thread decode speed of the player's H.264 engine (SIMD kernel set
// and plain set) against libavcodec through ffmpeg_api, in one run.
//   h264dec_bench [stream.264 ...]   (default: the 352x288 and 704x576 fixtures)
// Streams at camera bitrates (352x288 512 kbit/s, 704x576 1.8 Mbit/s,
// 1280x720 4 Mbit/s; several megabytes, so made on demand):
//   bench/make-streams /tmp/h264bench
//   scripts/wine-run build/win32/bin/h264dec_bench.exe /tmp/h264bench/cam_*.264
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>
#include "annexb.h"
#include "ffmpeg_api.h"
#include "h264dec.h"

namespace {

using Clock = std::chrono::steady_clock;

// One pass over the stream with a decoder made once (as the player does),
// flushed at the end of every pass.
int DecodeEngine(H264DecContext* dec, const std::vector<uint8_t>& data) {
    if (!dec) return 0;
    H264DecPicture pic;
    int frames = 0;
    int rc = H264DecDecodeFrame(dec, data.data(), uint32_t(data.size()), 0, 0, &pic, 0);
    while (rc == 0) {
        ++frames;
        rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
    }
    while (H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 1) == 0) ++frames;
    return frames;
}

int DecodeLibavcodec(const std::vector<std::vector<uint8_t>>& units) {
    intptr_t h = ffmpeg_h264_init();
    if (!h) return 0;
    int frames = 0;
    FfmpegPicture pic;
    for (const auto& u : units) {
        int pos = 0;
        while (pos < int(u.size())) {
            int got = 0;
            int used = ffmpeg_h264_decode(h, u.data() + pos, int(u.size()) - pos, &got, &pic);
            if (got) ++frames;
            if (used <= 0) break;
            pos += used;
        }
    }
    for (int i = 0; i < 64; ++i) {
        int got = 0;
        ffmpeg_h264_decode(h, nullptr, 0, &got, &pic);
        if (!got) break;
        ++frames;
    }
    ffmpeg_h264_Release(h);
    return frames;
}

template <typename F>
double FramesPerSecond(F decode) {
    int frames = 0;
    auto start = Clock::now();
    double secs = 0;
    do {
        frames += decode();
        secs = std::chrono::duration<double>(Clock::now() - start).count();
    } while (secs < 3.0);
    return frames / secs;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) files.push_back(argv[i]);
    if (files.empty()) files = {SELVANE_TEST_DATA "/cif_aud.264", SELVANE_TEST_DATA "/d1.264"};
    std::printf("%-40s %12s %12s %12s %8s %8s\n", "stream", "engine SIMD", "engine plain", "libavcodec", "SIMD/av", "SIMD/plain");
    for (const std::string& f : files) {
        std::vector<uint8_t> data = testsupport::ReadFileBytes(f);
        if (data.empty()) {
            std::printf("%s: cannot read\n", f.c_str());
            continue;
        }
        auto units = testsupport::SplitAccessUnits(data);
        H264DecParams params{0, 0, 100, 75, 4, 0};
        H264DecContext* simdDec = H264DecCreate(&params);
        H264DecSetCpuLevelOverride(3);
        H264DecContext* plainDec = H264DecCreate(&params);
        H264DecSetCpuLevelOverride(-1);
        double simd = FramesPerSecond([&] { return DecodeEngine(simdDec, data); });
        double plain = FramesPerSecond([&] { return DecodeEngine(plainDec, data); });
        H264DecRelease(simdDec);
        H264DecRelease(plainDec);
        double av = FramesPerSecond([&] { return DecodeLibavcodec(units); });
        std::string name = f.substr(f.find_last_of('/') + 1);
        std::printf("%-40s %12.1f %12.1f %12.1f %8.2f %8.2f\n", name.c_str(), simd, plain, av, simd / av, simd / plain);
    }
    return 0;
}
