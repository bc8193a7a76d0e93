// libFuzzer target over the SDK's RTSP/RTP code: the input is the byte
// stream of one stream connection, received in pieces whose sizes come from
// the input. Replies are gathered by the slots' reply gatherer and checked
// step by step (OPTIONS, DESCRIBE, SETUP, PLAY); what follows the PLAY reply
// goes through the interleaved parser, the RTP header, the NAL rebuilding
// and the access-unit assembly.
//
// Input: flags, two bytes of piece seed, the unit limit (x 256 bytes), then
// the stream. Flag bit 0 skips the replies (the stream is RTP from its first
// byte).
//
// Properties: a complete reply is never longer than what was gathered nor
// than a receive, and the gathered bytes stay within a receive; the
// session id is terminated within its 16 characters and the PLAY request
// fits; the hold buffer (of its documented least size) never overfills; a
// packet lies wholly in the received bytes or the hold buffer; the RTP
// payload lies in the packet; no unit is delivered longer than the limit.
#include <cstring>
#include <vector>

#include "core/RtspProtocol.h"
#include "fuzz_input.h"

namespace {

constexpr size_t kReceiveSize = 0x20000;  // one receive of a stream slot
constexpr size_t kLeastHold = 0x10003;

struct Session {
    rtsp::InterleavedParser* parser;
    rtsp::FrameAssembler* assembler;
    const uint8_t* hold;
    const uint8_t* piece;
    size_t pieceSize;
    const uint8_t* frame;
    size_t maxUnit;
    size_t units = 0;
};

bool Within(const uint8_t* p, size_t n, const uint8_t* base, size_t size) {
    return p >= base && p <= base + size && n <= size_t(base + size - p);
}

void OnFrame(void* ctx, uint8_t* data, size_t length) {
    Session& s = *static_cast<Session*>(ctx);
    if (data != s.frame) fuzz::Fail("unit outside the frame buffer");
    if (length > s.maxUnit) fuzz::Fail("unit longer than the limit", long(length), long(s.maxUnit));
    ++s.units;
}

void OnOversized(void*, uint32_t) {}

void OnPacket(void* ctx, int channel, uint8_t* data, size_t length) {
    Session& s = *static_cast<Session*>(ctx);
    if (channel < 0 || channel > 255) fuzz::Fail("channel", channel);
    if (!Within(data, length, s.piece, s.pieceSize) && !Within(data, length, s.hold, kLeastHold))
        fuzz::Fail("packet outside the received bytes", long(length));
    rtsp::RtpPacket rtp;
    if (!rtsp::ParseRtp(data, length, &rtp)) return;
    if (rtp.payloadOffset < 12 || rtp.payloadOffset + rtp.payloadLength != length)
        fuzz::Fail("RTP payload outside the packet", long(rtp.payloadOffset), long(rtp.payloadLength));
    if (channel != 0) return;
    s.assembler->BeginPacket(rtp.timestamp);
    rtsp::RebuildNal(data + rtp.payloadOffset, rtp.payloadLength, rtp.marker, *s.assembler);
    if (s.assembler->Gathered() > s.maxUnit) fuzz::Fail("gathered past the limit");
}

void FeedParser(Session& s, uint8_t* data, size_t size) {
    s.piece = data;
    s.pieceSize = size;
    s.parser->Feed(data, size, OnPacket, &s);
    if (s.parser->Held() > kLeastHold) fuzz::Fail("hold buffer overfilled", long(s.parser->Held()));
}

// Every step's check of one complete reply, on its own copy.
void CheckEveryStep(const uint8_t* reply, size_t n) {
    fuzz::Exact copy(reply, n);
    for (rtsp::Step step : {rtsp::Step::Options, rtsp::Step::Describe, rtsp::Step::Setup, rtsp::Step::Play}) {
        rtsp::SessionInfo info;
        int rc = rtsp::CheckReply(step, reinterpret_cast<const char*>(copy.data()), n, &info);
        if (rc != 0 && rc != -1 && rc != -2 - 2 * int(step)) fuzz::Fail("step failure code", rc, int(step));
        if (!std::memchr(info.session, 0, sizeof info.session)) fuzz::Fail("session id not terminated");
    }
}

// The reply handling of a stream slot: each step's check in turn; true once
// the PLAY reply is taken.
struct Steps {
    int step = 0;
    rtsp::SessionInfo info;
};

bool OnReply(void* ctx, const char* reply, size_t length) {
    static const rtsp::Step kSteps[] = {rtsp::Step::Options, rtsp::Step::Describe, rtsp::Step::Setup,
                                        rtsp::Step::Play};
    Steps& st = *static_cast<Steps*>(ctx);
    if (length == 0 || length > rtsp::ReplyGatherer::kLimit) fuzz::Fail("reply length", long(length));
    CheckEveryStep(reinterpret_cast<const uint8_t*>(reply), length);
    fuzz::Exact one(reply, length);
    const char* text = reinterpret_cast<const char*>(one.data());
    if (rtsp::CheckReply(kSteps[st.step], text, length, &st.info) != 0) return false;
    if (kSteps[st.step] == rtsp::Step::Setup) {
        const void* end = std::memchr(st.info.session, 0, sizeof st.info.session);
        if (!end) fuzz::Fail("session id not terminated");
        if (static_cast<const char*>(end) - st.info.session > long(rtsp::kSessionChars)) fuzz::Fail("session id");
        char request[rtsp::kRequestSize];
        const char* url = "rtsp://169.254.10.2:554/ch01_00.h264";
        if (rtsp::FormatPlay(request, sizeof request, url, 3, st.info.session) == 0)
            fuzz::Fail("PLAY request does not fit");
    }
    return ++st.step == 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint8_t* hold = new uint8_t[kLeastHold];
    fuzz::Input in(data, size);
    const uint8_t flags = in.Byte();
    fuzz::Pieces pieces{in.Word()};
    const size_t maxUnit = 64 + size_t(in.Byte()) * 256;
    std::vector<uint8_t> frame(maxUnit);

    rtsp::InterleavedParser parser(hold);
    Session s{&parser, nullptr, hold, nullptr, 0, frame.data(), maxUnit};
    rtsp::FrameAssembler assembler(frame.data(), maxUnit, OnFrame, OnOversized, &s);
    s.assembler = &assembler;

    bool playing = (flags & 1) != 0;
    Steps steps;
    rtsp::ReplyGatherer replies;
    while (in.Left()) {
        const uint8_t* p;
        size_t n = in.Take(pieces.Next(kReceiveSize), &p);
        fuzz::Exact piece(p, n);
        if (playing) {
            FeedParser(s, piece.data(), n);
            continue;
        }
        // The reply framing on this piece alone, in a block of its size.
        long len = rtsp::CompleteReplyLength(piece.data(), n);
        if (len > long(n)) fuzz::Fail("reply longer than the bytes", len, long(n));
        if (replies.Feed(piece.data(), n, OnReply, &steps) == rtsp::ReplyGatherer::Result::Playing) {
            playing = true;
            if (!replies.Rest().empty()) {
                // RTP that came in the same receive as the PLAY reply.
                fuzz::Exact rest(replies.Rest().data(), replies.Rest().size());
                replies.Clear();
                FeedParser(s, rest.data(), rest.size());
            }
        }
        if (replies.Rest().size() > rtsp::ReplyGatherer::kLimit) fuzz::Fail("replies past the limit");
    }
    return 0;
}
