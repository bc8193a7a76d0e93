// The device side of the client's UDP command channel (port 8001): what a
// simulated device answers to each datagram, what it sends on its own
// (announcements, alarm reports), and what it heard. Pure: datagrams in,
// datagrams out; the socket layer lives elsewhere.
//
// Portable: no Windows or POSIX headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace devsim {

constexpr uint16_t kCommandPort = 8001;
constexpr size_t kRegionBlockSize = 136;
constexpr size_t kSensorBlockSize = 12;
constexpr size_t kStreamBlockSize = 52;
constexpr size_t kNetworkBlockSize = 168;
constexpr size_t kAnnouncementSize = 240;  // 16-byte header, 224-byte payload
constexpr size_t kRecordEntries = 100;

// Faults a device can be switched into; each affects its replies only.
enum UdpFault : unsigned {
    kUdpShortReply = 1u << 0,     // replies cut to 16 + 8 bytes
    kUdpOtherAddress = 1u << 1,   // replies leave from the device's next address
    kUdpOtherChannel = 1u << 2,   // configuration replies carry 1 more in byte 3
    kUdpType66 = 1u << 3,         // configuration replies as type 66
    kUdpNoReply = 1u << 4,        // nothing is answered
};

// IPv4 addresses are host-order numbers (a.b.c.d = a << 24 | b << 16 | c << 8 | d).
uint32_t ParseIpv4(const std::string& text);  // 0 when not dotted IPv4
std::string Ipv4Text(uint32_t address);

struct UdpOut {
    int device;         // index of the device address it leaves from
    uint32_t to;        // destination address
    uint16_t toPort;
    std::vector<uint8_t> bytes;
};

struct UdpLogEntry {
    int device;
    uint32_t from;
    uint16_t fromPort;
    std::vector<uint8_t> bytes;
};

struct RecordTime {
    uint8_t command;    // 1 normal, 2 alarm
    uint8_t channel;
    uint32_t begin, end;  // seconds since 1970
};

class UdpResponder {
public:
    // One simulated device per address; each has channels channels.
    explicit UdpResponder(std::vector<uint32_t> addresses, int channels = 4);

    int DeviceCount() const { return int(devices_.size()); }
    int ChannelCount() const { return channels_; }
    uint32_t Address(int device) const { return devices_[size_t(device)].address; }
    // -1 when the address is no device's.
    int DeviceOf(uint32_t address) const;

    // One datagram that reached device at port 8001; returns what it sends back.
    std::vector<UdpOut> Receive(int device, uint32_t from, uint16_t fromPort,
                                const uint8_t* data, size_t size);

    // Unsolicited datagrams.
    std::vector<uint8_t> Announcement(int device) const;
    static std::vector<uint8_t> AlarmReport(uint8_t kind, uint8_t channel, uint8_t state);
    // What a broken or hostile sender at the device's address floods the
    // client with, sent over and over in this order: motion alarms (begin
    // and end) and alarms of an unknown kind for channel, announcements,
    // configuration replies, a record list, a typed-item list and garbage
    // (too short, an unknown type, random bytes up to 1,500). No probe
    // alarms: a real one stands out after the flood.
    std::vector<std::vector<uint8_t>> FloodMix(int device, uint8_t channel) const;

    void SetFaults(int device, unsigned faults);
    unsigned Faults(int device) const;
    // Header byte 3 of configuration replies: 0, as a device may answer
    // (the default), or the channel the get asked for.
    void SetEchoChannel(int device, bool echo);
    bool EchoChannel(int device) const;
    // Record times the device finds for a search (appended).
    void AddRecordTime(int device, const RecordTime& time);
    void ClearRecordTimes(int device);

    // Current blocks, as the device holds them.
    const std::vector<uint8_t>& RegionBlock(int device, int channel) const;
    const std::vector<uint8_t>& SensorBlock(int device, int channel) const;
    const std::vector<uint8_t>& StreamBlock(int device) const;
    const std::vector<uint8_t>& NetworkBlock(int device) const;

    const std::vector<UdpLogEntry>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

private:
    struct Device {
        uint32_t address = 0;
        unsigned faults = 0;
        bool echoChannel = false;
        std::vector<std::vector<uint8_t>> region, sensor;  // per channel
        std::vector<uint8_t> stream, network;
        std::vector<RecordTime> records;
    };

    std::vector<uint8_t> ConfigReply(const Device& d, uint8_t command, uint8_t channel,
                                     const std::vector<uint8_t>& payload) const;
    void ApplySet(Device& d, uint8_t command, const uint8_t* payload, size_t size);
    std::vector<std::vector<uint8_t>> RecordReplies(const Device& d, uint8_t command,
                                                    uint32_t begin, uint32_t end) const;

    std::vector<Device> devices_;
    int channels_;
    std::vector<UdpLogEntry> log_;
};

// One log entry as a text line: "DEVICE FROM:PORT HEX".
std::string FormatLogEntry(const UdpResponder& r, const UdpLogEntry& e);

}  // namespace devsim
