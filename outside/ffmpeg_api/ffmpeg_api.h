// ffmpeg_api: a small H.264 decoder library over libavcodec.
//   ffmpeg_h264_init    () -> handle, 0 on failure
//   ffmpeg_h264_decode  (handle, data, length, &got, picture) -> bytes used, -1 on error
//   ffmpeg_h264_Release (handle)
// The picture record is filled when got is set; its planes form one
// contiguous 4:2:0 picture without row padding (Y, then U, then V), owned by
// the handle and valid until the next call on it. A call with length 0
// drains the pictures the decoder still holds, one per call.
#pragma once
#include <stdint.h>

#ifdef FFMPEG_API_BUILD
#define FFMPEG_API  // exports come from the .def file
#else
#define FFMPEG_API __declspec(dllimport)
#endif

extern "C" {

struct FfmpegPicture {
    int32_t width;
    int32_t height;
    uint8_t* y;
    uint8_t* u;
    uint8_t* v;
};

FFMPEG_API intptr_t __stdcall ffmpeg_h264_init();
FFMPEG_API int __stdcall ffmpeg_h264_decode(intptr_t handle, const uint8_t* data, int length, int* got,
                                            FfmpegPicture* picture);
FFMPEG_API void __stdcall ffmpeg_h264_Release(intptr_t handle);
}
