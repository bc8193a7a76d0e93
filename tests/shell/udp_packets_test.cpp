// The UDP command channel as bytes: requests built to the byte, and what a
// received datagram hands to the receivers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "udp_bytes.h"
#include "udp_packets.h"

using namespace shell;
using Bytes = std::vector<uint8_t>;

namespace {

// Header bytes 0..15 (the payload follows).
Bytes Header(uint8_t type, uint8_t command, uint8_t channel, uint8_t param, uint16_t length, uint8_t flag = 0) {
  return udptest::Datagram(type, command, channel, param, length, {}, flag);
}

Bytes Cat(Bytes a, const Bytes& b) {
  for (uint8_t x : b) a.push_back(x);
  return a;
}

Bytes Pattern(size_t n, uint8_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i);
  return b;
}

}  // namespace

TEST(UdpPackets, RequestsToTheByte) {
  const Bytes region = Pattern(136, 1), sensor = Pattern(12, 2), stream = Pattern(52, 3),
              net = Pattern(168, 4);
  struct Case {
    const char* name;
    Bytes built, expected;
  } cases[] = {
      {"region get", BuildRegionGet(5), Header(0xC1, 1, 5, 0, 0, 1)},
      {"sensor get: channel at byte 16", BuildSensorGet(7), Cat(Header(0xC1, 2, 0, 0, 2), {7, 0})},
      {"stream get", BuildStreamGet(), Cat(Header(0xC1, 3, 0, 0, 0), {0, 0})},
      {"network get", BuildNetworkGet(), Header(0xC1, 4, 0, 0, 0)},
      {"item list get", BuildItemListGet(), Header(0xC1, 6, 0, 0, 0)},
      {"reboot", BuildReboot(), Header(0xC1, 0xFE, 0, 0, 0)},
      {"stream started, sub", BuildStreamStarted(3, 1), Header(0xC1, 0xFF, 3, 1, 0)},
      {"stream started, main", BuildStreamStarted(0, 0), Header(0xC1, 0xFF, 0, 0, 0)},
      {"record search", BuildRecordSearch(2, 0xFF, 0x01020304, 0xA0B0C0D0),
       Cat(Header(0xC2, 2, 0, 0, 12), {0xFF, 0, 0, 0, 4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0})},
      {"ptz left", BuildPtz(UDPPTZ_LEFT, 2), Cat(Header(0xC3, 5, 2, 0, 4), {3, 3, 0, 0})},
      {"ptz stop", BuildPtz(UDPCMD_PTZ_STOP, 0), Cat(Header(0xC3, 0xFE, 0, 0, 4), {3, 3, 0, 0})},
      {"ptz set preset 9", BuildPtz(UDPPTZ_SET_PRESET, 1, 9), Cat(Header(0xC3, 11, 1, 0, 4), {9, 0, 0, 0})},
      {"region set", BuildRegionSet(region.data()), Cat(Header(0xC4, 1, 0, 0, 136), region)},
      {"sensor set", BuildSensorSet(sensor.data()), Cat(Header(0xC4, 2, 0, 0, 12), sensor)},
      {"stream set: length field 68", BuildStreamSet(stream.data()), Cat(Header(0xC4, 3, 0, 0, 68), stream)},
      {"network set", BuildNetworkSet(net.data()), Cat(Header(0xC4, 4, 0, 0, 168), net)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.built, c.expected);
  }
  EXPECT_EQ(BuildStreamSet(stream.data()).size(), 68u);
  EXPECT_EQ(BuildRegionSet(region.data()).size(), 152u);
  EXPECT_EQ(BuildNetworkSet(net.data()).size(), 184u);
}

namespace {

// Records every receiver call as one line.
struct FakeSink : UdpReceiver {
  std::vector<std::string> calls;
  Bytes lastBlock;
  void OnAnnouncement(const std::string& from, const uint8_t* block) override {
    lastBlock.assign(block, block + kDeviceInfoSize);
    calls.push_back("announce " + from + " " + UdpDeviceInfoView(block).Serial());
  }
  void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                     size_t size) override {
    lastBlock.assign(block, block + size);
    calls.push_back("config " + std::to_string(command) + " ch" + std::to_string(channel) + " " +
                    std::to_string(size));
  }
  void OnListItem(const std::string&, uint16_t type, const uint8_t*, size_t size) override {
    calls.push_back("item " + std::to_string(type) + " " + std::to_string(size));
  }
  void OnRecordList(const std::string& from, uint8_t command, const uint8_t*, size_t size) override {
    calls.push_back("records " + std::to_string(command) + " " + std::to_string(size));
  }
  void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) override {
    calls.push_back("alarm " + from + " " + std::to_string(kind) + " " + std::to_string(channel) + " " +
                    std::to_string(state));
  }
};

Bytes Announcement(size_t size) {
  Bytes b = Header(1, 0, 0, 0, 224);
  b.resize(size, 0);
  if (size >= 16 + 8) {
    b[16 + 4] = 10;
    b[16 + 5] = 1;
    b[16 + 6] = 168;
    b[16 + 7] = 192;
  }
  if (size >= 16 + 30) std::memcpy(&b[16 + 20], "SN-42", 5);
  return b;
}

