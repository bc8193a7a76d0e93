#include "UdpResponder.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace devsim {

namespace {

constexpr size_t kHeader = 16;
constexpr uint8_t kGet = 0xC1, kSearch = 0xC2, kSet = 0xC4;
constexpr uint8_t kReplyInfo = 1, kReplyConfig = 2, kReplyRecords = 3, kReplyAlarm = 63;

void PutU16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::vector<uint8_t> Header(uint8_t type, uint8_t command, uint8_t channel, uint8_t param,
                            uint16_t length) {
    std::vector<uint8_t> h(kHeader, 0);
    h[0] = 1;
    h[1] = type;
    h[2] = command;
    h[3] = channel;
    h[4] = param;
    PutU16(&h[14], length);
    return h;
}

}  // namespace

uint32_t ParseIpv4(const std::string& text) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return 0;
    if (a > 255 || b > 255 || c > 255 || d > 255) return 0;
    return a << 24 | b << 16 | c << 8 | d;
}

std::string Ipv4Text(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "%u.%u.%u.%u", v >> 24, (v >> 16) & 255, (v >> 8) & 255, v & 255);
    return s;
}

UdpResponder::UdpResponder(std::vector<uint32_t> addresses, int channels)
    : channels_(channels < 1 ? 1 : channels) {
    for (uint32_t a : addresses) {
        Device d;
        d.address = a;
        for (int ch = 0; ch < channels_; ++ch) {
            std::vector<uint8_t> region(kRegionBlockSize, 0);
            region[0] = uint8_t(ch);  // the device's mark of the channel
            region[1] = 1;            // resolution code
            region[2] = 2;            // motion level
            region[3] = 5;            // gap
            region[4] = 2;            // cover off
            region[5] = 2;            // motion off
            d.region.push_back(region);
            std::vector<uint8_t> sensor(kSensorBlockSize, 0);
            sensor[0] = uint8_t(ch);
            sensor[5] = 128;  // brightness, contrast, saturation, hue, sharpness
            sensor[6] = 128;
            sensor[7] = 128;
            sensor[8] = 128;
            sensor[9] = 64;
            d.sensor.push_back(sensor);
        }
        d.stream.assign(kStreamBlockSize, 0);
        for (size_t i = 0; i < kStreamBlockSize; ++i) d.stream[i] = uint8_t(i + 1);
        d.network.assign(kNetworkBlockSize, 0);
        PutU32(&d.network[0], 0x08080808u);  // DNS server
        d.network[9] = 1;                    // Wi-Fi off
        d.network[10] = 1;                   // fixed IP
        PutU32(&d.network[12], a);
        PutU32(&d.network[16], 0xFFFFFF00u);
        PutU32(&d.network[20], (a & 0xFFFFFF00u) | 1);
        std::memcpy(&d.network[104], "devsim", 6);
        devices_.push_back(std::move(d));
    }
}

int UdpResponder::DeviceOf(uint32_t address) const {
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].address == address) return int(i);
    return -1;
}

void UdpResponder::SetFaults(int device, unsigned faults) { devices_[size_t(device)].faults = faults; }
unsigned UdpResponder::Faults(int device) const { return devices_[size_t(device)].faults; }
void UdpResponder::SetEchoChannel(int device, bool echo) { devices_[size_t(device)].echoChannel = echo; }
bool UdpResponder::EchoChannel(int device) const { return devices_[size_t(device)].echoChannel; }
void UdpResponder::AddRecordTime(int device, const RecordTime& time) {
    devices_[size_t(device)].records.push_back(time);
}

void UdpResponder::ClearRecordTimes(int device) { devices_[size_t(device)].records.clear(); }

const std::vector<uint8_t>& UdpResponder::RegionBlock(int device, int channel) const {
    return devices_[size_t(device)].region[size_t(channel)];
}
const std::vector<uint8_t>& UdpResponder::SensorBlock(int device, int channel) const {
    return devices_[size_t(device)].sensor[size_t(channel)];
}
const std::vector<uint8_t>& UdpResponder::StreamBlock(int device) const {
    return devices_[size_t(device)].stream;
}
const std::vector<uint8_t>& UdpResponder::NetworkBlock(int device) const {
    return devices_[size_t(device)].network;
}

