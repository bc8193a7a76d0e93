#include "core/ManagerServer.h"

#include <memory>

#include "core/Log.h"

void CALLBACK CManagerServer::DefaultInfoCallback(int, int, int) {}
void CALLBACK CManagerServer::DefaultMessageCallback(unsigned char*, int, const void*) {}

CManagerServer::CManagerServer()
    : user(this), infoCallback(DefaultInfoCallback), messageCallback(DefaultMessageCallback) {
    messageStop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CManagerServer::~CManagerServer() {
    Cleanup();
    if (messageStop_) CloseHandle(messageStop_);
}

int CManagerServer::CreateClient(DWORD addressAndPort, SOCKET s) {
    std::unique_ptr<CCMDClient> client(new (std::nothrow) CCMDClient());
    if (client) {
        client->SetAddress(addressAndPort & 0xFFFF);
        client->port = int(addressAndPort >> 16);
        client->socket = s;
        if (AddClient(client.get()) == 0) {
            client.release();
            return 0;
        }
    }
    SDK_LOG("AddClientObject Error!");
    if (client) client->socket = 0;
    shutdown(s, SD_BOTH);
    closesocket(s);
    return -1;
}

int CManagerServer::Login(const char* address, int port) {
    std::unique_ptr<CCMDClient> client(new (std::nothrow) CCMDClient());
    if (!client) {
        lastError = NET_ERR_NO_MEMORY;
        return 0;
    }
    client->SetAddress(inet_addr(address));
    client->port = port & 0xFFFF;
    client->socket = 0;
    int id;
    {
        CWriteGuard g(tableLock_);
        id = nextLoginId_++;
    }
    client->loginId = id;
    if (AddClient(client.get()) != 0) {
        SDK_LOG("AddClientObject Error!");
        lastError = NET_ERR_TABLE_FULL;
        return 0;
    }
    client.release();
    return id;
}

int CManagerServer::AddClient(CCMDClient* client) {
    if (!client) return -1;
    CCMDClient* replaced = nullptr;
    {
        CWriteGuard g(tableLock_);
        int free = -1;
        for (int i = 0; i < kTableSize; ++i) {
            CCMDClient* c = table_[i];
            if (!c) {
                if (free < 0) free = i;
            } else if (c->address == client->address) {
                replaced = c;
                table_[i] = client;
                break;
            }
        }
        if (!replaced) {
            if (free < 0) return -2;
            table_[free] = client;
        }
    }
    if (replaced) {
        // Nobody can reach it any more: its slot changed under the write lock.
        replaced->CloseSocket();
        delete replaced;
    }
    return 0;
}

CCMDClient* CManagerServer::FindClient(int loginId) {
    for (CCMDClient* c : table_)
        if (c && c->loginId == loginId) return c;
    return nullptr;
}

CCMDClient* CManagerServer::FindClientBySocket(SOCKET s, OVERLAPPED* ov, int* channel, int* kind) {
    for (CCMDClient* c : table_)
        if (c && c->FindStreamBySocket(s, ov, channel, kind)) return c;
    return nullptr;
}

int CManagerServer::RemoveClient(int loginId) {
    CCMDClient* found = nullptr;
    {
        CWriteGuard g(tableLock_);
        for (CCMDClient*& c : table_) {
            if (c && c->loginId == loginId) {
                found = c;
                c = nullptr;
                break;
            }
        }
    }
    if (!found) return NET_ERR_UNKNOWN_ID;
    found->CloseSocket();
    delete found;
    return 0;
}

void CManagerServer::CloseAll() {
    CWriteGuard g(tableLock_);
    for (CCMDClient*& c : table_) {
        if (c) {
            c->CloseSocket();
            delete c;
            c = nullptr;
        }
    }
}

int CManagerServer::ClientCount() {
    CReadGuard g(tableLock_);
    int n = 0;
    for (CCMDClient* c : table_) n += c != nullptr;
    return n;
}

void CManagerServer::Cleanup() {
    Stop();
    JoinWorkers(g_sdkProcessEnding ? 0 : 500, &tableLock_);
    CloseMessageSocket();
    CloseAll();
    // The receives of the sockets just closed complete on the port: free
    // them before it closes.
    if (Port() && !g_sdkProcessEnding) {
        DWORD bytes;
        ULONG_PTR key;
        OVERLAPPED* ov;
        DWORD deadline = GetTickCount() + 1000;
        while (int(deadline - GetTickCount()) > 0) {
            ov = nullptr;
            BOOL ok = GetQueuedCompletionStatus(Port(), &bytes, &key, &ov, 50);
            if (!ok && !ov) break;  // nothing more within 50 ms
            if (ov) ReleaseOrphanedReceive(ov);
        }
    }
    ClosePort();
}

HANDLE SdkCompletionPort() { return SdkManager().Port(); }

void SdkSetLastError(int code) { InterlockedExchange(&SdkManager().lastError, code); }

int CManagerServer::OpenMessageSocket(unsigned short port) {
    if (messageSocket_ == INVALID_SOCKET) {
        SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return -1;
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(port);
        bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local);  // not checked
        messageSocket_ = s;
    }
    sockaddr_in self = {};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    self.sin_port = htons(port);
    static const char wake[10] = "wakeup";
    int sent = sendto(messageSocket_, wake, sizeof wake, 0, reinterpret_cast<sockaddr*>(&self),
                      sizeof self);
    if (sent == int(sizeof wake) && !messageThread_) {
        ResetEvent(messageStop_);
        DWORD id;
        messageThread_ = CreateThread(nullptr, 0, MessageThread, this, 0, &id);
    }
    return 0;
}

