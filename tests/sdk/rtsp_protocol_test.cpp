// The stream protocol as pure functions: requests, reply checks, framing,
// RTP header, NAL rebuilding and access-unit assembly; and the simulator's
// packetisation read back through the SDK's rebuilding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Packetizer.h"
#include "core/CmdClient.h"
#include "core/RtspProtocol.h"

using namespace rtsp;
using Bytes = std::vector<uint8_t>;

namespace {

struct Collect : NalSink {
    Bytes out;
    void Append(const uint8_t* d, size_t n) override { out.insert(out.end(), d, d + n); }
};

Bytes Rebuild(const Bytes& payload, bool marker) {
    Collect c;
    RebuildNal(payload.data(), payload.size(), marker, c);
    return c.out;
}

}  // namespace

TEST(RtspRequests, TextsAsSent) {
    char buf[kRequestSize];
    const char* url = "rtsp://127.0.0.5:36688/ch03_01.h264";
    ASSERT_GT(FormatOptions(buf, sizeof buf, url, 0), 0u);
    EXPECT_STREQ(buf, "OPTIONS rtsp://127.0.0.5:36688/ch03_01.h264 RTSP/1.0\r\nCSeq: 0\r\n"
                      "User-Agent: Client v20110411\r\n\r\n");
    ASSERT_GT(FormatDescribe(buf, sizeof buf, url, 1), 0u);
    EXPECT_STREQ(buf, "DESCRIBE rtsp://127.0.0.5:36688/ch03_01.h264 RTSP/1.0\r\nCSeq: 1\r\n"
                      "Accept: application/sdp\r\nUser-Agent: Client v20110411\r\n\r\n");
    ASSERT_GT(FormatSetup(buf, sizeof buf, url, 2), 0u);
    EXPECT_STREQ(buf, "SETUP rtsp://127.0.0.5:36688/ch03_01.h264/track1 RTSP/1.0\r\nCSeq: 2\r\n"
                      "Transport: RTP/AVP/TCP;unicast;interleaved=0\r\n"
                      "User-Agent: Client v20110411\r\n\r\n");
    ASSERT_GT(FormatPlay(buf, sizeof buf, url, 3, "12345678;timeout"), 0u);
    EXPECT_STREQ(buf, "PLAY rtsp://127.0.0.5:36688/ch03_01.h264 RTSP/1.0\r\nCSeq: 3\r\n"
                      "Session: 12345678;timeout\r\nRange: npt=0.000-\r\n"
                      "User-Agent: Client v20110411\r\n\r\n");
    std::string longUrl(600, 'x');
    EXPECT_EQ(FormatOptions(buf, sizeof buf, longUrl.c_str(), 0), 0u) << "must not be cut";
}

TEST(RtspRequests, StreamNames) {
    struct { int channel, kind; const char* name; } cases[] = {
        {0, 0, "ch00_00.h264"}, {7, 1, "ch07_01.h264"}, {31, 3, "ch31_03.h264"},
        {12, 4, "ch12_04.aud"},
    };
    char buf[64];
    for (auto& c : cases) {
        ASSERT_TRUE(StreamName(c.channel, c.kind, buf, sizeof buf));
        EXPECT_STREQ(buf, c.name);
    }
    EXPECT_FALSE(StreamName(0, 2, buf, sizeof buf));
    EXPECT_FALSE(StreamName(0, 5, buf, sizeof buf));
}

