#include "avcodec_shim.h"

#include <mutex>
#include <set>

#include "yuv_pack.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

namespace orvik {

const uint8_t kZigzagDirect[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

namespace {

AvcodecTables g_tables;
std::mutex g_initLock;
bool g_initDone = false;

// Contexts and pictures handed out by the shim: AV_FREE releases them with
// their own free functions (plain av_free would leak what they reference).
struct Allocations {
    std::mutex lock;
    std::set<void*> contexts, frames;
    std::set<void*> draining;  // contexts that were sent the end of stream
};
Allocations& Allocs() {
    static Allocations a;
    return a;
}

bool IsDraining(AVCodecContext* ctx) {
    std::lock_guard<std::mutex> g(Allocs().lock);
    return Allocs().draining.count(ctx) != 0;
}
void SetDraining(AVCodecContext* ctx, bool on) {
    std::lock_guard<std::mutex> g(Allocs().lock);
    if (on)
        Allocs().draining.insert(ctx);
    else
        Allocs().draining.erase(ctx);
}

}  // namespace

const AvcodecTables& GetAvcodecTables() { return g_tables; }

}  // namespace orvik

using namespace orvik;

extern "C" {

AVCodecContext* __stdcall AVCODEC_alloc_context() {
    AVCodecContext* ctx = avcodec_alloc_context3(nullptr);
    if (ctx) {
        std::lock_guard<std::mutex> g(Allocs().lock);
        Allocs().contexts.insert(ctx);
    }
    return ctx;
}

AVFrame* __stdcall AVCODEC_alloc_frame() {
    AVFrame* f = av_frame_alloc();
    if (f) {
        std::lock_guard<std::mutex> g(Allocs().lock);
        Allocs().frames.insert(f);
    }
    return f;
}

int __stdcall AVCODEC_open(AVCodecContext* ctx, const AVCodec* codec) {
    if (!ctx) return AVERROR(EINVAL);
    if (!codec) codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (!codec) return AVERROR_DECODER_NOT_FOUND;
    if (ctx->thread_count == 0) ctx->thread_count = 1;  // one picture out per unit in
    return avcodec_open2(ctx, codec, nullptr);
}

int __stdcall AVCODEC_decode_video(AVCodecContext* ctx, AVFrame* picture, int* got, const uint8_t* data,
                                   int length) {
    if (got) *got = 0;
    if (!ctx || !picture || !got || length < 0 || (length > 0 && !data) || !avcodec_is_open(ctx))
        return AVERROR(EINVAL);
    AVPacket* pkt = av_packet_alloc();
    if (!pkt) return AVERROR(ENOMEM);
    int r;
    if (length == 0) {
        r = IsDraining(ctx) ? 0 : avcodec_send_packet(ctx, nullptr);
        SetDraining(ctx, true);
    } else {
        if (IsDraining(ctx)) {
            avcodec_flush_buffers(ctx);
            SetDraining(ctx, false);
        }
        pkt->data = const_cast<uint8_t*>(data);
        pkt->size = length;
        r = avcodec_send_packet(ctx, pkt);
        if (r == AVERROR(EAGAIN)) {
            // A picture is waiting: hand it out, then the unit goes in.
            if (avcodec_receive_frame(ctx, picture) == 0) *got = 1;
            r = avcodec_send_packet(ctx, pkt);
            av_packet_free(&pkt);
            if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_INVALIDDATA) return r;
            return length;
        }
    }
    av_packet_free(&pkt);
    if (r < 0 && r != AVERROR_INVALIDDATA && r != AVERROR_EOF) return r;
    if (avcodec_receive_frame(ctx, picture) == 0) *got = 1;
    return length;
}

int __stdcall AVCODEC_close(AVCodecContext* ctx) {
    if (!ctx) return AVERROR(EINVAL);
    SetDraining(ctx, false);
    return avcodec_close(ctx);
}

void __stdcall AV_FREE(void* p) {
    if (!p) return;
    bool ctx = false, frame = false;
    {
        std::lock_guard<std::mutex> g(Allocs().lock);
        ctx = Allocs().contexts.erase(p) != 0;
        frame = !ctx && Allocs().frames.erase(p) != 0;
        Allocs().draining.erase(p);
    }
    if (ctx) {
        auto* c = static_cast<AVCodecContext*>(p);
        avcodec_free_context(&c);
    } else if (frame) {
        auto* f = static_cast<AVFrame*>(p);
        av_frame_free(&f);
    } else {
        av_free(p);
    }
}

int __stdcall AVCODEC_init() {
    std::lock_guard<std::mutex> g(g_initLock);
    if (g_initDone) return 1;
    g_initDone = true;
    AvcodecTables& t = g_tables;
    const int neg = AvcodecTables::kMaxNegCrop;
    for (int i = 0; i < 256; ++i) t.crop[neg + i] = uint8_t(i);
    for (int i = 0; i < neg; ++i) {
        t.crop[i] = 0;
        t.crop[neg + 256 + i] = 255;
    }
    for (int i = 0; i < 512; ++i) t.squares[i] = uint32_t((i - 256) * (i - 256));
    for (int j = 0; j < 64; ++j) t.invZigzag[kZigzagDirect[j]] = uint16_t(j + 1);
    return 64;
}

void __stdcall yuvtoyuv422_ffplay(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v,
                                  int cStride, uint8_t* dst, int width, int height, int pitch) {
    PackUyvy(y, yStride, u, v, cStride, dst, width, height, pitch);
}
}
