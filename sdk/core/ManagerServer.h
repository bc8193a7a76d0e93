// The device manager: the table of logged-in devices, the login-id counter,
// the last error, the callbacks of the SDK interface, the completion-port
// server whose workers receive every stream, and the UDP message socket.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "core/CmdClient.h"
#include "core/NetServer.h"
#include "core/Orvik.h"
#include "core/RWLock.h"

class CManagerServer : public CNetServer {
public:
    static constexpr int kTableSize = 10000;
    static constexpr unsigned short kMessagePort = 8001;

    CManagerServer();
    ~CManagerServer() override;

    int CreateClient(DWORD addressAndPort, SOCKET socket) override;

    // Login id, or 0 with LastError 30 or 7.
    int Login(const char* address, int port);
    int AddClient(CCMDClient* client);  // 0 entered; -1 null; -2 no free slot
    CCMDClient* FindClient(int loginId);  // caller holds TableLock() for reading
    // The connection and stream that own a completion; caller holds the
    // table lock for reading.
    CCMDClient* FindClientBySocket(SOCKET s, OVERLAPPED* ov, int* channel, int* kind);
    int RemoveClient(int loginId);  // 0 removed; 45 not found
    void CloseAll();
    void Cleanup();
    // 0, or -1 when the socket cannot be made. A second call keeps the
    // socket and thread it already has.
    int OpenMessageSocket(unsigned short port);

    CRWLock& TableLock() { return tableLock_; }
    int ClientCount();

    volatile LONG initialised = 0;
    volatile LONG lastError = 0;
    void* user = nullptr;
    NET_InfoCallback infoCallback;
    NET_RcfgMsgCallback messageCallback;

    static void CALLBACK DefaultInfoCallback(int, int, int);
    static void CALLBACK DefaultMessageCallback(unsigned char*, int, const void*);

private:
    static DWORD WINAPI MessageThread(LPVOID self);
    void MessageLoop();
    void CloseMessageSocket();

    CCMDClient* table_[kTableSize] = {};
    volatile LONG nextLoginId_ = 1;
    HANDLE messageThread_ = nullptr;
    HANDLE messageStop_ = nullptr;  // cuts the message thread's first sleep short
    CRWLock tableLock_;
    SOCKET messageSocket_ = INVALID_SOCKET;
};

// The worker routine of the completion-port server.
DWORD WINAPI IocpWorkerThread(LPVOID server);

CManagerServer& SdkManager();
