#include "core/CmdClient.h"

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

CCMDClient::CCMDClient() { InitializeCriticalSection(&lock_); }

CCMDClient::~CCMDClient() { DeleteCriticalSection(&lock_); }

// Streams are not built yet: no request can be sent.
int CCMDClient::StartStream(int, int kind) { return kind > 4 ? -5 : -11; }
void CCMDClient::CloseStream(int, int) {}
bool CCMDClient::FindStreamBySocket(SOCKET, OVERLAPPED*, int*, int*) { return false; }
void CCMDClient::OnIoCompletion(int, int, DWORD, OVERLAPPED*) {}
void CCMDClient::OnStreamClosed(int, int) {}

int CCMDClient::GetAudioEncode(int) {
    EnterCriticalSection(&lock_);
    int codec = 1;
    LeaveCriticalSection(&lock_);
    return codec;
}

void ReleaseOrphanedReceive(OVERLAPPED*) {}