TEST(RtspReplies, Checks) {
    const std::string longLine = "X-Pad: " + std::string(510, 'p') + "\r\n";
    struct Case {
        Step step;
        std::string reply;
        int result;
    } cases[] = {
        {Step::Options, "RTSP/1.0 200 OK\r\nCSeq: 0\r\n\r\n", 0},
        {Step::Options, "RTSP/1.0 299 Fine\r\n\r\n", 0},
        {Step::Options, "RTSP/1.0 300 Moved\r\n\r\n", -2},
        {Step::Options, "RTSP/1.0 OK\r\n\r\n", -2},
        {Step::Options, "HTTP/1.1 200 OK\r\n\r\n", -2},
        {Step::Options, "RTSP/1.0 200 OK", -2},  // no line end: nothing examined
        {Step::Options, "RTSP/1.0 200 OK\r\n" + longLine + "\r\n", -2},
        {Step::Options, "", -1},
        {Step::Describe, "RTSP/1.0 401 Unauthorized\r\nCSeq: 1\r\n\r\n", -4},
        {Step::Describe, "RTSP/1.0 200 OK\r\n\r\nv=0\r\n", 0},
        {Step::Setup, "RTSP/1.0 200 OK\r\nSession: 1234\r\n\r\n", 0},
        {Step::Setup, "RTSP/1.0 200 OK\r\nCSeq: 2\r\n\r\n", -6},
        {Step::Setup, "RTSP/1.0 454 Session Not Found\r\nSession: 1\r\n\r\n", -6},
        {Step::Play, "RTSP/1.0 200 OK\r\nSession: 1\r\nRTP-Info: url=x\r\n\r\n", 0},
        {Step::Play, "RTSP/1.0 200 OK\r\nRTP-Info: url=x\r\nSession: 1\r\n\r\n", 0},
        {Step::Play, "RTSP/1.0 200 OK\r\nSession: 1\r\n\r\n", -8},
        {Step::Play, "RTSP/1.0 200 OK\r\nRTP-Info: url=x\r\n\r\n", -8},
    };
    for (const Case& c : cases) {
        SessionInfo info;
        EXPECT_EQ(CheckReply(c.step, c.reply.data(), c.reply.size(), &info), c.result) << c.reply;
    }
    EXPECT_EQ(CheckReply(Step::Play, nullptr, 10, nullptr), -1);
}

TEST(RtspReplies, DescribeAndSetupValues) {
    std::string describe =
        "RTSP/1.0 200 OK\r\nCSeq: 1\r\nContent-Length: 99\r\n\r\nv=0\r\n"
        "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\na=framesize:96 704-576\r\n"
        "a=framerate:25\r\nm=audio 0 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";
    SessionInfo info;
    ASSERT_EQ(CheckReply(Step::Describe, describe.data(), describe.size(), &info), 0);
    EXPECT_EQ(info.frameWidth, 704u);
    EXPECT_EQ(info.frameHeight, 576u);
    EXPECT_EQ(info.frameRate, 25u);
    EXPECT_EQ(info.audioCodec, 2) << "the last rtpmap line wins";

    struct { const char* line; const char* session; } sessions[] = {
        {"Session: 5A3C9E01\r\n", "5A3C9E01"},
        {"Session: 12345678;timeout=60\r\n", "12345678;timeout"},
        {"Session: 0123456789ABCDEFGHIJ\r\n", "0123456789ABCDEF"},
        {"Session:nospace\r\n", ""},
    };
    for (auto& s : sessions) {
        std::string setup = std::string("RTSP/1.0 200 OK\r\n") + s.line + "\r\n";
        SessionInfo si;
        ASSERT_EQ(CheckReply(Step::Setup, setup.data(), setup.size(), &si), 0);
        EXPECT_STREQ(si.session, s.session);
        EXPECT_LE(std::strlen(si.session), kSessionChars);
    }
}

TEST(RtspReplies, CompleteLength) {
    struct { std::string bytes; long length; } cases[] = {
        {"RTSP/1.0 200 OK\r\nCSeq: 0\r\n", 0},
        {"RTSP/1.0 200 OK\r\n\r\n", 19},
        {"RTSP/1.0 200 OK\r\n\r\n$\x00\x00\x10", 19},
        {"RTSP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nabc", 0},
        {"RTSP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nabcde", 43},
        {"RTSP/1.0 200 OK\r\ncontent-length:3\r\n\r\nabcdef", 40},
    };
    for (auto& c : cases) {
        EXPECT_EQ(CompleteReplyLength(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()),
                  c.length)
            << c.bytes;
    }
    std::string endless(100, 'a');
    EXPECT_EQ(CompleteReplyLength(reinterpret_cast<const uint8_t*>(endless.data()), endless.size(), 64), -1);
}

namespace {
struct Gathered {
    std::vector<std::string> replies;
    size_t playAfter = 99;  // the handler reports playing after this many replies
};
bool TakeReply(void* ctx, const char* reply, size_t length) {
    auto* g = static_cast<Gathered*>(ctx);
    g->replies.emplace_back(reply, length);
    return g->replies.size() >= g->playAfter;
}
}  // namespace

