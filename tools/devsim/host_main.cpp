// devsim's host build: simulated devices on a host of their own (a network
// namespace), each answering the client's UDP command channel on its
// address at port 8001 and, given a clip, serving its streams over RTSP on
// the same address; a text control port serves the tests.
//   devsim --udp A.B.C.D [--udp ...] [--channels N] [--control PORT]
//          [--announce-every SECONDS --client A.B.C.D]
//          [--main clip.264 [--sub clip.264] [--audio tone.pcma] [--pcmu]
//           [--fps N] [--rtsp-port P] [--fault-after UNITS]]
// Control (TCP, one line per command, one reply line; "log" first replies
// with the number of lines that follow):
//   ping | log | clear | fault DEV NAME[,NAME] | announce DEV TO |
//   alarm DEV TO KIND CHANNEL STATE | records DEV COMMAND CHANNEL BEGIN END |
//   records-clear DEV |
//   block DEV region|sensor|stream|network [CHANNEL] |
//   reply-channel DEV zero|echo (header byte 3 of configuration replies) |
//   rtsp DEV ("plays N open N") | rtsp-fault DEV stall|close|none |
//   flood DEV TO SECONDS [CHANNEL] | flood-status DEV ("running|done sent N")
// A flood sends the device's flood mix from its address to TO, port 8001,
// as fast as it can for SECONDS (at most 600); TO must be on the device's
// own network (the same /24).
// UDP fault names: short, other-address, other-channel, type66, no-reply, none.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DeviceSimulator.h"
#include "UdpResponder.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

int BindUdp(uint32_t address, uint16_t port) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return -1;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(address);
    at.sin_port = htons(port);
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        close(s);
        return -1;
    }
    return s;
}

void SendTo(int s, uint32_t to, uint16_t port, const std::vector<uint8_t>& bytes) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(to);
    at.sin_port = htons(port);
    sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&at), sizeof at);
}

std::string Hex(const std::vector<uint8_t>& v) {
    static const char hex[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : v) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s;
}

// A flood from one device address, on a thread of its own.
struct Flood {
    std::thread thread;
    std::atomic<bool> running{false}, stop{false};
    std::atomic<unsigned long long> sent{0};

    void Start(int s, uint32_t to, int seconds, std::vector<std::vector<uint8_t>> mix) {
        Stop();
        sent = 0;
        stop = false;
        running = true;
        thread = std::thread([this, s, to, seconds, mix = std::move(mix)] {
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_addr.s_addr = htonl(to);
            at.sin_port = htons(devsim::kCommandPort);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            size_t next = 0;
            while (!stop && !g_stop) {
                // The clock is read once per round of the mix.
                for (size_t i = 0; i < mix.size(); ++i) {
                    const auto& b = mix[next];
                    next = (next + 1) % mix.size();
                    if (sendto(s, b.data(), b.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&at), sizeof at) > 0)
                        ++sent;
                }
                if (std::chrono::steady_clock::now() >= end) break;
            }
            running = false;
        });
    }
    void Stop() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    ~Flood() { Stop(); }
};

struct Host {
    devsim::UdpResponder responder;
    std::vector<int> sockets;  // one per device address
    std::vector<std::unique_ptr<devsim::Simulator>> rtsp;  // one per device, or none
    std::vector<std::unique_ptr<Flood>> floods;             // one per device

