#include "sink_manager.h"

#include <process.h>

namespace tarrow {

// Defined beside the exports: hands a new connection to the accept manager
// and the host's accept callback.
void HandleAccepted(SOCKET s, const sockaddr_in& peer, unsigned short listenPort);

namespace {

thread_local bool t_onEventThread = false;

int LastError() { return -WSAGetLastError(); }

void CloseSocket(SOCKET& s) {
    if (s != INVALID_SOCKET) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
}

}  // namespace

bool OnEventThread() { return t_onEventThread; }

bool ParseAddress(const char* text, in_addr* out, bool nullIsAny) {
    if (!text) {
        if (!nullIsAny) return false;
        out->s_addr = htonl(INADDR_ANY);
        return true;
    }
    unsigned long a = inet_addr(text);
    // inet_addr cannot tell a bad text from the broadcast address.
    if (a == INADDR_NONE && lstrcmpA(text, "255.255.255.255") != 0) return false;
    out->s_addr = a;
    return true;
}

CSinkManager::CSinkManager(int kind, int idBase) : kind_(kind), idBase_(idBase) {
    InitializeCriticalSection(&lock_);
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CSinkManager::~CSinkManager() {
    if (stopEvent_) CloseHandle(stopEvent_);
    DeleteCriticalSection(&lock_);
}

int CSinkManager::Start(NETLIB_DataCallback onData, NETLIB_CloseCallback onClose, int count,
                        uint32_t bufSize) {
    if (started_ || count <= 0) return 0;
    if (!stopEvent_) return -int(ERROR_INVALID_HANDLE);
    // A stop that follows at once must find these cleared already: the
    // threads never touch the flag or the event.
    stop_ = 0;
    ResetEvent(stopEvent_);
    {
        Lock l(lock_);
        onData_ = onData;
        onClose_ = onClose;
        bufSize_ = bufSize < kMinSendBuf ? kMinSendBuf : bufSize;
        slots_.clear();
        slots_.resize(size_t(count));
        for (Slot& s : slots_) {
            s.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            if (!s.event) break;
        }
        ++generation_;
        started_ = true;
    }
    int err = 0;
    for (Slot& s : slots_)
        if (!s.event) err = -int(GetLastError());
    for (int first = 0; !err && first < count; first += kSlotsPerThread) {
        auto w = std::make_unique<Worker>();
        w->owner = this;
        w->first = first;
        w->count = count - first < kSlotsPerThread ? count - first : kSlotsPerThread;
        for (int i = 0; i < w->count; ++i) w->handles.push_back(slots_[size_t(first + i)].event);
        w->handles.push_back(stopEvent_);
        w->buf.reset(new char[kRecvBuf]);
        w->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (w->done) {
            unsigned id;
            w->thread = HANDLE(_beginthreadex(nullptr, 0, ThreadMain, w.get(), 0, &id));
        }
        if (!w->thread) {
            err = -int(GetLastError() ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY);
            if (w->done) CloseHandle(w->done);
            break;
        }
        workers_.push_back(std::move(w));
    }
    if (err) Stop();
    return err;
}

void CSinkManager::Stop(bool fromLoader) {
    if (!started_) return;
    InterlockedExchange(&stop_, 1);
    SetEvent(stopEvent_);

    // Each thread sets its done event as its last act; under the loader lock
    // that is all that can be waited for. Otherwise the thread handles are
    // waited for as well, so no thread outlives the call.
    std::vector<HANDLE> wait;
    for (auto& w : workers_) wait.push_back(fromLoader ? w->done : w->thread);
    bool forced = false;
    DWORD deadline = GetTickCount() + kStopWaitMs;
    for (size_t i = 0; i < wait.size(); i += MAXIMUM_WAIT_OBJECTS) {
        DWORD n = DWORD(wait.size() - i < MAXIMUM_WAIT_OBJECTS ? wait.size() - i : MAXIMUM_WAIT_OBJECTS);
        DWORD now = GetTickCount();
        DWORD left = LONG(deadline - now) > 0 ? deadline - now : 0;
        WaitForMultipleObjects(n, &wait[i], TRUE, left);
    }
    for (auto& w : workers_) {
        if (WaitForSingleObject(w->done, 0) != WAIT_OBJECT_0) {
            // Stuck in a host callback: it must not run on into freed tables.
            TerminateThread(w->thread, 1);
            if (!fromLoader) WaitForSingleObject(w->thread, kStopWaitMs);
            forced = true;
        }
        CloseHandle(w->thread);
        CloseHandle(w->done);
    }
    workers_.clear();
    if (forced) {
        // An ended thread may have held the table lock.
        DeleteCriticalSection(&lock_);
        InitializeCriticalSection(&lock_);
    }

    Lock l(lock_);
    for (Slot& s : slots_) {
        // A reserved slot's socket belongs to the connect or join in
        // progress, which sees the new generation and closes it.
        if (s.state != SlotState::Reserved) CloseSlotLocked(s);
        if (s.event) CloseHandle(s.event);
    }
    slots_.clear();
    slots_.shrink_to_fit();
    onData_ = nullptr;
    onClose_ = nullptr;
    ++generation_;
    started_ = false;
}

int CSinkManager::Count() {
    Lock l(lock_);
    return int(slots_.size());
}

void CSinkManager::CloseSlotLocked(Slot& slot) {
    CloseSocket(slot.sock);
    slot.state = SlotState::Free;
    slot.ring.Clear();
}

int CSinkManager::CloseSink(int index) {
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size()) return NETLIB_E_BAD_SINK;
    Slot& slot = slots_[size_t(index)];
    if (slot.state == SlotState::Reserved) return NETLIB_E_BAD_SINK;  // still connecting
    if (slot.state != SlotState::Free) {
        // What the socket can take now still goes out before the close.
        FlushLocked(slot);
        CloseSlotLocked(slot);
    }
    return 0;
}

int CSinkManager::Send(int index, const void* data, int length) {
    if (!data || length <= 0) return NETLIB_E_BAD_ARG;
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size()) return NETLIB_E_BAD_SINK;
    Slot& slot = slots_[size_t(index)];
    if (slot.state != SlotState::Open && slot.state != SlotState::Accepting) return NETLIB_E_BAD_SINK;
    if (!slot.ring.Push(data, uint32_t(length))) return NETLIB_E_QUEUE_FULL;
    FlushLocked(slot);
    return 0;
}

