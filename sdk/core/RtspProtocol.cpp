#include "core/RtspProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rtsp {

bool StreamName(int channel, int kind, char* out, size_t size) {
    int n;
    switch (kind) {
    case 0:
    case 1: n = std::snprintf(out, size, "ch%02d_%02d.h264", channel, kind); break;
    case 3: n = std::snprintf(out, size, "ch%02d_03.h264", channel); break;
    case 4: n = std::snprintf(out, size, "ch%02d_04.aud", channel); break;
    default: return false;
    }
    return n > 0 && size_t(n) < size;
}

namespace {
size_t Fit(int n, size_t size) { return n > 0 && size_t(n) < size ? size_t(n) : 0; }
}  // namespace

size_t FormatOptions(char* out, size_t size, const char* url, int cseq) {
    return Fit(std::snprintf(out, size, "OPTIONS %s RTSP/1.0\r\nCSeq: %d\r\n%s\r\n\r\n", url, cseq,
                             kUserAgent),
               size);
}

size_t FormatDescribe(char* out, size_t size, const char* url, int cseq) {
    return Fit(std::snprintf(out, size,
                             "DESCRIBE %s RTSP/1.0\r\nCSeq: %d\r\nAccept: application/sdp\r\n%s\r\n\r\n",
                             url, cseq, kUserAgent),
               size);
}

size_t FormatSetup(char* out, size_t size, const char* url, int cseq) {
    return Fit(std::snprintf(out, size, "SETUP %s/%s RTSP/1.0\r\nCSeq: %d\r\n%s\r\n%s\r\n\r\n", url,
                             kControl, cseq, kTransport, kUserAgent),
               size);
}

size_t FormatPlay(char* out, size_t size, const char* url, int cseq, const char* session) {
    return Fit(std::snprintf(out, size,
                             "PLAY %s RTSP/1.0\r\nCSeq: %d\r\nSession: %s\r\nRange: npt=0.000-\r\n%s\r\n\r\n",
                             url, cseq, session, kUserAgent),
               size);
}

namespace {

// Case-sensitive search inside [p, p + n).
const char* Find(const char* p, size_t n, const char* what) {
    size_t w = std::strlen(what);
    if (w > n) return nullptr;
    for (size_t i = 0; i + w <= n; ++i)
        if (std::memcmp(p + i, what, w) == 0) return p + i;
    return nullptr;
}

bool ieq(char a, char b) {
    return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
}

// Reads "%u" after a prefix of the line; false when no digits follow.
bool ReadUnsigned(const char* p, const char* end, unsigned* out) {
    unsigned long v = 0;
    const char* start = p;
    while (p < end && *p >= '0' && *p <= '9') v = v * 10 + unsigned(*p++ - '0');
    if (p == start) return false;
    *out = unsigned(v);
    return true;
}

}  // namespace

long CompleteReplyLength(const uint8_t* data, size_t size, size_t maxHeader) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* blank = Find(p, size, "\r\n\r\n");
    if (!blank) return size > maxHeader ? -1 : 0;
    size_t header = size_t(blank - p) + 4;
    if (header > maxHeader) return -1;
    // Content-Length, any case, at the start of a header line.
    size_t body = 0;
    for (const char* line = p; line < p + header;) {
        const char* eol = Find(line, size_t(p + header - line), "\r\n");
        if (!eol) break;
        static const char kName[] = "content-length:";
        size_t k = sizeof kName - 1;
        if (size_t(eol - line) > k) {
            bool match = true;
            for (size_t i = 0; i < k && match; ++i) match = ieq(line[i], kName[i]);
            if (match) {
                const char* v = line + k;
                while (v < eol && (*v == ' ' || *v == '\t')) ++v;
                unsigned n = 0;
                if (ReadUnsigned(v, eol, &n)) body = n;
            }
        }
        line = eol + 2;
    }
    if (header + body > size) return 0;
    return long(header + body);
}

