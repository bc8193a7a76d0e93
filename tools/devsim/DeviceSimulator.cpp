#include "DeviceSimulator.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace devsim {

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

uint32_t NowMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string HeaderValue(const std::string& request, const char* name) {
    std::string key = std::string("\r\n") + name + ":";
    size_t p = request.find(key);
    if (p == std::string::npos) return std::string();
    p += key.size();
    while (p < request.size() && request[p] == ' ') ++p;
    size_t e = request.find("\r\n", p);
    return request.substr(p, e - p);
}

}  // namespace

std::vector<std::vector<uint8_t>> SplitAccessUnits(const std::vector<uint8_t>& s) {
    std::vector<std::vector<uint8_t>> units;
    std::vector<size_t> starts;
    for (size_t i = 0; i + 3 <= s.size(); ++i) {
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
            starts.push_back(i > 0 && s[i - 1] == 0 ? i - 1 : i);
            i += 2;
        }
    }
    size_t unitBegin = starts.empty() ? 0 : starts[0];
    bool sawSlice = false;
    for (size_t p : starts) {
        size_t hdr = p + (s[p + 2] == 1 ? 3 : 4);
        if (hdr >= s.size()) break;
        int type = s[hdr] & 0x1F;
        bool isSlice = type == 1 || type == 5;
        bool firstMbZero = isSlice && hdr + 1 < s.size() && (s[hdr + 1] & 0x80);
        bool begins = type == 9 || ((type == 6 || type == 7 || type == 8) && sawSlice) ||
                      (isSlice && firstMbZero && sawSlice);
        if (begins && p > unitBegin) {
            units.emplace_back(s.begin() + long(unitBegin), s.begin() + long(p));
            unitBegin = p;
            sawSlice = false;
        }
        if (isSlice) sawSlice = true;
    }
    if (unitBegin < s.size()) units.emplace_back(s.begin() + long(unitBegin), s.end());
    return units;
}

void Simulator::StopSignal::Set() {
    std::lock_guard<std::mutex> g(m_);
    set_ = true;
    cv_.notify_all();
}

void Simulator::StopSignal::Reset() {
    std::lock_guard<std::mutex> g(m_);
    set_ = false;
}

bool Simulator::StopSignal::IsSet() {
    std::lock_guard<std::mutex> g(m_);
    return set_;
}

bool Simulator::StopSignal::WaitFor(unsigned ms) {
    std::unique_lock<std::mutex> g(m_);
    return cv_.wait_for(g, std::chrono::milliseconds(ms), [this] { return set_; });
}

struct Simulator::Connection {
    SocketHandle socket = kNoSocket;
    std::thread thread;
};

Simulator::Simulator(Config config) : config_(std::move(config)), faults_(config_.faults) {}

Simulator::~Simulator() { Stop(); }

bool Simulator::Start() {
    NetStartup();
    if (!config_.mainClip.empty()) mainUnits_ = SplitAccessUnits(ReadAll(config_.mainClip));
    if (!config_.subClip.empty()) subUnits_ = SplitAccessUnits(ReadAll(config_.subClip));
    if (subUnits_.empty()) subUnits_ = mainUnits_;
    if (!config_.audioFile.empty()) audio_ = ReadAll(config_.audioFile);
    if (mainUnits_.empty()) return false;

    listen_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listen_ == kNoSocket) return false;
#ifndef _WIN32
    int reuse = 1;  // a device restarted at once binds its port again
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
#endif
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = inet_addr(config_.address.c_str());
    at.sin_port = htons(config_.port);
    if (bind(listen_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) return false;
    SockLen len = sizeof at;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&at), &len);
    port_ = ntohs(at.sin_port);
    if (faults_.load() & kNoAnswer) {
        // A full accept queue: further connection attempts get no answer.
        if (listen(listen_, 1) != 0) return false;
        for (int i = 0; i < 4; ++i) {
            SocketHandle f = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            SetNonBlocking(f);
            connect(f, reinterpret_cast<sockaddr*>(&at), sizeof at);
            fillers_.push_back(f);
        }
        SleepMs(200);
        return true;
    }
    if (listen(listen_, 64) != 0) return false;
    stop_.Reset();
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void Simulator::Stop() {
    stop_.Set();
    // The accept loop sees the signal within 100 ms; the listener is closed
    // once it has left.
    if (acceptThread_.joinable()) acceptThread_.join();
    if (listen_ != kNoSocket) {
        CloseSocket(listen_);
        listen_ = kNoSocket;
    }
    for (SocketHandle f : fillers_) CloseSocket(f);
    fillers_.clear();
    std::vector<std::unique_ptr<Connection>> conns;
    {
        std::lock_guard<std::mutex> g(mutex_);
        conns.swap(connections_);
    }
    // A shutdown wakes a POSIX thread blocked in send or recv, and the socket
    // is closed once the thread has left, so that no thread uses a number
    // given to someone else. Winsock wakes a blocked send only on close.
    for (auto& c : conns) {
        ShutdownSocket(c->socket);
#ifdef _WIN32
        CloseSocket(c->socket);
#endif
    }
    for (auto& c : conns) {
        if (c->thread.joinable()) c->thread.join();
#ifndef _WIN32
        CloseSocket(c->socket);
#endif
    }
}

