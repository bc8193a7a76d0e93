// The pages' rules without windows, under the sanitizers natively: the PTZ
// list read within its buffer, ports and ids, the record plan's slots, the
// mail receivers, the user dialog's checks and the browse path.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "config_blocks.h"
#include "disk_manage_rules.h"
#include "ptz_serial_rules.h"
#include "record_plan_rules.h"
#include "service_rules.h"
#include "system_rules.h"
#include "user_manage_rules.h"

using namespace devcfg;

TEST(PageRules, PtzListStaysInsideItsBuffer) {
  // Exactly the buffer's size on the heap, so a read past it is caught.
  struct Case {
    size_t size;
    uint8_t count;
    size_t names;
  } cases[] = {{12, 5, 0}, {13, 5, 0}, {13 + 47, 1, 0}, {13 + 48, 1, 1}, {13 + 2 * 48 + 7, 200, 2}, {13 + 48, 0, 0}};
  for (const Case& c : cases) {
    std::vector<uint8_t> buf(c.size, 'n');
    if (c.size > 12) buf[12] = c.count;
    const std::vector<std::string> names = ParsePtzProtocolList(buf.data(), buf.size());
    EXPECT_EQ(names.size(), c.names) << c.size;
    for (const std::string& n : names) EXPECT_EQ(n.size(), 47u);
  }
  EXPECT_TRUE(ParsePtzProtocolList(nullptr, 100).empty());
}

TEST(PageRules, PtzPartRoundTrip) {
  uint8_t part[kPtzPartSize];
  for (size_t i = 0; i < sizeof part; ++i) part[i] = uint8_t(i * 11 + 1);
  uint8_t back[kPtzPartSize] = {};
  StorePtzSerial(back, LoadPtzSerial(part));
  EXPECT_EQ(std::memcmp(part, back, sizeof part), 0);
  EXPECT_EQ(KeptIndex(-1, 40), 40);
  EXPECT_EQ(KeptIndex(3, 40), 3);
}

TEST(PageRules, PortsAndIds) {
  struct Port {
    uint32_t tcp, http;
    bool ok;
  } ports[] = {{36688, 36688, false}, {8000, 36881, true}, {8000, 36681, false}, {36788, 1, false},
               {1, 36888, false},     {0, 80, false},      {65535, 80, true},    {65536, 80, false}};
  for (const Port& p : ports) EXPECT_EQ(PortsAccepted(p.tcp, p.http), p.ok) << p.tcp << "/" << p.http;
  struct Text {
    const char* text;
    bool port, id;
  } texts[] = {{"65535", true, true}, {"65536", false, true},     {"99999", false, true}, {"4294967295", false, true},
               {"4294967296", false, false}, {"", false, false}, {"12a", false, false}, {nullptr, false, false}};
  for (const Text& t : texts) {
    uint32_t v = 0;
    EXPECT_EQ(ParsePort(t.text, &v), t.port) << (t.text ? t.text : "null");
    EXPECT_EQ(ParseDeviceId(t.text, &v), t.id) << (t.text ? t.text : "null");
  }
  EXPECT_FALSE(UpdateFileSizeAccepted(0));
  EXPECT_TRUE(UpdateFileSizeAccepted(0x200000));
  EXPECT_FALSE(UpdateFileSizeAccepted(0x200001));
  EXPECT_EQ(FtpFileLength(3), 10);
  EXPECT_EQ(FtpFileLength(999), 999);
}

