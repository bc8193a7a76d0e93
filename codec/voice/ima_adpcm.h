// IMA/DVI ADPCM (4 bits per sample) with the standard shift-and-add
// reconstruction.
#pragma once
#include <cstdint>

namespace qv {

struct ImaState {
    int16_t predicted;  // the last reconstructed sample
    uint8_t stepIndex;  // 0-88
};

// One sample in, one 4-bit code out; the state advances.
uint8_t ImaEncode(ImaState& s, int16_t sample);

// One 4-bit code in, one sample out; the state advances.
int16_t ImaDecode(ImaState& s, uint8_t code);

constexpr int kImaMaxStepIndex = 88;

}  // namespace qv
