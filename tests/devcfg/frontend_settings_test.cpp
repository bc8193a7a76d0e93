// "Front End System Settings" under Xvfb against simulated devices on their
// own network (scripts/devnet): the gets each choice sends, each page's
// round trip (devsim's block shown, a change saved, read back, the bytes the
// page does not own returned as received), refusals with their texts,
// replies that must change nothing, and the config reply message.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "annexb.h"
#include "copy_pickers.h"
#include "settings_fixture.h"
#include "window_helpers.h"

// Every test runs against devices that leave header byte 3 of their
// configuration replies 0, as a device may, and against devices that echo
// the asked channel there.
class Settings : public FrontEndSettings, public ::testing::WithParamInterface<bool> {
protected:
  void SetUp() override {
    echoChannel = GetParam();
    FrontEndSettings::SetUp();
  }
};

std::string ReplyChannelName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "ChannelEchoed" : "ByteThreeZero";
}
INSTANTIATE_TEST_SUITE_P(ReplyChannel, Settings, ::testing::Values(false, true), ReplyChannelName);

TEST_P(Settings, OpeningAsksForTheStreamBlockAndShowsIt) {
  Open();
  std::vector<FakeMainDlg::Datagram> sent = main.Sent();
  ASSERT_FALSE(sent.empty());
  for (const auto& d : sent) {
    EXPECT_EQ(d.bytes, shell::BuildStreamGet());
    EXPECT_EQ(d.address, dev0);
  }
  EXPECT_EQ(gui::Text(hwnd), "Front End System Settings");
  // The list shows the device's channels with the names of their blocks.
  HWND list = gui::Control(hwnd, IDC_FES_CHANNELS);
  ASSERT_EQ(ListView_GetItemCount(list), 4);
  char name[64] = "";
  ListView_GetItemText(list, 1, 1, name, sizeof name);
  EXPECT_STREQ(name, "Yard");
  // The main flow of devsim's block (its bytes start as i + 1: bit rate
  // 0x1A19, I-frame interval 23, frame rate 22).
  const Bytes block = DeviceBlock(dev0, "stream");
  ASSERT_EQ(block.size(), 52u);
  HWND page = Page(dlg->StreamPage());
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(gui::Text(page, IDC_STREAM_BITRATE), std::to_string(block[24] | block[25] << 8));
  EXPECT_EQ(gui::Text(page, IDC_STREAM_IFRAME), std::to_string(block[22]));
  EXPECT_EQ(gui::Text(page, IDC_STREAM_FRAMERATE), std::to_string(block[21]));
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDOK)));
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_STREAM_RESOLUTION)));
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_stream.bmp"));
}

TEST_P(Settings, StreamPageRoundTripAndRanges) {
  Open();
  HWND page = Page(dlg->StreamPage());
  gui::MessageBoxScript boxes;
  const Bytes before = DeviceBlock(dev0, "stream");
  ASSERT_EQ(before.size(), 52u);

  // Out of range: refused with its text, nothing sent.
  struct Refusal {
    const char *bitRate, *iFrame, *frameRate, *text;
  } refusals[] = {
      {"4097", "100", "20", "Maximum bit rate:out of range(4097:32-4096)"},
      {"4096", "24", "20", "I-Frame Interval:out of range(24:25-100)"},
      {"4096", "100", "26", "Maximum frame rate:out of range(26:1-25)"},
  };
  for (const Refusal& r : refusals) {
    gui::SetText(page, IDC_STREAM_BITRATE, r.bitRate);
    gui::SetText(page, IDC_STREAM_IFRAME, r.iFrame);
    gui::SetText(page, IDC_STREAM_FRAMERATE, r.frameRate);
    const size_t sentBefore = SentCount(), boxesBefore = boxes.Count();
    gui::Click(page, IDOK);
    ASSERT_EQ(boxes.Count(), boxesBefore + 1) << r.text;
    EXPECT_EQ(boxes.Boxes().back().text, r.text);
    EXPECT_EQ(boxes.Boxes().back().caption, "Error");
    EXPECT_EQ(SentCount(), sentBefore) << r.text;
  }

  // Accepted at the range's ends: one 68-byte set whose length field is 68.
  gui::SetText(page, IDC_STREAM_BITRATE, "4096");
  gui::SetText(page, IDC_STREAM_IFRAME, "100");
  gui::SetText(page, IDC_STREAM_FRAMERATE, "20");
  const size_t sentBefore = SentCount();
  gui::Click(page, IDOK);
  ASSERT_EQ(SentCount(), sentBefore + 1);
  const Bytes set = main.Sent().back().bytes;
  ASSERT_EQ(set.size(), 68u);
  EXPECT_EQ(set[1], 0xC4);
  EXPECT_EQ(set[2], 3);
  EXPECT_EQ(set[14] | set[15] << 8, 68);

  const Bytes after = WaitForChange(dev0, "stream", before);
  ASSERT_EQ(after.size(), 52u);
  EXPECT_EQ(after[21], 20);                       // frame rate
  EXPECT_EQ(after[22], 100);                      // I-frame interval
  EXPECT_EQ(after[23], 2);                        // type 24 showed as VBR, saved as 2
  EXPECT_EQ(after[24] | after[25] << 8, 4096);    // bit rate
  EXPECT_EQ(after[26], 1);                        // quality 27 showed as Very High
  for (size_t i = 0; i < 52; ++i) {
    if (i < 21 || i > 26) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i << " is not the page's";
    }
  }

  // A get reads the new values back from the device.
  gui::SetText(page, IDC_STREAM_BITRATE, "1");
  gui::Click(page, IDC_PAGE_REFRESH);
  EXPECT_TRUE(gui::PumpUntil([&] { return gui::Text(page, IDC_STREAM_BITRATE) == "4096"; }, 5000));
  EXPECT_EQ(gui::Text(page, IDC_STREAM_IFRAME), "100");
}