int CheckReply(Step step, const char* reply, size_t length, SessionInfo* info) {
    static const int kFail[] = {-2, -4, -6, -8};
    const int fail = kFail[int(step)];
    if (!reply || length == 0) return -1;

    bool status = false, statusGood = false, session = false, rtpInfo = false;
    bool sawFramesize = false, sawFramerate = false;
    const char* p = reply;
    const char* end = reply + length;
    while (p < end) {
        const char* eol = Find(p, size_t(end - p), "\r\n");
        if (!eol) break;  // text after the last line end is not examined
        size_t n = size_t(eol - p);
        if (n + 2 > kMaxLine) return fail;
        if (!status) {
            if (Find(p, n, "RTSP")) {
                status = true;
                // "%*s%u": the second blank-separated item.
                const char* q = p;
                while (q < eol && *q != ' ' && *q != '\t') ++q;
                while (q < eol && (*q == ' ' || *q == '\t')) ++q;
                unsigned code = 0;
                statusGood = ReadUnsigned(q, eol, &code) && code >= 200 && code <= 299;
                if (!statusGood) return fail;
            }
        } else if (step == Step::Describe) {
            unsigned a = 0, b = 0;
            const char* f;
            if (!sawFramesize && (f = Find(p, n, "a=framesize"))) {
                sawFramesize = true;
                static const char kFs[] = "a=framesize:96 ";
                if (size_t(eol - f) > sizeof kFs - 1 && std::memcmp(f, kFs, sizeof kFs - 1) == 0) {
                    const char* q = f + sizeof kFs - 1;
                    if (ReadUnsigned(q, eol, &a) && info) {
                        info->frameWidth = a;
                        while (q < eol && *q >= '0' && *q <= '9') ++q;
                        if (q < eol && *q == '-' && ReadUnsigned(q + 1, eol, &b)) info->frameHeight = b;
                    }
                }
            }
            if (!sawFramerate && (f = Find(p, n, "a=framerate"))) {
                sawFramerate = true;
                static const char kFr[] = "a=framerate:";
                if (size_t(eol - f) > sizeof kFr - 1 && std::memcmp(f, kFr, sizeof kFr - 1) == 0 &&
                    ReadUnsigned(f + sizeof kFr - 1, eol, &a) && info)
                    info->frameRate = a;
            }
            if (Find(p, n, "a=rtpmap") && info) {
                info->audioCodec = Find(p, n, "PCMA") ? 1 : Find(p, n, "PCMU") ? 2 : Find(p, n, "H264") ? 3 : info->audioCodec;
            }
        } else if (step == Step::Setup) {
            if (!session && Find(p, n, "Session")) {
                session = true;
                const char* q = p;
                while (q < eol && *q != ' ') ++q;
                if (q < eol) ++q;
                size_t len = size_t(eol - q);
                if (len > kSessionChars) len = kSessionChars;
                if (info) {
                    std::memcpy(info->session, q, len);
                    info->session[len] = '\0';
                }
            }
        } else if (step == Step::Play) {
            if (Find(p, n, "Session")) session = true;
            if (Find(p, n, "RTP-Info")) rtpInfo = true;
        }
        p = eol + 2;
    }
    if (!statusGood) return fail;
    if (step == Step::Setup && !session) return fail;
    if (step == Step::Play && !(session && rtpInfo)) return fail;
    return 0;
}

ReplyGatherer::Result ReplyGatherer::Feed(const uint8_t* data, size_t size, ReplyFn fn, void* ctx) {
    if (bytes_.size() + size > kLimit) {
        bytes_.clear();
        return Result::Overflow;
    }
    bytes_.insert(bytes_.end(), data, data + size);
    while (!bytes_.empty()) {
        long n = CompleteReplyLength(bytes_.data(), bytes_.size());
        if (n == 0) return Result::Waiting;
        if (n < 0) {
            bytes_.clear();
            return Result::Unframed;
        }
        const bool playing = fn(ctx, reinterpret_cast<const char*>(bytes_.data()), size_t(n));
        bytes_.erase(bytes_.begin(), bytes_.begin() + n);
        if (playing) return Result::Playing;
    }
    return Result::Waiting;
}

bool ReadInterleavedHeader(const uint8_t* p, size_t avail, InterleavedHeader* h) {
    if (avail < 4 || p[0] != '$') return false;
    h->channel = p[1];
    h->length = size_t(p[2]) << 8 | p[3];
    return true;
}

size_t FindResync(const uint8_t* p, size_t size, size_t from) {
    for (size_t i = from; i < size; ++i) {
        if (p[i] != '$') continue;
        if (i + 1 < size && p[i + 1] > 3) continue;
        if (i + 4 < size && (p[i + 1] & 1) == 0 && (p[i + 4] & 0xC0) != 0x80) continue;
        return i;
    }
    return size;
}

bool ParseRtp(const uint8_t* p, size_t size, RtpPacket* out) {
    if (size < 12 || (p[0] >> 6) != 2) return false;
    size_t offset = 12 + 4 * size_t(p[0] & 0x0F);
    if (offset > size) return false;
    if (p[0] & 0x10) {
        if (offset + 4 > size) return false;
        size_t words = size_t(p[offset + 2]) << 8 | p[offset + 3];
        offset += 4 + 4 * words;
        if (offset > size) return false;
    }
    out->marker = (p[1] & 0x80) != 0;
    out->sequence = uint16_t(p[2] << 8 | p[3]);
    out->timestamp = uint32_t(p[4]) << 24 | uint32_t(p[5]) << 16 | uint32_t(p[6]) << 8 | p[7];
    out->payloadOffset = offset;
    out->payloadLength = size - offset;
    return true;
}