int CSinkManager::GetPendingSize(int index) {
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size()) return NETLIB_E_BAD_SINK;
    const Slot& slot = slots_[size_t(index)];
    if (slot.state != SlotState::Open && slot.state != SlotState::Accepting) return 0;
    return int(slot.ring.Used());
}

void CSinkManager::FlushLocked(Slot& slot) {
    SOCKET s = slot.sock;
    if (s == INVALID_SOCKET) return;
    // A failure (normally would-block) leaves the rest for the next FD_WRITE.
    slot.ring.Flush([s](const uint8_t* p, int n) {
        int sent = send(s, reinterpret_cast<const char*>(p), n, 0);
        return sent == SOCKET_ERROR ? -1 : sent;
    });
}

int CSinkManager::ReceiveIfCurrent(Worker& w, int index, SOCKET s, sockaddr_in* from) {
    Lock l(lock_);
    const Slot& slot = slots_[size_t(index)];
    if (slot.sock != s || slot.state != SlotState::Open) return -1;
    if (from) {
        int len = sizeof(*from);
        return recvfrom(s, w.buf.get(), kRecvBuf, 0, reinterpret_cast<sockaddr*>(from), &len);
    }
    return recv(s, w.buf.get(), kRecvBuf, 0);
}

unsigned WINAPI CSinkManager::ThreadMain(void* arg) {
    Worker& w = *static_cast<Worker*>(arg);
    t_onEventThread = true;
    w.owner->Run(w);
    SetEvent(w.done);
    return 0;
}