TEST_P(Settings, SensorPageFollowsTheChannelRow) {
  Open();
  ChoosePage(kPageSensor);
  HWND page = Page(dlg->SensorPage());
  ASSERT_TRUE(gui::PumpUntil([&] { return dlg->SensorPage().HasBlock(); }, 5000));
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(gui::Text(page, IDC_SENSOR_BRIGHT), "128");
  EXPECT_EQ(gui::Text(page, IDC_SENSOR_SHARP), "64");

  // Row 1 is shown live: its sensor get carries the channel at byte 16.
  const size_t sentBefore = SentCount();
  gui::SelectListItem(hwnd, IDC_FES_CHANNELS, 1);
  ASSERT_EQ(SentCount(), sentBefore + 1);
  EXPECT_EQ(main.Sent().back().bytes, shell::BuildSensorGet(1));
  ASSERT_TRUE(gui::PumpUntil([&] { return dlg->SensorPage().HasBlock() && dlg->SensorPage().Block()[0] == 1; }, 5000));
  EXPECT_EQ(dlg->GetCurrentChannel(), 1);

  gui::MessageBoxScript boxes;
  // 300 does not fit the byte: refused, never sent as 44.
  gui::SetText(page, IDC_SENSOR_BRIGHT, "300");
  const size_t beforeRefusal = SentCount();
  gui::Click(page, IDOK);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Brightness:out of range(300:0-255)");
  EXPECT_EQ(SentCount(), beforeRefusal);

  const Bytes before = DeviceBlock(dev0, "sensor", 1);
  gui::SetText(page, IDC_SENSOR_BRIGHT, "200");
  gui::SetText(page, IDC_SENSOR_HUE, "7");
  gui::SelectCombo(page, IDC_SENSOR_FLIP, 3);
  gui::Click(page, IDOK);
  const Bytes set = main.Sent().back().bytes;
  ASSERT_EQ(set.size(), 28u);
  EXPECT_EQ(set[3], 0);  // the channel travels inside the block
  const Bytes after = WaitForChange(dev0, "sensor", before, 1);
  ASSERT_EQ(after.size(), 12u);
  EXPECT_EQ(after[0], 1);
  EXPECT_EQ(after[5], 200);
  EXPECT_EQ(after[8], 7);
  EXPECT_EQ(after[10], 3);
  EXPECT_EQ(after[6], before[6]);
  EXPECT_EQ(after[11], before[11]);
  EXPECT_EQ(DeviceBlock(dev0, "sensor", 0)[5], 128) << "channel 0 changed with channel 1";

  // Row 2 is not shown in any slot: its pages load, no request goes out,
  // and the old channel's block can no longer be saved.
  const size_t beforeRow2 = SentCount();
  gui::SelectListItem(hwnd, IDC_FES_CHANNELS, 2);
  EXPECT_EQ(SentCount(), beforeRow2);
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDOK)));
}

TEST_P(Settings, NetworkPageRoundTrip) {
  Open();
  const size_t sentBefore = SentCount();
  ChoosePage(kPageNetwork);
  ASSERT_GT(SentCount(), sentBefore);
  EXPECT_EQ(main.Sent().back().bytes, shell::BuildNetworkGet());
  HWND page = Page(dlg->NetworkPage());
  ASSERT_TRUE(gui::PumpUntil([&] { return dlg->NetworkPage().HasBlock(); }, 5000));
  // devsim's block holds its own address at 12 (bytes d, c, b, a).
  EXPECT_EQ(gui::Text(page, IDC_NET_IP), dev0);
  EXPECT_EQ(gui::Text(page, IDC_NET_DNS), "8.8.8.8");
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_NET_IP_MODE, CB_GETCURSEL, 0, 0), 0);
  EXPECT_FALSE(IsWindowEnabled(gui::Control(hwnd, IDC_FES_SAVE_CHANNEL)));

  const Bytes before = DeviceBlock(dev0, "network");
  gui::SelectCombo(page, IDC_NET_IP_MODE, 1);  // DHCP
  SetIp(page, IDC_NET_GATEWAY, 169, 254, 7, 9);
  gui::Click(page, IDC_NET_SAVE);
  ASSERT_EQ(main.Sent().back().bytes.size(), 184u);
  Bytes after = WaitForChange(dev0, "network", before);
  ASSERT_EQ(after.size(), 168u);
  EXPECT_EQ(after[10], 2);
  EXPECT_EQ(after[9], 1);  // Wi-Fi unchecked is 1, never 0
  const uint8_t gateway[4] = {9, 7, 254, 169};
  EXPECT_EQ(std::memcmp(&after[20], gateway, 4), 0);
  for (size_t i : {4, 5, 6, 7, 8, 11, 24, 31, 34, 38})
    EXPECT_EQ(after[i], before[i]) << "byte " << i << " is not the page's";

  // Read back, then back to a fixed address.
  gui::SelectCombo(page, IDC_NET_IP_MODE, 0);
  gui::Click(page, IDC_PAGE_REFRESH);
  ASSERT_TRUE(gui::PumpUntil(
      [&] { return SendDlgItemMessageA(page, IDC_NET_IP_MODE, CB_GETCURSEL, 0, 0) == 1; }, 5000));
  EXPECT_EQ(gui::Text(page, IDC_NET_GATEWAY), "169.254.7.9");
  gui::SelectCombo(page, IDC_NET_IP_MODE, 0);
  gui::Click(page, IDC_NET_SAVE);
  after = WaitForChange(dev0, "network", after);
  EXPECT_EQ(after[10], 1);

  // An address that does not parse is refused with a message.
  gui::MessageBoxScript boxes;
  SendDlgItemMessageA(page, IDC_NET_MASK, IPM_CLEARADDRESS, 0, 0);
  const size_t beforeRefusal = SentCount();
  gui::Click(page, IDC_NET_SAVE);
  EXPECT_EQ(SentCount(), beforeRefusal);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Invalid address: Subnet Mask");
}

TEST_P(Settings, RepliesThatMustChangeNothing) {
  Open();
  HWND page = Page(dlg->StreamPage());
  // A reply overwrites the edit; these replies must not: one too short for
  // its block, one from another host than the device asked.
  for (const char* fault : {"short", "other-address"}) {
    ASSERT_EQ(devnet::Control(dev0, std::string("fault ") + dev0 + " " + fault), "ok");
    gui::SetText(page, IDC_STREAM_BITRATE, "1234");
    const LONG before = channel->ReceivedCount();
    gui::Click(page, IDC_PAGE_REFRESH);
    ASSERT_TRUE(gui::PumpUntil([&] { return channel->ReceivedCount() > before; }, 5000)) << fault;
    gui::PumpFor(300);
    EXPECT_EQ(gui::Text(page, IDC_STREAM_BITRATE), "1234") << fault;
  }
  // Header byte 3 is not the reply's business: a reply with any value
  // there is taken, and so is the same request without a fault.
  const Bytes block = DeviceBlock(dev0, "stream");
  ASSERT_EQ(block.size(), 52u);
  for (const char* fault : {"other-channel", "none"}) {
    ASSERT_EQ(devnet::Control(dev0, std::string("fault ") + dev0 + " " + fault), "ok");
    gui::SetText(page, IDC_STREAM_BITRATE, "1234");
    gui::Click(page, IDC_PAGE_REFRESH);
    EXPECT_TRUE(gui::PumpUntil(
        [&] { return gui::Text(page, IDC_STREAM_BITRATE) == std::to_string(block[24] | block[25] << 8); }, 5000))
        << fault;
  }
}

TEST_P(Settings, NoSaveBeforeTheBlockArrives) {
  ASSERT_EQ(devnet::Control(dev0, "fault " + dev0 + " no-reply"), "ok");
  Open(false);
  gui::PumpFor(500);
  HWND page = Page(dlg->StreamPage());
  EXPECT_FALSE(dlg->StreamPage().HasBlock());
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDOK)));
  const size_t before = SentCount();
  SendMessageA(page, WM_COMMAND, IDOK, 0);  // Enter in the page
  EXPECT_EQ(SentCount(), before);
}

