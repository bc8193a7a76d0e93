// ITU-T G.726 ADPCM. The names of the intermediate values follow the
// recommendation's functional blocks (SE, SEZ, D, Y, I, DQ, SR, ...).
#include "g726.h"

#include <cstdlib>

namespace qv {
namespace {

// Tables per code size: quantizer decision levels (log domain), the
// reconstruction levels DQLN, the scale factor multipliers W(I) (already in
// the scale of Y) and the rate-of-change values F(I) (scaled by 512).
struct RateTables {
    const int16_t* levels;
    int levelCount;
    const int16_t* dqln;
    const int32_t* w;
    const int16_t* f;
};

constexpr int16_t kLevels16[] = {261};
constexpr int16_t kDqln16[] = {116, 365, 365, 116};
constexpr int32_t kW16[] = {-704, 14048, 14048, -704};
constexpr int16_t kF16[] = {0, 0xE00, 0xE00, 0};

constexpr int16_t kLevels24[] = {8, 218, 331};
constexpr int16_t kDqln24[] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int32_t kW24[] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};
constexpr int16_t kF24[] = {0, 0x200, 0x400, 0xE00, 0xE00, 0x400, 0x200, 0};

constexpr int16_t kLevels32[] = {-124, 80, 178, 246, 300, 349, 400};
constexpr int16_t kDqln32[] = {-2048, 4, 135, 213, 273, 323, 373, 425,
                               425, 373, 323, 273, 213, 135, 4, -2048};
constexpr int32_t kW32[] = {-12 * 32, 18 * 32, 41 * 32, 64 * 32, 112 * 32, 198 * 32, 355 * 32, 1122 * 32,
                            1122 * 32, 355 * 32, 198 * 32, 112 * 32, 64 * 32, 41 * 32, 18 * 32, -12 * 32};
constexpr int16_t kF32[] = {0, 0, 0, 0x200, 0x200, 0x200, 0x600, 0xE00,
                            0xE00, 0x600, 0x200, 0x200, 0x200, 0, 0, 0};

constexpr int16_t kLevels40[] = {-122, -16, 68, 139, 198, 250, 298, 339,
                                 378, 413, 445, 475, 502, 528, 553};
constexpr int16_t kDqln40[] = {-2048, -66, 28, 104, 169, 224, 274, 318, 358, 395, 429, 459, 488, 514, 539, 566,
                               566, 539, 514, 488, 459, 429, 395, 358, 318, 274, 224, 169, 104, 28, -66, -2048};
constexpr int32_t kW40[] = {448, 448, 768, 1248, 1280, 1312, 1856, 3200, 4512, 5728, 7008, 8960, 11456, 14080, 16928, 22272,
                            22272, 16928, 14080, 11456, 8960, 7008, 5728, 4512, 3200, 1856, 1312, 1280, 1248, 768, 448, 448};
constexpr int16_t kF40[] = {0, 0, 0, 0, 0, 0x200, 0x200, 0x200, 0x200, 0x200, 0x400, 0x600, 0x800, 0xA00, 0xC00, 0xC00,
                            0xC00, 0xC00, 0xA00, 0x800, 0x600, 0x400, 0x200, 0x200, 0x200, 0x200, 0x200, 0, 0, 0, 0, 0};

const RateTables& TablesFor(int bits) {
    static const RateTables t16{kLevels16, 1, kDqln16, kW16, kF16};
    static const RateTables t24{kLevels24, 3, kDqln24, kW24, kF24};
    static const RateTables t32{kLevels32, 7, kDqln32, kW32, kF32};
    static const RateTables t40{kLevels40, 15, kDqln40, kW40, kF40};
    switch (bits) {
    case 2: return t16;
    case 3: return t24;
    case 5: return t40;
    default: return t32;
    }
}

// Number of significant bits of a non-negative value below 2^15 (the
// exponent search of the LOG, FLOATA/B and FMULT blocks).
int Exponent(int v) {
    int e = 0;
    while (e < 15 && v >= (1 << e)) ++e;
    return e;
}

// FMULT: multiply a predictor coefficient by a value in floating format
// (sign 0x400, 4-bit exponent, 6-bit mantissa).
int FMult(int an, int srn) {
    int anmag = an > 0 ? an : ((-an) & 0x1FFF);
    int anexp = Exponent(anmag) - 6;
    int anmant = anmag == 0 ? 32 : anexp >= 0 ? anmag >> anexp : anmag << -anexp;
    int wanexp = anexp + ((srn >> 6) & 0xF) - 13;
    int wanmant = (anmant * (srn & 0x3F) + 0x30) >> 4;
    int r = wanexp >= 0 ? (wanmant << wanexp) & 0x7FFF : wanmant >> -wanexp;
    return (an ^ srn) < 0 ? -r : r;
}

// Floating format of a value for the predictor's delay lines.
int16_t ToFloat(int v) {
    if (v == 0) return 0x20;
    int mag = v < 0 ? -v : v;
    int e = Exponent(mag);
    int f = (e << 6) + ((mag << 6) >> e);
    return int16_t(v < 0 ? f - 0x400 : f);
}

// ACCUM of the zero predictor: SEZI.
int ZeroPrediction(const G726State& s) {
    int sezi = 0;
    for (int i = 0; i < 6; ++i) sezi += FMult(s.b[i] >> 2, s.dq[i]);
    return sezi;
}

int PolePrediction(const G726State& s) {
    return FMult(s.a[1] >> 2, s.sr[1]) + FMult(s.a[0] >> 2, s.sr[0]);
}

// MIX: the quantizer scale factor Y from the unlocked and locked factors.
int ScaleFactor(const G726State& s) {
    if (s.ap >= 256) return s.yu;
    int y = s.yl >> 6;
    int dif = s.yu - y;
    int al = s.ap >> 2;
    if (dif > 0)
        y += (dif * al) >> 6;
    else if (dif < 0)
        y += (dif * al + 0x3F) >> 6;
    return y;
}

// LOG, SUBTB and QUAN: the code word for difference d at scale y.
int Quantize(int d, int y, const RateTables& t, int bits) {
    int dqm = std::abs(d);
    int e = Exponent(dqm >> 1);
    int mant = ((dqm << 7) >> e) & 0x7F;
    int dl = (e << 7) + mant;
    int dln = dl - (y >> 2);
    int i = 0;
    while (i < t.levelCount && dln >= t.levels[i]) ++i;
    int codes = 1 << bits;
    if (d < 0) return codes - 1 - i;
    // The smallest positive interval of the 24-40 kbit/s quantizers has no
    // code of its own: it is sent as the negative zero.
    if (i == 0 && bits != 2) return codes - 1;
    return i;
}

// ADDA and ANTILOG: the quantized difference DQ in sign-magnitude form
// (negative values are the magnitude minus 0x8000).
int Reconstruct(bool negative, int dqln, int y) {
    int dql = dqln + (y >> 2);
    if (dql < 0) return negative ? -0x8000 : 0;
    int dex = (dql >> 7) & 15;
    int dqt = 128 + (dql & 127);
    int dq = (dqt << 7) >> (14 - dex);
    return negative ? dq - 0x8000 : dq;
}

void Update(G726State& s, int y, int wi, int fi, int dq, int sr, int dqsez) {
    const int pk0 = dqsez < 0 ? 1 : 0;
    const int mag = dq & 0x7FFF;

    // TRANS: transition detector.
    const int ylint = int(s.yl >> 15);
    const int ylfrac = int((s.yl >> 10) & 0x1F);
    const int thr1 = (32 + ylfrac) << ylint;
    const int thr2 = ylint > 9 ? 31 << 10 : thr1;
    const int dqthr = (thr2 + (thr2 >> 1)) >> 1;
    const int tr = (s.td != 0 && mag > dqthr) ? 1 : 0;

    // FILTD, LIMB, FILTE: scale factor adaptation.
    int yu = y + ((wi - y) >> 5);
    if (yu < 544) yu = 544;
    if (yu > 5120) yu = 5120;
    s.yu = int16_t(yu);
    s.yl += yu + ((-s.yl) >> 6);

    // UPA2, UPA1, LIMC, LIMD, UPB: adaptive predictor.
    int a2p = 0;
    if (tr) {
        s.a[0] = s.a[1] = 0;
        for (auto& b : s.b) b = 0;
    } else {
        const int pks1 = pk0 ^ s.pk[0];
        a2p = s.a[1] - (s.a[1] >> 7);
        if (dqsez != 0) {
            const int fa1 = pks1 ? s.a[0] : -s.a[0];
            if (fa1 < -8191)
                a2p -= 0x100;
            else if (fa1 > 8191)
                a2p += 0xFF;
            else
                a2p += fa1 >> 5;
            if (pk0 ^ s.pk[1]) {
                if (a2p <= -12160)
                    a2p = -12288;
                else if (a2p >= 12416)
                    a2p = 12288;
                else
                    a2p -= 0x80;
            } else if (a2p <= -12416) {
                a2p = -12288;
            } else if (a2p >= 12160) {
                a2p = 12288;
            } else {
                a2p += 0x80;
            }
        }
        s.a[1] = int16_t(a2p);

        int a1 = s.a[0] - (s.a[0] >> 8);
        if (dqsez != 0) a1 += pks1 == 0 ? 192 : -192;
        const int a1ul = 15360 - a2p;
        if (a1 < -a1ul) a1 = -a1ul;
        if (a1 > a1ul) a1 = a1ul;
        s.a[0] = int16_t(a1);

        for (int i = 0; i < 6; ++i) {
            int b = s.b[i];
            b -= s.bits == 5 ? b >> 9 : b >> 8;
            if (mag) b += (dq ^ s.dq[i]) >= 0 ? 128 : -128;
            s.b[i] = int16_t(b);
        }
    }

    // FLOATA, FLOATB and the delay lines.
    for (int i = 5; i > 0; --i) s.dq[i] = s.dq[i - 1];
    if (mag == 0) {
        s.dq[0] = int16_t(dq >= 0 ? 0x20 : 0xFC20 - 0x10000);
    } else {
        const int e = Exponent(mag);
        const int f = (e << 6) + ((mag << 6) >> e);
        s.dq[0] = int16_t(dq >= 0 ? f : f - 0x400);
    }
    s.sr[1] = s.sr[0];
    s.sr[0] = sr <= -32768 ? int16_t(0xFC20 - 0x10000) : ToFloat(sr);
    s.pk[1] = s.pk[0];
    s.pk[0] = int16_t(pk0);

    // TONE: tone detector.
    s.td = int8_t(tr ? 0 : a2p < -11776 ? 1 : 0);

    // FILTA, FILTB, SUBTC, FILTC: adaptation speed control.
    s.dms = int16_t(s.dms + ((fi - s.dms) >> 5));
    s.dml = int16_t(s.dml + ((fi * 4 - s.dml) >> 7));
    int ap = s.ap;
    if (tr)
        ap = 256;
    else if (y < 1536 || s.td || std::abs(s.dms * 4 - s.dml) >= (s.dml >> 3))
        ap += (0x200 - ap) >> 4;
    else
        ap += (-ap) >> 4;
    s.ap = int16_t(ap);
}

// The part shared by encoder and decoder once the code word is known:
// reconstruction, the new signal and the state update. Returns SR.
int Finish(G726State& s, int code, int se, int sez, int y, const RateTables& t) {
    const bool negative = (code >> (s.bits - 1)) & 1;
    const int dq = Reconstruct(negative, t.dqln[code], y);
    const int sr = dq < 0 ? se - (dq & 0x7FFF) : se + dq;
    const int dqsez = sr + sez - se;
    Update(s, y, t.w[code], t.f[code], dq, sr, dqsez);
    return sr;
}

}  // namespace

