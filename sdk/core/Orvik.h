/* Orvik.dll: the device SDK. Every function and callback uses the Windows
   standard calling convention. */
#ifndef ORVIK_H
#define ORVIK_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ORVIK_SDK_VERSION 180

/* Last-error codes (NET_GetLastError). */
enum {
    NET_ERR_SOCKET = 1,          /* Winsock or the message socket */
    NET_ERR_SERVER = 2,          /* the completion-port server did not start */
    NET_ERR_NOT_INIT = 3,        /* NET_Init has not succeeded */
    NET_ERR_CONNECT = 4,         /* stream connection not made within 1,000 ms */
    NET_ERR_BAD_ID = 6,          /* login id 0 or negative */
    NET_ERR_TABLE_FULL = 7,      /* no free slot in the device table */
    NET_ERR_NULL_ARG = 17,       /* null address, or login id 0 in a stop export */
    NET_ERR_NO_MEMORY = 30,
    NET_ERR_IOCP_ATTACH = 43,
    NET_ERR_UNKNOWN_ID = 45,     /* login id not in the device table */
    NET_ERR_NOT_FOUND = 47,      /* callback key, talk session or play handle */
    NET_ERR_BAD_DATA = 50
};

/* Stream types passed to a StreamDataCallback. */
enum { NET_STREAM_MAIN = 0, NET_STREAM_SUB = 1, NET_STREAM_AUDIO = 3 };
/* Audio codecs passed with NET_STREAM_AUDIO (0 with video). */
enum { NET_AUDIO_PCMA = 1, NET_AUDIO_PCMU = 2 };

/* 48 bytes, passed to NET_Login by value. Only address and port are used. */
typedef struct NET_LOGIN_PARAMS {
    const char* address;   /* dotted IPv4 text */
    unsigned short port;   /* RTSP port of the device */
    char user[17];
    char password[17];
    unsigned int reserved1;
    unsigned int reserved2;
} NET_LOGIN_PARAMS;

typedef void(CALLBACK* NET_StreamDataCallback)(unsigned char* data, int length, int streamType,
                                               int audioCodec, void* user);
typedef void(CALLBACK* NET_InfoCallback)(int, int, int);
/* from: the sender's IPv4 socket address (struct sockaddr_in). */
typedef void(CALLBACK* NET_RcfgMsgCallback)(unsigned char* data, int length, const void* from);
/* Talkback capture: one encoded voice frame, on the capture thread. */
typedef void(CALLBACK* NET_CaptureCallback)(const char* data, int length, int user);

int WINAPI NET_Init(void);
int WINAPI NET_Cleanup(void);
int WINAPI NET_GetSDKVersions(void);
int WINAPI NET_GetLastError(void);
int WINAPI NET_SetInfoCallBack(NET_InfoCallback fn, void* user);
int WINAPI NET_SetRcfgMsgCallBack(NET_RcfgMsgCallback fn, void* user);
int WINAPI NET_Login(NET_LOGIN_PARAMS params);
int WINAPI NET_LogOut(int loginId);
int WINAPI NET_StartRealPlay(int loginId, int channel, NET_StreamDataCallback fn, void* user);
int WINAPI NET_StartSubStream(int loginId, int channel, NET_StreamDataCallback fn, void* user);
int WINAPI NET_StopRealPlay(int loginId, int channel);
int WINAPI NET_StopSubStream(int loginId, int channel);
int WINAPI NET_OpenSound(int loginId, int channel);
int WINAPI NET_CloseSound(int loginId, int channel);
int WINAPI NET_GetAudioEncode(int loginId, int channel);
int WINAPI NET_StartTalkback(int loginId, int channel, int value);
int WINAPI NET_SoundCaptureStart(NET_CaptureCallback fn, int user);
int WINAPI NET_TalkSendData(int loginId, const char* data, int length);
int WINAPI NET_StopTalkback(int loginId);
int WINAPI NET_AudioPlayStart(void);
int WINAPI NET_AudioDecode(unsigned char* data, int length, int type);
int WINAPI NET_AudioPlayStop(void);
int WINAPI NET_CreateRealPlayHandle(HWND window);
int WINAPI NET_CloseRealPlayHandle(int handle);
int WINAPI NET_PlayVideoStream(int handle, unsigned char* data, int length);
int WINAPI NET_StopPlayVideoStream(int handle);
int WINAPI NET_OverlayMdCoverRgn(int handle, int refWidth, int refHeight, int gridFlag,
                                 int row0, int row1, int row2, int row3, int row4, int row5,
                                 int row6, int row7, int row8, int row9, int row10, int row11,
                                 int row12, int row13, int row14, int coverFlagAndX,
                                 int coverYAndWidth, int coverHeight, int spare1, int spare2);
int WINAPI NET_Snapshot(int handle, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* ORVIK_H */