TEST(RtspReplies, GatheredOverReceives) {
    using R = ReplyGatherer::Result;
    const std::string a = "RTSP/1.0 200 OK\r\nCSeq: 0\r\n\r\n";
    const std::string b = "RTSP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nv=0";
    auto feed = [](ReplyGatherer& r, Gathered& g, const std::string& t) {
        return r.Feed(reinterpret_cast<const uint8_t*>(t.data()), t.size(), TakeReply, &g);
    };
    {  // one reply in three receives, then two in one
        ReplyGatherer r;
        Gathered g;
        EXPECT_EQ(R::Waiting, feed(r, g, a.substr(0, 5)));
        EXPECT_EQ(R::Waiting, feed(r, g, a.substr(5, 20)));
        EXPECT_EQ(R::Waiting, feed(r, g, a.substr(25) + b.substr(0, b.size() - 1)));
        EXPECT_EQ(std::vector<std::string>{a}, g.replies);
        EXPECT_EQ(R::Waiting, feed(r, g, b.substr(b.size() - 1) + a));
        EXPECT_EQ((std::vector<std::string>{a, b, a}), g.replies);
        EXPECT_TRUE(r.Rest().empty());
    }
    {  // the PLAY reply with RTP behind it: the rest waits, nothing more is taken
        ReplyGatherer r;
        Gathered g;
        g.playAfter = 1;
        EXPECT_EQ(R::Playing, feed(r, g, a + "$\x00\x00\x01X" + a));
        EXPECT_EQ(1u, g.replies.size());
        EXPECT_EQ("$\x00\x00\x01X" + a, std::string(r.Rest().begin(), r.Rest().end()));
    }
    {  // past a receive's size, and a header without end: dropped
        ReplyGatherer r;
        Gathered g;
        std::string open(ReplyGatherer::kLimit, 'x');
        EXPECT_EQ(R::Unframed, feed(r, g, open));
        EXPECT_TRUE(r.Rest().empty());
        EXPECT_EQ(R::Waiting, feed(r, g, "RTSP/1.0 200 OK\r\n"));
        EXPECT_EQ(R::Overflow, feed(r, g, open));
        EXPECT_TRUE(r.Rest().empty());
        EXPECT_TRUE(g.replies.empty());
    }
}

