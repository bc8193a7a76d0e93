// RTSP 1.0 with RTP interleaved on TCP, as the devices speak it: request
// texts, reply checks, the interleaved framing, the RTP header, the
// rebuilding of H.264 NAL units with Annex-B start codes, and the assembly of
// one access unit per RTP timestamp. Pure functions over byte buffers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rtsp {

constexpr const char* kUserAgent = "User-Agent: Client v20110411";
constexpr const char* kTransport = "Transport: RTP/AVP/TCP;unicast;interleaved=0";
constexpr const char* kControl = "track1";
constexpr size_t kRequestSize = 512;
constexpr size_t kMaxLine = 512;
constexpr size_t kSessionChars = 16;

enum class Step { Options, Describe, Setup, Play };

// Stream name of a kind on a channel ("ch%02d_00.h264", ...); false for a
// kind without a slot (2, or above 4).
bool StreamName(int channel, int kind, char* out, size_t size);

// The request texts; the result is the length, or 0 when it does not fit.
size_t FormatOptions(char* out, size_t size, const char* url, int cseq);
size_t FormatDescribe(char* out, size_t size, const char* url, int cseq);
size_t FormatSetup(char* out, size_t size, const char* url, int cseq);
size_t FormatPlay(char* out, size_t size, const char* url, int cseq, const char* session);

// What the replies teach about a stream.
struct SessionInfo {
    unsigned frameWidth = 0, frameHeight = 0, frameRate = 0;
    int audioCodec = 0;  // 1 PCMA, 2 PCMU, 3 H264
    char session[kSessionChars + 1] = {};
};

// Length of the first complete reply in data: the header up to its blank
// line plus Content-Length bytes of body. 0 while incomplete; -1 when the
// header passes maxHeader bytes without a blank line.
long CompleteReplyLength(const uint8_t* data, size_t size, size_t maxHeader = 0x10000);

// Checks a whole reply for a step. 0 good, else the step's failure code:
// OPTIONS -2, DESCRIBE -4, SETUP -6, PLAY -8; -1 for a null or empty input.
int CheckReply(Step step, const char* reply, size_t length, SessionInfo* info);

// The replies of a session's steps, gathered over receives. Each complete
// reply goes to the handler, which says whether the session now plays;
// from then on nothing more is gathered and the bytes behind the PLAY reply
// (RTP of the same receive) wait in Rest().
class ReplyGatherer {
public:
    static constexpr size_t kLimit = 0x20000;  // no reply is longer than a receive
    using ReplyFn = bool (*)(void* ctx, const char* reply, size_t length);
    enum class Result {
        Waiting,   // the rest of a reply comes with the next receive
        Overflow,  // the gathered bytes would pass kLimit: dropped
        Unframed,  // a header passed its limit without a blank line: dropped
        Playing,   // the handler said the session plays
    };
    Result Feed(const uint8_t* data, size_t size, ReplyFn fn, void* ctx);
    std::vector<uint8_t>& Rest() { return bytes_; }
    void Clear() { bytes_.clear(); }
    void Release() { std::vector<uint8_t>().swap(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

// Interleaved framing: '$', channel, 16-bit big-endian length, data.
struct InterleavedHeader {
    int channel;
    size_t length;
};
bool ReadInterleavedHeader(const uint8_t* p, size_t avail, InterleavedHeader* h);
// Offset of the next plausible packet start at or after from (a '$' whose
// channel is 0-3 and, for an RTP channel with its first byte present,
// whose version is 2); size when none is seen.
size_t FindResync(const uint8_t* p, size_t size, size_t from);

// Splits received bytes into interleaved packets. A packet that spans
// receives is gathered in the hold buffer (at least 0x10003 bytes) and
// completed by the next receive. After a byte where a packet should begin
// but no '$' is, it resynchronises at the next plausible packet start.
class InterleavedParser {
public:
    static constexpr size_t kHoldSize = 0x20000;
    using PacketFn = void (*)(void* ctx, int channel, uint8_t* data, size_t length);

    explicit InterleavedParser(uint8_t* hold) : hold_(hold) {}
    void Reset() { held_ = 0; }
    void Feed(uint8_t* data, size_t size, PacketFn fn, void* ctx);
    size_t Held() const { return held_; }
    unsigned Resyncs() const { return resyncs_; }

private:
    uint8_t* hold_;
    size_t held_ = 0;
    unsigned resyncs_ = 0;
};

// The RTP fixed header, CSRCs and extension; false for a packet that is too
// short or not version 2.
struct RtpPacket {
    bool marker;
    uint16_t sequence;
    uint32_t timestamp;
    size_t payloadOffset;
    size_t payloadLength;
};
bool ParseRtp(const uint8_t* p, size_t size, RtpPacket* out);

// Receives the rebuilt bytes of a video payload, in order.
class NalSink {
public:
    virtual void Append(const uint8_t* data, size_t size) = 0;

protected:
    ~NalSink() = default;
};

// Rebuilds one H.264 RTP payload into Annex-B bytes: start codes before
// single NAL units, aggregation units split, fragmentation units joined with
// their NAL header rebuilt, and the devices' fragments that carry their own
// start code.
void RebuildNal(const uint8_t* payload, size_t size, bool marker, NalSink& sink);

// Gathers the rebuilt bytes of one access unit per RTP timestamp in a
// buffer of fixed capacity. A unit that would pass maxUnit bytes is dropped
// whole: it is not delivered.
class FrameAssembler : public NalSink {
public:
    static constexpr size_t kCapacity = 0x200000;
    static constexpr size_t kMaxUnit = 0x1F0000;
    static constexpr uint32_t kNoTimestamp = 0xFFFFFFFF;

    // deliver(data, length) when a unit is complete; overflow() when a unit
    // is dropped for its size.
    using DeliverFn = void (*)(void* ctx, uint8_t* data, size_t length);
    using OverflowFn = void (*)(void* ctx, uint32_t timestamp);

    FrameAssembler(uint8_t* buffer, size_t maxUnit, DeliverFn deliver, OverflowFn overflow,
                   void* ctx)
        : buf_(buffer), max_(maxUnit), deliver_(deliver), overflow_(overflow), ctx_(ctx) {}

    void Reset() {
        length_ = 0;
        timestamp_ = kNoTimestamp;
        dropping_ = false;
    }
    // Starts a packet of this timestamp: a change delivers the gathered unit
    // (an empty one for the first packet of a session).
    void BeginPacket(uint32_t timestamp);
    void Append(const uint8_t* data, size_t size) override;
    size_t Gathered() const { return length_; }

private:
    uint8_t* buf_;
    size_t max_;
    size_t length_ = 0;
    uint32_t timestamp_ = kNoTimestamp;
    bool dropping_ = false;
    DeliverFn deliver_;
    OverflowFn overflow_;
    void* ctx_;
};

}  // namespace rtsp
