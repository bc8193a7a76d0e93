#include "core/CmdClient.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/Log.h"
#include "media/SDKObjectManager.h"

CClient::~CClient() { CloseSocket(); }

void CClient::SetAddress(u_long a) {
    address = a;
    for (unsigned char& b : reserved) b = 0;
}

void CClient::CloseSocket() {
    if (socket && socket != INVALID_SOCKET) {
        shutdown(socket, SD_BOTH);
        closesocket(socket);
    }
    socket = 0;
}

void ReleaseOrphanedReceive(OVERLAPPED* ov) {
    delete reinterpret_cast<RecvContext*>(ov);
}

namespace {

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
private:
    CRITICAL_SECTION& cs_;
};

// A TCP connection within timeoutMs; INVALID_SOCKET otherwise.
SOCKET ConnectWithin(u_long address, int port, DWORD timeoutMs) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(u_short(port));
    bool ok = false;
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        ok = true;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait = {long(timeoutMs / 1000), long(timeoutMs % 1000) * 1000};
        if (select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &writable)) {
            int error = 0, len = sizeof error;
            ok = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 &&
                 error == 0;
        }
    }
    nonBlocking = 0;
    if (ok) ok = ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
    if (!ok) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

CCMDClient::CCMDClient() { InitializeCriticalSection(&lock_); }

CCMDClient::~CCMDClient() {
    {
        Lock g(lock_);
        for (auto& channel : slots_)
            for (auto& slot : channel)
                if (slot) CloseSlot(*slot, true);
    }
    DeleteCriticalSection(&lock_);
}

int CCMDClient::SlotIndex(int kind) {
    switch (kind) {
    case 0: return 0;
    case 1: return 1;
    case 3: return 2;
    case 4: return 3;
    default: return -1;
    }
}

StreamSlot* CCMDClient::Slot(int channel, int kind) {
    int k = SlotIndex(kind);
    if (k < 0 || channel < 0 || channel >= kChannels) return nullptr;
    return slots_[channel][k].get();
}

int CCMDClient::StartStream(int channel, int kind) {
    in_addr a;
    a.s_addr = address;
    return OpenStream(inet_ntoa(a), port, channel, kind);
}

void CCMDClient::CloseSlot(StreamSlot& s, bool freeBuffers) {
    if (s.socket) {
        shutdown(s.socket, SD_BOTH);
        closesocket(s.socket);
        s.socket = 0;
    }
    // A pending receive completes with the closed socket; the worker that
    // takes that completion frees it.
    s.recv = nullptr;
    s.state = kRtspClosed;
    s.received = 0;
    if (s.parser) s.parser->Reset();
    s.replies.Clear();
    if (freeBuffers) {
        s.assembler.reset();
        s.parser.reset();
        s.hold.reset();
        s.frame.reset();
        s.replies.Release();
    }
}

int CCMDClient::OpenStream(const char* hostText, int port, int channel, int kind) {
    if (!hostText) return -2;
    u_long addr = inet_addr(hostText);
    if (addr == INADDR_NONE || addr == 0) return -3;
    if (kind > 4 || SlotIndex(kind) < 0 || channel < 0 || channel >= kChannels) return -5;

    {
        Lock g(lock_);
        auto& owned = slots_[channel][SlotIndex(kind)];
        if (!owned) {
            owned.reset(new (std::nothrow) StreamSlot());
            if (!owned) return -7;
        }
        StreamSlot& s = *owned;
        // Starting an open slot again (a watchdog restart) ends the old
        // session first.
        CloseSlot(s, false);
        s.owner = this;
        std::snprintf(s.hostText, sizeof s.hostText, "%s", hostText);
        s.address = addr;
        s.port = port;
        s.channel = channel;
        s.kind = kind;
        s.state = kRtspOpening;
        s.info = rtsp::SessionInfo();
        rtsp::StreamName(channel, kind, s.streamName, sizeof s.streamName);
        std::snprintf(s.url, sizeof s.url, "rtsp://%s:%d/%s", s.hostText, port, s.streamName);
        s.optionsDone = s.describeDone = s.setupDone = s.playing = false;
        s.cseq = 0;
        int r = EnsureBuffers(s);
        if (r != 0) return r;
    }

    // The connection is made outside the connection lock: the workers go on
    // delivering the other streams of this device meanwhile.
    SOCKET sock = ConnectWithin(addr, port, 1000);
    if (sock == INVALID_SOCKET) {
        SdkSetLastError(4);
        return 4;
    }
    if (!CreateIoCompletionPort(reinterpret_cast<HANDLE>(sock), SdkCompletionPort(), ULONG_PTR(sock), 0)) {
        shutdown(sock, SD_BOTH);
        closesocket(sock);
        SdkSetLastError(43);
        return 43;
    }
    {
        Lock g(lock_);
        StreamSlot& s = *slots_[channel][SlotIndex(kind)];
        CloseSlot(s, false);  // a start on another thread may have come first
        // A stop on another thread may have freed the buffers meanwhile.
        if (int r = EnsureBuffers(s)) {
            shutdown(sock, SD_BOTH);
            closesocket(sock);
            return r;
        }
        s.state = kRtspOpening;
        s.socket = sock;
        if (!PostReceive(s)) {
            CloseSlot(s, false);
            return -8;
        }
        char request[rtsp::kRequestSize];
        size_t n = rtsp::FormatOptions(request, sizeof request, s.url, 0);
        if (!Send(s, request, n)) return -11;
        s.state = kRtspOptionsSent;
    }
    Sleep(100);
    return 0;
}

