// The deinterlacer behind QV_*Deinterlace (see qv_deinterlace.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "qv_deinterlace.h"

namespace qv {

class Deinterlacer {
public:
    // Checks the parameters (-2), allocates (-1); 0 with *out set.
    static int Create(const qvDEINTERLACE_PARA_S& para, std::unique_ptr<Deinterlacer>* out);

    // Takes one field; with a type-2 picture writes the frame of the previous
    // field and this one.
    void Process(const qvDEINTERLACE_FRAME_S& frame, const uint8_t* y, const uint8_t* u,
                 const uint8_t* v, bool output);

    // The stillness counter of the pixel pair at (line, x) of a field.
    int Counter(int line, int x) const { return counters_[size_t(line) * lumaStride_ + size_t(x)]; }

private:
    explicit Deinterlacer(const qvDEINTERLACE_PARA_S& para);
    void WriteLuma(uint8_t* out) const;
    void WriteChroma(const qvDEINTERLACE_FRAME_S& frame) const;

    qvDEINTERLACE_PARA_S para_;
    int frameHeight_;
    size_t lumaStride_;
    size_t lumaPlane_;    // bytes of one history plane
    size_t chromaCopy_;   // bytes of one field's chroma plane taken from the input
    size_t chromaPlane_;  // bytes kept per chroma plane (whole lines)
    std::unique_ptr<uint8_t[]> luma_;  // F0-F3 and the counters, one allocation
    std::unique_ptr<uint8_t[]> chroma_;  // U then V of the previous field
    uint8_t* fields_[4];  // F0 (newest) .. F3 (oldest)
    uint8_t* counters_;
};

}  // namespace qv
