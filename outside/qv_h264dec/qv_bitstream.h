// Annex-B access-unit cutter of qv_h264dec. Pure code over byte buffers.
#pragma once
#include <cstdint>

extern "C" {

// The cutter state handed in by the caller, six words. The cutter looks for
// a whole access unit that starts at (or after leading garbage following)
// the cursor; it copies the unit to the access-unit buffer, which must hold
// at least end - cursor bytes.
struct QV_BITSTREAM {
    uint8_t* start;   // first byte of the gathered stream
    uint8_t* end;     // one past its last byte
    uint8_t* cursor;  // where the next unit is looked for; advanced by used
    uint8_t* au;      // access-unit buffer
    int32_t auLength; // bytes of the unit found
    int32_t used;     // bytes consumed from the cursor (leading garbage included)
};

}  // extern "C"

namespace qvdec {

// 0 with (au, auLength, used) filled and the cursor advanced past the unit
// when a whole access unit lies between the cursor and end; 1 when no
// complete unit is left (the tail waits for more bytes); -1 on a bad state.
// A unit is complete once the first NAL unit of the next one has been seen:
// an AUD; an SPS, PPS or SEI after a slice; a slice with first_mb_in_slice
// 0 after a slice. 3- and 4-byte start codes are accepted.
int LoadAccessUnit(QV_BITSTREAM* s);

// Offset of the next start code (its first zero byte; a 4-byte code's
// leading zero included) at or after from, or n when there is none.
size_t FindStartCode(const uint8_t* p, size_t n, size_t from);

}  // namespace qvdec
