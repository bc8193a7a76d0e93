// A simulated device for tests and benchmarks: serves RTSP 1.0 with RTP
// interleaved on TCP on one address (127.0.0.x, or a device address on the
// device network), with the stream names the SDK asks for, from H.264 clips
// and G.711 tone files, in the devices' own packetisation or the standard
// one, and with scripted faults. Builds for Windows and for POSIX hosts.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Packetizer.h"
#include "SocketCompat.h"

namespace devsim {

enum Fault : unsigned {
    kSplitReply = 1u << 0,      // every reply in small pieces
    kRtpWithPlayReply = 1u << 1,  // the first RTP in the PLAY reply's segment
    kUnauthorized = 1u << 2,    // 401 to DESCRIBE
    kNoSession = 1u << 3,       // SETUP reply without Session
    kNoRtpInfo = 1u << 4,       // PLAY reply without RTP-Info
    kStall = 1u << 5,           // sending stops after faultAfterUnits units
    kCloseMidStream = 1u << 6,  // the connection closes after faultAfterUnits units
    kNoAnswer = 1u << 7,        // TCP connections are never answered
    kLongSession = 1u << 8,     // a session id of more than 16 characters
    kRtcp = 1u << 9,            // RTCP sender reports on channel 1
    kGarbage = 1u << 10,        // stray bytes between interleaved packets
    kRtpInfoFirst = 1u << 11,   // RTP-Info before Session in the PLAY reply
};

struct Config {
    std::string address = "127.0.0.1";
    unsigned short port = 0;  // 0: any free port
    Packetization mode = Packetization::Device;
    size_t maxPayload = 1400;
    std::string mainClip;  // Annex-B files
    std::string subClip;
    std::string audioFile;  // G.711 bytes
    int audioCodec = 1;     // 1 PCMA, 2 PCMU
    unsigned fps = 25;
    bool fullSpeed = false;
    unsigned faults = 0;
    unsigned faultAfterUnits = 10;
    unsigned splitPiece = 7;  // bytes per piece with kSplitReply
};

struct Stats {
    std::atomic<int> connections{0};
    std::atomic<int> openConnections{0};
    std::atomic<int> sessionsPlaying{0};
    std::atomic<unsigned long long> unitsSent{0};
    std::atomic<unsigned long long> bytesSent{0};
};

class Simulator {
public:
    explicit Simulator(Config config);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Start();  // false when the clips cannot be read or the port bound
    void Stop();
    // Faults of the sessions that start from now on (and of the stall and
    // close checks of running ones).
    void SetFaults(unsigned faults) { faults_ = faults; }
    unsigned short Port() const { return port_; }
    const Config& config() const { return config_; }
    Stats& stats() { return stats_; }
    // Every request received, in order.
    std::vector<std::string> Requests();
    // The Session header values of the PLAY requests received.
    std::vector<std::string> PlaySessions();

    // The access units of a clip, as served.
    const std::vector<std::vector<uint8_t>>& Units(bool sub) const {
        return sub ? subUnits_ : mainUnits_;
    }

private:
    struct Connection;
    // Set once by Stop; waits end early when it is.
    class StopSignal {
    public:
        void Set();
        void Reset();
        bool IsSet();
        bool WaitFor(unsigned ms);  // true when set
    private:
        std::mutex m_;
        std::condition_variable cv_;
        bool set_ = false;
    };
    void AcceptLoop();
    void Serve(Connection& c);
    bool SendReply(Connection& c, const std::string& text, const std::vector<uint8_t>& extra = {});
    // All bytes, or false when the connection failed or the simulator stops.
    bool SendAll(Connection& c, const void* data, size_t size);
    void Stream(Connection& c, int kind, std::vector<uint8_t> pending);

    Config config_;
    std::atomic<unsigned> faults_{0};
    Stats stats_;
    unsigned short port_ = 0;
    SocketHandle listen_ = kNoSocket;
    std::vector<SocketHandle> fillers_;
    std::thread acceptThread_;
    StopSignal stop_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::vector<std::string> requests_;
    std::vector<std::string> playSessions_;
    std::vector<std::vector<uint8_t>> mainUnits_, subUnits_;
    std::vector<uint8_t> audio_;
};

// Cuts an Annex-B clip into access units (one slice per picture, or AUDs).
std::vector<std::vector<uint8_t>> SplitAccessUnits(const std::vector<uint8_t>& clip);

}  // namespace devsim