int CCMDClient::EnsureBuffers(StreamSlot& s) {
    if (!s.hold) s.hold.reset(new (std::nothrow) uint8_t[rtsp::InterleavedParser::kHoldSize]);
    if (!s.hold) return -7;
    if (!s.frame) s.frame.reset(new (std::nothrow) uint8_t[rtsp::FrameAssembler::kCapacity]);
    if (!s.frame) return -8;
    if (!s.parser) s.parser.reset(new (std::nothrow) rtsp::InterleavedParser(s.hold.get()));
    if (!s.assembler)
        s.assembler.reset(new (std::nothrow) rtsp::FrameAssembler(
            s.frame.get(), rtsp::FrameAssembler::kMaxUnit, OnFrame, OnOversized, &s));
    if (!s.parser || !s.assembler) return -8;
    s.parser->Reset();
    s.assembler->Reset();
    s.replies.Clear();
    return 0;
}

bool CCMDClient::PostReceive(StreamSlot& s) {
    RecvContext* ctx = s.recv;
    if (!ctx) {
        ctx = new (std::nothrow) RecvContext;
        if (!ctx) return false;
        ctx->socket = s.socket;
    }
    std::memset(&ctx->ov, 0, sizeof ctx->ov);
    ctx->wsabuf.buf = reinterpret_cast<char*>(ctx->buffer);
    ctx->wsabuf.len = RecvContext::kSize;
    ctx->flags = 0;
    DWORD got = 0;
    if (WSARecv(s.socket, &ctx->wsabuf, 1, &got, &ctx->flags, &ctx->ov, nullptr) == SOCKET_ERROR &&
        WSAGetLastError() != WSA_IO_PENDING) {
        delete ctx;
        s.recv = nullptr;
        return false;
    }
    s.recv = ctx;
    return true;
}

bool CCMDClient::Send(StreamSlot& s, const char* text, size_t length) {
    if (length == 0 || !s.socket) return false;
    return send(s.socket, text, int(length), 0) == int(length);
}

bool CCMDClient::FindStreamBySocket(SOCKET sock, OVERLAPPED* ov, int* channel, int* kind) {
    Lock g(lock_);
    for (int c = 0; c < kChannels; ++c) {
        for (auto& slot : slots_[c]) {
            if (slot && slot->socket == sock && slot->recv &&
                &slot->recv->ov == ov) {
                *channel = c;
                *kind = slot->kind;
                return true;
            }
        }
    }
    return false;
}

void CCMDClient::OnIoCompletion(int channel, int kind, DWORD bytes, OVERLAPPED* ov) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, kind);
    RecvContext* ctx = reinterpret_cast<RecvContext*>(ov);
    if (!s || s->recv != ctx) {
        delete ctx;  // let go of by a close or reopen meanwhile
        return;
    }
    s->received += int(bytes);
    if (s->received > 0) {
        size_t n = size_t(s->received);
        s->received = 0;
        if (!s->playing) {
            HandleReplyBytes(*s, ctx->buffer, n);
        } else {
            s->parser->Feed(ctx->buffer, n, OnPacket, s);
        }
    }
    if (s->recv == ctx && s->socket) PostReceive(*s);
}

void CCMDClient::OnStreamClosed(int channel, int kind, OVERLAPPED* ov) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, kind);
    RecvContext* ctx = reinterpret_cast<RecvContext*>(ov);
    if (s && s->recv == ctx) {
        s->recv = nullptr;
        CloseSlot(*s, false);
    }
    delete ctx;
}

void CCMDClient::OnReceiveFailed(int channel, int kind, OVERLAPPED* ov) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, kind);
    RecvContext* ctx = reinterpret_cast<RecvContext*>(ov);
    if (s && s->recv == ctx) s->recv = nullptr;  // the stream stays silent
    delete ctx;
}

