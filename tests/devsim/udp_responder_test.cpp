// The simulated devices' side of the UDP command channel, without sockets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "UdpResponder.h"
#include "udp_bytes.h"

using devsim::UdpResponder;
using Bytes = std::vector<uint8_t>;

namespace {

const uint32_t kDev0 = devsim::ParseIpv4("169.254.77.2");
const uint32_t kDev1 = devsim::ParseIpv4("169.254.77.3");
const uint32_t kClient = devsim::ParseIpv4("169.254.77.1");

Bytes Request(uint8_t type, uint8_t command, uint8_t channel, uint16_t length, Bytes payload = {},
              uint8_t flag = 0) {
    return udptest::Datagram(type, command, channel, 0, length, payload, flag);
}

std::vector<devsim::UdpOut> Send(UdpResponder& r, int device, const Bytes& b) {
    return r.Receive(device, kClient, 8001, b.data(), b.size());
}

using udptest::LengthField;

}  // namespace

TEST(DevsimUdp, GetsAnsweredAsType2WithTheirBlock) {
    struct Case {
        const char* name;
        Bytes request;
        uint8_t command, channel;
        size_t payload;
    } cases[] = {
        {"region ch 2", Request(0xC1, 1, 2, 0, {}, 1), 1, 2, 136},
        {"sensor ch 3", Request(0xC1, 2, 0, 2, {3, 0}), 2, 3, 12},
        {"stream", Request(0xC1, 3, 0, 0, {0, 0}), 3, 0, 52},
        {"network", Request(0xC1, 4, 0, 0), 4, 0, 168},
    };
    // Header byte 3 is 0 as a device may send it, or the asked channel
    // when the device is switched to echo it.
    for (bool echo : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (echo ? " echoed" : ""));
            UdpResponder r({kDev0});
            EXPECT_FALSE(r.EchoChannel(0));
            r.SetEchoChannel(0, echo);
            auto out = Send(r, 0, c.request);
            ASSERT_EQ(out.size(), 1u);
            const Bytes& b = out[0].bytes;
            EXPECT_EQ(out[0].device, 0);
            EXPECT_EQ(out[0].to, kClient);
            EXPECT_EQ(out[0].toPort, 8001);
            ASSERT_EQ(b.size(), 16 + c.payload);
            EXPECT_EQ(b[0], 1);
            EXPECT_EQ(b[1], 2);
            EXPECT_EQ(b[2], c.command);
            EXPECT_EQ(b[3], echo ? c.channel : 0);
            EXPECT_EQ(LengthField(b), c.payload);
            if (c.command <= 2) {
                EXPECT_EQ(b[16], c.channel) << "the channel mark in byte 0 of the block";
            }
        }
}

TEST(DevsimUdp, ItemListIsWalkableToItsLength) {
    UdpResponder r({kDev0});
    auto out = Send(r, 0, Request(0xC1, 6, 0, 0));
    ASSERT_EQ(out.size(), 1u);
    const Bytes& b = out[0].bytes;
    size_t at = 16, items = 0;
    std::vector<int> types;
    while (at + 4 <= b.size()) {
        types.push_back(b[at] | b[at + 1] << 8);
        at += 4 + size_t(b[at + 2] | b[at + 3] << 8);
        ++items;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(types, (std::vector<int>{11, 12, 21}));
    EXPECT_EQ(LengthField(b), b.size() - 16);
}

TEST(DevsimUdp, SetsAreStoredSilentlyAndReadBack) {
    UdpResponder r({kDev0});
    Bytes region(136, 0);
    region[0] = 1;  // channel mark
    region[5] = 1;  // motion on
    region[12] = 0xAB;
    EXPECT_TRUE(Send(r, 0, Request(0xC4, 1, 0, 136, region)).empty());
    Bytes sensor(12, 0);
    sensor[0] = 2;
    sensor[5] = 77;
    EXPECT_TRUE(Send(r, 0, Request(0xC4, 2, 0, 12, sensor)).empty());
    Bytes stream(52, 0x5A);
    EXPECT_TRUE(Send(r, 0, Request(0xC4, 3, 0, 68, stream)).empty()) << "length field 68";
    Bytes net(168, 0x11);
    EXPECT_TRUE(Send(r, 0, Request(0xC4, 4, 0, 168, net)).empty());

    EXPECT_EQ(r.RegionBlock(0, 1), region);
    EXPECT_NE(r.RegionBlock(0, 0), region) << "applied by the block's channel byte, not byte 3";
    EXPECT_EQ(r.SensorBlock(0, 2), sensor);
    EXPECT_EQ(r.StreamBlock(0), stream);
    EXPECT_EQ(r.NetworkBlock(0), net);

    auto out = Send(r, 0, Request(0xC1, 1, 1, 0, {}, 1));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Bytes(out[0].bytes.begin() + 16, out[0].bytes.end()), region);
    out = Send(r, 0, Request(0xC1, 2, 0, 2, {2, 0}));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Bytes(out[0].bytes.begin() + 16, out[0].bytes.end()), sensor);
}

TEST(DevsimUdp, ShortSetsChangeNothing) {
    UdpResponder r({kDev0});
    Bytes before = r.NetworkBlock(0);
    Send(r, 0, Request(0xC4, 4, 0, 168, Bytes(100, 0x22)));
    EXPECT_EQ(r.NetworkBlock(0), before);
}