void CSinkManager::Run(Worker& w) {
    const DWORD n = DWORD(w.count);
    bool error = false;
    DWORD lastSweep = GetTickCount();
    while (!stop_) {
        if (error) Sleep(1);
        error = false;
        DWORD r = WaitForMultipleObjects(n + 1, w.handles.data(), FALSE, kSweepMs);
        if (r == WAIT_FAILED) {
            error = true;
            continue;
        }
        if (GetTickCount() - lastSweep >= kSweepMs) {
            Sweep(w);
            lastSweep = GetTickCount();
        }
        if (r == WAIT_TIMEOUT) continue;
        DWORD k = r - WAIT_OBJECT_0;
        if (k >= n) continue;  // the stop event
        if (!Dispatch(w, w.first + int(k))) error = true;
        // Serve the other signalled slots after this one before waiting
        // again, so the lowest slots cannot starve the rest of the group.
        for (DWORD pos = k + 1; pos < n && !stop_;) {
            DWORD q = WaitForMultipleObjects(n - pos, &w.handles[pos], FALSE, 0);
            if (q >= WAIT_OBJECT_0 + (n - pos)) break;
            pos += q - WAIT_OBJECT_0;
            if (!Dispatch(w, w.first + int(pos))) error = true;
            ++pos;
        }
    }
}

// Readiness the socket events did not report is picked up here (Wine, for
// one, can leave a listener with waiting connections unsignalled): one
// select over the group's open sockets, without waiting.
void CSinkManager::Sweep(Worker& w) {
    const long readEvent = SweepReadEvent();
    if (!readEvent) return;
    fd_set rd, wr;
    FD_ZERO(&rd);
    FD_ZERO(&wr);
    {
        Lock l(lock_);
        for (int i = 0; i < w.count; ++i) {
            const Slot& slot = slots_[size_t(w.first + i)];
            if (slot.state != SlotState::Open) continue;
            FD_SET(slot.sock, &rd);
            if (slot.ring.Used()) FD_SET(slot.sock, &wr);
        }
        if (!rd.fd_count) return;
        timeval zero{0, 0};
        if (select(0, &rd, wr.fd_count ? &wr : nullptr, nullptr, &zero) <= 0) return;
    }
    for (int i = 0; i < w.count && !stop_; ++i) {
        int index = w.first + i;
        SOCKET s;
        {
            Lock l(lock_);
            const Slot& slot = slots_[size_t(index)];
            if (slot.state != SlotState::Open) continue;
            s = slot.sock;
        }
        long events = (FD_ISSET(s, &rd) ? readEvent : 0) | (FD_ISSET(s, &wr) ? FD_WRITE : 0);
        if (events) {
            int errors[FD_MAX_EVENTS] = {};
            OnEvents(w, index, s, events, errors);
        }
    }
}

bool CSinkManager::Dispatch(Worker& w, int index) {
    SOCKET s;
    WSANETWORKEVENTS ne;
    {
        Lock l(lock_);
        Slot& slot = slots_[size_t(index)];
        if (slot.state != SlotState::Open) return true;  // a stale signal
        s = slot.sock;
        if (WSAEnumNetworkEvents(s, slot.event, &ne) != 0) return false;
    }
    if (!ne.lNetworkEvents) return true;
    return OnEvents(w, index, s, ne.lNetworkEvents, ne.iErrorCode);
}

// ---------------------------------------------------------------- TCP ----

