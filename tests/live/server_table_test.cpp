// The device table's rules: free and matching records, entries stored with
// named channels, found devices added, and the logins of a Connect run.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "channel_blocks.h"
#include "server_table.h"

using namespace live;

namespace {

std::unique_ptr<shell::SystemConfigImage> EmptyImage() {
  auto image = std::make_unique<shell::SystemConfigImage>();
  std::memset(image.get(), 0, sizeof *image);
  return image;
}

}  // namespace

TEST(ServerTable, FindStoreAndTexts) {
  auto image = EmptyImage();
  EXPECT_EQ(FirstFreeDevice(*image), 0);
  ServerEntry e;
  e.address = "cam.example";
  e.serverName = std::string(40, 'n');   // longer than the field
  e.userName = "admin";
  e.password = "tulip";
  e.port = 37777;
  e.channels = 0;
  e.linkType = 2;
  StoreServerEntry(image->devices[1], e, "Channel");
  const shell::DeviceRecord& d = image->devices[1];
  EXPECT_EQ(d.inUse, 1u);
  EXPECT_EQ(d.streamPort, 37777);
  EXPECT_EQ(d.channelCount, 1) << "0 channels give 1";
  EXPECT_EQ(std::strlen(d.serverName), sizeof d.serverName - 1) << "bounded to its field";
  EXPECT_STREQ(shell::ChannelName(d, 0), "Channel-01");
  EXPECT_EQ(FindDeviceByAddress(*image, "cam.example"), 1);
  EXPECT_EQ(FindDeviceByAddress(*image, "cam.exampl"), -1);
  EXPECT_EQ(FindDeviceByAddress(*image, "CAM.example"), -1) << "exact comparison";
  EXPECT_EQ(FirstFreeDevice(*image), 0);
  ServerEntry back = EntryOfRecord(d);
  EXPECT_EQ(back.address, "cam.example");
  EXPECT_EQ(back.port, 37777);
  struct Text {
    uint32_t value;
    const char *status, *link;
  } texts[] = {{0, "", "TCP"}, {1, "Reconnecting", "UDP"}, {2, "", "Multicast"}, {3, "", "TCP"}, {4, "Connected", "TCP"}};
  for (const Text& t : texts) {
    EXPECT_STREQ(ServerStatusText(t.value), t.status) << t.value;
    EXPECT_STREQ(LinkTypeText(t.value), t.link) << t.value;
  }
}

TEST(ServerTable, FoundDevicesFillFreeRecordsOnce) {
  auto image = EmptyImage();
  for (int i = 0; i < 35; ++i) {
    image->devices[i].inUse = 1;
    std::snprintf(image->devices[i].address, sizeof image->devices[i].address, "10.0.0.%d", i);
  }
  FoundDevice present{"10.0.0.7", "", 36688, 4};
  EXPECT_EQ(AddFoundDevice(*image, present, "u", "p", "Channel"), AddFoundResult::Present);
  FoundDevice a{"169.254.77.2", "169.254.77.2", 36688, 0}, b{"169.254.77.3", "", 36688, 4};
  int index = -1;
  EXPECT_EQ(AddFoundDevice(*image, a, "admin", "tulip", "Channel", &index), AddFoundResult::Added);
  EXPECT_EQ(index, 35);
  const shell::DeviceRecord& d = image->devices[35];
  EXPECT_STREQ(d.serverName, "169.254.77.2");
  EXPECT_STREQ(d.userName, "admin");
  EXPECT_EQ(d.streamPort, 36688);
  EXPECT_EQ(d.linkType, 0u);
  EXPECT_EQ(d.channelCount, 1);
  EXPECT_STREQ(shell::ChannelName(d, 0), "Channel-01");
  EXPECT_EQ(AddFoundDevice(*image, b, "admin", "tulip", "Channel"), AddFoundResult::TableFull);
  EXPECT_EQ(AddFoundDevice(*image, present, "u", "p", "Channel"), AddFoundResult::TableFull)
      << "a full table is told before a duplicate";

  std::string text = "169.254.77.4\tYard\t37777\t2\r\n\r\n169.254.77.5\n" + std::string(100, 'x') + "\t\t99999\t40";
  std::vector<FoundDevice> found = ParseFoundDevices(text.c_str(), text.size());
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].name, "Yard");
  EXPECT_EQ(found[0].port, 37777);
  EXPECT_EQ(found[0].channels, 2);
  EXPECT_EQ(found[1].address, "169.254.77.5");
  EXPECT_EQ(found[1].port, 36688);
  EXPECT_EQ(found[2].address.size(), 63u) << "bounded to the address field";
  EXPECT_EQ(found[2].port, 36688) << "a port above 65535 is not taken";
  EXPECT_EQ(found[2].channels, shell::kMaxDeviceChannels);
  std::vector<FoundDevice> again = ParseFoundDevices(FormatFoundDevices(found).c_str(), 4096);
  ASSERT_EQ(again.size(), 3u);
  EXPECT_EQ(again[0].name, "Yard");
}

