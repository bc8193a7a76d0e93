#include "ima_adpcm.h"

namespace qv {
namespace {

constexpr int16_t kStepSize[kImaMaxStepIndex + 1] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int8_t kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// Applies a code to the state: reconstruction by shifts and adds, then the
// step index adaptation.
int16_t Apply(ImaState& s, int code) {
    const int step = kStepSize[s.stepIndex];
    int diff = step >> 3;
    if (code & 4) diff += step;
    if (code & 2) diff += step >> 1;
    if (code & 1) diff += step >> 2;
    int pred = s.predicted + ((code & 8) ? -diff : diff);
    if (pred > 32767) pred = 32767;
    if (pred < -32768) pred = -32768;
    s.predicted = int16_t(pred);
    int index = s.stepIndex + kIndexAdjust[code & 7];
    if (index < 0) index = 0;
    if (index > kImaMaxStepIndex) index = kImaMaxStepIndex;
    s.stepIndex = uint8_t(index);
    return s.predicted;
}

}  // namespace

uint8_t ImaEncode(ImaState& s, int16_t sample) {
    if (s.stepIndex > kImaMaxStepIndex) s.stepIndex = kImaMaxStepIndex;
    int step = kStepSize[s.stepIndex];
    int diff = sample - s.predicted;
    int code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    if (diff >= step) {
        code |= 4;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) {
        code |= 2;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) code |= 1;
    Apply(s, code);
    return uint8_t(code);
}

int16_t ImaDecode(ImaState& s, uint8_t code) {
    if (s.stepIndex > kImaMaxStepIndex) s.stepIndex = kImaMaxStepIndex;
    return Apply(s, code & 15);
}

}  // namespace qv
