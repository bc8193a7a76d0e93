// The sink managers: fixed tables of socket slots, one auto-reset event per
// slot bound to its socket with WSAEventSelect, and one event thread per 63
// slots that waits on those events and a stop event.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Tarrow.h"
#include "send_ring.h"

namespace tarrow {

constexpr uint32_t kMinSendBuf = 0x8000;
constexpr int kRecvBuf = 0x8000;
constexpr int kSlotsPerThread = MAXIMUM_WAIT_OBJECTS - 1;  // 63, the stop event makes 64
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kSweepMs = 100;

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

// True on the event threads of any manager (callbacks run there).
bool OnEventThread();

enum class SlotState : uint8_t {
    Free,
    Reserved,   // a connect or join in progress owns the socket
    Accepting,  // accepted, the accept callback has not decided yet
    Open,
};

struct Slot {
    HANDLE event = nullptr;
    SOCKET sock = INVALID_SOCKET;
    SlotState state = SlotState::Free;
    sockaddr_in addr{};  // peer of a connection, local address of a listener or UDP sink
    SendRing ring;
    // Multicast memberships.
    int joinKind = 0;
    in_addr group{};
    in_addr iface{};
};

class CSinkManager {
public:
    CSinkManager(int kind, int idBase);
    virtual ~CSinkManager();
    CSinkManager(const CSinkManager&) = delete;
    CSinkManager& operator=(const CSinkManager&) = delete;

    // 0, or a negated Winsock/system error (nothing is left running then).
    int Start(NETLIB_DataCallback onData, NETLIB_CloseCallback onClose, int count,
              uint32_t bufSize);
    // Ends the threads (waiting up to 5 s, then ending them by force), then
    // closes the sockets and frees the tables. fromLoader: called while the
    // loader lock is held (DLL unload), so thread handles never signal.
    void Stop(bool fromLoader = false);

    int Count();
    int CloseSink(int index);
    int Send(int index, const void* data, int length);
    // -309 beyond the table; else the queued byte count (0 for a free slot).
    int GetPendingSize(int index);

protected:
    struct Worker {
        CSinkManager* owner = nullptr;
        int first = 0, count = 0;
        std::vector<HANDLE> handles;  // slot events, then the stop event
        std::unique_ptr<char[]> buf;  // receive buffer of the thread
        HANDLE thread = nullptr;
        HANDLE done = nullptr;  // set by the thread as its last act
    };

    // Called on the event thread for each signalled open slot, without the
    // lock; s is the socket the events belong to. false records an error.
    virtual bool OnEvents(Worker& w, int index, SOCKET s, long events, const int* errors) = 0;
    // The event a readable socket stands for when the event threads look
    // for readiness the events missed; 0: they do not look.
    virtual long SweepReadEvent() const { return 0; }
    // Closes a slot's socket: the lock is held.
    virtual void CloseSlotLocked(Slot& slot);

    // Receives once from slot index if it still holds s; the lock is held
    // only around the receive. >0 bytes, 0 closed, <0 error / nothing.
    int ReceiveIfCurrent(Worker& w, int index, SOCKET s, sockaddr_in* from);
    void FlushLocked(Slot& slot);

    const int kind_, idBase_;
    NETLIB_DataCallback onData_ = nullptr;
    NETLIB_CloseCallback onClose_ = nullptr;
    uint32_t bufSize_ = kMinSendBuf;
    CRITICAL_SECTION lock_;
    volatile LONG stop_ = 0;
    HANDLE stopEvent_ = nullptr;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<Slot> slots_;
    bool started_ = false;
    uint32_t generation_ = 0;  // changes at every start and stop

private:
    static unsigned WINAPI ThreadMain(void* arg);
    void Run(Worker& w);
    void Sweep(Worker& w);
    bool Dispatch(Worker& w, int index);
};

class CListenSinkManager : public CSinkManager {
public:
    CListenSinkManager() : CSinkManager(1, NETLIB_ACCEPT_BASE) {}
    int Listen(unsigned short port, const char* localAddr);
    int UnListen(unsigned short port);

protected:
    long SweepReadEvent() const override { return FD_ACCEPT; }
    bool OnEvents(Worker& w, int index, SOCKET s, long events, const int* errors) override;
};

class CTcpSinkManager : public CSinkManager {
public:
    using CSinkManager::CSinkManager;

protected:
    long SweepReadEvent() const override { return FD_READ; }
    bool OnEvents(Worker& w, int index, SOCKET s, long events, const int* errors) override;
};

class CAcceptSinkManager : public CTcpSinkManager {
public:
    CAcceptSinkManager() : CTcpSinkManager(1, NETLIB_ACCEPT_BASE) {}
    // Places an accepted socket: the index, or -305 / a negated error (the
    // socket is closed then). The slot takes no events before Activate.
    int AddSocket(SOCKET s, const sockaddr_in& peer);
    // Starts event delivery for a slot placed by AddSocket.
    void Activate(int index, SOCKET s);
};

class CClientSinkManager : public CTcpSinkManager {
public:
    CClientSinkManager() : CTcpSinkManager(2, NETLIB_CLIENT_BASE) {}
    int Connect(const char* addr, unsigned short port, int timeoutMs);
};

class CUdpSinkManager : public CSinkManager {
public:
    CUdpSinkManager() : CSinkManager(3, NETLIB_UDP_BASE) {}
    int Bind(unsigned short port, const char* localAddr);
    int Unbind(int index);
    int SendTo(int index, const void* data, int length, const sockaddr_in* peer);

protected:
    CUdpSinkManager(int kind, int idBase) : CSinkManager(kind, idBase) {}
    bool OnEvents(Worker& w, int index, SOCKET s, long events, const int* errors) override;
};

class CMulticastSinkManager : public CUdpSinkManager {
public:
    CMulticastSinkManager() : CUdpSinkManager(4, NETLIB_MULTICAST_BASE) {}
    int Join(int kind, const char* groupAddr, unsigned short port, const char* localAddr);
    int Leave(int index);

protected:
    void CloseSlotLocked(Slot& slot) override;
};

// Dotted IPv4 text to an address; null means any. false for text that is
// not an address.
bool ParseAddress(const char* text, in_addr* out, bool nullIsAny);

}  // namespace tarrow