static_assert(rtsp::ReplyGatherer::kLimit == RecvContext::kSize, "no reply is longer than one receive");

void CCMDClient::HandleReplyBytes(StreamSlot& s, const uint8_t* data, size_t size) {
    switch (s.replies.Feed(data, size, OnReply, &s)) {
    case rtsp::ReplyGatherer::Result::Waiting: break;
    case rtsp::ReplyGatherer::Result::Overflow:  // no reply is that long
    case rtsp::ReplyGatherer::Result::Unframed: s.state = kRtspClosed; break;
    case rtsp::ReplyGatherer::Result::Playing:
        if (!s.replies.Rest().empty()) {
            // RTP that came in the same receive as the PLAY reply.
            std::vector<uint8_t> rest;
            rest.swap(s.replies.Rest());
            s.parser->Feed(rest.data(), rest.size(), OnPacket, &s);
        }
        break;
    }
}

bool CCMDClient::OnReply(void* slot, const char* reply, size_t length) {
    StreamSlot& s = *static_cast<StreamSlot*>(slot);
    if (s.owner->HandleReply(s, reply, length) != 0) s.state = kRtspClosed;
    return s.playing;
}

int CCMDClient::HandleReply(StreamSlot& s, const char* reply, size_t length) {
    char request[rtsp::kRequestSize];
    size_t n;
    if (!s.optionsDone) {
        if (rtsp::CheckReply(rtsp::Step::Options, reply, length, &s.info) != 0) return -2;
        s.optionsDone = true;
        s.cseq = 1;
        n = rtsp::FormatDescribe(request, sizeof request, s.url, s.cseq);
        return Send(s, request, n) ? 0 : -3;
    }
    if (!s.describeDone) {
        if (rtsp::CheckReply(rtsp::Step::Describe, reply, length, &s.info) != 0) return -4;
        s.describeDone = true;
        s.cseq = 2;
        n = rtsp::FormatSetup(request, sizeof request, s.url, s.cseq);
        return Send(s, request, n) ? 0 : -5;
    }
    if (!s.setupDone) {
        if (rtsp::CheckReply(rtsp::Step::Setup, reply, length, &s.info) != 0) return -6;
        s.setupDone = true;
        s.cseq = 3;
        n = rtsp::FormatPlay(request, sizeof request, s.url, s.cseq, s.info.session);
        return Send(s, request, n) ? 0 : -7;
    }
    if (rtsp::CheckReply(rtsp::Step::Play, reply, length, &s.info) != 0) return -8;
    s.playing = true;
    s.cseq = 4;
    return 0;
}

void CCMDClient::OnPacket(void* slot, int channel, uint8_t* data, size_t length) {
    StreamSlot& s = *static_cast<StreamSlot*>(slot);
    if (channel != 0) return;  // RTCP and anything else
    rtsp::RtpPacket rtp;
    if (!rtsp::ParseRtp(data, length, &rtp)) return;
    uint8_t* payload = data + rtp.payloadOffset;
    switch (s.kind) {
    case 0:
    case 1:
        s.assembler->BeginPacket(rtp.timestamp);
        rtsp::RebuildNal(payload, rtp.payloadLength, rtp.marker, *s.assembler);
        break;
    case 3: {
        int key = StreamKey(s.owner->loginId, s.channel, false);
        SdkObjects().CallStreamCallback(key, payload, int(rtp.payloadLength), 3,
                                        s.info.audioCodec == 2 ? 2 : 1);
        break;
    }
    default: break;  // ".aud" payloads are not delivered
    }
}

void CCMDClient::OnFrame(void* slot, uint8_t* data, size_t length) {
    StreamSlot& s = *static_cast<StreamSlot*>(slot);
    int key = StreamKey(s.owner->loginId, s.channel, s.kind == 1);
    SdkObjects().CallStreamCallback(key, data, int(length), s.kind, 0);
}

void CCMDClient::OnOversized(void* slot, uint32_t timestamp) {
    StreamSlot& s = *static_cast<StreamSlot*>(slot);
    SDK_LOG("Frame over %u bytes dropped: %s, timestamp %u", unsigned(rtsp::FrameAssembler::kMaxUnit),
            s.url, unsigned(timestamp));
}

void CCMDClient::CloseStream(int channel, int kind) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, kind);
    // A slot whose session failed keeps its socket open: close it too.
    if (s && (s->state != kRtspClosed || s->socket)) CloseSlot(*s, true);
}

int CCMDClient::GetAudioEncode(int channel) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, 3);
    return s && s->info.audioCodec == 2 ? 2 : 1;
}

int CCMDClient::StreamState(int channel, int kind) {
    Lock g(lock_);
    StreamSlot* s = Slot(channel, kind);
    return s ? s->state : -1;
}