TEST_P(Settings, ConfigReplyMessage) {
  std::vector<uint8_t> record(sizeof(devcfg::ConfigReplyRecord), 0);
  auto* reply = reinterpret_cast<devcfg::ConfigReplyRecord*>(record.data());
  struct {
    uint32_t loginHandle;
    const devcfg::ConfigReplyRecord* reply;
  } message{11, reply};
  // A device with 100 channels: the list and the mirror stop at 64.
  AddDevice(2, "169.254.0.99", "Cam C", 13, 100, blocksC, {"c0"});
  Open();

  // Success: the device's block and the list row take the new name.
  reply->channel = 2;
  std::strcpy(reinterpret_cast<char*>(reply->block.bytes), "Back Door");
  PostMessageA(owner, WM_MAIN_DEVICE_MESSAGE, 2002, LPARAM(&message));
  gui::PumpFor(200);
  char name[64] = "";
  ListView_GetItemText(gui::Control(hwnd, IDC_FES_CHANNELS), 2, 1, name, sizeof name);
  EXPECT_STREQ(name, "Back Door");
  EXPECT_STREQ(reinterpret_cast<char*>(&blocksA[2 * 1024]), "Back Door");

  // An error: the warning text, the block left alone.
  reply->error[0] = 5;
  std::strcpy(reinterpret_cast<char*>(reply->block.bytes), "Wrong");
  PostMessageA(owner, WM_MAIN_DEVICE_MESSAGE, 2002, LPARAM(&message));
  ASSERT_TRUE(gui::PumpUntil([&] { return !g_postedBoxes.empty(); }, 2000));
  EXPECT_EQ(g_postedBoxes[0].rfind("Request config settings failed! Error Info: ", 0), 0u) << g_postedBoxes[0];
  EXPECT_STREQ(reinterpret_cast<char*>(&blocksA[2 * 1024]), "Back Door");
  ListView_GetItemText(gui::Control(hwnd, IDC_FES_CHANNELS), 2, 1, name, sizeof name);
  EXPECT_STREQ(name, "Back Door");

  // A block for the current channel is what its pages save from then on.
  reply->error[0] = 0;
  reply->channel = 0;
  std::strcpy(reinterpret_cast<char*>(reply->block.bytes), "Front");
  SendMessageA(owner, WM_MAIN_DEVICE_MESSAGE, 2002, LPARAM(&message));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  ListView_GetItemText(gui::Control(hwnd, IDC_FES_CHANNELS), 0, 1, name, sizeof name);
  EXPECT_STREQ(name, "Front");
  EXPECT_STREQ(reinterpret_cast<char*>(dlg->MirrorBlock(0).bytes), "Front");

  // Channel count 100: 64 rows, replies beyond them ignored.
  gui::SelectCombo(hwnd, IDC_FES_DEVICE, 2);
  HWND list = gui::Control(hwnd, IDC_FES_CHANNELS);
  EXPECT_EQ(ListView_GetItemCount(list), 64);
  message.loginHandle = 13;
  reply->error[0] = 0;
  for (uint8_t ch : {31, 63, 64, 99, 200}) {
    reply->channel = ch;
    std::snprintf(reinterpret_cast<char*>(reply->block.bytes), 32, "ch%d", ch);
    SendMessageA(owner, WM_MAIN_DEVICE_MESSAGE, 2002, LPARAM(&message));
  }
  ListView_GetItemText(list, 63, 1, name, sizeof name);
  EXPECT_STREQ(name, "ch63");
  EXPECT_EQ(ListView_GetItemCount(list), 64);
  // The record keeps the blocks of the 32 channels a connection has.
  const shell::DeviceRecord& c = main.m_pConfig->devices[2];
  EXPECT_STREQ(shell::ChannelBlock(c, 31), "ch31");
  EXPECT_EQ(shell::ChannelBlock(c, 32), nullptr);
}

TEST_P(Settings, DeviceInfoShowsTheChosenDeviceAndSendsNothing) {
  shell::DeviceRecord& b = main.m_pConfig->devices[1];
  b.info[38] = 0x23;  // BIOS version 0x0123
  b.info[39] = 0x01;
  std::strcpy(reinterpret_cast<char*>(b.announcement) + 20, "SER-B");
  std::strcpy(reinterpret_cast<char*>(b.announcement) + 108, "FW-B");
  Open();
  gui::SelectCombo(hwnd, IDC_FES_DEVICE, 1);
  EXPECT_EQ(ListView_GetItemCount(gui::Control(hwnd, IDC_FES_CHANNELS)), 2);
  const size_t before = SentCount();
  ChoosePage(kPageDeviceInfo);
  EXPECT_EQ(SentCount(), before);
  HWND page = Page(dlg->DeviceInfoPage());
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(gui::Text(page, IDC_INFO_CHANNELS), "2");
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_INFO_TYPE, CB_GETCURSEL, 0, 0), 1);
  // The announcement's serial number is its text at 20.
  EXPECT_EQ(gui::Text(page, IDC_INFO_SERIAL), "SER-B");
  EXPECT_EQ(gui::Text(page, IDC_INFO_BIOS), "FW-B");
  EXPECT_EQ(gui::Text(page, IDC_INFO_CLIENT_NETVER), "2.02");
  EXPECT_FALSE(IsWindowEnabled(gui::Control(hwnd, IDC_FES_SAVE_ALL)));
}

TEST_P(Settings, BlockMessagesIntoTheMirror) {
  Open();
  std::vector<uint8_t> block(1024, 0);
  std::strcpy(reinterpret_cast<char*>(block.data()), "Porch");
  // Two slots are in use: channel 1 is taken, channel 3 is refused.
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_CHANNEL_BLOCK, 1, LPARAM(block.data())), 0);
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_CHANNEL_BLOCK, 3, LPARAM(block.data())), -1);
  char name[64] = "";
  HWND list = gui::Control(hwnd, IDC_FES_CHANNELS);
  ListView_GetItemText(list, 1, 1, name, sizeof name);
  EXPECT_STREQ(name, "Porch");
  ListView_GetItemText(list, 3, 1, name, sizeof name);
  EXPECT_STREQ(name, "Dock");
  std::vector<uint8_t> device(512, 0x5A), service(2048, 0xA5);
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_DEVICE_BLOCK, 0, LPARAM(device.data())), 0);
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_SERVICE_BLOCK, 0, LPARAM(service.data())), 0);
  EXPECT_EQ(std::memcmp(dlg->DeviceBlock(), device.data(), 512), 0);
  EXPECT_EQ(std::memcmp(dlg->ServiceBlock(), service.data(), 2048), 0);
  // Save All names every row from the mirror and sends nothing.
  const size_t before = SentCount();
  gui::Click(hwnd, IDC_FES_SAVE_ALL);
  EXPECT_TRUE(dlg->SavedFlag());
  EXPECT_EQ(SentCount(), before);
  ListView_GetItemText(list, 1, 1, name, sizeof name);
  EXPECT_STREQ(name, "Porch");
}

// ------------------------------------------------------------ region pages

