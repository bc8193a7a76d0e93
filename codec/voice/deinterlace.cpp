#include "deinterlace.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace qv {
namespace {

constexpr int kStillLimit = 50;  // |motion sum| below this is still
constexpr int kWeaveAfter = 8;   // the eighth still frame in a row weaves

inline int Abs(int v) { return v < 0 ? -v : v; }

// Edge-directed interpolation of pixel p between lines a (above) and b.
inline uint8_t Interpolate(const uint8_t* a, const uint8_t* b, int p) {
    const int d0 = Abs(b[p] - a[p]);
    const int dMinus = Abs(b[p - 1] - a[p + 1]);
    const int dPlus = Abs(b[p + 1] - a[p - 1]);
    int dir = 0;
    int best = d0;
    if (dMinus < best) {
        dir = -1;
        best = dMinus;
    }
    if (dPlus < best) dir = 1;
    return uint8_t((a[p - dir] + b[p + dir]) / 2);
}

}  // namespace

Deinterlacer::Deinterlacer(const qvDEINTERLACE_PARA_S& para) : para_(para) {}

int Deinterlacer::Create(const qvDEINTERLACE_PARA_S& p, std::unique_ptr<Deinterlacer>* out) {
    if (p.width < 128 || p.fieldHeight < 4 || p.fieldLumaStride < p.width ||
        p.fieldChromaStride < p.width / 2 || p.frameLumaStride < p.width ||
        p.frameChromaStride < p.width / 2)
        return QV_DEINTERLACE_E_PARAM;
    // Five luma planes must stay addressable on a 32-bit machine.
    const uint64_t plane = uint64_t(p.fieldHeight) * uint64_t(p.fieldLumaStride);
    const uint64_t chromaLines = (uint64_t(p.fieldHeight) + 1) / 2;
    const uint64_t chromaPlane = chromaLines * uint64_t(p.fieldChromaStride);
    if (plane * 5 + chromaPlane * 2 > (uint64_t(1) << 30)) return QV_DEINTERLACE_E_MEMORY;

    std::unique_ptr<Deinterlacer> d(new (std::nothrow) Deinterlacer(p));
    if (!d) return QV_DEINTERLACE_E_MEMORY;
    d->frameHeight_ = 2 * p.fieldHeight;
    d->lumaStride_ = size_t(p.fieldLumaStride);
    d->lumaPlane_ = size_t(plane);
    d->chromaCopy_ = size_t(p.fieldHeight) * size_t(p.fieldChromaStride) / 2;
    d->chromaPlane_ = size_t(chromaPlane);
    d->luma_.reset(new (std::nothrow) uint8_t[d->lumaPlane_ * 5]);
    d->chroma_.reset(new (std::nothrow) uint8_t[d->chromaPlane_ * 2]);
    if (!d->luma_ || !d->chroma_) return QV_DEINTERLACE_E_MEMORY;
    std::memset(d->luma_.get(), 128, d->lumaPlane_ * 4);
    for (int i = 0; i < 4; ++i) d->fields_[i] = d->luma_.get() + d->lumaPlane_ * size_t(i);
    d->counters_ = d->luma_.get() + d->lumaPlane_ * 4;
    std::memset(d->counters_, 0, d->lumaPlane_);
    std::memset(d->chroma_.get(), 0, d->chromaPlane_ * 2);
    *out = std::move(d);
    return 0;
}

void Deinterlacer::Process(const qvDEINTERLACE_FRAME_S& frame, const uint8_t* y, const uint8_t* u,
                           const uint8_t* v, bool output) {
    std::memcpy(fields_[0], y, lumaPlane_);
    if (output) {
        WriteLuma(frame.y);
        WriteChroma(frame);
    }
    uint8_t* oldest = fields_[3];
    fields_[3] = fields_[2];
    fields_[2] = fields_[1];
    fields_[1] = fields_[0];
    fields_[0] = oldest;
    std::memcpy(chroma_.get(), u, chromaCopy_);
    std::memcpy(chroma_.get() + chromaPlane_, v, chromaCopy_);
}