bool CTcpSinkManager::OnEvents(Worker& w, int index, SOCKET s, long events, const int*) {
    bool ok = true;
    const int id = idBase_ + index;
    if (events & FD_READ) {
        // Receive until the socket would block, a few buffers at most: a
        // receive that ends in would-block leaves FD_READ armed for certain.
        for (int i = 0; i < 8; ++i) {
            int got = ReceiveIfCurrent(w, index, s, nullptr);
            if (got <= 0) {
                if (i == 0) ok = false;  // the sink stays open until FD_CLOSE
                break;
            }
            if (onData_) onData_(kind_, id, w.buf.get(), got, nullptr);
        }
    }
    if (events & FD_WRITE) {
        Lock l(lock_);
        Slot& slot = slots_[size_t(index)];
        if (slot.sock == s && slot.state == SlotState::Open) FlushLocked(slot);
    }
    if (events & FD_CLOSE) {
        // What the peer sent before it closed is delivered first. The peer
        // is gone, so this ends: recv returns 0 at the end of the stream.
        for (;;) {
            int got = ReceiveIfCurrent(w, index, s, nullptr);
            if (got <= 0) break;
            if (onData_) onData_(kind_, id, w.buf.get(), got, nullptr);
        }
        bool current;
        {
            Lock l(lock_);
            const Slot& slot = slots_[size_t(index)];
            current = slot.sock == s && slot.state == SlotState::Open;
        }
        if (current && onClose_) onClose_(kind_, id);
        Lock l(lock_);
        Slot& slot = slots_[size_t(index)];
        if (slot.sock == s && slot.state == SlotState::Open) CloseSlotLocked(slot);
    }
    return ok;
}

int CAcceptSinkManager::AddSocket(SOCKET s, const sockaddr_in& peer) {
    Lock l(lock_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        if (slot.state != SlotState::Free) continue;
        slot.ring.Prepare(bufSize_);
        slot.sock = s;
        slot.addr = peer;
        slot.state = SlotState::Accepting;
        return int(i);
    }
    closesocket(s);
    return NETLIB_E_NO_ACCEPT_SLOT;
}

void CAcceptSinkManager::Activate(int index, SOCKET s) {
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size()) return;
    Slot& slot = slots_[size_t(index)];
    if (slot.sock != s || slot.state != SlotState::Accepting) return;  // closed meanwhile
    // Data that arrived during the accept callback is reported once the
    // socket is selected: the event is signalled for what is pending.
    if (WSAEventSelect(s, slot.event, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        CloseSlotLocked(slot);
        return;
    }
    slot.state = SlotState::Open;
    FlushLocked(slot);
}

int CClientSinkManager::Connect(const char* addr, unsigned short port, int timeoutMs) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!ParseAddress(addr, &peer.sin_addr, false) || timeoutMs < 0) return NETLIB_E_BAD_ARG;

    int index = -1;
    uint32_t gen;
    {
        Lock l(lock_);
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].state == SlotState::Free) {
                index = int(i);
                break;
            }
        if (index < 0) return NETLIB_E_NO_CLIENT_SLOT;
        Slot& slot = slots_[size_t(index)];
        slot.ring.Prepare(bufSize_);
        slot.state = SlotState::Reserved;
        gen = generation_;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int err = s == INVALID_SOCKET ? LastError() : 0;
    HANDLE ev = err ? nullptr : WSACreateEvent();
    if (!err && ev == WSA_INVALID_EVENT) err = LastError(), ev = nullptr;
    if (!err && WSAEventSelect(s, ev, FD_CONNECT) != 0) err = LastError();
    if (!err && connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK)
        err = LastError();
    if (!err) {
        DWORD r = WaitForSingleObject(ev, DWORD(timeoutMs));
        if (r == WAIT_TIMEOUT) {
            err = NETLIB_E_TIMEOUT;
        } else if (r != WAIT_OBJECT_0) {
            err = -int(GetLastError());
        } else {
            WSANETWORKEVENTS ne;
            if (WSAEnumNetworkEvents(s, ev, &ne) != 0)
                err = LastError();
            else if (!(ne.lNetworkEvents & FD_CONNECT))
                err = NETLIB_E_TIMEOUT;
            else if (ne.iErrorCode[FD_CONNECT_BIT])
                err = -ne.iErrorCode[FD_CONNECT_BIT];
        }
    }

    Lock l(lock_);
    if (generation_ != gen) {
        // The manager stopped meanwhile; the slot is gone.
        CloseSocket(s);
        if (ev) WSACloseEvent(ev);
        return NETLIB_E_NOT_INIT;
    }
    Slot& slot = slots_[size_t(index)];
    if (!err && WSAEventSelect(s, slot.event, FD_READ | FD_WRITE | FD_CLOSE) != 0) err = LastError();
    if (ev) WSACloseEvent(ev);
    if (err) {
        CloseSocket(s);
        slot.state = SlotState::Free;
        return err;
    }
    slot.sock = s;
    slot.addr = peer;
    slot.state = SlotState::Open;
    return index;
}