namespace {

// A region block for channel 0 of a device: motion on, level 3, gap 7, a
// grid pattern, the cover switch and entries as given, and marks in the
// bytes no page owns.
Bytes RegionBlock(uint8_t coverSwitch) {
  Bytes b(136, 0);
  b[1] = 1;  // CIF
  b[2] = 3;
  b[3] = 7;
  b[4] = coverSwitch;
  b[5] = 1;
  for (int i = 6; i < 12; ++i) b[size_t(i)] = uint8_t(0xA0 + i);
  for (int r = 0; r < 15; ++r) devcfg::PutU32(&b[12 + 4 * size_t(r)], 0x11111u * uint32_t(r + 1) & 0xFFFFF);
  for (int i = 72; i < 76; ++i) b[size_t(i)] = uint8_t(0xB0 + i);
  for (int e = 0; e < 4; ++e) {
    b[76 + 16 * size_t(e)] = uint8_t(e);
    b[78 + 16 * size_t(e)] = 0xC0;  // kept bytes of each entry
    b[79 + 16 * size_t(e)] = 0xC1;
  }
  return b;
}

// The mouse of a drag on a window, from one point to another.
void DragOn(HWND h, int sx, int sy, int ex, int ey) {
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sx, sy));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ex, ey));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(ex, ey));
}

}  // namespace

class RegionPages : public Settings {
protected:
  // Puts a region block into devsim's channel 0 of the first device.
  void PutDeviceRegion(const Bytes& block) {
    const Bytes set = shell::BuildRegionSet(block.data());
    channel->SendUdpCommand(set.data(), int(set.size()), dev0.c_str(), 8001);
    ASSERT_TRUE(gui::PumpUntil([&] { return devnet::Block(dev0, "region", 0) == block; }, 5000));
  }
  RECT ClientOf(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r;
  }
};
INSTANTIATE_TEST_SUITE_P(ReplyChannel, RegionPages, ::testing::Values(false, true), ReplyChannelName);

TEST_P(RegionPages, MotionRoundTrip) {
  const Bytes before = RegionBlock(2);
  PutDeviceRegion(before);
  Open();
  ChoosePage(kPageMotion);
  CMotionDetectPage& motion = dlg->MotionPage();
  ASSERT_TRUE(gui::PumpUntil([&] { return motion.HasBlock(); }, 5000));
  HWND page = Page(motion);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_TRUE(IsWindowVisible(motion.RegionControl().GetSafeHwnd()));
  EXPECT_TRUE(gui::IsChecked(page, IDC_REGION_SWITCH));
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_MOTION_LEVEL, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(gui::Text(page, IDC_MOTION_GAP), "7");
  for (int r = 0; r < 15; ++r) {
    EXPECT_EQ(motion.RegionControl().Model().rows[r], devcfg::GetU32(&before[12 + 4 * size_t(r)])) << r;
    EXPECT_EQ(motion.RegionControl().Overlay().rows[r], devcfg::GetU32(&before[12 + 4 * size_t(r)])) << r;
  }

  // A gap outside 1..50 is refused: nothing sent (never its low byte).
  gui::MessageBoxScript boxes;
  gui::SetText(page, IDC_MOTION_GAP, "60");
  size_t sent = SentCount();
  gui::Click(page, IDC_REGION_SAVE);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Gap:out of range(60:1-50)");
  EXPECT_EQ(SentCount(), sent);

  // Off, level 5, gap 9, and every cell set by a right-to-left drag.
  SendDlgItemMessageA(page, IDC_REGION_SWITCH, BM_SETCHECK, BST_UNCHECKED, 0);
  gui::SelectCombo(page, IDC_MOTION_LEVEL, 5);
  gui::SetText(page, IDC_MOTION_GAP, "9");
  HWND region = motion.RegionControl().GetSafeHwnd();
  const RECT rc = ClientOf(region);
  DragOn(region, rc.right + 5, rc.bottom + 5, -5, -5);
  sent = SentCount();
  gui::Click(page, IDC_REGION_SAVE);
  ASSERT_EQ(SentCount(), sent + 1);
  const Bytes set = main.Sent().back().bytes;
  ASSERT_EQ(set.size(), 152u);
  EXPECT_EQ(set[0], 1);
  EXPECT_EQ(set[1], 0xC4);
  EXPECT_EQ(set[2], 1);
  EXPECT_EQ(set[3], 0) << "the channel travels inside the block";
  EXPECT_EQ(set[14] | set[15] << 8, 136);
  const Bytes payload(set.begin() + 16, set.end());
  for (size_t i = 0; i < 136; ++i) {
    const bool pages = i == 2 || i == 3 || i == 5 || (i >= 12 && i < 72);
    if (!pages) {
      EXPECT_EQ(payload[i], before[i]) << "byte " << i << " is not the page's";
    }
  }
  EXPECT_EQ(payload[2], 5);
  EXPECT_EQ(payload[3], 9);
  EXPECT_EQ(payload[5], 2) << "off is written as 2";
  for (int r = 0; r < 15; ++r) EXPECT_EQ(devcfg::GetU32(&payload[12 + 4 * size_t(r)]), 0xFFFFFu) << r;
  EXPECT_EQ(WaitForChange(dev0, "region", before), payload);

  // A get reads the saved values back.
  gui::SetText(page, IDC_MOTION_GAP, "1");
  sent = SentCount();
  gui::Click(page, IDC_PAGE_REFRESH);
  ASSERT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(main.Sent().back().bytes[13], 0);
  EXPECT_TRUE(gui::PumpUntil([&] { return gui::Text(page, IDC_MOTION_GAP) == "9"; }, 5000));
  EXPECT_FALSE(gui::IsChecked(page, IDC_REGION_SWITCH));
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_MOTION_LEVEL, CB_GETCURSEL, 0, 0), 5);
}

TEST_P(RegionPages, CoverRoundTripAndDelete) {
  const Bytes before = RegionBlock(0);
  PutDeviceRegion(before);
  Open();
  ChoosePage(kPageCover);
  CVideoCoverPage& cover = dlg->CoverPage();
  ASSERT_TRUE(gui::PumpUntil([&] { return cover.HasBlock(); }, 5000));
  HWND page = Page(cover);
  EXPECT_FALSE(gui::IsChecked(page, IDC_REGION_SWITCH)) << "switch byte 0 is off";
  EXPECT_TRUE(gui::IsChecked(page, IDC_COVER_REGION1)) << "a region is chosen from the start";
  EXPECT_EQ(cover.RegionChoice(), 0);

  // The whole preview on a CIF image: 0, 0, 1000, 1000.
  HWND region = cover.RegionControl().GetSafeHwnd();
  const RECT rc = ClientOf(region);
  DragOn(region, -5, -5, rc.right + 5, rc.bottom + 5);
  SendDlgItemMessageA(page, IDC_REGION_SWITCH, BM_SETCHECK, BST_CHECKED, 0);
  size_t sent = SentCount();
  gui::Click(page, IDC_REGION_SAVE);
  ASSERT_EQ(SentCount(), sent + 1);
  Bytes set = main.Sent().back().bytes;
  Bytes payload(set.begin() + 16, set.end());
  ASSERT_EQ(payload.size(), 136u);
  EXPECT_EQ(payload[4], 1);
  const uint8_t entry0[12] = {0, 1, 0xC0, 0xC1, 0, 0, 0, 0, 0xE8, 0x03, 0xE8, 0x03};
  EXPECT_EQ(std::memcmp(&payload[76], entry0, 12), 0);
  for (size_t i = 0; i < 136; ++i)
    if (i != 4 && (i < 76 || (i - 76) % 16 >= 12 || (i - 76) % 16 == 2 || (i - 76) % 16 == 3)) {
      EXPECT_EQ(payload[i], before[i]) << "byte " << i << " is not the page's";
    }
  const Bytes saved = WaitForChange(dev0, "region", before);
  EXPECT_EQ(saved, payload);

  // Read back: the same pixels.
  gui::Click(page, IDC_PAGE_REFRESH);
  gui::PumpFor(300);
  EXPECT_EQ(cover.RegionControl().Model().covers[0].right, 352);
  EXPECT_EQ(cover.RegionControl().Model().covers[0].bottom, 288);
  EXPECT_EQ(cover.RegionControl().Overlay().regionWidth, 352);

  // Delete sends at once with the chosen entry disabled.
  sent = SentCount();
  gui::Click(page, IDC_REGION_DELETE);
  ASSERT_EQ(SentCount(), sent + 1);
  set = main.Sent().back().bytes;
  payload.assign(set.begin() + 16, set.end());
  const uint8_t off0[12] = {0, 0, 0xC0, 0xC1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&payload[76], off0, 12), 0);
  EXPECT_EQ(cover.RegionControl().Overlay().regionWidth, 0);
  EXPECT_EQ(WaitForChange(dev0, "region", saved), payload);

  // Region 2 becomes the one edited.
  gui::Click(page, IDC_COVER_REGION2);
  EXPECT_EQ(cover.RegionChoice(), 1);
}