    std::string Command(const std::string& line) {
        std::istringstream in(line);
        std::string verb, dev;
        in >> verb;
        if (verb == "ping") return "ok";
        if (verb == "clear") {
            responder.ClearLog();
            return "ok";
        }
        if (verb == "log") {
            std::string out = std::to_string(responder.Log().size());
            for (const auto& e : responder.Log()) out += "\n" + devsim::FormatLogEntry(responder, e);
            return out;
        }
        in >> dev;
        int d = responder.DeviceOf(devsim::ParseIpv4(dev));
        if (d < 0) return "error no device " + dev;
        if (verb == "fault") {
            std::string names;
            in >> names;
            unsigned f = 0;
            std::stringstream list(names);
            for (std::string n; std::getline(list, n, ',');) {
                if (n == "short") f |= devsim::kUdpShortReply;
                else if (n == "other-address") f |= devsim::kUdpOtherAddress;
                else if (n == "other-channel") f |= devsim::kUdpOtherChannel;
                else if (n == "type66") f |= devsim::kUdpType66;
                else if (n == "no-reply") f |= devsim::kUdpNoReply;
                else if (n != "none") return "error fault " + n;
            }
            responder.SetFaults(d, f);
            return "ok";
        }
        if (verb == "reply-channel") {
            std::string how;
            in >> how;
            if (how != "zero" && how != "echo") return "error reply-channel " + how;
            responder.SetEchoChannel(d, how == "echo");
            return "ok";
        }
        if (verb == "announce" || verb == "alarm") {
            std::string to;
            in >> to;
            uint32_t toAddr = devsim::ParseIpv4(to);
            if (!toAddr) return "error address " + to;
            std::vector<uint8_t> bytes;
            if (verb == "announce") {
                bytes = responder.Announcement(d);
            } else {
                unsigned kind = 0, channel = 0, state = 0;
                if (!(in >> kind >> channel >> state)) return "error alarm arguments";
                bytes = devsim::UdpResponder::AlarmReport(uint8_t(kind), uint8_t(channel), uint8_t(state));
            }
            SendTo(sockets[size_t(d)], toAddr, devsim::kCommandPort, bytes);
            return "ok";
        }
        if (verb == "flood") {
            std::string to;
            int seconds = 0, channel = 0;
            in >> to >> seconds >> channel;
            uint32_t toAddr = devsim::ParseIpv4(to);
            // Only to the device's own network: the flood never leaves it.
            if (!toAddr || (toAddr & 0xFFFFFF00u) != (responder.Address(d) & 0xFFFFFF00u) ||
                toAddr == responder.Address(d))
                return "error address " + to;
            if (seconds <= 0 || seconds > 600 || channel < 0 || channel >= responder.ChannelCount())
                return "error flood arguments";
            floods[size_t(d)]->Start(sockets[size_t(d)], toAddr, seconds, responder.FloodMix(d, uint8_t(channel)));
            return "ok";
        }
        if (verb == "flood-status") {
            const Flood& f = *floods[size_t(d)];
            return std::string(f.running ? "running" : "done") + " sent " + std::to_string(f.sent.load());
        }
        if (verb == "records-clear") {
            responder.ClearRecordTimes(d);
            return "ok";
        }
        if (verb == "records") {
            unsigned command = 0, channel = 0;
            unsigned long begin = 0, end = 0;
            if (!(in >> command >> channel >> begin >> end)) return "error records arguments";
            responder.AddRecordTime(d, devsim::RecordTime{uint8_t(command), uint8_t(channel),
                                                           uint32_t(begin), uint32_t(end)});
            return "ok";
        }
        if (verb == "rtsp" || verb == "rtsp-fault") {
            if (size_t(d) >= rtsp.size()) return "error no RTSP (no --main clip)";
            devsim::Simulator& sim = *rtsp[size_t(d)];
            if (verb == "rtsp")
                return "plays " + std::to_string(sim.PlaySessions().size()) + " open " +
                       std::to_string(sim.stats().openConnections.load());
            std::string name;
            in >> name;
            if (name == "stall") sim.SetFaults(devsim::kStall);
            else if (name == "close") sim.SetFaults(devsim::kCloseMidStream);
            else if (name == "none") sim.SetFaults(0);
            else return "error rtsp fault " + name;
            return "ok";
        }
        if (verb == "block") {
            std::string which;
            int channel = 0;
            in >> which >> channel;
            if (channel < 0 || channel >= responder.ChannelCount()) return "error channel";
            if (which == "stream") return Hex(responder.StreamBlock(d));
            if (which == "network") return Hex(responder.NetworkBlock(d));
            if (which == "region") return Hex(responder.RegionBlock(d, channel));
            if (which == "sensor") return Hex(responder.SensorBlock(d, channel));
            return "error block " + which;
        }
        return "error unknown " + verb;
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint32_t> addresses;
    int channels = 4;
    int controlPort = 8010;
    int announceEvery = 0;
    uint32_t client = 0;
    devsim::Config rtspConfig;
    rtspConfig.port = 36688;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--udp") {
            std::string t = next();
            uint32_t v = devsim::ParseIpv4(t);
            if (!v) {
                std::fprintf(stderr, "devsim: bad address %s\n", t.c_str());
                return 2;
            }
            addresses.push_back(v);
        } else if (a == "--channels") {
            channels = std::atoi(next().c_str());
        } else if (a == "--control") {
            controlPort = std::atoi(next().c_str());
        } else if (a == "--announce-every") {
            announceEvery = std::atoi(next().c_str());
        } else if (a == "--client") {
            client = devsim::ParseIpv4(next());
        } else if (a == "--main") {
            rtspConfig.mainClip = next();
        } else if (a == "--sub") {
            rtspConfig.subClip = next();
        } else if (a == "--audio") {
            rtspConfig.audioFile = next();
        } else if (a == "--pcmu") {
            rtspConfig.audioCodec = 2;
        } else if (a == "--fps") {
            rtspConfig.fps = unsigned(std::atoi(next().c_str()));
        } else if (a == "--rtsp-port") {
            rtspConfig.port = (unsigned short)std::atoi(next().c_str());
        } else if (a == "--fault-after") {
            rtspConfig.faultAfterUnits = unsigned(std::atoi(next().c_str()));
        } else {
            std::fprintf(stderr, "devsim: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (addresses.empty()) {
        std::fprintf(stderr, "devsim: give at least one --udp address\n");
        return 2;
    }
    signal(SIGTERM, OnSignal);
    signal(SIGINT, OnSignal);
    signal(SIGPIPE, SIG_IGN);

    Host host{devsim::UdpResponder(addresses, channels), {}, {}, {}};
    if (!rtspConfig.mainClip.empty()) {
        for (uint32_t a : addresses) {
            devsim::Config c = rtspConfig;
            c.address = devsim::Ipv4Text(a);
            auto sim = std::make_unique<devsim::Simulator>(c);
            if (!sim->Start()) {
                std::fprintf(stderr, "devsim: cannot serve RTSP on %s:%u (clip %s)\n", c.address.c_str(),
                             unsigned(c.port), c.mainClip.c_str());
                return 1;
            }
            host.rtsp.push_back(std::move(sim));
        }
    }
    for (uint32_t a : addresses) {
        int s = BindUdp(a, devsim::kCommandPort);
        if (s < 0) {
            std::fprintf(stderr, "devsim: cannot bind %s:%u: %s\n", devsim::Ipv4Text(a).c_str(),
                         unsigned(devsim::kCommandPort), std::strerror(errno));
            return 1;
        }
        host.sockets.push_back(s);
        host.floods.push_back(std::make_unique<Flood>());
    }
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(uint16_t(controlPort));
    if (bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(listener, 8) != 0) {
        std::fprintf(stderr, "devsim: cannot listen on control port %d: %s\n", controlPort,
                     std::strerror(errno));
        return 1;
    }
    std::printf("devsim: %zu device(s) on UDP %u%s, control on TCP %d\n", addresses.size(),
                unsigned(devsim::kCommandPort), host.rtsp.empty() ? "" : " and RTSP", controlPort);
    std::fflush(stdout);

    struct Conn {
        int fd;
        std::string in;
    };
    std::vector<Conn> conns;
    auto nextAnnounce = std::chrono::steady_clock::now();
    while (!g_stop) {
        std::vector<pollfd> fds;
        for (int s : host.sockets) fds.push_back(pollfd{s, POLLIN, 0});
        fds.push_back(pollfd{listener, POLLIN, 0});
        for (const Conn& c : conns) fds.push_back(pollfd{c.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) break;
        for (size_t d = 0; d < host.sockets.size(); ++d) {
            if (!(fds[d].revents & POLLIN)) continue;
            // Every datagram waiting.
            for (;;) {
                uint8_t buf[2048];
                sockaddr_in from{};
                socklen_t len = sizeof from;
                ssize_t n = recvfrom(host.sockets[d], buf, sizeof buf, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &len);
                if (n < 0) break;
                auto outs = host.responder.Receive(int(d), ntohl(from.sin_addr.s_addr),
                                                   ntohs(from.sin_port), buf, size_t(n));
                for (const auto& o : outs) SendTo(host.sockets[size_t(o.device)], o.to, o.toPort, o.bytes);
            }
        }
        const size_t lp = host.sockets.size();
        if (fds[lp].revents & POLLIN) {
            int c = accept(listener, nullptr, nullptr);
            if (c >= 0) conns.push_back(Conn{c, {}});
        }
        for (size_t i = 0; i < conns.size() && lp + 1 + i < fds.size(); ++i) {
            if (!(fds[lp + 1 + i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[1024];
            ssize_t n = recv(conns[i].fd, buf, sizeof buf, 0);
            if (n <= 0) {
                close(conns[i].fd);
                conns[i].fd = -1;
                continue;
            }
            conns[i].in.append(buf, size_t(n));
            size_t eol;
            while ((eol = conns[i].in.find('\n')) != std::string::npos) {
                std::string line = conns[i].in.substr(0, eol);
                conns[i].in.erase(0, eol + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                std::string reply = host.Command(line) + "\n";
                send(conns[i].fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
        for (size_t i = conns.size(); i-- > 0;)
            if (conns[i].fd < 0) conns.erase(conns.begin() + long(i));
        if (announceEvery > 0 && client && std::chrono::steady_clock::now() >= nextAnnounce) {
            for (size_t d = 0; d < host.sockets.size(); ++d)
                SendTo(host.sockets[d], client, devsim::kCommandPort, host.responder.Announcement(int(d)));
            nextAnnounce = std::chrono::steady_clock::now() + std::chrono::seconds(announceEvery);
        }
    }
    for (const Conn& c : conns) close(c.fd);
    for (auto& f : host.floods) f->Stop();
    for (int s : host.sockets) close(s);
    close(listener);
    for (auto& sim : host.rtsp) sim->Stop();
    return 0;
}