TEST(DevsimUdp, NoticesAndCommandsAreLoggedNotAnswered) {
    UdpResponder r({kDev0, kDev1});
    EXPECT_TRUE(Send(r, 1, Request(0xC1, 0xFF, 3, 0)).empty());
    EXPECT_TRUE(Send(r, 1, Request(0xC1, 0xFE, 0, 0)).empty());
    EXPECT_TRUE(Send(r, 1, Request(0xC3, 9, 1, 4, {3, 3, 0, 0})).empty());
    Bytes tiny = {1, 2, 3};
    EXPECT_TRUE(r.Receive(1, kClient, 8001, tiny.data(), tiny.size()).empty());
    ASSERT_EQ(r.Log().size(), 4u);
    EXPECT_EQ(r.Log()[0].device, 1);
    EXPECT_EQ(r.Log()[0].bytes[2], 0xFF);
    EXPECT_EQ(r.Log()[3].bytes, tiny);
    EXPECT_EQ(devsim::FormatLogEntry(r, r.Log()[0]).substr(0, 41),
              "169.254.77.3 169.254.77.1:8001 01c1ff0300");
}

TEST(DevsimUdp, FaultSwitches) {
    const Bytes get = Request(0xC1, 1, 0, 0, {}, 1);
    struct Case {
        unsigned fault;
        size_t replies, size;
        int device;
        uint8_t type, channel;
    } cases[] = {
        {0, 1, 152, 0, 2, 0},
        {devsim::kUdpShortReply, 1, 24, 0, 2, 0},
        {devsim::kUdpOtherAddress, 1, 152, 1, 2, 0},
        {devsim::kUdpOtherChannel, 1, 152, 0, 2, 1},
        {devsim::kUdpType66, 1, 152, 0, 66, 0},
        {devsim::kUdpNoReply, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        UdpResponder r({kDev0, kDev1});
        r.SetFaults(0, c.fault);
        auto out = Send(r, 0, get);
        ASSERT_EQ(out.size(), c.replies);
        if (!c.replies) continue;
        EXPECT_EQ(out[0].bytes.size(), c.size);
        EXPECT_EQ(out[0].device, c.device);
        EXPECT_EQ(out[0].bytes[1], c.type);
        EXPECT_EQ(out[0].bytes[3], c.channel);
        EXPECT_EQ(LengthField(out[0].bytes), 136) << "a short reply keeps its full length field";
    }
}

TEST(DevsimUdp, RecordSearchAnswersFromTheScriptedTimes) {
    UdpResponder r({kDev0});
    r.AddRecordTime(0, {1, 0, 1000, 1600});
    r.AddRecordTime(0, {1, 0, 2000, 2600});
    r.AddRecordTime(0, {1, 2, 1500, 1700});
    r.AddRecordTime(0, {2, 0, 1200, 1300});  // alarm records: another search
    r.AddRecordTime(0, {1, 1, 9000, 9100});  // outside the range
    Bytes payload(12, 0);
    uint32_t begin = 1100, end = 2100;
    std::memcpy(&payload[4], &begin, 4);
    std::memcpy(&payload[8], &end, 4);
    auto out = Send(r, 0, Request(0xC2, 1, 0, 12, payload));
    ASSERT_EQ(out.size(), 2u);  // channels 0 and 2
    const Bytes& b = out[0].bytes;
    ASSERT_EQ(b.size(), 16u + 808);
    EXPECT_EQ(b[1], 3);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(LengthField(b), 808);
    EXPECT_EQ(b[16], 0);
    uint32_t t[4];
    std::memcpy(t, &b[24], 16);
    EXPECT_EQ(t[0], 1000u);
    EXPECT_EQ(t[1], 1600u);
    EXPECT_EQ(t[2], 2000u);
    EXPECT_EQ(t[3], 2600u);
    EXPECT_EQ(out[1].bytes[16], 2);
}

TEST(DevsimUdp, AnnouncementAndAlarmReports) {
    UdpResponder r({kDev0, kDev1}, 8);
    Bytes a = r.Announcement(1);
    ASSERT_EQ(a.size(), 240u);
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(LengthField(a), 224);
    // Address first octet in payload byte 7.
    EXPECT_EQ(a[16 + 7], 169);
    EXPECT_EQ(a[16 + 6], 254);
    EXPECT_EQ(a[16 + 5], 77);
    EXPECT_EQ(a[16 + 4], 3);
    EXPECT_EQ(a[16 + 15], 8);
    EXPECT_STREQ(reinterpret_cast<const char*>(&a[16 + 20]), "DEVSIM-A9FE4D03");

    Bytes alarm = UdpResponder::AlarmReport(1, 2, 1);
    EXPECT_EQ(alarm, (Bytes{1, 63, 1, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(DevsimUdp, AddressText) {
    EXPECT_EQ(devsim::ParseIpv4("169.254.77.2"), 0xA9FE4D02u);
    EXPECT_EQ(devsim::ParseIpv4("169.254.77"), 0u);
    EXPECT_EQ(devsim::ParseIpv4("169.254.77.256"), 0u);
    EXPECT_EQ(devsim::ParseIpv4("169.254.77.2x"), 0u);
    EXPECT_EQ(devsim::Ipv4Text(0xA9FE4D02u), "169.254.77.2");
}