TEST_P(RegionPages, MotionPreviewShowsLiveVideoUnderTheGrid) {
  PutDeviceRegion(RegionBlock(2));
  Open();
  ChoosePage(kPageMotion);
  CMotionDetectPage& motion = dlg->MotionPage();
  ASSERT_TRUE(gui::PumpUntil([&] { return motion.HasBlock(); }, 5000));
  ASSERT_NE(motion.PlayHandle(), 0);
  HWND region = motion.RegionControl().GetSafeHwnd();
  // Clear a block of cells so the red grid has gaps showing the video.
  const RECT rc = ClientOf(region);
  DragOn(region, 0, 0, rc.right, rc.bottom);
  const Bytes clip = testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_noaud.264");
  ASSERT_FALSE(clip.empty());
  // Access units as the stream callback delivers them for the current slot.
  const auto units = testsupport::SplitAccessUnits(clip);
  int red = 0, video = 0;
  auto look = [&] {
    int w = 0, h = 0;
    red = video = 0;
    for (uint32_t p : playtest::ReadWindow(region, &w, &h)) {
      if (p == 0xFF0000) ++red;
      else if (p != 0 && p != 0xFFFFFF) ++video;
    }
    return red > 1000 && video > w * h / 2;
  };
  size_t next = 0;
  const bool shown = gui::PumpUntil(
      [&] {
        for (int k = 0; k < 4 && next < units.size(); ++k, ++next)
          dlg->OnPreviewData(units[next].data(), units[next].size());
        return next >= 8 && look();
      },
      20000);
  EXPECT_TRUE(shown) << "red " << red << " video " << video;
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("motion_page_live.bmp"));
}

// ------------------------------------------------------------ encoder page

namespace {

struct PickerCall {
  int count = -1;
  std::vector<std::string> names;
};
PickerCall g_picker;
uint64_t g_pickMask = 0;
bool PickChannels(CWnd*, const std::vector<std::string>& names, uint64_t* mask) {
  g_picker.count = int(names.size());
  g_picker.names = names;
  *mask = g_pickMask;
  return true;
}

void PutEncoderPart(uint8_t* block, uint32_t resolution, uint8_t interval, uint8_t rate, uint32_t mode,
                    uint8_t quality, uint16_t bitRate) {
  uint8_t* p = block + 576;
  devcfg::PutU32(p, resolution);
  p[4] = interval;
  p[5] = rate;
  devcfg::PutU32(p + 6, mode);
  p[10] = quality;
  devcfg::PutU16(p + 11, bitRate);
}

}  // namespace

