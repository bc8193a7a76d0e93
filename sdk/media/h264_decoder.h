// Decoder of every play handle: the outside library ffmpeg_api.
#pragma once
#include <cstdint>

#include "ffmpeg_api.h"

namespace orvik {

class CH264Decoder {
public:
    CH264Decoder() = default;
    virtual ~CH264Decoder() { Release(); }
    CH264Decoder(const CH264Decoder&) = delete;
    CH264Decoder& operator=(const CH264Decoder&) = delete;

    // Makes the decoder when there is none.
    void Init();
    // Decodes one access unit. The bytes used when a picture came out (the
    // picture record filled), 0 when none did, -1 when no decoder can be made
    // or the unit was refused.
    int Decode(const uint8_t* data, int length, FfmpegPicture* picture);
    void Release();

    bool Ready() const { return m_ready; }
    int Got() const { return m_got; }

private:
    intptr_t m_handle = 0;
    bool m_ready = false;
    int m_got = 0;
};

}  // namespace orvik