TEST(RtpHeader, Parse) {
    struct Case {
        Bytes packet;
        bool ok;
        bool marker;
        uint16_t seq;
        uint32_t ts;
        size_t offset;
    } cases[] = {
        {{0x80, 0xE0, 0x01, 0x02, 0, 0, 0x0E, 0x10, 1, 2, 3, 4, 0xAA}, true, true, 0x0102, 3600, 12},
        {{0x80, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4}, true, false, 1, 1, 12},
        {{0x82, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4, 0, 0, 0, 1, 0, 0, 0, 2, 0xAA}, true, false, 1, 1, 20},
        {{0x90, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4, 0xBE, 0xDE, 0, 1, 9, 9, 9, 9, 0xAA}, true, false, 1, 1, 20},
        {{0x90, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4, 0xBE, 0xDE, 0, 2, 9, 9, 9, 9}, false, false, 0, 0, 0},
        {{0x83, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4, 0, 0, 0, 1}, false, false, 0, 0, 0},
        {{0x40, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4}, false, false, 0, 0, 0},
        {{0x80, 0x60, 0, 1, 0, 0, 0, 1, 1, 2, 3}, false, false, 0, 0, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        RtpPacket p;
        ASSERT_EQ(ParseRtp(c.packet.data(), c.packet.size(), &p), c.ok) << i;
        if (!c.ok) continue;
        EXPECT_EQ(p.marker, c.marker) << i;
        EXPECT_EQ(p.sequence, c.seq) << i;
        EXPECT_EQ(p.timestamp, c.ts) << i;
        EXPECT_EQ(p.payloadOffset, c.offset) << i;
        EXPECT_EQ(p.payloadLength, c.packet.size() - c.offset) << i;
    }
}

TEST(NalRebuild, Table) {
    struct Case {
        const char* name;
        Bytes payload;
        bool marker;
        Bytes out;
    } cases[] = {
        {"marked single NAL", {0x65, 0x88, 1, 2}, true, {0, 0, 1, 0x65, 0x88, 1, 2}},
        {"marked, own start code", {0, 0, 0, 1, 0x67, 5}, true, {0, 0, 0, 1, 0x67, 5}},
        {"marked, b1 zero", {0x41, 0, 7}, true, {0x41, 0, 7}},
        {"marked last FU-A fragment", {0x7C, 0x45, 9, 8}, true, {9, 8}},
        {"marked last FU-B fragment", {0x7D, 0x45, 9, 8}, true, {9, 8}},
        {"FU-A start, header rebuilt", {0x7C, 0x85, 0x88, 0x80, 3}, false,
         {0, 0, 1, 0x65, 0x88, 0x80, 3}},
        {"device fragment with start code", {0x7C, 0x85, 0, 1, 0x65, 0x88}, false,
         {0, 0, 0, 1, 0x65, 0x88}},
        {"FU-A middle", {0x7C, 0x05, 4, 5, 6}, false, {4, 5, 6}},
        {"FU-A end without marker", {0x7C, 0x45, 4}, false, {4}},
        // Standard senders: unmarked single NAL units and aggregation.
        {"unmarked SPS", {0x67, 0x42, 0, 0x1E}, false, {0, 0, 1, 0x67, 0x42, 0, 0x1E}},
        {"unmarked slice", {0x41, 0x9A, 7}, false, {0, 0, 1, 0x41, 0x9A, 7}},
        {"STAP-A", {0x18, 0, 2, 0x67, 0x42, 0, 3, 0x68, 0xCE, 0x38}, false,
         {0, 0, 1, 0x67, 0x42, 0, 0, 1, 0x68, 0xCE, 0x38}},
        {"marked STAP-A", {0x18, 0, 1, 0x09, 0, 2, 0x65, 0x88}, true,
         {0, 0, 1, 0x09, 0, 0, 1, 0x65, 0x88}},
        {"STAP-A with a bad size", {0x18, 0, 9, 0x67}, false, {}},
        {"one-byte NAL", {0x0B}, true, {0, 0, 1, 0x0B}},
        {"empty", {}, true, {}},
    };
    for (auto& c : cases) EXPECT_EQ(Rebuild(c.payload, c.marker), c.out) << c.name;
}

namespace {
struct Units {
    std::vector<Bytes> delivered;
    int overflows = 0;
    static void Deliver(void* self, uint8_t* d, size_t n) {
        static_cast<Units*>(self)->delivered.emplace_back(d, d + n);
    }
    static void Overflow(void* self, uint32_t) { ++static_cast<Units*>(self)->overflows; }
};
}  // namespace

TEST(FrameAssembly, OneUnitPerTimestamp) {
    std::vector<uint8_t> buf(64);
    Units u;
    FrameAssembler a(buf.data(), 40, Units::Deliver, Units::Overflow, &u);
    a.Reset();
    const uint8_t x[] = {1, 2, 3}, y[] = {4, 5};
    a.BeginPacket(100);
    ASSERT_EQ(u.delivered.size(), 1u);
    EXPECT_TRUE(u.delivered[0].empty()) << "the first delivery of a session is empty";
    a.Append(x, 3);
    a.BeginPacket(100);
    a.Append(y, 2);
    a.BeginPacket(200);
    ASSERT_EQ(u.delivered.size(), 2u);
    EXPECT_EQ(u.delivered[1], (Bytes{1, 2, 3, 4, 5}));
    // A unit passing the limit is dropped whole; the next one is whole.
    std::vector<uint8_t> big(30, 7);
    a.Append(big.data(), big.size());
    a.Append(big.data(), big.size());
    a.Append(x, 3);
    a.BeginPacket(300);
    EXPECT_EQ(u.overflows, 1);
    EXPECT_EQ(u.delivered.size(), 2u) << "an oversized unit must not be delivered cut";
    a.Append(y, 2);
    a.BeginPacket(400);
    ASSERT_EQ(u.delivered.size(), 3u);
    EXPECT_EQ(u.delivered[2], (Bytes{4, 5}));
}

namespace {
struct Packets {
    std::vector<std::pair<int, Bytes>> got;
    static void On(void* self, int ch, uint8_t* d, size_t n) {
        static_cast<Packets*>(self)->got.emplace_back(ch, Bytes(d, d + n));
    }
};

Bytes Frame(int channel, const Bytes& body) {
    Bytes f = {'$', uint8_t(channel), uint8_t(body.size() >> 8), uint8_t(body.size())};
    f.insert(f.end(), body.begin(), body.end());
    return f;
}
}  // namespace

// Every split of the stream over two receives gives the same packets.
TEST(Interleaved, PacketsAcrossReceives) {
    Bytes rtp1 = {0x80, 0x60, 0, 1, 0, 0, 0, 9, 0, 0, 0, 1, 0x65, 0x88};
    Bytes rtcp(28, 0x11);
    rtcp[0] = 0x80;
    Bytes rtp2(300, 0x42);
    rtp2[0] = 0x80;
    Bytes stream;
    for (const Bytes& f : {Frame(0, rtp1), Frame(1, rtcp), Frame(0, rtp2)})
        stream.insert(stream.end(), f.begin(), f.end());
    for (size_t split = 0; split <= stream.size(); ++split) {
        Bytes hold(InterleavedParser::kHoldSize);
        InterleavedParser p(hold.data());
        Packets got;
        Bytes a(stream.begin(), stream.begin() + long(split)), b(stream.begin() + long(split), stream.end());
        p.Feed(a.data(), a.size(), Packets::On, &got);
        p.Feed(b.data(), b.size(), Packets::On, &got);
        ASSERT_EQ(got.got.size(), 3u) << "split at " << split;
        EXPECT_EQ(got.got[0].second, rtp1);
        EXPECT_EQ(got.got[1].first, 1);
        EXPECT_EQ(got.got[2].second, rtp2);
        EXPECT_EQ(p.Held(), 0u);
    }
}

// Stray bytes where a packet should begin: the parser finds the next packet
// instead of dropping the rest of the receive.
TEST(Interleaved, ResynchronisesAfterStrayBytes) {
    Bytes rtp(20, 0x33);
    rtp[0] = 0x80;
    Bytes stream = Frame(0, rtp);
    Bytes junk = {0x17, '$', 9, 0xFF, '$', 0, 0, 4, 0x00};  // implausible starts
    stream.insert(stream.end(), junk.begin(), junk.end());
    for (int i = 0; i < 3; ++i) {
        Bytes f = Frame(0, rtp);
        stream.insert(stream.end(), f.begin(), f.end());
    }
    Bytes hold(InterleavedParser::kHoldSize);
    InterleavedParser p(hold.data());
    Packets got;
    p.Feed(stream.data(), stream.size(), Packets::On, &got);
    ASSERT_EQ(got.got.size(), 4u);
    for (auto& g : got.got) EXPECT_EQ(g.second, rtp);
    EXPECT_GE(p.Resyncs(), 1u);
}

// The simulator's packetisation, read back by the SDK's rebuilding, gives
// the NAL units back in both modes and at every payload size.
TEST(Packetization, RoundTrip) {
    Bytes sps = {0x67, 0x42, 0x00, 0x1E, 0xAB};
    Bytes pps = {0x68, 0xCE, 0x38, 0x80};
    Bytes idr(5000);
    for (size_t i = 0; i < idr.size(); ++i) idr[i] = uint8_t(i * 7 + 3) | 1;
    idr[0] = 0x65;
    idr[1] = 0x88;
    Bytes zeroSecond = {0x41, 0x00, 0x9A, 0x10};  // second byte zero
    Bytes slice = {0x41, 0x9A, 0x00, 0x10, 0x20};
    for (auto mode : {devsim::Packetization::Device, devsim::Packetization::Standard}) {
        // A standard sender's marked last packet must not have a zero second
        // byte (it reads as a start code): the devices' mode copes with it.
        std::vector<Bytes> nals = {sps, pps, idr, zeroSecond, slice};
        if (mode == devsim::Packetization::Standard) nals = {sps, pps, zeroSecond, idr, slice};
        for (size_t mtu : {16, 100, 1400, 6000}) {
            std::vector<devsim::Payload> payloads;
            for (size_t i = 0; i < nals.size(); ++i)
                devsim::PacketizeNal(nals[i], i + 1 == nals.size(), mode, mtu, payloads);
            Collect c;
            for (auto& p : payloads) {
                EXPECT_LE(p.bytes.size(), mtu);
                RebuildNal(p.bytes.data(), p.bytes.size(), p.marker, c);
            }
            auto back = devsim::SplitNalUnits(c.out.data(), c.out.size());
            ASSERT_EQ(back.size(), nals.size()) << "mtu " << mtu;
            for (size_t i = 0; i < nals.size(); ++i)
                EXPECT_EQ(back[i], nals[i]) << "mode " << int(mode) << " mtu " << mtu << " nal " << i;
        }
    }
}

TEST(StreamOpening, RefusedArguments) {
    CCMDClient c;
    EXPECT_EQ(c.OpenStream(nullptr, 554, 0, 0), -2);
    EXPECT_EQ(c.OpenStream("not-an-address", 554, 0, 0), -3);
    EXPECT_EQ(c.OpenStream("127.0.0.1", 554, 0, 2), -5);
    EXPECT_EQ(c.OpenStream("127.0.0.1", 554, 0, 5), -5);
    EXPECT_EQ(c.OpenStream("127.0.0.1", 554, 32, 0), -5);
    EXPECT_EQ(c.StreamState(0, 0), -1);
}