TEST_P(Settings, EncoderPageLoadsClampsAndSavesItsPart) {
  shell::DeviceRecord& d = main.m_pConfig->devices[0];
  d.infoRest[63 - 57] = 1;  // information byte 63: the device has the page
  // Each channel's bytes around the part differ, so a copy that wrote them
  // would show.
  for (int ch = 0; ch < 4; ++ch)
    for (size_t i = 560; i < 624; ++i) blocksA[size_t(ch) * 1024 + i] = uint8_t(0x40 + 0x10 * ch + (i & 15));
  PutEncoderPart(&blocksA[0], 8, 40, 20, 1, 2, 300);
  PutEncoderPart(&blocksA[1024], 16, 50, 25, 0, 5, 100);
  Open();
  dlg->SelectPage(kPageEncode);
  CEncodeSettingsPage& enc = dlg->EncodePage();
  HWND page = Page(enc);
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_ENC_BITRATE))) << "disabled until a block loads";

  struct Load {
    int channel, resolution;
    const char *interval, *rate, *bitRate, *label;
    int mode, quality;
    bool qualityEnabled;
  } loads[] = {
      {0, 1, "40", "20", "300", "Max Bit Rate", 1, 2, true},  // 8 is QCIF
      {1, 0, "50", "25", "100", "Bit Rate", 0, 5, false},     // 16 is CIF
  };
  for (const Load& l : loads) {
    dlg->LoadChannelPage(l.channel, kPageEncode);
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_ENC_RESOLUTION, CB_GETCURSEL, 0, 0), l.resolution) << l.channel;
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_ENC_MODE, CB_GETCURSEL, 0, 0), l.mode) << l.channel;
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_ENC_QUALITY, CB_GETCURSEL, 0, 0), l.quality) << l.channel;
    EXPECT_EQ(gui::Text(page, IDC_ENC_IINTERVAL), l.interval);
    EXPECT_EQ(gui::Text(page, IDC_ENC_FRAMERATE), l.rate);
    EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE), l.bitRate);
    EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE_LABEL), l.label);
    EXPECT_EQ(IsWindowEnabled(gui::Control(page, IDC_ENC_QUALITY)) != FALSE, l.qualityEnabled) << l.channel;
  }

  // Leaving an edit: bit rate 32..500; I interval and frame rate fall back.
  struct Clamp {
    int id;
    const char *typed, *kept;
  } clamps[] = {{IDC_ENC_BITRATE, "600", "500"}, {IDC_ENC_BITRATE, "10", "32"},  {IDC_ENC_BITRATE, "499", "499"},
                {IDC_ENC_FRAMERATE, "31", "25"}, {IDC_ENC_FRAMERATE, "30", "30"}, {IDC_ENC_IINTERVAL, "0", "25"},
                {IDC_ENC_IINTERVAL, "256", "25"}};
  for (const Clamp& c : clamps) {
    gui::SetText(page, c.id, c.typed);
    gui::Command(page, c.id, EN_KILLFOCUS);
    EXPECT_EQ(gui::Text(page, c.id), c.kept) << c.id << " " << c.typed;
  }
  // On an NTSC device the frame rate falls back to 30.
  devcfg::PutU32(&d.info[42], 1);
  dlg->LoadChannelPage(1, kPageEncode);
  gui::SetText(page, IDC_ENC_FRAMERATE, "31");
  gui::Command(page, IDC_ENC_FRAMERATE, EN_KILLFOCUS);
  EXPECT_EQ(gui::Text(page, IDC_ENC_FRAMERATE), "30");

  // A mode change gives the default bit rate of the mode and resolution.
  gui::SelectCombo(page, IDC_ENC_MODE, 1);
  EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE), "300") << "variable CIF";
  gui::SelectCombo(page, IDC_ENC_RESOLUTION, 1);
  EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE), "100") << "variable QCIF";
  gui::SelectCombo(page, IDC_ENC_MODE, 0);
  EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE), "64") << "constant QCIF";

  // Save writes the 13 bytes of the part and nothing else.
  gui::SetText(page, IDC_ENC_IINTERVAL, "77");
  gui::SetText(page, IDC_ENC_BITRATE, "123");
  Bytes before(dlg->MirrorBlock(1).bytes, dlg->MirrorBlock(1).bytes + 1024);
  dlg->SaveChannelPage(1, kPageEncode);
  Bytes after(dlg->MirrorBlock(1).bytes, dlg->MirrorBlock(1).bytes + 1024);
  const uint8_t want[13] = {8, 0, 0, 0, 77, 30, 0, 0, 0, 0, 5, 123, 0};
  EXPECT_EQ(std::memcmp(&after[576], want, 13), 0);
  for (size_t i = 0; i < 1024; ++i)
    if (i < 576 || i >= 589) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }

  // No mode or quality chosen: the part keeps its own, never 0xFFFFFFFF.
  SendDlgItemMessageA(page, IDC_ENC_MODE, CB_SETCURSEL, WPARAM(-1), 0);
  SendDlgItemMessageA(page, IDC_ENC_QUALITY, CB_SETCURSEL, WPARAM(-1), 0);
  dlg->SaveChannelPage(1, kPageEncode);
  EXPECT_EQ(devcfg::GetU32(dlg->MirrorBlock(1).bytes + 582), 0u);
  EXPECT_EQ(dlg->MirrorBlock(1).bytes[586], 5);

  // "Copy Settings To ...": the main dialog's 2 channels by name (the
  // device has 4), every ticked one but the current channel, and there
  // only the part's 13 bytes.
  devcfg::SetChannelPicker(PickChannels);
  g_pickMask = 0xF;
  gui::SelectCombo(page, IDC_ENC_MODE, 1);
  gui::SetText(page, IDC_ENC_BITRATE, "222");
  ASSERT_EQ(dlg->GetCurrentChannel(), 0);
  std::vector<Bytes> copyBefore;
  for (int ch = 0; ch < 4; ++ch) copyBefore.emplace_back(dlg->MirrorBlock(ch).bytes, dlg->MirrorBlock(ch).bytes + 1024);
  gui::Click(page, IDC_ENC_COPY);
  devcfg::SetChannelPicker(nullptr);
  EXPECT_EQ(g_picker.count, 2);
  EXPECT_EQ(g_picker.names, (std::vector<std::string>{"Gate", "Yard"}));
  EXPECT_EQ(devcfg::GetU16(dlg->MirrorBlock(1).bytes + 587), 222);
  EXPECT_EQ(devcfg::GetU32(dlg->MirrorBlock(1).bytes + 582), 1u);
  for (size_t i = 0; i < 1024; ++i)
    if (i < 576 || i >= 589) {
      EXPECT_EQ(dlg->MirrorBlock(1).bytes[i], copyBefore[1][i]) << "byte " << i << " is outside the part";
    }
  for (int ch : {2, 3}) {
    EXPECT_EQ(Bytes(dlg->MirrorBlock(ch).bytes, dlg->MirrorBlock(ch).bytes + 1024), copyBefore[size_t(ch)])
        << "channel " << ch << " was not offered";
  }

  // A device without the page: nothing loads and nothing is saved.
  d.infoRest[63 - 57] = 0;
  before.assign(dlg->MirrorBlock(2).bytes, dlg->MirrorBlock(2).bytes + 1024);
  gui::SetText(page, IDC_ENC_BITRATE, "99");
  dlg->SaveChannelPage(2, kPageEncode);
  EXPECT_EQ(Bytes(dlg->MirrorBlock(2).bytes, dlg->MirrorBlock(2).bytes + 1024), before);
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_encoder.bmp"));
}

// ------------------------------------------------------------ video parameters page

