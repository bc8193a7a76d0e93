#define FFMPEG_API_BUILD
#include "ffmpeg_api.h"

#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

struct Decoder {
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    bool draining = false;
    std::vector<uint8_t> picture;  // contiguous Y, U, V of the last output

    ~Decoder() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&ctx);
    }

    bool Open() {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
        if (!codec) return false;
        ctx = avcodec_alloc_context3(codec);
        frame = av_frame_alloc();
        packet = av_packet_alloc();
        if (!ctx || !frame || !packet) return false;
        ctx->thread_count = 1;
        return avcodec_open2(ctx, codec, nullptr) == 0;
    }

    // Copies the frame's visible area into the contiguous picture buffer.
    bool TakeFrame(FfmpegPicture* out) {
        int w = frame->width, h = frame->height;
        if (w <= 0 || h <= 0 || (frame->format != AV_PIX_FMT_YUV420P && frame->format != AV_PIX_FMT_YUVJ420P))
            return false;
        int cw = (w + 1) / 2, ch = (h + 1) / 2;
        picture.resize(size_t(w) * h + 2 * size_t(cw) * ch);
        uint8_t* dst = picture.data();
        auto copyPlane = [&](int plane, int pw, int ph) {
            for (int row = 0; row < ph; ++row, dst += pw)
                std::memcpy(dst, frame->data[plane] + ptrdiff_t(row) * frame->linesize[plane], size_t(pw));
        };
        copyPlane(0, w, h);
        copyPlane(1, cw, ch);
        copyPlane(2, cw, ch);
        if (out) {
            out->width = w;
            out->height = h;
            out->y = picture.data();
            out->u = out->y + size_t(w) * h;
            out->v = out->u + size_t(cw) * ch;
        }
        return true;
    }
};

}  // namespace

extern "C" {

intptr_t __stdcall ffmpeg_h264_init() {
    auto dec = std::make_unique<Decoder>();
    if (!dec->Open()) return 0;
    return reinterpret_cast<intptr_t>(dec.release());
}

int __stdcall ffmpeg_h264_decode(intptr_t handle, const uint8_t* data, int length, int* got,
                                 FfmpegPicture* picture) {
    if (got) *got = 0;
    auto* dec = reinterpret_cast<Decoder*>(handle);
    if (!dec || length < 0 || (length > 0 && !data)) return -1;
    if (length == 0) {
        if (!dec->draining) {
            avcodec_send_packet(dec->ctx, nullptr);
            dec->draining = true;
        }
    } else {
        if (dec->draining) {
            avcodec_flush_buffers(dec->ctx);
            dec->draining = false;
        }
        // A new reference each time: libavcodec may keep the packet's
        // bytes only for the duration of the call when it is not refcounted.
        av_packet_unref(dec->packet);
        dec->packet->data = const_cast<uint8_t*>(data);
        dec->packet->size = length;
        int r = avcodec_send_packet(dec->ctx, dec->packet);
        if (r == AVERROR(EAGAIN)) {
            // Output is waiting: take it first, then the unit goes in.
            if (avcodec_receive_frame(dec->ctx, dec->frame) == 0) {
                bool ok = dec->TakeFrame(picture);
                av_frame_unref(dec->frame);
                r = avcodec_send_packet(dec->ctx, dec->packet);
                dec->packet->data = nullptr;
                dec->packet->size = 0;
                if (ok && got) *got = 1;
                return r < 0 && r != AVERROR(EAGAIN) ? -1 : length;
            }
        }
        dec->packet->data = nullptr;
        dec->packet->size = 0;
        if (r == AVERROR(EAGAIN)) return length;  // nothing came out after all
        if (r < 0 && r != AVERROR_INVALIDDATA) return -1;
        if (r == AVERROR_INVALIDDATA) return length;  // damaged unit: consumed, no picture
    }
    int r = avcodec_receive_frame(dec->ctx, dec->frame);
    if (r == 0) {
        bool ok = dec->TakeFrame(picture);
        av_frame_unref(dec->frame);
        if (ok && got) *got = 1;
    }
    return length;
}

void __stdcall ffmpeg_h264_Release(intptr_t handle) {
    std::unique_ptr<Decoder> dec(reinterpret_cast<Decoder*>(handle));
}
}
