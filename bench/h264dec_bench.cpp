// Single-thread decode speed of the player's H.264 engine (SIMD kernel set
// and plain set) against libavcodec, in one run: rounds of about a second
// each, the three decoders alternating, medians printed.
//   h264dec_bench [-r ROUNDS] [-c] [stream.264 ...]
//     (default: the 352x288 and 704x576 fixtures, 5 rounds; -c first checks
//     every picture of both kernel sets against the stream's .framemd5 list;
//     -s runs the SIMD set alone, for a profiler)
// The target build reaches libavcodec through ffmpeg_api (which copies every
// picture out); the native build (-DSELVANE_NATIVE=ON, with the system's
// libavcodec development files) calls libavcodec itself with one thread and
// takes its pictures in place, as the engine hands out its own.
// Streams at camera bitrates (352x288 512 kbit/s, 704x576 1.8 Mbit/s,
// 1280x720 4 Mbit/s, 1920x1080 8 Mbit/s in 6 slices; several megabytes, so
// made on demand):
//   bench/make-streams /tmp/h264bench
//   build/native/bin/h264dec_bench /tmp/h264bench/cam_*.264
//   scripts/wine-run build/win32/bin/h264dec_bench.exe /tmp/h264bench/cam_*.264
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "annexb.h"
#include "decoder_stream.h"
#include "h264dec.h"
#ifdef SELVANE_BENCH_SYSTEM_LIBAVCODEC
extern "C" {
#include <libavcodec/avcodec.h>
}
#else
#include "ffmpeg_api.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// One pass over the stream with a decoder made for the pass (as a player
// opening the stream does, and as libavcodec's below), so that the start-up
// weighs in short clips; cpuLevel 3 takes the plain set, -1 the best.
int DecodeEngine(int cpuLevel, const std::vector<uint8_t>& data) {
    const H264DecParams params{0, 0, 128, 75, 4, 0};
    H264DecSetCpuLevelOverride(cpuLevel);
    H264DecContext* dec = H264DecCreate(&params);
    H264DecSetCpuLevelOverride(-1);
    if (!dec) return 0;
    H264DecPicture pic;
    int frames = 0;
    int rc = H264DecDecodeFrame(dec, data.data(), uint32_t(data.size()), 0, 0, &pic, 0);
    while (rc == 0) {
        ++frames;
        rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
    }
    while (H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 1) == 0) ++frames;
    H264DecRelease(dec);
    return frames;
}

#ifdef SELVANE_BENCH_SYSTEM_LIBAVCODEC
// One pass with a decoder opened for the pass, one thread, pictures taken
// in place and dropped.
int DecodeLibavcodec(const std::vector<std::vector<uint8_t>>& units) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    int frames = 0;
    if (ctx && frame && packet) {
        ctx->thread_count = 1;
        ctx->thread_type = 0;
        if (avcodec_open2(ctx, codec, nullptr) == 0) {
            auto drain = [&] {
                while (avcodec_receive_frame(ctx, frame) == 0) {
                    ++frames;
                    av_frame_unref(frame);
                }
            };
            for (const auto& u : units) {
                packet->data = const_cast<uint8_t*>(u.data());
                packet->size = int(u.size());
                while (avcodec_send_packet(ctx, packet) == AVERROR(EAGAIN)) drain();
                drain();
            }
            avcodec_send_packet(ctx, nullptr);
            drain();
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return frames;
}
#else
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
#endif

// Frames per second of whole passes over at least `seconds`.
template <typename F>
double FramesPerSecond(F decode, double seconds) {
    int frames = 0;
    auto start = Clock::now();
    double secs = 0;
    do {
        frames += decode();
        secs = std::chrono::duration<double>(Clock::now() - start).count();
    } while (secs < seconds);
    return frames / secs;
}

// Both kernel sets' pictures against the framemd5 list beside the stream.
bool CheckStream(const std::string& file, const std::vector<uint8_t>& data) {
    std::string list = file.substr(0, file.rfind('.')) + ".framemd5";
    std::vector<std::string> want = testsupport::ReadFrameMd5s(list);
    if (want.empty()) {
        std::printf("%s: no %s to check against\n", file.c_str(), list.c_str());
        return false;
    }
    bool ok = true;
    for (int level : {-1, 3}) {
        H264DecSetCpuLevelOverride(level);
        dectest::DecodeResult got = dectest::DecodeStream(data, 0, 0, 4);
        H264DecSetCpuLevelOverride(-1);
        size_t same = 0;
        while (same < got.md5s.size() && same < want.size() && got.md5s[same] == want[same]) ++same;
        bool exact = same == want.size() && got.md5s.size() == want.size() && got.damaged == 0;
        std::printf("%s: %s set %s (%zu of %zu pictures match, %d damaged)\n", file.c_str(),
                    level < 0 ? "SIMD" : "plain", exact ? "bit-exact" : "DIFFERS", same, want.size(), got.damaged);
        ok = ok && exact;
    }
    return ok;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    int rounds = 5;
    bool check = false, simdOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-c") == 0)
            check = true;
        else if (std::strcmp(argv[i], "-s") == 0)
            simdOnly = true;
        else if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) files = {SELVANE_TEST_DATA "/cif_aud.264", SELVANE_TEST_DATA "/d1.264"};
    if (check) {
        bool ok = true;
        for (const std::string& f : files) ok = CheckStream(f, testsupport::ReadFileBytes(f)) && ok;
        if (!ok) return 1;
    }
    std::printf("medians of %d rounds, the decoders alternating\n", rounds);
    std::printf("%-24s %12s %12s %12s %8s %8s\n", "stream", "engine SIMD", "engine plain", "libavcodec", "SIMD/av",
                "SIMD/plain");
    for (const std::string& f : files) {
        std::vector<uint8_t> data = testsupport::ReadFileBytes(f);
        if (data.empty()) {
            std::printf("%s: cannot read\n", f.c_str());
            continue;
        }
        auto units = testsupport::SplitAccessUnits(data);
        std::vector<double> simd, plain, av;
        for (int r = 0; r < rounds; ++r) {
            simd.push_back(FramesPerSecond([&] { return DecodeEngine(-1, data); }, 1.0));
            if (simdOnly) continue;
            av.push_back(FramesPerSecond([&] { return DecodeLibavcodec(units); }, 1.0));
            plain.push_back(FramesPerSecond([&] { return DecodeEngine(3, data); }, 1.0));
        }
        double s = Median(simd), p = Median(plain), a = Median(av);
        std::string name = f.substr(f.find_last_of('/') + 1);
        std::printf("%-24s %12.1f %12.1f %12.1f %8.2f %8.2f\n", name.c_str(), s, p, a, s / a, s / p);
        std::fflush(stdout);
    }
    return 0;
}
