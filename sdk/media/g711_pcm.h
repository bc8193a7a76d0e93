// G.711 expansion of device audio payloads into 16-bit PCM. Pure functions
// over byte buffers (no <windows.h>).
#pragma once

// Expand count A-law (AlawToPcm16) or mu-law (UlawToPcm16) bytes into count
// 16-bit samples. Return the bytes written: 2 * count (0 for count <= 0).
int AlawToPcm16(short* out, const unsigned char* in, int count);
int UlawToPcm16(short* out, const unsigned char* in, int count);