void Deinterlacer::WriteLuma(uint8_t* out) const {
    const int w = para_.width;
    const int fh = para_.fieldHeight;
    const size_t os = size_t(para_.frameLumaStride);
    const size_t fs = lumaStride_;
    const uint8_t* f0 = fields_[0];
    const uint8_t* f1 = fields_[1];
    const uint8_t* f2 = fields_[2];
    const uint8_t* f3 = fields_[3];

    for (int k = 0; k < fh; ++k) std::memcpy(out + os * size_t(2 * k), f1 + fs * size_t(k), size_t(w));
    std::memcpy(out + os, f1, size_t(w));
    std::memcpy(out + os * size_t(frameHeight_ - 1), f1 + fs * size_t(fh - 1), size_t(w));

    for (int k = 1; k <= fh - 2; ++k) {
        const size_t la = fs * size_t(k);
        const size_t lb = la + fs;
        const uint8_t* a = f1 + la;
        const uint8_t* b = f1 + lb;
        uint8_t* o = out + os * size_t(2 * k + 1);
        uint8_t* counter = counters_ + la;
        o[0] = a[0];
        o[1] = a[1];
        o[w - 2] = a[w - 2];
        o[w - 1] = a[w - 1];
        int x = 2;
        for (; x + 1 <= w - 3; x += 2) {
            const int m1 = f0[la + x] + f0[la + x + 1] + f0[lb + x] + f0[lb + x + 1] -
                           (f2[la + x] + f2[la + x + 1] + f2[lb + x] + f2[lb + x + 1]);
            const int m2 = a[x] + a[x + 1] + b[x] + b[x + 1] -
                           (f3[la + x] + f3[la + x + 1] + f3[lb + x] + f3[lb + x + 1]);
            if (Abs(m1) < kStillLimit && Abs(m2) < kStillLimit) {
                if (++counter[x] >= kWeaveAfter) {
                    counter[x] = kWeaveAfter - 1;
                    o[x] = f0[la + x];
                    o[x + 1] = f0[la + x + 1];
                    continue;
                }
            } else {
                counter[x] = 0;
            }
            o[x] = Interpolate(a, b, x);
            o[x + 1] = Interpolate(a, b, x + 1);
        }
        // An odd width leaves one pixel without a partner.
        if (x <= w - 3) o[x] = Interpolate(a, b, x);
    }
}

void Deinterlacer::WriteChroma(const qvDEINTERLACE_FRAME_S& frame) const {
    const size_t cw = size_t(para_.width / 2);
    const size_t cs = size_t(para_.fieldChromaStride);
    const size_t os = size_t(para_.frameChromaStride);
    // The frame's chroma has as many lines as a field has luma lines.
    for (int j = 0; j < para_.fieldHeight; ++j) {
        const size_t src = cs * size_t(j / 2);
        std::memcpy(frame.u + os * size_t(j), chroma_.get() + src, cw);
        std::memcpy(frame.v + os * size_t(j), chroma_.get() + chromaPlane_ + src, cw);
    }
}

}  // namespace qv

extern "C" {

int QV_API QV_InitDeinterlace(void** handle, qvDEINTERLACE_PARA_S para) {
    if (!handle) return QV_DEINTERLACE_E_NULL;
    *handle = nullptr;
    std::unique_ptr<qv::Deinterlacer> d;
    const int rc = qv::Deinterlacer::Create(para, &d);
    if (rc == 0) *handle = d.release();
    return rc;
}

int QV_API QV_Deinterlace(void* handle, qvDEINTERLACE_FRAME_S frame, unsigned char* fieldY,
                          unsigned char* fieldU, unsigned char* fieldV, qvPIC_TYPE_E type) {
    if (!handle || !frame.y || !frame.u || !frame.v || !fieldY || !fieldU || !fieldV)
        return QV_DEINTERLACE_E_NULL;
    if (type != QV_PIC_FIELD_HISTORY && type != QV_PIC_FIELD_OUTPUT) return QV_DEINTERLACE_E_PIC_TYPE;
    static_cast<qv::Deinterlacer*>(handle)->Process(frame, fieldY, fieldU, fieldV,
                                                    type == QV_PIC_FIELD_OUTPUT);
    return 0;
}

int QV_API QV_ReleaseDeinterlace(void* handle) {
    if (!handle) return QV_DEINTERLACE_E_NULL;
    delete static_cast<qv::Deinterlacer*>(handle);
    return 0;
}

int QV_API QV_GetVersion(char** version) {
    static const char kVersion[] = "1.1.0.0";
    if (!version || !*version) return QV_DEINTERLACE_E_NULL;
    std::memcpy(*version, kVersion, sizeof kVersion);
    return 0;
}

}  // extern "C"
