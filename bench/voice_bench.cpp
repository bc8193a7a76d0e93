// Voice codec and deinterlacer speed: encode and decode of 20 ms frames per
// codec type (as a multiple of real time at 8 kHz), and deinterlaced D1 and
// CIF frames per second.
//   voice_bench [seconds per measurement, default 1]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qv_deinterlace.h"
#include "qv_voice.h"

using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Voice(int type, double budget) {
    std::vector<short> pcm(160);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = short((int(i * 37) % 400 - 200) * 60);
    alignas(8) static unsigned char enc[QV_VOICE_STATE_SIZE], dec[QV_VOICE_STATE_SIZE];
    unsigned char frame[QV_VOICE_MAX_FRAME_BYTES];
    short out[QV_VOICE_MAX_DECODE_SAMPLES];
    QV_VOICE_EncReset(enc, type);
    QV_VOICE_DecReset(dec, type);
    long frames = 0;
    double encTime = 0, decTime = 0;
    const auto start = Clock::now();
    while (Seconds(start) < budget) {
        auto t0 = Clock::now();
        for (int i = 0; i < 100; ++i) QV_VOICE_EncodeFrame(enc, pcm.data(), frame, 160);
        encTime += Seconds(t0);
        int n = 0;
        t0 = Clock::now();
        for (int i = 0; i < 100; ++i) QV_VOICE_DecodeFrame(dec, frame, out, &n);
        decTime += Seconds(t0);
        frames += 100;
    }
    const double audio = frames * 0.02;  // seconds of sound coded
    std::printf("type %2d  encode %8.0fx real time  decode %8.0fx real time\n", type, audio / encTime,
                audio / decTime);
}

void Deinterlace(int width, int fieldHeight, double budget) {
    const qvDEINTERLACE_PARA_S p{width, fieldHeight, width, width / 2, width, width / 2};
    void* h = nullptr;
    if (QV_InitDeinterlace(&h, p) != 0) return;
    std::vector<unsigned char> y[2], u(size_t(width / 2 * fieldHeight / 2), 128), v = u;
    for (int f = 0; f < 2; ++f) {
        y[f].resize(size_t(width * fieldHeight));
        for (size_t i = 0; i < y[f].size(); ++i) y[f][i] = (unsigned char)((i * 7 + f * 13) & 0xFF);
    }
    std::vector<unsigned char> oy(size_t(width * fieldHeight * 2)), ou(size_t(width / 2 * fieldHeight)), ov = ou;
    const qvDEINTERLACE_FRAME_S out{oy.data(), ou.data(), ov.data()};
    long frames = 0;
    const auto start = Clock::now();
    while (Seconds(start) < budget) {
        QV_Deinterlace(h, out, y[0].data(), u.data(), v.data(), QV_PIC_FIELD_HISTORY);
        QV_Deinterlace(h, out, y[1].data(), u.data(), v.data(), QV_PIC_FIELD_OUTPUT);
        ++frames;
    }
    std::printf("deinterlace %dx%d  %8.0f frames/s\n", width, 2 * fieldHeight, frames / Seconds(start));
    QV_ReleaseDeinterlace(h);
}

}  // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 1.0;
    for (int type : {1, 2, 3, 4, 5, 6, 7, 35, 36, 37, 38, 39, 65, 66, 67, 68}) Voice(type, budget);
    Deinterlace(352, 144, budget);
    Deinterlace(704, 288, budget);
    return 0;
}
