// Quillon.dll: the player library's exports, for its callers and tests.
#pragma once
#include <windows.h>

#include "player_core.h"

extern "C" {
typedef void(CALLBACK* H264PL_PictureCallback)(int format, unsigned char* picture, int length, int width,
                                               int height, void* user);
typedef void(CALLBACK* H264PL_CaptureCallback)(unsigned char* frame, int length);
int WINAPI H264PL_Init();
int WINAPI H264PL_DeInit();
int WINAPI H264PL_OpenStream(int ch, HWND window, int rateMode, int sound);
int WINAPI H264PL_OpenStreamEx(int ch, HWND window, int rateMode, int sound, H264PL_PictureCallback cb, void* user);
int WINAPI H264PL_AddStreamFrame(int ch, int type, const unsigned char* data, int length);
int WINAPI H264PL_Close(int ch);
int WINAPI H264PL_OpenFile(int ch, const char* path, HWND window, quillon::PlayerFileInfo* info);
int WINAPI H264PL_OpenFileEx(int ch, const char* path, HWND window, quillon::PlayerFileInfo* info,
                             H264PL_PictureCallback cb, void* user);
int WINAPI H264PL_Play(int ch);
int WINAPI H264PL_Pause(int ch);
int WINAPI H264PL_Stop(int ch);
int WINAPI H264PL_GetPlayingPos(int ch, int* pos);
int WINAPI H264PL_SetPlayingPos(int ch, int pos);
int WINAPI H264PL_GetPlayingTime(int ch, int* seconds);
int WINAPI H264PL_Slow(int ch);
int WINAPI H264PL_Fast(int ch);
int WINAPI H264PL_GetSpeed(int ch, int* level);
int WINAPI H264PL_NextFrame(int ch);
int WINAPI H264PL_Snapshot(int ch, const char* path);
int WINAPI H264PL_EnableSound(int ch, int on);
int WINAPI H264PL_Voice_StartOutput();
int WINAPI H264PL_Voice_StopOutput();
int WINAPI H264PL_Voice_Output(const unsigned char* data, int length);
int WINAPI H264PL_Voice_StartCapture(H264PL_CaptureCallback cb);
int WINAPI H264PL_Voice_StopCapture();
int WINAPI H264PL_ReadFile_Open(int slot, const char* path, quillon::PlayerFileInfo* info);
int WINAPI H264PL_ReadFile_GetNextFrame(int slot, quillon::PlayerFrameInfo* info);
int WINAPI H264PL_ReadFile_SetReadPos(int slot, int pos);
int WINAPI H264PL_ReadFile_Close(int slot);
int WINAPI H264PL_YUV_Open(int slot, HWND window);
int WINAPI H264PL_YUV_Show(int slot, int format, const unsigned char* picture, int length, int width, int height);
int WINAPI H264PL_YUV_Close(int slot);
int WINAPI H264PL_Audio_Decode(int slot, const unsigned char* data, int length, unsigned char* pcm, int* bytes);
}