void CManagerServer::CloseMessageSocket() {
    if (messageThread_) {
        SetEvent(messageStop_);
        if (WaitForSingleObject(messageThread_, g_sdkProcessEnding ? 0 : 1000) != WAIT_OBJECT_0)
            TerminateThread(messageThread_, 0);
        CloseHandle(messageThread_);
        messageThread_ = nullptr;
    }
    if (messageSocket_ != INVALID_SOCKET) {
        closesocket(messageSocket_);
        messageSocket_ = INVALID_SOCKET;
    }
}

DWORD WINAPI CManagerServer::MessageThread(LPVOID self) {
    static_cast<CManagerServer*>(self)->MessageLoop();
    return 0;
}

void CManagerServer::MessageLoop() {
    if (WaitForSingleObject(messageStop_, 3000) == WAIT_OBJECT_0) return;
    char buf[1500];
    while (Running() && WaitForSingleObject(messageStop_, 0) != WAIT_OBJECT_0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(messageSocket_, &readable);
        timeval wait = {0, 100 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) {
            WaitForSingleObject(messageStop_, 100);
            continue;
        }
        sockaddr_in from = {};
        int fromLen = sizeof from;
        int n = recvfrom(messageSocket_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from),
                         &fromLen);
        if (n > 16) messageCallback(reinterpret_cast<unsigned char*>(buf), n, &from);
    }
}

DWORD WINAPI IocpWorkerThread(LPVOID param) {
    CManagerServer* server = static_cast<CManagerServer*>(param);
    HANDLE port = server->Port();
    while (server->Running()) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* ov = nullptr;
        BOOL ok = GetQueuedCompletionStatus(port, &bytes, &key, &ov, 100);
        if (key == CNetServer::kStopKey && !ov) break;
        if (!ov) continue;  // time-out
        CReadGuard g(server->TableLock());
        int channel = 0, kind = 0;
        CCMDClient* client = server->FindClientBySocket(SOCKET(key), ov, &channel, &kind);
        if (!client) {
            // The slot closed or reopened since this receive was posted; its
            // socket was closed then. The handle value may already belong to
            // a new socket, so it is not touched here.
            ReleaseOrphanedReceive(ov);
        } else if (!ok) {
            // A failed receive: the stream stays silent; no new receive.
            client->OnReceiveFailed(channel, kind, ov);
        } else if (bytes > 0) {
            client->OnIoCompletion(channel, kind, bytes, ov);
        } else {
            u_long a = client->address;
            const unsigned char* b = reinterpret_cast<const unsigned char*>(&a);
            char text[32];
            wsprintfA(text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
            // 客户端关闭:%s (GBK)
            SDK_LOG("\xBF\xCD\xBB\xA7\xB6\xCB\xB9\xD8\xB1\xD5:%s", text);
            client->OnStreamClosed(channel, kind, ov);
        }
    }
    return 0;
}