namespace {

struct FakeSdk : LoginSdk {
  std::vector<std::string> logins;
  bool Resolve(const std::string& host, uint32_t* address, int* socketError) override {
    if (host == "nohost.invalid") {
      *socketError = 11001;
      return false;
    }
    const uint8_t b[4] = {169, 254, 77, uint8_t(host == "cam" ? 9 : 2)};
    std::memcpy(address, b, 4);
    return true;
  }
  int Login(const char* dotted, int port, const char* user, const char*) override {
    logins.push_back(std::string(dotted) + ":" + std::to_string(port) + " " + user);
    return std::string(dotted) == "169.254.77.9" ? 0 : 5;
  }
  int LastError() override { return 7; }
};

}  // namespace

TEST(ServerTable, LoginRunLogsProgressAndResults) {
  std::vector<LoginJob> jobs(4);
  jobs[0] = {0, 3, false, "169.254.77.2", 0, "admin", "tulip"};
  jobs[1] = {1, 5, false, "nohost.invalid", 36688, "admin", "tulip"};
  jobs[2] = {2, 6, true, "connected", 36688, "admin", "tulip"};
  jobs[3] = {3, 8, false, "cam", 37777, "guest", "x"};
  LoginWords w{"Connecting:", "Initialization Device", "failed!", "Error Info:", "Success!",
               [](int code) { return "E" + std::to_string(code); }};
  FakeSdk sdk;
  std::vector<LoginEvent> events;
  RunLogins(jobs, sdk, w, [&](LoginEvent e) { events.push_back(e); });
  std::vector<std::string> lines;
  std::vector<int> progress;
  int loggedIn = 0;
  for (const LoginEvent& e : events) {
    if (e.kind == LoginEvent::Log) lines.push_back(e.text);
    if (e.kind == LoginEvent::Progress) progress.push_back(e.percent);
    if (e.kind == LoginEvent::LoggedIn) {
      ++loggedIn;
      EXPECT_EQ(e.record, 3);
      EXPECT_EQ(e.loginId, 5);
      const uint8_t* b = reinterpret_cast<const uint8_t*>(&e.address);
      EXPECT_EQ(b[0], 169);
      EXPECT_EQ(b[3], 2);
    }
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Connecting: [169.254.77.2]",
                       "Initialization Device [169.254.77.2] Success!",
                       "Connecting: [nohost.invalid]",
                       "Initialization Device [nohost.invalid] failed! Error Info: E-11001",
                       "Connecting: [cam]",
                       "Initialization Device [cam] failed! Error Info: E7",
                   }));
  EXPECT_EQ(progress, (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(loggedIn, 1);
  EXPECT_EQ(sdk.logins, (std::vector<std::string>{"169.254.77.2:36688 admin", "169.254.77.9:37777 guest"}));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().kind, LoginEvent::Finished);
}
