// The cutter's export.
#define QV_H264DEC_BUILD
#include "qv_h264dec.h"

extern "C" int __stdcall QV_BITSTREAM_load_AU(QV_BITSTREAM* state) { return qvdec::LoadAccessUnit(state); }