// -------------------------------------------------------------- listen ----

int CListenSinkManager::Listen(unsigned short port, const char* localAddr) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (!ParseAddress(localAddr, &local.sin_addr, true)) return NETLIB_E_BAD_ARG;

    int index = -1;
    uint32_t gen;
    {
        Lock l(lock_);
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].state == SlotState::Free) {
                index = int(i);
                break;
            }
        if (index < 0) return NETLIB_E_NO_LISTEN_SLOT;
        slots_[size_t(index)].state = SlotState::Reserved;
        gen = generation_;
    }
    int err = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) err = LastError();
    if (!err && bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) err = LastError();
    if (!err && listen(s, SOMAXCONN) != 0) err = LastError();

    Lock l(lock_);
    if (generation_ != gen) {
        CloseSocket(s);
        return NETLIB_E_NOT_INIT;
    }
    Slot& slot = slots_[size_t(index)];
    if (!err && WSAEventSelect(s, slot.event, FD_ACCEPT) != 0) err = LastError();
    if (err) {
        CloseSocket(s);
        slot.state = SlotState::Free;
        return err;
    }
    slot.sock = s;
    slot.addr = local;
    slot.state = SlotState::Open;
    return index;
}

int CListenSinkManager::UnListen(unsigned short port) {
    Lock l(lock_);
    for (Slot& slot : slots_) {
        if (slot.state == SlotState::Open && ntohs(slot.addr.sin_port) == port) {
            CloseSlotLocked(slot);
            return 0;
        }
    }
    return NETLIB_E_NOT_LISTENING;
}

bool CListenSinkManager::OnEvents(Worker& w, int index, SOCKET s, long events, const int*) {
    if (!(events & FD_ACCEPT)) return true;
    unsigned short port;
    {
        Lock l(lock_);
        port = ntohs(slots_[size_t(index)].addr.sin_port);
    }
    // Take what is waiting, until accept would block: that leaves FD_ACCEPT
    // armed for the next one.
    for (int i = 0; i < 4096 && !stop_; ++i) {
        sockaddr_in peer{};
        int len = sizeof(peer);
        SOCKET ns;
        {
            Lock l(lock_);
            const Slot& slot = slots_[size_t(index)];
            if (slot.sock != s || slot.state != SlotState::Open) break;
            ns = accept(s, reinterpret_cast<sockaddr*>(&peer), &len);
        }
        if (ns == INVALID_SOCKET) break;
        // The new socket inherits the listener's event selection; it takes
        // events only from its own slot once accepted.
        WSAEventSelect(ns, nullptr, 0);
        HandleAccepted(ns, peer, port);
    }
    return true;
}

// ----------------------------------------------------------------- UDP ----

bool CUdpSinkManager::OnEvents(Worker& w, int index, SOCKET s, long events, const int*) {
    if (!(events & FD_READ)) return true;
    sockaddr_in from{};
    int got = ReceiveIfCurrent(w, index, s, &from);
    if (got <= 0) {
        // A datagram too big for the buffer arrives cut; it is still data.
        if (!(got == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE)) return false;
        got = kRecvBuf;
    }
    if (onData_) onData_(kind_, idBase_ + index, w.buf.get(), got, &from);
    return true;
}

int CUdpSinkManager::Bind(unsigned short port, const char* localAddr) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (!ParseAddress(localAddr, &local.sin_addr, true)) return NETLIB_E_BAD_ARG;

    Lock l(lock_);
    int index = -1;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].state == SlotState::Free) {
            index = int(i);
            break;
        }
    if (index < 0) return NETLIB_E_NO_UDP_SLOT;
    Slot& slot = slots_[size_t(index)];
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return LastError();
    int err = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) err = LastError();
    if (!err && WSAEventSelect(s, slot.event, FD_READ) != 0) err = LastError();
    if (err) {
        closesocket(s);
        return err;
    }
    slot.sock = s;
    slot.addr = local;
    slot.state = SlotState::Open;
    return index;
}