std::vector<std::string> Simulator::Requests() {
    std::lock_guard<std::mutex> g(mutex_);
    return requests_;
}

std::vector<std::string> Simulator::PlaySessions() {
    std::lock_guard<std::mutex> g(mutex_);
    return playSessions_;
}

void Simulator::AcceptLoop() {
    const SocketHandle listener = listen_;
    for (;;) {
        // Blocking calls are not left to be woken by a close (Wine does not
        // always): the loop looks at the stop signal every 100 ms.
        if (!WaitReadable(listener, 100)) {
            if (stop_.IsSet()) break;
            continue;
        }
        SocketHandle s = accept(listener, nullptr, nullptr);
        if (s == kNoSocket) break;
        if (stop_.IsSet()) {
            CloseSocket(s);
            break;
        }
        int on = 1;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&on), sizeof on);
        SetNonBlocking(s);
        auto c = std::make_unique<Connection>();
        c->socket = s;
        Connection* raw = c.get();
        std::lock_guard<std::mutex> g(mutex_);
        connections_.push_back(std::move(c));
        stats_.connections++;
        raw->thread = std::thread([this, raw] { Serve(*raw); });
    }
}

bool Simulator::SendReply(Connection& c, const std::string& text, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> all(text.begin(), text.end());
    all.insert(all.end(), extra.begin(), extra.end());
    if (faults_.load() & kSplitReply) {
        size_t piece = text.size() / 3 + 1;  // the reply in pieces over several segments
        if (config_.splitPiece) piece = config_.splitPiece;
        for (size_t i = 0; i < text.size(); i += piece) {
            size_t n = text.size() - i < piece ? text.size() - i : piece;
            if (!SendAll(c, text.data() + i, n)) return false;
            SleepMs(15);
        }
        all.assign(extra.begin(), extra.end());
        if (all.empty()) return true;
    }
    return SendAll(c, all.data(), all.size());
}

