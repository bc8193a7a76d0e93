// "Front End System Settings" under Xvfb against simulated devices on their
// own network (scripts/devnet): the gets each choice sends, each page's
// round trip (devsim's block shown, a change saved, read back, the bytes the
// page does not own returned as received), refusals with their texts,
// replies that must change nothing, and the config reply message.
#include "settings_fixture.h"

TEST_F(FrontEndSettings, OpeningAsksForTheStreamBlockAndShowsIt) {
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

TEST_F(FrontEndSettings, StreamPageRoundTripAndRanges) {
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

TEST_F(FrontEndSettings, SensorPageFollowsTheChannelRow) {
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

TEST_F(FrontEndSettings, NetworkPageRoundTrip) {
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

TEST_F(FrontEndSettings, RepliesThatMustChangeNothing) {
  Open();
  HWND page = Page(dlg->StreamPage());
  // A reply overwrites the edit; these replies must not.
  for (const char* fault : {"short", "other-address", "other-channel"}) {
    ASSERT_EQ(devnet::Control(dev0, std::string("fault ") + dev0 + " " + fault), "ok");
    gui::SetText(page, IDC_STREAM_BITRATE, "1234");
    const LONG before = channel->ReceivedCount();
    gui::Click(page, IDC_PAGE_REFRESH);
    ASSERT_TRUE(gui::PumpUntil([&] { return channel->ReceivedCount() > before; }, 5000)) << fault;
    gui::PumpFor(300);
    EXPECT_EQ(gui::Text(page, IDC_STREAM_BITRATE), "1234") << fault;
  }
  // The same request without a fault does.
  ASSERT_EQ(devnet::Control(dev0, "fault " + dev0 + " none"), "ok");
  const Bytes block = DeviceBlock(dev0, "stream");
  ASSERT_EQ(block.size(), 52u);
  gui::Click(page, IDC_PAGE_REFRESH);
  EXPECT_TRUE(gui::PumpUntil(
      [&] { return gui::Text(page, IDC_STREAM_BITRATE) == std::to_string(block[24] | block[25] << 8); }, 5000));
}

TEST_F(FrontEndSettings, NoSaveBeforeTheBlockArrives) {
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

TEST_F(FrontEndSettings, ConfigReplyMessage) {
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
  for (uint8_t ch : {63, 64, 99, 200}) {
    reply->channel = ch;
    std::snprintf(reinterpret_cast<char*>(reply->block.bytes), 32, "ch%d", ch);
    SendMessageA(owner, WM_MAIN_DEVICE_MESSAGE, 2002, LPARAM(&message));
  }
  ListView_GetItemText(list, 63, 1, name, sizeof name);
  EXPECT_STREQ(name, "ch63");
  EXPECT_EQ(ListView_GetItemCount(list), 64);
  EXPECT_STREQ(reinterpret_cast<char*>(&blocksC[63 * 1024]), "ch63");
  EXPECT_EQ(blocksC[64 * 1024], 0) << "a block beyond the mirror's 64 was written";
}

TEST_F(FrontEndSettings, DeviceInfoShowsTheChosenDeviceAndSendsNothing) {
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

TEST_F(FrontEndSettings, BlockMessagesIntoTheMirror) {
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
