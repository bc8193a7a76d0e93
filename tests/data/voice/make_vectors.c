/* Writes the G.726 and IMA ADPCM reference vectors of the voice codec tests
 * with an independent implementation (Debian's libspandsp). Built and run by
 * make-vectors; only its output is used by the tests. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <spandsp.h>

#define N 2400
#define CHUNK 160

static void put(const char* name, const void* data, size_t bytes) {
    FILE* f = fopen(name, "wb");
    if (!f || fwrite(data, 1, bytes, f) != bytes) { perror(name); exit(1); }
    fclose(f);
}

/* 300 ms of test signal: a loud chirp, low-level noise, silence, a clipped
 * square burst, and a tone with noise. */
static void make_input(int16_t* x) {
    unsigned seed = 12345;
    for (int i = 0; i < N; ++i) {
        double v = 0;
        seed = seed * 1103515245u + 12345u;
        int noise = (int)((seed >> 16) & 0x7FFF) - 16384;
        if (i < 800) {
            double t = i / 8000.0;
            double f = 200 + 3200 * (i / 800.0);
            v = 20000 * sin(2 * M_PI * f * t);
        } else if (i < 1200) {
            v = noise / 50.0;
        } else if (i < 1400) {
            v = 0;
        } else if (i < 1600) {
            v = ((i / 8) & 1) ? 32767 : -32768;
        } else {
            v = 12000 * sin(2 * M_PI * 1000 * i / 8000.0) + noise / 8.0;
        }
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        x[i] = (int16_t)lrint(v);
    }
}

int main(void) {
    static int16_t x[N], y[N];
    static uint8_t code[N * 2];
    char name[64];
    make_input(x);
    put("input.s16", x, sizeof x);

    static const int rates[] = {16000, 24000, 32000, 40000};
    static const struct { int packing; const char* tag; } packs[] = {
        {G726_PACKING_NONE, "codes"}, {G726_PACKING_LEFT, "left"}, {G726_PACKING_RIGHT, "right"}};
    for (int r = 0; r < 4; ++r) {
        for (int p = 0; p < 3; ++p) {
            g726_state_t* enc = g726_init(NULL, rates[r], G726_ENCODING_LINEAR, packs[p].packing);
            g726_state_t* dec = g726_init(NULL, rates[r], G726_ENCODING_LINEAR, packs[p].packing);
            int bytes = 0;
            for (int i = 0; i < N; i += CHUNK) bytes += g726_encode(enc, code + bytes, x + i, CHUNK);
            int samples = g726_decode(dec, y, code, bytes);
            snprintf(name, sizeof name, "g726_%d_%s.bin", rates[r] / 1000, packs[p].tag);
            put(name, code, (size_t)bytes);
            if (p == 0) {
                snprintf(name, sizeof name, "g726_%d_decoded.s16", rates[r] / 1000);
                put(name, y, (size_t)samples * 2);
            }
            g726_free(enc);
            g726_free(dec);
        }
    }

    /* Block style carries the first sample in its header: 161 samples fill
     * a header and 80 bytes. */
    static const struct { int variant; const char* tag; int chunk; } imas[] = {
        {IMA_ADPCM_DVI4, "dvi4", CHUNK}, {IMA_ADPCM_IMA4, "ima4", CHUNK + 1}};
    for (int v = 0; v < 2; ++v) {
        ima_adpcm_state_t* enc = ima_adpcm_init(NULL, imas[v].variant, 0);
        int bytes = 0, chunks = 0;
        for (int i = 0; i + imas[v].chunk <= N; i += imas[v].chunk, ++chunks)
            bytes += ima_adpcm_encode(enc, code + bytes, x + i, imas[v].chunk);
        snprintf(name, sizeof name, "ima_%s.bin", imas[v].tag);
        put(name, code, (size_t)bytes);
        ima_adpcm_state_t* dec = ima_adpcm_init(NULL, imas[v].variant, 0);
        int per = bytes / chunks, samples = 0;
        for (int c = 0; c < chunks; ++c) samples += ima_adpcm_decode(dec, y + samples, code + c * per, per);
        snprintf(name, sizeof name, "ima_%s_decoded.s16", imas[v].tag);
        put(name, y, (size_t)samples * 2);
        ima_adpcm_free(enc);
        ima_adpcm_free(dec);
    }
    return 0;
}