bool Simulator::SendAll(Connection& c, const void* data, size_t size) {
    // The socket does not block: a peer that stops reading holds this thread
    // only until the simulator stops.
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (!WaitWritable(c.socket, 100)) {
            if (stop_.IsSet()) return false;
            continue;
        }
        int n = int(send(c.socket, p, int(size), 0));
        if (n < 0) {
            if (LastErrorWouldBlock()) continue;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

void Simulator::Serve(Connection& c) {
    struct Open {
        Stats& s;
        explicit Open(Stats& st) : s(st) { s.openConnections++; }
        ~Open() { s.openConnections--; }
    } open(stats_);
    std::string in;
    char buf[4096];
    int kind = -1;
    std::string session = (faults_.load() & kLongSession) ? "0123456789ABCDEFGHIJ;timeout=60"
                                                           : "5A3C9E01;timeout=60";
    for (;;) {
        size_t end = in.find("\r\n\r\n");
        if (end == std::string::npos) {
            if (!WaitReadable(c.socket, 100)) {
                if (stop_.IsSet()) return;
                continue;
            }
            int n = int(recv(c.socket, buf, sizeof buf, 0));
            if (n < 0 && LastErrorWouldBlock()) continue;
            if (n <= 0) return;
            in.append(buf, size_t(n));
            continue;
        }
        std::string request = in.substr(0, end + 4);
        in.erase(0, end + 4);
        {
            std::lock_guard<std::mutex> g(mutex_);
            requests_.push_back(request);
        }
        std::string method = request.substr(0, request.find(' '));
        size_t urlBegin = method.size() + 1;
        std::string url = request.substr(urlBegin, request.find(' ', urlBegin) - urlBegin);
        std::string cseq = HeaderValue(request, "CSeq");
        // rtsp://host:port/name[/track1]
        size_t slash = url.find('/', 7);
        std::string name = slash == std::string::npos ? std::string() : url.substr(slash + 1);
        name = name.substr(0, name.find('/'));
        int channel = 0, k = -1;
        char ext[8] = {};
        if (std::sscanf(name.c_str(), "ch%2d_%2d.%5s", &channel, &k, ext) == 3 &&
            ((std::strcmp(ext, "h264") == 0 && (k == 0 || k == 1 || k == 3)) ||
             (std::strcmp(ext, "aud") == 0 && k == 4)))
            kind = k;
        std::string head = "RTSP/1.0 200 OK\r\nCSeq: " + cseq + "\r\n";
        if (kind < 0) {
            SendReply(c, "RTSP/1.0 404 Not Found\r\nCSeq: " + cseq + "\r\n\r\n");
            continue;
        }
        if (method == "OPTIONS") {
            SendReply(c, head + "Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n\r\n");
        } else if (method == "DESCRIBE") {
            if (faults_.load() & kUnauthorized) {
                SendReply(c, "RTSP/1.0 401 Unauthorized\r\nCSeq: " + cseq +
                                 "\r\nWWW-Authenticate: Basic realm=\"device\"\r\n\r\n");
                continue;
            }
            std::string sdp = "v=0\r\no=- 0 0 IN IP4 " + config_.address +
                              "\r\ns=Device\r\nt=0 0\r\n";
            if (kind == 3 || kind == 4) {
                bool mu = config_.audioCodec == 2;
                sdp += std::string("m=audio 0 RTP/AVP ") + (mu ? "0" : "8") + "\r\na=rtpmap:" +
                       (mu ? "0 PCMU" : "8 PCMA") + "/8000\r\na=control:track1\r\n";
            } else {
                sdp += "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\n"
                       "a=framesize:96 704-576\r\na=framerate:" +
                       std::to_string(config_.fps) + "\r\na=control:track1\r\n";
            }
            SendReply(c, head + "Content-Type: application/sdp\r\nContent-Length: " +
                             std::to_string(sdp.size()) + "\r\n\r\n" + sdp);
        } else if (method == "SETUP") {
            std::string text = head + "Transport: RTP/AVP/TCP;unicast;interleaved=0-1\r\n";
            if (!(faults_.load() & kNoSession)) text += "Session: " + session + "\r\n";
            SendReply(c, text + "\r\n");
        } else if (method == "PLAY") {
            {
                std::lock_guard<std::mutex> g(mutex_);
                playSessions_.push_back(HeaderValue(request, "Session"));
            }
            std::string rtpInfo;
            if (!(faults_.load() & kNoRtpInfo)) rtpInfo = "RTP-Info: url=" + url + ";seq=0;rtptime=0\r\n";
            std::string sess = "Session: " + session + "\r\n";
            std::string text = head + ((faults_.load() & kRtpInfoFirst) ? rtpInfo + sess
                                                                          : sess + rtpInfo) + "\r\n";
            if (faults_.load() & kRtpWithPlayReply) {
                Stream(c, kind, std::vector<uint8_t>(text.begin(), text.end()));
            } else {
                if (!SendReply(c, text)) return;
                Stream(c, kind, {});
            }
            return;
        } else {
            SendReply(c, head + "\r\n");
        }
    }
}

void Simulator::Stream(Connection& c, int kind, std::vector<uint8_t> pending) {
    stats_.sessionsPlaying++;
    const bool audio = kind == 3 || kind == 4;
    const auto& units = kind == 1 ? subUnits_ : mainUnits_;
    uint16_t seq = 0;
    uint32_t ts = 0;
    const uint32_t ssrc = 0x51AB0000u + uint32_t(kind);
    const uint32_t periodMs = audio ? 40 : 1000 / (config_.fps ? config_.fps : 25);
    uint32_t next = NowMs();
    std::vector<uint8_t> out = std::move(pending);
    std::vector<Payload> payloads;
    bool firstSend = !out.empty();
    for (unsigned long long unit = 0;; ++unit) {
        if (stop_.IsSet()) return;
        if ((faults_.load() & (kStall | kCloseMidStream)) && unit == config_.faultAfterUnits) {
            if (faults_.load() & kCloseMidStream) {
                static const uint8_t half[] = {'$', 0, 0x05, 0x00, 0x80, 0x60};
                SendAll(c, half, sizeof half);
                ShutdownSocket(c.socket);
                return;
            }
            while (!stop_.WaitFor(1000)) {
            }  // a stall: connected, silent
            return;
        }
        if (audio) {
            if (audio_.empty()) return;
            size_t frames = audio_.size() / 320;
            size_t at = frames ? size_t(unit % frames) * 320 : 0;
            size_t n = frames ? 320 : audio_.size();
            AppendInterleavedRtp(out, 0, false, config_.audioCodec == 2 ? 0 : 8, seq++, ts, ssrc,
                                 audio_.data() + at, n);
            ts += 320;
        } else {
            const std::vector<uint8_t>& au = units[size_t(unit % units.size())];
            auto nals = SplitNalUnits(au.data(), au.size());
            payloads.clear();
            for (size_t i = 0; i < nals.size(); ++i)
                PacketizeNal(nals[i], i + 1 == nals.size(), config_.mode, config_.maxPayload, payloads);
            for (const Payload& p : payloads) {
                AppendInterleavedRtp(out, 0, p.marker, 96, seq++, ts, ssrc, p.bytes.data(), p.bytes.size());
                if (faults_.load() & kGarbage) {
                    static const uint8_t junk[] = {0x17, '$', 9, 0xFF};
                    out.insert(out.end(), junk, junk + sizeof junk);
                }
            }
            if ((faults_.load() & kRtcp) && unit % 5 == 0) {
                uint8_t sr[28] = {0x80, 200, 0, 6};
                out.insert(out.end(), {'$', 1, 0, 28});
                out.insert(out.end(), sr, sr + sizeof sr);
            }
            ts += 90000 / (config_.fps ? config_.fps : 25);
        }
        if (!SendAll(c, out.data(), out.size())) return;
        (void)firstSend;
        stats_.unitsSent++;
        stats_.bytesSent += out.size();
        out.clear();
        if (!config_.fullSpeed) {
            next += periodMs;
            int wait = int(next - NowMs());
            if (wait > 0 && stop_.WaitFor(unsigned(wait))) return;
        }
    }
}

}  // namespace devsim