Bytes Items(std::initializer_list<std::pair<uint16_t, uint16_t>> items) {
  Bytes p;
  for (auto [type, len] : items) {
    p.push_back(uint8_t(type));
    p.push_back(uint8_t(type >> 8));
    p.push_back(uint8_t(len));
    p.push_back(uint8_t(len >> 8));
    p.resize(p.size() + len, 0xEE);
  }
  return p;
}

}  // namespace

TEST(UdpPackets, ReceivedDatagramsReachTheirReceivers) {
  const Bytes items = Items({{11, 4}, {12, 8}, {21, 2}});
  Bytes cutItems = Cat(Header(2, 6, 0, 0, uint16_t(items.size())), items);
  cutItems.resize(16 + 4 + 4 + 4 + 5);  // the second item's data is cut short
  struct Case {
    const char* name;
    Bytes datagram;
    UdpDispatch result;
    std::vector<std::string> calls;
  } cases[] = {
      {"15 bytes", Bytes(15, 1), UdpDispatch::Ignored, {}},
      {"200-byte announcement", Announcement(200), UdpDispatch::Ignored, {}},
      {"240-byte announcement", Announcement(240), UdpDispatch::Announcement, {"announce 10.0.0.9 SN-42"}},
      {"type 65 announcement",
       [] {
         Bytes b = Announcement(240);
         b[1] = 65;
         return b;
       }(),
       UdpDispatch::Announcement,
       {"announce 10.0.0.9 SN-42"}},
      {"alarm begin", Header(63, 1, 2, 1, 0), UdpDispatch::Alarm, {"alarm 10.0.0.9 1 2 1"}},
      {"alarm end, type 127", Header(127, 2, 0, 0, 0), UdpDispatch::Alarm, {"alarm 10.0.0.9 2 0 0"}},
      {"16-byte config reply", Header(2, 1, 0, 0, 136), UdpDispatch::Ignored, {}},
      {"region reply",
       Cat(Header(2, 1, 3, 0, 136), Pattern(136, 0)),
       UdpDispatch::ConfigReply,
       {"config 1 ch3 136"}},
      {"sensor reply as 66",
       Cat(Header(66, 2, 1, 0, 12), Pattern(12, 0)),
       UdpDispatch::ConfigReply,
       {"config 2 ch1 12"}},
      {"stream reply one byte short", Cat(Header(2, 3, 0, 0, 52), Pattern(51, 0)), UdpDispatch::Ignored, {}},
      {"network reply",
       Cat(Header(2, 4, 0, 0, 168), Pattern(168, 0)),
       UdpDispatch::ConfigReply,
       {"config 4 ch0 168"}},
      {"item list",
       Cat(Header(2, 6, 0, 0, uint16_t(items.size())), items),
       UdpDispatch::ItemList,
       {"item 11 4", "item 12 8", "item 21 2"}},
      {"item list to its length field",
       Cat(Header(2, 6, 0, 0, 8), items),
       UdpDispatch::ItemList,
       {"item 11 4"}},
      {"item list cut by the datagram", cutItems, UdpDispatch::ItemList, {"item 11 4"}},
      {"record list",
       Cat(Header(3, 1, 0, 0, 808), Bytes(808, 0)),
       UdpDispatch::RecordList,
       {"records 1 808"}},
      {"record list cut",
       Cat(Header(67, 2, 0, 0, 808), Bytes(100, 0)),
       UdpDispatch::RecordList,
       {"records 2 100"}},
      {"unknown type", Header(9, 1, 0, 0, 0), UdpDispatch::Ignored, {}},
      {"a request", Header(0xC1, 1, 0, 0, 0), UdpDispatch::Ignored, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSink sink;
    EXPECT_EQ(DispatchUdpDatagram(c.datagram.data(), c.datagram.size(), "10.0.0.9", sink), c.result);
    EXPECT_EQ(sink.calls, c.calls);
  }
}

TEST(UdpPackets, AnnouncementBlockIsBoundedToWhatArrived) {
  FakeSink sink;
  Bytes a = Announcement(230);                             // 214 payload bytes
  for (size_t i = 16 + 60; i < a.size(); ++i) a[i] = 'x';  // text without its NUL
  ASSERT_EQ(DispatchUdpDatagram(a.data(), a.size(), "10.0.0.9", sink), UdpDispatch::Announcement);
  ASSERT_EQ(sink.lastBlock.size(), kDeviceInfoSize);
  for (size_t i = 214; i < kDeviceInfoSize; ++i) EXPECT_EQ(sink.lastBlock[i], 0) << i;
  UdpDeviceInfoView v(sink.lastBlock.data());
  EXPECT_EQ(v.AddressText(), "192.168.1.10");
  EXPECT_EQ(v.Text(60).size(), 214u - 60);

  Bytes full(kDeviceInfoSize, 'y');  // no NUL anywhere
  EXPECT_EQ(UdpDeviceInfoView(full.data()).Serial().size(), kDeviceInfoSize - 20);
  EXPECT_EQ(UdpDeviceInfoView(full.data()).Text(300), "");
}

TEST(UdpPackets, DeviceInfoFields) {
  Bytes b(kDeviceInfoSize, 0);
  b[4] = 4;
  b[5] = 3;
  b[6] = 2;
  b[7] = 1;
  b[8] = 0x41;
  b[9] = 0x1F;  // 8001
  b[12] = 0x50;
  b[13] = 0x8F;  // 36688
  b[15] = 16;
  UdpDeviceInfoView v(b.data());
  EXPECT_EQ(v.AddressText(), "1.2.3.4");
  EXPECT_EQ(v.ConfigPort(), 8001);
  EXPECT_EQ(v.StreamPort(), 36688);
  EXPECT_EQ(v.ChannelCount(), 16);
  EXPECT_EQ(Ipv4Text(0xA9FE4D02u), "169.254.77.2");
}

TEST(UdpPackets, DottedTextOnly) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t value;
  } cases[] = {
      {"169.254.77.2", true, 0xA9FE4D02u},
      {"0.0.0.0", true, 0},
      {"255.255.255.255", true, 0xFFFFFFFFu},
      {"1.2.3", false, 0},
      {"1.2.3.4.5", false, 0},
      {"1.2.3.256", false, 0},
      {"1.2.3.4 ", false, 0},
      {"camera.example", false, 0},
      {"", false, 0},
      {"1..2.3", false, 0},
      {"0001.2.3.4", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t v = 12345;
    EXPECT_EQ(ParseIpv4(c.text, &v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
  EXPECT_FALSE(ParseIpv4(nullptr, nullptr));
}

// ---- receivers

#include "udp_receivers.h"

namespace {

struct Named : UdpReceiver {
  std::string name;
  std::vector<std::string>* out;
  CUdpReceiverList* list = nullptr;
  UdpReceiver* removeOnAlarm = nullptr;
  Named(std::string n, std::vector<std::string>* o) : name(std::move(n)), out(o) {}
  void OnAlarm(const std::string&, uint8_t kind, uint8_t, uint8_t) override {
    out->push_back(name + " alarm " + std::to_string(kind));
    if (removeOnAlarm) list->Remove(removeOnAlarm);
  }
  void OnConfigReply(const std::string&, uint8_t command, uint8_t, const uint8_t*, size_t) override {
    out->push_back(name + " config " + std::to_string(command));
  }
};

}  // namespace

TEST(UdpReceivers, OneRegistrationPointHandsEveryCallOn) {
  std::vector<std::string> calls;
  CUdpReceiverList list;
  Named a("a", &calls), b("b", &calls), c("c", &calls);
  list.Add(&a);
  list.Add(&b);
  list.Add(&b);  // once only
  list.Add(&c);
  list.Add(nullptr);
  EXPECT_EQ(list.Count(), 3u);
  // b closes its window while it handles the alarm and takes c with it.
  b.list = &list;
  b.removeOnAlarm = &c;
  Bytes alarm = Header(63, 1, 0, 1, 0);
  DispatchUdpDatagram(alarm.data(), alarm.size(), "10.0.0.9", list);
  EXPECT_EQ(calls, (std::vector<std::string>{"a alarm 1", "b alarm 1"}));
  calls.clear();
  list.Remove(&a);
  Bytes reply = Cat(Header(2, 4, 0, 0, 168), Pattern(168, 0));
  DispatchUdpDatagram(reply.data(), reply.size(), "10.0.0.9", list);
  EXPECT_EQ(calls, (std::vector<std::string>{"b config 4"}));
}

TEST(UdpReceivers, AnnouncementGoesToTheRecordWithThatExactAddress) {
  std::vector<DeviceRecord> records(36);
  std::memset(records.data(), 0, records.size() * sizeof(DeviceRecord));
  std::strcpy(records[2].address, "camera.local");
  std::strcpy(records[3].address, "192.168.1.100");
  std::strcpy(records[5].address, "192.168.1.10");
  std::strcpy(records[7].address, "192.168.1.10");
  std::memset(records[9].address, '1', sizeof records[9].address);  // no NUL
  uint8_t block[kDeviceInfoSize];
  for (size_t i = 0; i < sizeof block; ++i) block[i] = uint8_t(i);
  EXPECT_EQ(ApplyAnnouncement(records.data(), 36, "192.168.1.10", block), 5);
  EXPECT_EQ(std::memcmp(records[5].announcement, block, sizeof block), 0);
  EXPECT_EQ(records[7].announcement[1], 0) << "the first match only";
  EXPECT_EQ(records[3].announcement[1], 0) << "not a prefix";
  EXPECT_EQ(ApplyAnnouncement(records.data(), 36, "192.168.1.11", block), -1);
  EXPECT_EQ(ApplyAnnouncement(records.data(), 36, "camera.local", block), 2)
      << "a sender's text is always dotted; equal texts match";
  EXPECT_EQ(ApplyAnnouncement(records.data(), 36, std::string(64, '1'), block), 9);
  EXPECT_EQ(ApplyAnnouncement(records.data(), 36, std::string(65, '1'), block), -1);
}
