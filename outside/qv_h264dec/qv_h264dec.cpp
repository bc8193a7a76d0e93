// qv_h264dec decode functions over the player's decoder engine.
#define QV_H264DEC_BUILD
#include "qv_h264dec.h"

#include "h264_internal.h"
#include "h264dec.h"

namespace {

void Fill(const H264DecPicture& p, QV_H264DEC_PICTURE* out) {
    out->width = p.width - p.cropLeft - p.cropRight;
    out->height = p.height - p.cropTop - p.cropBottom;
    out->y = p.y + p.cropTop * p.strideY + p.cropLeft;
    out->u = p.u + (p.cropTop / 2) * p.strideC + p.cropLeft / 2;
    out->v = p.v + (p.cropTop / 2) * p.strideC + p.cropLeft / 2;
    out->yStride = p.strideY;
    out->cStride = p.strideC;
    out->field = p.pictureType != 0 ? 1 : 0;
}

// Feeds bytes and keeps the last picture that comes out.
int Feed(H264DecContext* dec, const uint8_t* data, uint32_t length, H264DecPicture* last) {
    int got = 0;
    H264DecPicture pic;
    int rc = H264DecDecodeFrame(dec, data, length, 0, 0, &pic, 0);
    while (rc == 0) {
        *last = pic;
        got = 1;
        rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
    }
    return got;
}

}  // namespace

extern "C" {

intptr_t __stdcall QV_H264DEC_Create(int, int, int) {
    H264DecParams params{0, 0, 120, 68, 4, 0};
    return reinterpret_cast<intptr_t>(H264DecCreate(&params));
}

int __stdcall QV_H264DEC_DecodeAu(intptr_t handle, const uint8_t* data, int length, QV_H264DEC_PICTURE* picture) {
    H264DecContext* dec = reinterpret_cast<H264DecContext*>(handle);
    if (!dec || !data || length <= 0 || !picture) return -1;
    H264DecPicture last{};
    int got = Feed(dec, data, uint32_t(length), &last);
    // The unit is whole: close its last NAL unit and finish its picture
    // now instead of waiting for the next one.
    static const uint8_t kStartCode[4] = {0, 0, 0, 1};
    got |= Feed(dec, kStartCode, 4, &last);
    H264FinishPicture(dec);
    H264DecPicture pic;
    while (H264DecGetOutputPicture(dec, &pic) == 0) {
        last = pic;
        got = 1;
    }
    if (got) Fill(last, picture);
    return got;
}

int __stdcall QV_H264DEC_DecodeNalu(intptr_t handle, const uint8_t* data, int length, QV_H264DEC_PICTURE* picture) {
    H264DecContext* dec = reinterpret_cast<H264DecContext*>(handle);
    if (!dec || !data || length <= 0 || !picture) return -1;
    H264DecPicture last{};
    int got = Feed(dec, data, uint32_t(length), &last);
    if (got) Fill(last, picture);
    return got;
}

void __stdcall QV_H264DEC_Release(intptr_t handle) { H264DecRelease(reinterpret_cast<H264DecContext*>(handle)); }

}  // extern "C"
