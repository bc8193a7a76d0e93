// Test helper: decodes a whole Annex B stream with the engine and hashes
// every output picture (cropped, planar 4:2:0) like a framemd5 list.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "h264dec.h"
#include "md5.h"

namespace dectest {

// The reference lists were made by a decoder that keeps the left crop a
// multiple of 32 samples (it drops the rest of a left crop to keep its
// planes aligned); `referenceLeftCrop` hashes the same window.
inline std::string PictureMd5(const H264DecPicture& p, bool referenceLeftCrop = true) {
    testsupport::Md5 md5;
    int left = referenceLeftCrop ? p.cropLeft & ~31 : p.cropLeft;
    int w = p.width - left - p.cropRight, h = p.height - p.cropTop - p.cropBottom;
    for (int y = 0; y < h; ++y) md5.Update(p.y + (p.cropTop + y) * p.strideY + left, size_t(w));
    for (const uint8_t* plane : {p.u, p.v})
        for (int y = 0; y < h / 2; ++y)
            md5.Update(plane + (p.cropTop / 2 + y) * p.strideC + left / 2, size_t(w / 2));
    return md5.HexDigest();
}

struct DecodeResult {
    std::vector<std::string> md5s;
    std::vector<int> pocs;
    int damaged = 0;
};

// Feeds the stream in chunks of `chunk` bytes (0: whole stream at once).
inline DecodeResult DecodeStream(const std::vector<uint8_t>& data, uint32_t flags, uint32_t chunk = 0,
                                 uint32_t refFrames = 16) {
    DecodeResult r;
    H264DecParams params{0, 0, 120, 68, refFrames, flags};
    H264DecContext* dec = H264DecCreate(&params);
    if (!dec) return r;
    H264DecPicture pic{};
    auto take = [&](const H264DecPicture& p) {
        r.md5s.push_back(PictureMd5(p));
        r.pocs.push_back(p.poc);
        r.damaged += p.damaged ? 1 : 0;
    };
    size_t pos = 0;
    if (chunk == 0) chunk = uint32_t(data.size());
    while (pos < data.size()) {
        uint32_t n = uint32_t(std::min<size_t>(chunk, data.size() - pos));
        int rc = H264DecDecodeFrame(dec, data.data() + pos, n, 0, 0, &pic, 0);
        while (rc == 0) {
            take(pic);
            rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
        }
        pos += n;
    }
    for (int guard = 0; guard < 10000; ++guard) {
        int rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, H264DEC_FLUSH);
        if (rc != 0) break;
        take(pic);
    }
    H264DecRelease(dec);
    return r;
}

}  // namespace dectest
