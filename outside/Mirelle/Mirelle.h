// The video-output card library's calls (Mirelle.dll). Channels are the
// card's analogue outputs, from 0; pictures are 704 x 576 YUV 4:2:0.
#pragma once
#include <windows.h>

extern "C" {
int WINAPI KD27_InitCards();                 // 0: failure
int WINAPI KD27_SetVideoStandard(int standard);
int WINAPI KD27_GetChannels();               // output channels
int WINAPI KD27_GetDSPs();
int WINAPI KD27_OpenChannel(int channel);
int WINAPI KD27_InputData(int channel, unsigned char* picture, int width, int height, int flag);
int WINAPI KD27_CloseChannel(int channel);
int WINAPI KD27_ClearVideoOutput(int channel);
int WINAPI KD27_ReleaseCards();
}
