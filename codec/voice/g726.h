// ITU-T G.726 ADPCM at 16, 24, 32 and 40 kbit/s on 16-bit linear samples,
// following the block structure of the ITU reference algorithm. Samples are
// taken at 14-bit resolution (the two least significant bits are dropped)
// and returned scaled back to 16 bits.
#pragma once
#include <cstdint>

namespace qv {

struct G726State {
    int32_t yl;        // locked quantizer scale factor
    int16_t yu;        // unlocked quantizer scale factor
    int16_t dms;       // short-term average of F(I)
    int16_t dml;       // long-term average of F(I)
    int16_t ap;        // speed control
    int16_t a[2];      // pole predictor coefficients
    int16_t b[6];      // zero predictor coefficients
    int16_t pk[2];     // signs of the last two partial reconstructions
    int16_t dq[6];     // last six quantized differences (floating format)
    int16_t sr[2];     // last two reconstructed signals (floating format)
    int8_t td;         // tone detected
    uint8_t bits;      // code word size: 2, 3, 4 or 5
    uint8_t sampleBits;  // width of a linear sample: 16
    uint8_t reserved;
};

// Initial state of the reference algorithm for a code word size of 2-5 bits.
void G726Reset(G726State& s, int bits);

// One sample in, one code word (bits wide) out; the state advances.
uint8_t G726Encode(G726State& s, int16_t sample);

// One code word in, one sample out; the state advances.
int16_t G726Decode(G726State& s, uint8_t code);

}  // namespace qv
