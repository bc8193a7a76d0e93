// A logged-in device: its address and port, its login id, and the stream
// slots of its 32 channels (kinds 0 main, 1 sub, 3 audio, 4 ".aud"). Each
// open slot is one RTSP session on its own TCP connection, with the RTP
// packets interleaved on it; receives complete on the server's workers.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "core/RtspProtocol.h"

class CClient {
public:
    CClient() = default;
    virtual ~CClient();
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    void SetAddress(u_long address);
    void CloseSocket();

    u_long address = 0;  // as inet_addr returns it (network order)
    int port = 0;
    SOCKET socket = 0;   // 0 for a connection made by a login
    unsigned char reserved[16] = {};
};

// The one outstanding receive of a slot. It lives until its completion is
// taken from the port: a slot that closes or reopens lets go of it, and the
// worker that takes its completion frees it.
struct RecvContext {
    static constexpr DWORD kSize = 0x20000;
    OVERLAPPED ov;
    WSABUF wsabuf;
    SOCKET socket;
    DWORD flags;
    uint8_t buffer[kSize + 4];
};

enum RtspState { kRtspClosed = 0, kRtspOpening = 1, kRtspOptionsSent = 2 };

class CCMDClient;

struct StreamSlot {
    bool optionsDone = false, describeDone = false, setupDone = false, playing = false;
    int cseq = 0;
    char hostText[17] = {};
    u_long address = 0;
    int port = 0;
    int channel = 0;
    int kind = 0;
    rtsp::SessionInfo info;
    char url[1024] = {};
    char streamName[64] = {};
    SOCKET socket = 0;
    RecvContext* recv = nullptr;
    int state = kRtspClosed;
    int received = 0;
    std::unique_ptr<uint8_t[]> hold;   // interleaved packet spanning receives
    std::unique_ptr<uint8_t[]> frame;  // the access unit being gathered
    rtsp::ReplyGatherer replies;       // RTSP replies spanning receives
    std::unique_ptr<rtsp::InterleavedParser> parser;
    std::unique_ptr<rtsp::FrameAssembler> assembler;
    CCMDClient* owner = nullptr;
};

class CCMDClient : public CClient {
public:
    static constexpr int kChannels = 32;

    CCMDClient();
    ~CCMDClient() override;

    // 0, or the opening result: -2 null address, -3 unusable address, -5 no
    // such channel or kind, -7/-8 no memory, 4 no connection within 1,000 ms,
    // 43 no completion-port attachment, -11 OPTIONS not sent.
    int StartStream(int channel, int kind);
    int OpenStream(const char* hostText, int port, int channel, int kind);
    void CloseStream(int channel, int kind);
    // True when a slot owns this receive; fills channel and kind.
    bool FindStreamBySocket(SOCKET s, OVERLAPPED* ov, int* channel, int* kind);
    void OnIoCompletion(int channel, int kind, DWORD bytes, OVERLAPPED* ov);
    void OnStreamClosed(int channel, int kind, OVERLAPPED* ov);
    void OnReceiveFailed(int channel, int kind, OVERLAPPED* ov);
    int GetAudioEncode(int channel);  // 1 PCMA, 2 PCMU
    // The slot's RTSP state (for diagnostics and tests); -1 when never opened.
    int StreamState(int channel, int kind);

    int loginId = 0;

private:
    static int SlotIndex(int kind);
    StreamSlot* Slot(int channel, int kind);
    void CloseSlot(StreamSlot& s, bool freeBuffers);
    int EnsureBuffers(StreamSlot& s);  // 0, -7 or -8
    bool PostReceive(StreamSlot& s);
    bool Send(StreamSlot& s, const char* text, size_t length);
    void HandleReplyBytes(StreamSlot& s, const uint8_t* data, size_t size);
    int HandleReply(StreamSlot& s, const char* reply, size_t length);
    static bool OnReply(void* slot, const char* reply, size_t length);
    static void OnPacket(void* slot, int channel, uint8_t* data, size_t length);
    static void OnFrame(void* slot, uint8_t* data, size_t length);
    static void OnOversized(void* slot, uint32_t timestamp);

    CRITICAL_SECTION lock_;
    std::unique_ptr<StreamSlot> slots_[kChannels][4];
};

// A completion that no slot owns any more. Frees its receive.
void ReleaseOrphanedReceive(OVERLAPPED* ov);
// The completion port that stream sockets attach to (the SDK's server).
HANDLE SdkCompletionPort();
// Stores a stream-opening failure in the SDK's last error.
void SdkSetLastError(int code);