void G726Reset(G726State& s, int bits) {
    s = G726State{};
    s.yl = 34816;
    s.yu = 544;
    for (auto& v : s.dq) v = 32;
    s.sr[0] = s.sr[1] = 32;
    s.bits = uint8_t(bits >= 2 && bits <= 5 ? bits : 4);
    s.sampleBits = 16;
}

uint8_t G726Encode(G726State& s, int16_t sample) {
    const RateTables& t = TablesFor(s.bits);
    const int sl = sample >> 2;
    const int sezi = ZeroPrediction(s);
    const int sez = sezi >> 1;
    const int se = (sezi + PolePrediction(s)) >> 1;
    const int y = ScaleFactor(s);
    const int code = Quantize(sl - se, y, t, s.bits);
    Finish(s, code, se, sez, y, t);
    return uint8_t(code);
}

int16_t G726Decode(G726State& s, uint8_t code) {
    const RateTables& t = TablesFor(s.bits);
    code &= uint8_t((1 << s.bits) - 1);
    const int sezi = ZeroPrediction(s);
    const int sez = sezi >> 1;
    const int se = (sezi + PolePrediction(s)) >> 1;
    const int y = ScaleFactor(s);
    int sr = Finish(s, code, se, sez, y, t) * 4;
    if (sr > 32767) sr = 32767;
    if (sr < -32768) sr = -32768;
    return int16_t(sr);
}

}  // namespace qv
