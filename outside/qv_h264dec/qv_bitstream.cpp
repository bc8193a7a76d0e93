#include "qv_bitstream.h"

#include <cstring>

namespace qvdec {

size_t FindStartCode(const uint8_t* p, size_t n, size_t from) {
    for (size_t i = from; i + 3 <= n; ++i) {
        if (p[i + 2] > 1) {
            i += 2;  // no start code can cover this byte as its 00 00
            continue;
        }
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1)
            return (i > from && p[i - 1] == 0) ? i - 1 : i;
    }
    return n;
}

namespace {

inline size_t HeaderAt(const uint8_t* p, size_t sc) { return sc + (p[sc + 2] == 1 ? 3 : 4); }

inline bool IsSlice(int type) { return type >= 1 && type <= 5; }

}  // namespace

int LoadAccessUnit(QV_BITSTREAM* s) {
    if (!s || !s->start || !s->end || !s->cursor || !s->au || s->cursor < s->start || s->end < s->cursor)
        return -1;
    const uint8_t* p = s->cursor;
    const size_t n = size_t(s->end - s->cursor);
    size_t first = FindStartCode(p, n, 0);
    if (first >= n) return 1;
    bool sawSlice = false;
    size_t sc = first;
    for (;;) {
        size_t hdr = HeaderAt(p, sc);
        // The header byte and, for a slice, the byte with first_mb_in_slice.
        if (hdr + 2 > n) return 1;
        int type = p[hdr] & 0x1F;
        bool slice = IsSlice(type);
        bool firstMbZero = slice && (p[hdr + 1] & 0x80);
        bool begins = type == 9 || ((type == 6 || type == 7 || type == 8) && sawSlice) ||
                      (slice && firstMbZero && sawSlice);
        if (begins && sc > first) {
            // A unit of only parameter sets with an AUD after them still
            // counts: the cut is at the boundary either way.
            s->auLength = int32_t(sc - first);
            std::memmove(s->au, p + first, sc - first);
            s->used = int32_t(sc);
            s->cursor += sc;
            return 0;
        }
        if (slice) sawSlice = true;
        size_t next = FindStartCode(p, n, hdr);
        if (next >= n) return 1;
        sc = next;
    }
}

}  // namespace qvdec
