#include "h264_decoder.h"

namespace orvik {

void CH264Decoder::Init() {
    if (!m_handle) m_handle = ffmpeg_h264_init();
    m_ready = m_handle != 0;
}

int CH264Decoder::Decode(const uint8_t* data, int length, FfmpegPicture* picture) {
    if (!m_ready) {
        Init();
        if (!m_ready) return -1;
    }
    m_got = 0;
    int n = ffmpeg_h264_decode(m_handle, data, length, &m_got, picture);
    if (n < 0) return -1;
    return m_got ? n : 0;
}

void CH264Decoder::Release() {
    if (m_handle) ffmpeg_h264_Release(m_handle);
    m_handle = 0;
    m_ready = false;
    m_got = 0;
}

}  // namespace orvik
