// A logged-in device: its address and port, its login id, and the stream
// slots of its 32 channels.
#pragma once
#include <winsock2.h>
#include <windows.h>

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

class CCMDClient : public CClient {
public:
    CCMDClient();
    ~CCMDClient() override;

    // 0 or the opening result (negative codes, 4, 43).
    int StartStream(int channel, int kind);
    void CloseStream(int channel, int kind);
    // True when a stream slot owns this completion; fills channel and kind.
    bool FindStreamBySocket(SOCKET s, OVERLAPPED* ov, int* channel, int* kind);
    void OnIoCompletion(int channel, int kind, DWORD bytes, OVERLAPPED* ov);
    void OnStreamClosed(int channel, int kind);
    int GetAudioEncode(int channel);  // 1 PCMA, 2 PCMU

    int loginId = 0;

private:
    CRITICAL_SECTION lock_;
};

// A completion that no slot owns any more: its receive was orphaned when the
// slot closed or reopened. Frees what the receive held.
void ReleaseOrphanedReceive(OVERLAPPED* ov);