TEST_P(Settings, VideoParamPageLoadsClampsAndSavesItsPart) {
  uint8_t* b0 = &blocksA[0];
  b0[33] = 1;
  devcfg::PutU16(b0 + 34, 10);
  devcfg::PutU32(b0 + 52, 4);  // CIF
  devcfg::PutU32(b0 + 58, 1);  // variable
  b0[62] = 0;
  devcfg::PutU16(b0 + 63, 180);
  b0[65] = 100;
  devcfg::PutU32(&blocksA[1024 + 52], 16);
  Open();
  CVideoParamPage& vp = dlg->VideoParamPage();
  HWND page = Page(vp);
  // Loaded with the stream page; the dialog never offers its window, so
  // the test shows it in the page area itself.
  dlg->ShowPage(kPageNone);
  ShowWindow(page, SW_SHOW);
  EXPECT_EQ(gui::Text(page, IDC_VP_NAME), "Gate");
  EXPECT_TRUE(gui::IsChecked(page, IDC_VP_SHOW_NAME));
  EXPECT_EQ(gui::Text(page, IDC_VP_NAME_X), "10");
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_ENC_RESOLUTION, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE_LABEL), "Max Bit Rate");
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_ENC_QUALITY)));
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_VP_LUMINANCE_SLIDER, TBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(gui::Text(page, IDC_VP_RECORD_SIZE), "Current Record File Size: [79 M] ~ [79 M] Per Hour");

  // Constant mode: the default bit rate, then the size of what is typed.
  gui::SelectCombo(page, IDC_ENC_MODE, 0);
  EXPECT_EQ(gui::Text(page, IDC_ENC_BITRATE), "500");
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_ENC_QUALITY)));
  gui::SetText(page, IDC_ENC_BITRATE, "512");
  EXPECT_EQ(gui::Text(page, IDC_VP_RECORD_SIZE), "Current Record File Size: [225 M] Per Hour");

  struct Clamp {
    int id;
    const char *typed, *kept;
  } clamps[] = {{IDC_ENC_BITRATE, "5000", "3000"}, {IDC_ENC_BITRATE, "10", "32"},   {IDC_VP_SHELTER_W, "8", "16"},
                {IDC_VP_SHELTER_H, "300", "288"},  {IDC_VP_NAME_X, "400", "352"},  {IDC_VP_TIME_Y, "289", "288"},
                {IDC_VP_LUMINANCE, "300", "255"},  {IDC_VP_OFFSET, "256", "255"},  {IDC_ENC_IINTERVAL, "0", "50"},
                {IDC_ENC_FRAMERATE, "40", "25"}};
  for (const Clamp& c : clamps) {
    gui::SetText(page, c.id, c.typed);
    gui::Command(page, c.id, EN_KILLFOCUS);
    EXPECT_EQ(gui::Text(page, c.id), c.kept) << c.id << " " << c.typed;
  }
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_VP_LUMINANCE_SLIDER, TBM_GETPOS, 0, 0), 255) << "the slider follows";

  // A drawn shelter is taken only with "Place Shelter" and from 16 x 16.
  auto draw = [&](RECT r) {
    SendMessageA(page, CAreaSelectCtrl::kNotifyMessage, CAreaSelectCtrl::kAreaDrawn, LPARAM(&r));
  };
  gui::SetText(page, IDC_VP_SHELTER_X, "0");
  draw({10, 20, 60, 70});
  EXPECT_EQ(gui::Text(page, IDC_VP_SHELTER_X), "0") << "place shelter is off";
  gui::Click(page, IDC_VP_SHELTER);
  draw({10, 20, 25, 70});
  EXPECT_EQ(gui::Text(page, IDC_VP_SHELTER_X), "0") << "15 wide";
  draw({10, 20, 60, 70});
  EXPECT_EQ(gui::Text(page, IDC_VP_SHELTER_X), "10");
  EXPECT_EQ(gui::Text(page, IDC_VP_SHELTER_W), "50");

  gui::Click(page, IDC_VP_DEFAULT);
  EXPECT_EQ(gui::Text(page, IDC_VP_HUE), "128");
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_VP_CONTRAST_SLIDER, TBM_GETPOS, 0, 0), 128);

  // Saved into the mirror: the part's fields, nothing past them.
  dlg->SaveChannelPage(0, kPageStream);
  const uint8_t* m0 = dlg->MirrorBlock(0).bytes;
  EXPECT_STREQ(reinterpret_cast<const char*>(m0), "Gate");
  EXPECT_EQ(m0[43], 1);
  EXPECT_EQ(devcfg::GetU16(m0 + 44), 10);
  EXPECT_EQ(devcfg::GetU16(m0 + 48), 50);
  EXPECT_EQ(devcfg::GetU32(m0 + 52), 4u);
  EXPECT_EQ(devcfg::GetU32(m0 + 58), 0u);
  EXPECT_EQ(devcfg::GetU16(m0 + 63), 32);
  EXPECT_EQ(m0[65], 128);

  // A resolution bit of 16 loads as 720P and saves as 1.
  dlg->LoadChannelPage(1, kPageStream);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_ENC_RESOLUTION, CB_GETCURSEL, 0, 0), 0);
  dlg->SaveChannelPage(1, kPageStream);
  EXPECT_EQ(devcfg::GetU32(dlg->MirrorBlock(1).bytes + 52), 1u);

  // "Copy Settings To ...": never the current channel's own block, and
  // only the main dialog's channels.
  dlg->LoadChannelPage(0, kPageStream);
  gui::SetText(page, IDC_VP_NAME, "Copied");
  ASSERT_EQ(dlg->GetCurrentChannel(), 0);
  devcfg::SetChannelPicker(PickChannels);
  g_pickMask = 0x5;  // channels 0 (current) and 2 (not offered)
  gui::Click(page, IDC_ENC_COPY);
  EXPECT_EQ(g_picker.count, 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(dlg->MirrorBlock(2).bytes), "Hall");
  g_pickMask = 0x3;  // channels 0 (current) and 1
  gui::Click(page, IDC_ENC_COPY);
  devcfg::SetChannelPicker(nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(dlg->MirrorBlock(1).bytes), "Copied");
  EXPECT_STREQ(reinterpret_cast<const char*>(dlg->MirrorBlock(3).bytes), "Dock");
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_video_param.bmp"));
}

// ------------------------------------------------------------ other channels

TEST_P(RegionPages, SensorMotionAndCoverPagesOfOtherChannels) {
  // Channel 2 of Cam A is shown too, so that its row asks the device.
  main.m_channels.Assign(&main.m_pConfig->devices[0], 2);
  main.m_channels.CountUsed();
  Open();
  CSensorSettingsPage& sensor = dlg->SensorPage();
  CMotionDetectPage& motion = dlg->MotionPage();
  CVideoCoverPage& cover = dlg->CoverPage();
  for (int row : {1, 2}) {
    SCOPED_TRACE("row " + std::to_string(row));
    const uint8_t ch = uint8_t(row);

    // The sensor page shows the row's block and saves it to its channel.
    ChoosePage(kPageSensor);
    gui::SelectListItem(hwnd, IDC_FES_CHANNELS, row);
    EXPECT_EQ(main.Sent().back().bytes, shell::BuildSensorGet(ch));
    ASSERT_TRUE(gui::PumpUntil([&] { return sensor.HasBlock() && sensor.Block()[0] == ch; }, 5000));
    HWND page = Page(sensor);
    Bytes before = DeviceBlock(dev0, "sensor", row);
    ASSERT_EQ(before.size(), 12u);
    EXPECT_EQ(gui::Text(page, IDC_SENSOR_BRIGHT), std::to_string(before[5]));
    EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDOK)));
    const int bright = before[5] == 77 ? 78 : 77;
    gui::SetText(page, IDC_SENSOR_BRIGHT, std::to_string(bright).c_str());
    gui::Click(page, IDOK);
    Bytes set = main.Sent().back().bytes;
    ASSERT_EQ(set.size(), 28u);
    const uint8_t sensorHead[16] = {1, 0xC4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0};
    EXPECT_EQ(std::memcmp(set.data(), sensorHead, 16), 0) << "the channel travels only inside the block";
    EXPECT_EQ(set[16], ch);
    Bytes after = WaitForChange(dev0, "sensor", before, row);
    ASSERT_EQ(after.size(), 12u);
    EXPECT_EQ(after[5], bright);
    for (size_t i : {0, 1, 2, 3, 4, 11}) EXPECT_EQ(after[i], before[i]) << "byte " << i << " is not the page's";

    // A block of another channel does not fill the page, whatever header
    // byte 3 says; one from another host neither.
    Bytes other = DeviceBlock(dev0, "sensor", 0);
    other[5] = 1;
    dlg->UdpReceiver().OnConfigReply(dev0, shell::UDPCFG_SENSOR, ch, other.data(), other.size());
    Bytes foreign = after;
    foreign[5] = 2;
    dlg->UdpReceiver().OnConfigReply(dev1, shell::UDPCFG_SENSOR, 0, foreign.data(), foreign.size());
    gui::PumpFor(200);
    EXPECT_EQ(sensor.Block()[0], ch);
    EXPECT_EQ(gui::Text(page, IDC_SENSOR_BRIGHT), std::to_string(bright));

    // The motion page: its get carries the channel in byte 3.
    ChoosePage(kPageMotion);
    EXPECT_EQ(main.Sent().back().bytes, shell::BuildRegionGet(ch));
    ASSERT_TRUE(gui::PumpUntil([&] { return motion.HasBlock() && motion.Block()[0] == ch; }, 5000));
    page = Page(motion);
    before = DeviceBlock(dev0, "region", row);
    ASSERT_EQ(before.size(), 136u);
    EXPECT_EQ(gui::Text(page, IDC_MOTION_GAP), std::to_string(before[3]));
    const uint8_t gap = before[3] == 12 ? 13 : 12;
    gui::SetText(page, IDC_MOTION_GAP, std::to_string(gap).c_str());
    gui::Click(page, IDC_REGION_SAVE);
    set = main.Sent().back().bytes;
    ASSERT_EQ(set.size(), 152u);
    const uint8_t regionHead[16] = {1, 0xC4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 136, 0};
    EXPECT_EQ(std::memcmp(set.data(), regionHead, 16), 0);
    Bytes payload(set.begin() + 16, set.end());
    EXPECT_EQ(payload[0], ch);
    EXPECT_EQ(payload[3], gap);
    for (size_t i = 0; i < 136; ++i)
      if (i != 2 && i != 3 && i != 5 && (i < 12 || i >= 72)) {
        EXPECT_EQ(payload[i], before[i]) << "byte " << i << " is not the motion page's";
      }
    EXPECT_EQ(WaitForChange(dev0, "region", before, row), payload);

    // The cover page reads the block again (the motion page's gap in it)
    // and saves its own fields only.
    ChoosePage(kPageCover);
    ASSERT_TRUE(gui::PumpUntil(
        [&] { return cover.HasBlock() && cover.Block()[0] == ch && cover.Block()[3] == gap; }, 5000));
    page = Page(cover);
    before = payload;
    SendDlgItemMessageA(page, IDC_REGION_SWITCH, BM_SETCHECK, BST_CHECKED, 0);
    DragOn(cover.RegionControl().GetSafeHwnd(), 10, 10, 100, 80);
    gui::Click(page, IDC_REGION_SAVE);
    set = main.Sent().back().bytes;
    ASSERT_EQ(set.size(), 152u);
    EXPECT_EQ(std::memcmp(set.data(), regionHead, 16), 0);
    payload.assign(set.begin() + 16, set.end());
    EXPECT_EQ(payload[0], ch);
    EXPECT_EQ(payload[4], 1);
    EXPECT_EQ(payload[77], 1) << "region 1 drawn";
    for (size_t i = 0; i < 136; ++i) {
      const size_t e = (i - 76) % 16;
      const bool covers = i == 4 || (i >= 76 && e < 12 && e != 2 && e != 3);
      if (!covers) {
        EXPECT_EQ(payload[i], before[i]) << "byte " << i << " is not the cover page's";
      }
    }
    EXPECT_EQ(WaitForChange(dev0, "region", before, row), payload);
  }
}