TEST(PageRules, RecordPlanSlots) {
  RecordPlan plan;
  for (int s = 0; s < 3; ++s) {
    plan.entries[4][s].used = 1;
    plan.entries[4][s].beginHour = uint8_t(s + 1);
  }
  EXPECT_EQ(FirstFreePlanSlot(plan, 4), 3);
  DeletePlanEntry(plan, 4, 0);
  EXPECT_EQ(plan.entries[4][0].beginHour, 2);
  EXPECT_EQ(plan.entries[4][1].beginHour, 3);
  EXPECT_EQ(plan.entries[4][2].used, 0);
  EXPECT_EQ(plan.entries[4][3].used, 0);
  plan.entries[4][3].used = 1;
  plan.entries[4][2].used = 1;
  EXPECT_EQ(FirstFreePlanSlot(plan, 4), -1);
  DeletePlanEntry(plan, 9, 0);   // no such day
  DeletePlanEntry(plan, 4, 4);   // no such slot
  CopyPlanDay(plan, 4, 1u << 4 | 1u << 6);
  EXPECT_EQ(std::memcmp(plan.entries[6], plan.entries[4], sizeof plan.entries[4]), 0);
  uint8_t part[kRecordPlanPartSize + 1];
  std::memset(part, 0xEE, sizeof part);
  plan.enabled = true;
  plan.packageTime = 15;
  StoreRecordPlan(part, plan);
  EXPECT_EQ(part[kRecordPlanPartSize], 0xEE) << "written past the part";
  const RecordPlan back = LoadRecordPlan(part);
  EXPECT_TRUE(back.enabled);
  EXPECT_EQ(back.packageTime, 15);
  EXPECT_EQ(std::memcmp(back.entries, plan.entries, sizeof plan.entries), 0);
}

TEST(PageRules, MailReceivers) {
  struct Case {
    const char *r1, *r2, *r3;
    bool ok;
  } cases[] = {{"", "", "a@b", true}, {"", "", "", false},       {"@x", "", "", false},
               {"abc", "", "", false}, {"a@b", "bad", "", false}, {"a@b", "", "c@d", true}};
  for (const Case& c : cases) {
    MailInput in{"u", "p", "sender", "subject", {c.r1, c.r2, c.r3}};
    EXPECT_EQ(MailInputAccepted(in), c.ok) << c.r1 << "|" << c.r2 << "|" << c.r3;
  }
  MailInput noSubject{"u", "p", "s", "", {"a@b", "", ""}};
  EXPECT_FALSE(MailInputAccepted(noSubject));
}

TEST(PageRules, DeviceUserChecksAndRights) {
  struct Case {
    int mode;
    const char *name, *pw, *repeat, *old;
    int level;
    const char* prompt;
  } cases[] = {
      {kDeviceUserAdd, "", "a", "a", "", 0, "User name can not be empty!"},
      {kDeviceUserAdd, "bob", "", "a", "", 0, "Password can not be empty!"},
      {kDeviceUserAdd, "bob", "a", "b", "", 0, "Password is not consistent!"},
      {kDeviceUserAdd, "bob", "a", "a", "", -1, "Please select user level!"},
      {kDeviceUserAdd, "bob", "a", "a", "", 1, nullptr},
      {kDeviceUserPassword, "bob", "a", "a", "", 0, "Password can not be empty!"},
      {kDeviceUserPower, "bob", "", "", "", 1, nullptr},
  };
  for (const Case& c : cases) {
    const char* got = CheckDeviceUserInput(c.mode, c.name, c.pw, c.repeat, c.old, c.level);
    EXPECT_STREQ(got ? got : "", c.prompt ? c.prompt : "") << c.mode << " " << c.name;
  }
  EXPECT_EQ(RightsOfItems(kAllItems), 0xF000003Fu);
  EXPECT_EQ(ItemsOfRights(0x20000005u), 0x51u);
  EXPECT_EQ(ItemsOfRights(RightsOfItems(kAllItems & ~kOperatorLockedItems)), kAllItems & ~kOperatorLockedItems);
}

TEST(PageRules, DiskRecordsAndBrowsePath) {
  std::string name;
  EXPECT_FALSE(DiskRecordName(nullptr, 3, 0, &name));
  std::vector<uint8_t> records(2 * kDiskRecordSize, 'x');
  records[kDiskRecordSize + 12] = 'D';
  records[kDiskRecordSize + 13] = 0;
  EXPECT_TRUE(DiskRecordName(records.data(), 2, 1, &name));
  EXPECT_EQ(name, "D");
  EXPECT_FALSE(DiskRecordName(records.data(), 2, 2, &name));
  EXPECT_TRUE(DiskRecordName(records.data(), 2, 0, &name));
  EXPECT_EQ(name.size(), kDiskRecordSize - 12) << "a name without its NUL stops at its record's end";
  struct Up {
    const char *from, *to;
  } ups[] = {{"/a/b", "/a"}, {"/a", "/a"}, {"a", "a"}, {"", ""}, {"hd0/rec/x", "hd0/rec"}};
  for (const Up& u : ups) EXPECT_EQ(BrowseUpLevel(u.from), u.to) << u.from;
}