namespace {
const uint8_t kStart3[3] = {0, 0, 1};
const uint8_t kStart4[4] = {0, 0, 0, 1};

void SingleNal(const uint8_t* p, size_t n, NalSink& sink) {
    sink.Append(kStart3, 3);
    sink.Append(p, n);
}

// STAP-A: after the one-byte header, units of a 16-bit size and a NAL unit.
void Aggregate(const uint8_t* p, size_t n, NalSink& sink) {
    size_t i = 1;
    while (i + 2 <= n) {
        size_t len = size_t(p[i]) << 8 | p[i + 1];
        i += 2;
        if (len == 0 || i + len > n) break;
        SingleNal(p + i, len, sink);
        i += len;
    }
}
}  // namespace

void RebuildNal(const uint8_t* p, size_t n, bool marker, NalSink& sink) {
    if (n == 0) return;
    if (n == 1) {  // a one-byte NAL unit (end of sequence or stream)
        if ((p[0] & 0x1F) >= 1 && (p[0] & 0x1F) <= 23) SingleNal(p, n, sink);
        return;
    }
    const uint8_t b0 = p[0], b1 = p[1];
    const int type = b0 & 0x1F;
    if (marker) {
        if (b0 != 0 && type == 24) {
            Aggregate(p, n, sink);  // its second byte is a size, often 0
        } else if (b0 == 0 || b1 == 0) {
            sink.Append(p, n);  // the payload brings its own start code
        } else if (type == 28 || type == 29) {
            sink.Append(p + 2, n - 2);  // the last fragment of a unit
        } else {
            SingleNal(p, n, sink);
        }
        return;
    }
    // Standard senders mark only the last packet of an access unit: an
    // unmarked single NAL unit or aggregation packet is not a fragment.
    if (type >= 1 && type <= 23) {
        SingleNal(p, n, sink);
        return;
    }
    if (type == 24) {
        Aggregate(p, n, sink);
        return;
    }
    // A fragmentation unit: b0 indicator, b1 header.
    if (b1 & 0x80) {
        if (n >= 4 && p[2] == 0 && p[3] == 1) {
            // The device's own fragment: b0 b1 stand for 00 00 of a start code.
            sink.Append(kStart4, 4);
            sink.Append(p + 4, n - 4);
        } else {
            const uint8_t header = uint8_t((b1 & 0x1F) | (b0 & 0x60));
            sink.Append(kStart3, 3);
            sink.Append(&header, 1);
            sink.Append(p + 2, n - 2);
        }
    } else {
        sink.Append(p + 2, n - 2);
    }
}

void InterleavedParser::Feed(uint8_t* data, size_t size, PacketFn fn, void* ctx) {
    size_t i = 0;
    if (held_ > 0) {
        // Complete the packet kept from the previous receive.
        size_t need = 4;
        if (held_ < 4) {
            size_t take = need - held_ < size ? need - held_ : size;
            std::memcpy(hold_ + held_, data, take);
            held_ += take;
            i += take;
            if (held_ < 4) return;
        }
        InterleavedHeader h;
        if (!ReadInterleavedHeader(hold_, held_, &h)) {
            held_ = 0;  // cannot happen: a held packet starts with '$'
        } else {
            need = h.length + 4;
            size_t take = need - held_ < size - i ? need - held_ : size - i;
            std::memcpy(hold_ + held_, data + i, take);
            held_ += take;
            i += take;
            if (held_ < need) return;
            held_ = 0;
            fn(ctx, h.channel, hold_ + 4, h.length);
        }
    }
    while (i < size) {
        if (data[i] != '$') {
            ++resyncs_;
            i = FindResync(data, size, i + 1);
            continue;
        }
        InterleavedHeader h;
        if (size - i < 4 || !ReadInterleavedHeader(data + i, size - i, &h) ||
            size - i < h.length + 4) {
            held_ = size - i;
            std::memcpy(hold_, data + i, held_);
            return;
        }
        fn(ctx, h.channel, data + i + 4, h.length);
        i += h.length + 4;
    }
}

void FrameAssembler::BeginPacket(uint32_t timestamp) {
    if (timestamp == timestamp_) return;
    if (!dropping_) deliver_(ctx_, buf_, length_);
    length_ = 0;
    dropping_ = false;
    timestamp_ = timestamp;
}

void FrameAssembler::Append(const uint8_t* data, size_t size) {
    if (dropping_) return;
    if (length_ + size > max_) {
        dropping_ = true;
        length_ = 0;
        if (overflow_) overflow_(ctx_, timestamp_);
        return;
    }
    std::memcpy(buf_ + length_, data, size);
    length_ += size;
}

}  // namespace rtsp