// ------------------------------------------------------------ copies

TEST_F(FrontEndSettings, CopyWritesOnlyThePagesOwnBytes) {
  shell::DeviceRecord& d = main.m_pConfig->devices[0];
  d.infoRest[63 - 57] = 1;  // the encoder page loads and saves
  // The main dialog shows three channels of the device's four.
  main.m_channels.Assign(&d, 2);
  main.m_channels.CountUsed();
  Open();
  int offered = -1;
  devcfg::SetChannelPicker([&](CWnd*, const std::vector<std::string>& names, uint64_t* mask) {
    offered = int(names.size());
    *mask = ~uint64_t(0);  // every channel, offered or not
    return true;
  });
  // The parts as laid out: where each page's fields start and how many bytes
  // they take; the bytes up to the next part are no page's.
  struct Case {
    const char* page;
    int index;
    HWND window;
    int copyId;
    size_t offset, owned;
  } cases[] = {
      {"video parameters", kPageStream, Page(dlg->VideoParamPage()), IDC_ENC_COPY, 0, 70},
      {"alarm", kPageMotion, Page(dlg->AlarmTabsPage()), IDC_ALM_COPY, 128, 31},
      {"record plan", kPageRecordPlan, Page(dlg->RecordPlanPage()), IDC_PLAN_COPY_CHANNELS, 256, 227},
      {"encoder", kPageEncode, Page(dlg->EncodePage()), IDC_ENC_COPY, 576, 13},
      {"audio", kPageAudio, Page(dlg->AudioPage()), IDC_AUDIO_COPY, 608, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    // Distinct bytes in every channel, and a part in channel 0 that differs
    // from the others' so that a copy shows.
    std::vector<Bytes> before;
    for (int ch = 0; ch < devcfg::kMaxChannels; ++ch) {
      uint8_t* b = dlg->MirrorBlock(ch).bytes;
      for (size_t i = 0; i < 1024; ++i) b[i] = uint8_t(ch * 67 + i * 13 + c.index * 5 + 1);
      std::snprintf(reinterpret_cast<char*>(b), 8, "ch%d", ch);
      before.emplace_back(b, b + 1024);
    }
    ASSERT_EQ(dlg->GetCurrentChannel(), 0);
    dlg->LoadChannelPage(0, c.index);
    offered = -1;
    gui::Click(c.window, c.copyId);
    EXPECT_EQ(offered, 3) << "the main dialog's channels";
    const Bytes current(dlg->MirrorBlock(0).bytes, dlg->MirrorBlock(0).bytes + 1024);
    for (int ch = 0; ch < devcfg::kMaxChannels; ++ch) {
      const Bytes now(dlg->MirrorBlock(ch).bytes, dlg->MirrorBlock(ch).bytes + 1024);
      if (ch == 1 || ch == 2) {
        EXPECT_TRUE(std::equal(&now[c.offset], &now[c.offset + c.owned], &current[c.offset])) << "channel " << ch;
        EXPECT_NE(now, before[size_t(ch)]) << "channel " << ch << " took nothing";
      }
      if (ch > 2) {
        EXPECT_EQ(now, before[size_t(ch)]) << "channel " << ch << " was not offered";
        continue;
      }
      for (size_t i = 0; i < 1024; ++i)
        if (i < c.offset || i >= c.offset + c.owned) {
          ASSERT_EQ(now[i], before[size_t(ch)][i]) << "channel " << ch << " byte " << i << " is not the page's";
        }
    }
  }
  devcfg::SetChannelPicker(nullptr);
}

// ------------------------------------------------------------ closing

TEST_F(FrontEndSettings, ClosingGivesTheWindowsTheirStatusTexts) {
  main.m_pConfig->devices[0].state = 1;  // logged in: names from its blocks
  main.m_windowCount = 4;
  auto show = [&](int w, int slot) {
    shell::WindowList& list = main.m_windows[w];
    list.Clear();
    list.Add(slot);
    list.position = 0;
    list.showsChannel = 1;
  };
  show(0, 0);  // Gate
  show(2, 1);  // Yard, recording
  show(6, 0);  // beyond the split of four
  main.m_windows[3].Add(1);  // holds a channel but shows none
  main.m_channels.At(1)->recording = 1;
  Open();
  EXPECT_TRUE(main.m_statusTexts[0].empty());
  dlg->DestroyWindow();
  EXPECT_EQ(main.m_statusTexts[0], "[Cam A]");
  EXPECT_EQ(main.m_statusTexts[2], "[Cam A] - [Yard] : Recording");
  for (int w : {1, 3, 6}) EXPECT_EQ(main.m_statusTexts[size_t(w)], "") << "window " << w;
  // The statistics list is refreshed once, after the windows.
  std::vector<std::string> order;
  for (const FakeMainDlg::Call& call : main.Calls())
    if (call.what == "SetWindowStatusText" || call.what == "RefreshStatistics") order.push_back(call.what);
  EXPECT_EQ(order, (std::vector<std::string>{"SetWindowStatusText", "SetWindowStatusText", "RefreshStatistics"}));
}