int CUdpSinkManager::Unbind(int index) { return CloseSink(index); }

int CUdpSinkManager::SendTo(int index, const void* data, int length, const sockaddr_in* peer) {
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size()) return NETLIB_E_BAD_SINK;
    if (!data || length <= 0 || !peer) return NETLIB_E_BAD_ARG;
    const Slot& slot = slots_[size_t(index)];
    if (slot.state != SlotState::Open) return -WSAENOTSOCK;
    if (sendto(slot.sock, static_cast<const char*>(data), length, 0,
               reinterpret_cast<const sockaddr*>(peer), sizeof(*peer)) == SOCKET_ERROR)
        return LastError();
    return 0;
}

// ----------------------------------------------------------- multicast ----

// Every join has a socket of its own, so the id a join returns is the id its
// data arrives under and the id that sends through it. Sockets on the same
// port share it through SO_REUSEADDR. The group is joined with the standard
// IP_ADD_MEMBERSHIP option on the interface of the local address.
int CMulticastSinkManager::Join(int kind, const char* groupAddr, unsigned short port,
                                const char* localAddr) {
    in_addr group{}, iface{};
    if ((kind != 0 && kind != 1) || !ParseAddress(groupAddr, &group, false) ||
        !ParseAddress(localAddr, &iface, true))
        return NETLIB_E_BAD_ARG;
    if (!IN_MULTICAST(ntohl(group.s_addr))) return NETLIB_E_BAD_ARG;

    Lock l(lock_);
    int index = -1;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].state == SlotState::Free) {
            index = int(i);
            break;
        }
    if (index < 0) return NETLIB_E_NO_MULTICAST_SLOT;
    Slot& slot = slots_[size_t(index)];

    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return LastError();
    // Bound to any address: a socket bound to an interface address does not
    // receive datagrams sent to a group on every stack; the interface is
    // chosen with the membership and IP_MULTICAST_IF instead.
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    BOOL on = TRUE;
    DWORD ttl = 64;
    int err = 0;
    if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on)) != 0 ||
        bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
        setsockopt(s, IPPROTO_IP, IP_MULTICAST_TTL, reinterpret_cast<const char*>(&ttl), sizeof(ttl)) != 0 ||
        (iface.s_addr != htonl(INADDR_ANY) &&
         setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&iface), sizeof(iface)) != 0))
        err = LastError();
    if (!err && kind == 1) {
        ip_mreq mreq{};
        mreq.imr_multiaddr = group;
        mreq.imr_interface = iface;
        if (setsockopt(s, IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char*>(&mreq), sizeof(mreq)) != 0)
            err = LastError();
        else if (WSAEventSelect(s, slot.event, FD_READ) != 0)
            err = LastError();
    }
    if (err) {
        closesocket(s);
        return err;
    }
    slot.sock = s;
    slot.addr = local;
    slot.addr.sin_addr = iface;
    slot.joinKind = kind;
    slot.group = group;
    slot.iface = iface;
    slot.state = SlotState::Open;
    return index;
}

int CMulticastSinkManager::Leave(int index) {
    Lock l(lock_);
    if (index < 0 || size_t(index) >= slots_.size() || slots_[size_t(index)].state != SlotState::Open)
        return NETLIB_E_BAD_SINK;
    CloseSlotLocked(slots_[size_t(index)]);
    return 0;
}

void CMulticastSinkManager::CloseSlotLocked(Slot& slot) {
    if (slot.sock != INVALID_SOCKET && slot.joinKind == 1) {
        ip_mreq mreq{};
        mreq.imr_multiaddr = slot.group;
        mreq.imr_interface = slot.iface;
        setsockopt(slot.sock, IPPROTO_IP, IP_DROP_MEMBERSHIP, reinterpret_cast<const char*>(&mreq), sizeof(mreq));
    }
    slot.joinKind = 0;
    CSinkManager::CloseSlotLocked(slot);
}

}  // namespace tarrow
