// libFuzzer target over the device simulator's side of the UDP command
// channel: the pure responder fed a sequence of arbitrary datagrams, as the
// client (or anything else on the network) might send them.
//
// Input: a control byte (bits 0-4: the faults of device 0; bits 5-7: the
// number of channels less one), a count of record times and that many
// 10-byte records {command, channel, begin u32, end u32}, then datagrams,
// each a length byte followed by that many bytes.
//
// Properties: every datagram is logged as it came; a reply leaves from one
// of the devices to the sender; without faults every reply is one the
// client's dispatch takes, a configuration reply carries the block the
// device now holds and a record list holds at most 100 entries; a get is
// answered once at most; the blocks keep their sizes; a set of a whole
// block makes the device hold exactly those bytes.
#include <cstring>
#include <string>

#include "UdpResponder.h"
#include "fuzz_input.h"
#include "udp_packets.h"

namespace {

class Taker : public shell::UdpReceiver {
public:
    const uint8_t* block = nullptr;
    size_t size = 0;
    size_t recordBytes = 0;
    void OnConfigReply(const std::string&, uint8_t, uint8_t, const uint8_t* b, size_t n) override {
        block = b;
        size = n;
    }
    void OnRecordList(const std::string&, uint8_t, const uint8_t*, size_t n) override { recordBytes = n; }
};

void CheckSizes(const devsim::UdpResponder& r) {
    for (int d = 0; d < r.DeviceCount(); ++d) {
        for (int ch = 0; ch < r.ChannelCount(); ++ch)
            if (r.RegionBlock(d, ch).size() != devsim::kRegionBlockSize ||
                r.SensorBlock(d, ch).size() != devsim::kSensorBlockSize)
                fuzz::Fail("channel block size", d, ch);
        if (r.StreamBlock(d).size() != devsim::kStreamBlockSize || r.NetworkBlock(d).size() != devsim::kNetworkBlockSize)
            fuzz::Fail("device block size", d);
    }
}

const std::vector<uint8_t>* HeldBlock(const devsim::UdpResponder& r, uint8_t command, uint8_t channel) {
    switch (command) {
    case 1: return channel < r.ChannelCount() ? &r.RegionBlock(0, channel) : nullptr;
    case 2: return channel < r.ChannelCount() ? &r.SensorBlock(0, channel) : nullptr;
    case 3: return &r.StreamBlock(0);
    case 4: return &r.NetworkBlock(0);
    default: return nullptr;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t control = in.Byte();
    const unsigned faults = control & 31;
    devsim::UdpResponder r({0xA9FE0102u, 0xA9FE0103u}, 1 + (control >> 5));
    r.SetFaults(0, faults);
    const uint8_t records = in.Byte();
    r.SetEchoChannel(0, (records & 8) != 0);   // devices that echo the asked channel in byte 3, and those that do not
    for (int n = records % 8; n > 0; --n) {
        devsim::RecordTime t;
        t.command = uint8_t(1 + in.Byte() % 2);
        t.channel = in.Byte();
        t.begin = in.Long();
        t.end = in.Long();
        r.AddRecordTime(0, t);
    }
    const uint32_t client = 0xA9FE0101u;
    size_t logged = 0;
    while (in.Left()) {
        const uint8_t* p;
        const size_t n = in.Take(in.Byte(), &p);
        fuzz::Exact dg(p, n);
        std::vector<devsim::UdpOut> out = r.Receive(0, client, 8001, dg.data(), dg.size());
        if (r.Log().size() != ++logged) fuzz::Fail("datagram not logged");
        const devsim::UdpLogEntry& e = r.Log().back();
        if (e.device != 0 || e.from != client || e.bytes.size() != n || (n && std::memcmp(e.bytes.data(), p, n)))
            fuzz::Fail("log entry");
        if (devsim::FormatLogEntry(r, e).size() != std::string("169.254.1.2 169.254.1.1:8001 ").size() + 2 * n)
            fuzz::Fail("log line");
        CheckSizes(r);
        if (n < 16 || dg.data()[0] != 1) {
            if (!out.empty()) fuzz::Fail("reply to a datagram that is no request");
            continue;
        }
        const uint8_t type = dg.data()[1], command = dg.data()[2];
        if (type == 0xC1 && out.size() > 1) fuzz::Fail("a get answered more than once", long(out.size()));
        if (type != 0xC1 && type != 0xC2 && !out.empty()) fuzz::Fail("reply to a datagram that asks none");
        if (faults & devsim::kUdpNoReply && !out.empty()) fuzz::Fail("reply from a silent device");
        // A set of a whole block: the device holds those bytes.
        if (type == 0xC4 && !faults) {
            const uint8_t* payload = dg.data() + 16;
            const size_t bs = shell::ConfigBlockSize(command);
            if (bs && n - 16 >= bs && (command > 2 || payload[0] < r.ChannelCount())) {
                const std::vector<uint8_t>* held = HeldBlock(r, command, command > 2 ? 0 : payload[0]);
                if (!held || std::memcmp(held->data(), payload, bs) != 0) fuzz::Fail("set not held", command);
            }
        }
        for (const devsim::UdpOut& o : out) {
            if (o.device < 0 || o.device >= r.DeviceCount() || o.to != client || o.toPort != 8001)
                fuzz::Fail("reply address");
            if (faults) continue;
            if (o.device != 0) fuzz::Fail("reply from another device");
            Taker t;
            fuzz::Exact reply(o.bytes.data(), o.bytes.size());
            shell::UdpDispatch k = shell::DispatchUdpDatagram(reply.data(), reply.size(), "169.254.1.2", t);
            if (k == shell::UdpDispatch::Ignored) fuzz::Fail("reply the client ignores", command);
            if (k == shell::UdpDispatch::ConfigReply) {
                // The block of the channel asked: byte 3 of a region get, the
                // first payload byte of a sensor get. The reply's byte 3 is 0
                // unless the device echoes the channel there.
                const uint8_t asked = command == 1 ? dg.data()[3] : command == 2 && n > 16 ? dg.data()[16] : 0;
                if (reply.data()[3] != (r.EchoChannel(0) ? asked : 0))
                    fuzz::Fail("configuration reply's byte 3", reply.data()[3]);
                const std::vector<uint8_t>* held = HeldBlock(r, command, asked);
                if (!held || held->size() != t.size || std::memcmp(held->data(), t.block, t.size) != 0)
                    fuzz::Fail("configuration reply is not the held block", command);
            }
            if (k == shell::UdpDispatch::RecordList && t.recordBytes > 8 + 8 * devsim::kRecordEntries)
                fuzz::Fail("record list too long", long(t.recordBytes));
        }
    }
    return 0;
}
