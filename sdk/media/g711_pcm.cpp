#include "media/g711_pcm.h"

#include "g711.h"

int AlawToPcm16(short* out, const unsigned char* in, int count) {
    if (count <= 0) return 0;
    for (int i = 0; i < count; ++i) out[i] = qv::AlawDecode(in[i]);
    return 2 * count;
}

int UlawToPcm16(short* out, const unsigned char* in, int count) {
    if (count <= 0) return 0;
    for (int i = 0; i < count; ++i) out[i] = qv::UlawDecode(in[i]);
    return 2 * count;
}