std::vector<uint8_t> UdpResponder::ConfigReply(const Device& d, uint8_t command, uint8_t channel,
                                               const std::vector<uint8_t>& payload) const {
    uint8_t type = (d.faults & kUdpType66) ? uint8_t(kReplyConfig | 0x40) : kReplyConfig;
    // The block carries its channel where it has one; header byte 3 is 0
    // unless the device is switched to echo the asked channel there.
    if (!d.echoChannel) channel = 0;
    if (d.faults & kUdpOtherChannel) channel = uint8_t(channel + 1);
    std::vector<uint8_t> out = Header(type, command, channel, 0, uint16_t(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    if ((d.faults & kUdpShortReply) && out.size() > kHeader + 8) out.resize(kHeader + 8);
    return out;
}

void UdpResponder::ApplySet(Device& d, uint8_t command, const uint8_t* p, size_t size) {
    switch (command) {
    case 1:
        if (size >= kRegionBlockSize && p[0] < d.region.size())
            d.region[p[0]].assign(p, p + kRegionBlockSize);
        break;
    case 2:
        if (size >= kSensorBlockSize && p[0] < d.sensor.size())
            d.sensor[p[0]].assign(p, p + kSensorBlockSize);
        break;
    case 3:
        if (size >= kStreamBlockSize) d.stream.assign(p, p + kStreamBlockSize);
        break;
    case 4:
        if (size >= kNetworkBlockSize) d.network.assign(p, p + kNetworkBlockSize);
        break;
    default:
        break;
    }
}

std::vector<std::vector<uint8_t>> UdpResponder::RecordReplies(const Device& d, uint8_t command,
                                                              uint32_t begin, uint32_t end) const {
    std::map<uint8_t, std::vector<const RecordTime*>> byChannel;
    for (const RecordTime& r : d.records)
        if (r.command == command && r.end >= begin && r.begin <= end)
            byChannel[r.channel].push_back(&r);
    std::vector<std::vector<uint8_t>> out;
    for (auto& [channel, times] : byChannel) {
        for (size_t first = 0; first < times.size(); first += kRecordEntries) {
            std::vector<uint8_t> payload(8 + 8 * kRecordEntries, 0);
            payload[0] = channel;
            payload[1] = uint8_t(first / kRecordEntries);
            for (size_t i = 0; i < kRecordEntries && first + i < times.size(); ++i) {
                PutU32(&payload[8 + 8 * i], times[first + i]->begin);
                PutU32(&payload[12 + 8 * i], times[first + i]->end);
            }
            std::vector<uint8_t> dg = Header(kReplyRecords, command, channel, 0, uint16_t(payload.size()));
            dg.insert(dg.end(), payload.begin(), payload.end());
            if ((d.faults & kUdpShortReply) && dg.size() > kHeader + 8) dg.resize(kHeader + 8);
            out.push_back(std::move(dg));
        }
    }
    return out;
}

std::vector<UdpOut> UdpResponder::Receive(int device, uint32_t from, uint16_t fromPort,
                                          const uint8_t* data, size_t size) {
    std::vector<UdpOut> out;
    if (device < 0 || size_t(device) >= devices_.size()) return out;
    log_.push_back(UdpLogEntry{device, from, fromPort, std::vector<uint8_t>(data, data + size)});
    Device& d = devices_[size_t(device)];
    if (size < kHeader || data[0] != 1) return out;
    const uint8_t type = data[1], command = data[2];
    const size_t lengthField = size_t(data[14]) | size_t(data[15]) << 8;
    const uint8_t* payload = data + kHeader;
    const size_t payloadSize = size - kHeader;
    (void)lengthField;

    std::vector<std::vector<uint8_t>> replies;
    if (type == kGet) {
        switch (command) {
        case 1:
            if (data[3] < d.region.size())
                replies.push_back(ConfigReply(d, 1, data[3], d.region[data[3]]));
            break;
        case 2:
            if (payloadSize >= 1 && payload[0] < d.sensor.size())
                replies.push_back(ConfigReply(d, 2, payload[0], d.sensor[payload[0]]));
            break;
        case 3:
            replies.push_back(ConfigReply(d, 3, 0, d.stream));
            break;
        case 4:
            replies.push_back(ConfigReply(d, 4, 0, d.network));
            break;
        case 6: {
            // Typed items {u16 type, u16 length, data}.
            std::vector<uint8_t> items;
            const struct { uint16_t type; uint16_t length; } list[] = {{11, 4}, {12, 8}, {21, 6}};
            for (const auto& it : list) {
                size_t at = items.size();
                items.resize(at + 4 + it.length, 0);
                PutU16(&items[at], it.type);
                PutU16(&items[at + 2], it.length);
                for (uint16_t i = 0; i < it.length; ++i) items[at + 4 + i] = uint8_t(it.type + i);
            }
            replies.push_back(ConfigReply(d, 6, 0, items));
            break;
        }
        default:
            break;  // reboot (0xFE), stream started (0xFF): logged only
        }
    } else if (type == kSet) {
        ApplySet(d, command, payload, payloadSize);
    } else if (type == kSearch) {
        if (payloadSize >= 12)
            replies = RecordReplies(d, command, GetU32(payload + 4), GetU32(payload + 8));
    }
    if (d.faults & kUdpNoReply) return out;
    int sender = device;
    if ((d.faults & kUdpOtherAddress) && devices_.size() > 1) sender = (device + 1) % int(devices_.size());
    for (auto& r : replies) out.push_back(UdpOut{sender, from, fromPort, std::move(r)});
    return out;
}

std::vector<uint8_t> UdpResponder::Announcement(int device) const {
    const Device& d = devices_[size_t(device)];
    std::vector<uint8_t> out = Header(kReplyInfo, 0, 0, 0, uint16_t(kAnnouncementSize - kHeader));
    out.resize(kAnnouncementSize, 0);
    uint8_t* p = out.data() + kHeader;
    PutU32(p + 4, d.address);  // first octet in byte 7
    PutU16(p + 8, kCommandPort);
    PutU16(p + 12, 36688);
    p[15] = uint8_t(channels_);
    char serial[32];
    std::snprintf(serial, sizeof serial, "DEVSIM-%08X", unsigned(d.address));
    std::memcpy(p + 20, serial, std::strlen(serial));
    std::memcpy(p + 108, "devsim", 6);
    return out;
}

std::vector<uint8_t> UdpResponder::AlarmReport(uint8_t kind, uint8_t channel, uint8_t state) {
    return Header(kReplyAlarm, kind, channel, state, 0);
}

std::vector<std::vector<uint8_t>> UdpResponder::FloodMix(int device, uint8_t channel) const {
    const Device& d = devices_[size_t(device)];
    std::vector<std::vector<uint8_t>> mix;
    auto reply = [&](uint8_t command, const std::vector<uint8_t>& block) {
        std::vector<uint8_t> out = Header(kReplyConfig, command, channel, 0, uint16_t(block.size()));
        out.insert(out.end(), block.begin(), block.end());
        return out;
    };
    uint32_t seed = 0x2545F491u ^ d.address;
    auto random = [&](size_t size) {
        std::vector<uint8_t> out(size);
        for (uint8_t& b : out) {
            seed = seed * 1664525u + 1013904223u;
            b = uint8_t(seed >> 24);
        }
        return out;
    };
    mix.push_back(AlarmReport(1, channel, 1));
    mix.push_back(Announcement(device));
    mix.push_back(reply(1, d.region[channel % d.region.size()]));
    mix.push_back(AlarmReport(9, channel, 1));
    mix.push_back(reply(2, d.sensor[channel % d.sensor.size()]));
    mix.push_back(random(7));
    mix.push_back(AlarmReport(1, channel, 0));
    mix.push_back(reply(3, d.stream));
    std::vector<uint8_t> records = Header(kReplyRecords, 1, channel, 0, 8 + 8 * 4);
    records.resize(kHeader + 8 + 8 * 4, 0);
    mix.push_back(records);
    mix.push_back(random(1500));
    mix.push_back(reply(4, d.network));
    std::vector<uint8_t> items = Header(kReplyConfig, 6, 0, 0, 12);
    for (uint16_t type : {11, 12, 21}) {
        const uint8_t item[4] = {uint8_t(type), 0, 0, 0};
        items.insert(items.end(), item, item + 4);
    }
    mix.push_back(items);
    mix.push_back(Header(0x55, 1, channel, 0, 0));
    std::vector<uint8_t> shortAnnouncement = Announcement(device);
    shortAnnouncement.resize(200);
    mix.push_back(shortAnnouncement);
    std::vector<uint8_t> garbage = random(300);
    garbage[0] = 1;
    garbage[1] = kReplyAlarm | 0x40;
    garbage[2] = 9;  // of an unknown kind, never a probe
    mix.push_back(garbage);
    return mix;
}

std::string FormatLogEntry(const UdpResponder& r, const UdpLogEntry& e) {
    std::string s = Ipv4Text(r.Address(e.device)) + " " + Ipv4Text(e.from) + ":" +
                    std::to_string(e.fromPort) + " ";
    static const char hex[] = "0123456789abcdef";
    for (uint8_t b : e.bytes) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s;
}

}  // namespace devsim
