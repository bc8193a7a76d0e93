// The alarm tabs over the 31-byte alarm part at 128: what a block shows on
// each of the three pages, the edits' rules when left, the output tabs
// keeping each alarm kind's mask, rows that follow the chosen device and
// stop at 16, "Copy Settings To ..." and the region drawn on the picture.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "channel_blocks.h"
#include "local_dialogs_resource.h"
#include "page_kit.h"

namespace {

constexpr size_t kAt = 128;  // the alarm part in the block

// A block named "Gate" whose alarm part holds the values given and whose
// other bytes are marked.
struct AlarmFields {
  uint8_t flags[4] = {1, 0, 1, 0};
  uint16_t probeMask = 0xFFFF;
  uint16_t outputs[4] = {0x0001, 0x8002, 0x0004, 0xFFFF};
  uint16_t duration = 400;
  uint8_t sendToAll = 1;
  uint16_t recordMask = 0x0005;
  uint16_t recordDuration = 10;
  uint16_t region[4] = {10, 20, 100, 50};
  uint8_t sensitivity = 0, threshold = 200;
};

Bytes AlarmBlock(const AlarmFields& f = AlarmFields()) {
  Bytes b(1024);
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 13 + 5);
  std::strcpy(reinterpret_cast<char*>(b.data()), "Gate");
  uint8_t* p = &b[kAt];
  for (int k = 0; k < 4; ++k) {
    p[k] = f.flags[k];
    devcfg::PutU16(p + 6 + 2 * k, f.outputs[k]);
  }
  devcfg::PutU16(p + 4, f.probeMask);
  devcfg::PutU16(p + 14, f.duration);
  p[16] = f.sendToAll;
  devcfg::PutU16(p + 17, f.recordMask);
  devcfg::PutU16(p + 19, f.recordDuration);
  for (int i = 0; i < 4; ++i) devcfg::PutU16(p + 21 + 2 * i, f.region[i]);
  p[29] = f.sensitivity;
  p[30] = f.threshold;
  return b;
}

std::vector<bool> Checks(HWND page, int id) {
  std::vector<bool> c;
  for (int r = 0; r < gui::ListCount(page, id); ++r) c.push_back(gui::ListChecked(page, id, r));
  return c;
}

// The rectangle's four edits as "X,Y,W,H".
std::string RegionText(HWND region) {
  return gui::Text(region, IDC_MREGION_X) + "," + gui::Text(region, IDC_MREGION_Y) + "," +
         gui::Text(region, IDC_MREGION_W) + "," + gui::Text(region, IDC_MREGION_H);
}

// A click on a tab as the mouse gives it: the control asks its parent with
// "changing", selects, then tells "change".
void ClickTab(HWND dlg, int id, int index) {
  HWND tab = gui::Control(dlg, id);
  RECT r{};
  ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, WPARAM(index), LPARAM(&r)));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(tab, WM_LBUTTONUP, 0, at);
  ASSERT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), index);
}

}  // namespace

class AlarmTabs : public PageTest {
protected:
  HWND tabs = nullptr, basic = nullptr, record = nullptr, region = nullptr;

  void SetUp() override {
    PageTest::SetUp();
    if (IsSkipped()) return;
    shell::DeviceRecord& a = main.m_pConfig->devices[0];
    a.alarmInputs = 4;
    a.alarmOutputs = 40;  // more than a mask holds
  }
  // Opens the dialog and hands channel 0 the block with page 2 current
  // (its part belongs to the alarm tabs); the dialog never offers their
  // window, so the test shows it in the page area itself.
  void OpenWith(const Bytes& block) {
    Open();
    CAlarmTabsPage& t = dlg->AlarmTabsPage();
    tabs = t.GetSafeHwnd();
    basic = t.AlarmPage().GetSafeHwnd();
    record = t.RecordPage().GetSafeHwnd();
    region = t.RegionPage().GetSafeHwnd();
    ASSERT_TRUE(tabs && basic && record && region);
    Deliver(kPageMotion, 0, block);
    dlg->ShowPage(kPageNone);
    ShowWindow(tabs, SW_SHOW);
  }
  void Leave(HWND page, int id, const char* typed) {
    gui::SetText(page, id, typed);
    gui::Command(page, id, EN_KILLFOCUS);
  }
};

TEST_F(AlarmTabs, LoadClampAndSave) {
  OpenWith(AlarmBlock());
  EXPECT_TRUE(IsWindowVisible(basic)) << "the first tab's page";
  EXPECT_FALSE(IsWindowVisible(record));
  // Basic settings: four probe rows (4 inputs), 16 output rows (40
  // outputs, 16 mask bits), the video-lost tab's mask shown.
  EXPECT_TRUE(gui::IsChecked(basic, IDC_ALM_VIDEO_LOST));
  EXPECT_FALSE(gui::IsChecked(basic, IDC_ALM_MOTION));
  EXPECT_TRUE(gui::IsChecked(basic, IDC_ALM_PROBE));
  EXPECT_FALSE(gui::IsChecked(basic, IDC_ALM_MANUAL));
  EXPECT_TRUE(gui::IsChecked(basic, IDC_ALM_SEND_ALL));
  EXPECT_EQ(Checks(basic, IDC_ALM_PROBES), std::vector<bool>(4, true));
  ASSERT_EQ(gui::ListCount(basic, IDC_ALM_OUTPUTS), 16);
  EXPECT_EQ(gui::ListText(basic, IDC_ALM_PROBES, 3, 0), "4");
  EXPECT_EQ(gui::ListText(basic, IDC_ALM_PROBES, 3, 1), "Hardware Probe 4");
  EXPECT_EQ(gui::ListText(basic, IDC_ALM_OUTPUTS, 15, 1), "Alarm Output Port 16");
  std::vector<bool> want(16, false);
  want[0] = true;
  EXPECT_EQ(Checks(basic, IDC_ALM_OUTPUTS), want);
  EXPECT_EQ(gui::Text(basic, IDC_ALM_DURATION), "300") << "400 held at the spin's end";
  // Alarm linkage record: one row per channel of the device, by name.
  ASSERT_EQ(gui::ListCount(record, IDC_LINK_CHANNELS), 4);
  EXPECT_EQ(gui::ListText(record, IDC_LINK_CHANNELS, 1, 0), "2");
  EXPECT_EQ(gui::ListText(record, IDC_LINK_CHANNELS, 1, 1), "Yard");
  EXPECT_EQ(Checks(record, IDC_LINK_CHANNELS), (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(gui::Text(record, IDC_LINK_DURATION), "30");
  // Motion detection area.
  EXPECT_EQ(gui::Text(region, IDC_MREGION_X), "10");
  EXPECT_EQ(gui::Text(region, IDC_MREGION_H), "50");
  EXPECT_EQ(gui::Text(region, IDC_MREGION_SENSITIVITY), "1");
  EXPECT_EQ(gui::Text(region, IDC_MREGION_THRESHOLD), "200");
  const ui::AreaRect area = dlg->AlarmTabsPage().RegionPage().Area().GetArea();
  EXPECT_EQ(area, (ui::AreaRect{10, 20, 110, 70}));

  // Edits left with what was typed.
  struct Clamp {
    HWND page;
    int id;
    const char *typed, *kept;
  } clamps[] = {
      {basic, IDC_ALM_DURATION, "4", "15"},        {basic, IDC_ALM_DURATION, "301", "15"},
      {basic, IDC_ALM_DURATION, "5", "5"},         {basic, IDC_ALM_DURATION, "", "15"},
      {record, IDC_LINK_DURATION, "29", "30"},     {record, IDC_LINK_DURATION, "601", "30"},
      {record, IDC_LINK_DURATION, "600", "600"},   {region, IDC_MREGION_SENSITIVITY, "0", "10"},
      {region, IDC_MREGION_SENSITIVITY, "101", "10"}, {region, IDC_MREGION_SENSITIVITY, "100", "100"},
      {region, IDC_MREGION_THRESHOLD, "256", "10"}, {region, IDC_MREGION_THRESHOLD, "255", "255"},
  };
  for (const Clamp& c : clamps) {
    Leave(c.page, c.id, c.typed);
    EXPECT_EQ(gui::Text(c.page, c.id), c.kept) << c.id << " '" << c.typed << "'";
  }
  // The rectangle's edits: X = 330 is cut to 320 and W to 32; the area
  // follows.
  struct Rect {
    int id;
    const char* typed;
    const char *x, *y, *w, *h;
  } rects[] = {{IDC_MREGION_X, "330", "320", "20", "32", "50"},
               {IDC_MREGION_X, "0", "0", "20", "32", "50"},
               {IDC_MREGION_W, "999", "0", "20", "352", "50"},
               {IDC_MREGION_H, "10", "0", "20", "352", "32"},
               {IDC_MREGION_Y, "270", "0", "256", "352", "32"},
               {IDC_MREGION_Y, "40", "0", "40", "352", "32"}};
  for (const Rect& r : rects) {
    Leave(region, r.id, r.typed);
    EXPECT_EQ(RegionText(region), std::string(r.x) + "," + r.y + "," + r.w + "," + r.h)
        << r.id << " " << r.typed;
  }
  EXPECT_EQ(dlg->AlarmTabsPage().RegionPage().Area().GetArea(), (ui::AreaRect{0, 40, 352, 72}));

  // The operator's changes, then "Save Channel" writes the part.
  gui::Click(basic, IDC_ALM_MOTION);
  gui::SetListCheck(basic, IDC_ALM_PROBES, 1, false);
  gui::SetListCheck(basic, IDC_ALM_OUTPUTS, 15, true);
  Leave(basic, IDC_ALM_DURATION, "120");
  gui::SetListCheck(record, IDC_LINK_CHANNELS, 3, true);
  Leave(record, IDC_LINK_DURATION, "90");
  const Bytes before = Mirror(0);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  const Bytes saved = Mirror(0);
  const uint8_t* p = &saved[kAt];
  EXPECT_EQ(Bytes(p, p + 4), (Bytes{1, 1, 1, 0}));
  EXPECT_EQ(devcfg::GetU16(p + 4), 0x000D) << "rows 1, 3, 4; bits of inputs not shown dropped";
  EXPECT_EQ(devcfg::GetU16(p + 6), 0x8001) << "the shown tab's checks";
  EXPECT_EQ(devcfg::GetU16(p + 8), 0x8002) << "tabs not shown keep their masks";
  EXPECT_EQ(devcfg::GetU16(p + 12), 0xFFFF);
  EXPECT_EQ(devcfg::GetU16(p + 14), 120);
  EXPECT_EQ(p[16], 1);
  EXPECT_EQ(devcfg::GetU16(p + 17), 0x000D);
  EXPECT_EQ(devcfg::GetU16(p + 19), 90);
  EXPECT_EQ(devcfg::GetU16(p + 21), 0);
  EXPECT_EQ(devcfg::GetU16(p + 23), 40);
  EXPECT_EQ(devcfg::GetU16(p + 25), 352);
  EXPECT_EQ(devcfg::GetU16(p + 27), 32);
  EXPECT_EQ(p[29], 100);
  EXPECT_EQ(p[30], 255);
  EXPECT_TRUE(DiffOutside(saved, before, kAt, devcfg::kAlarmPartSize).empty()) << "bytes outside the alarm part";
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("alarm_tabs_basic.bmp"));
}

TEST_F(AlarmTabs, OutputTabsKeepEachKindsMask) {
  OpenWith(AlarmBlock());
  const size_t sent = SentCount();
  // Each tab shows its own kind's mask.
  struct Shown {
    int tab;
    std::vector<int> rows;
  } shown[] = {{1, {1, 15}}, {2, {2}}, {3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}}, {0, {0}}};
  for (const Shown& s : shown) {
    ClickTab(basic, IDC_ALM_OUTPUT_TABS, s.tab);
    std::vector<bool> want(16, false);
    for (int r : s.rows) want[size_t(r)] = true;
    EXPECT_EQ(Checks(basic, IDC_ALM_OUTPUTS), want) << "tab " << s.tab;
  }
  // Ticks made on one tab stay with it when the operator goes elsewhere.
  ClickTab(basic, IDC_ALM_OUTPUT_TABS, 1);
  gui::SetListCheck(basic, IDC_ALM_OUTPUTS, 3, true);
  gui::SetListCheck(basic, IDC_ALM_OUTPUTS, 15, false);
  ClickTab(basic, IDC_ALM_OUTPUT_TABS, 2);
  gui::SetListCheck(basic, IDC_ALM_OUTPUTS, 2, false);
  ClickTab(basic, IDC_ALM_OUTPUT_TABS, 0);
  EXPECT_TRUE(gui::ListChecked(basic, IDC_ALM_OUTPUTS, 0));
  EXPECT_FALSE(gui::ListChecked(basic, IDC_ALM_OUTPUTS, 3));
  ClickTab(basic, IDC_ALM_OUTPUT_TABS, 1);
  EXPECT_TRUE(gui::ListChecked(basic, IDC_ALM_OUTPUTS, 3));
  EXPECT_FALSE(gui::ListChecked(basic, IDC_ALM_OUTPUTS, 15));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  const Bytes saved = Mirror(0);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 6]), 0x0001);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 8]), 0x000A);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 10]), 0x0000);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 12]), 0xFFFF);

  // "Default" resets the page of the selected tab only.
  ClickTab(tabs, IDC_ALM_TABS, 1);
  EXPECT_TRUE(IsWindowVisible(record));
  EXPECT_FALSE(IsWindowVisible(basic));
  gui::Click(tabs, IDC_ALM_DEFAULT);
  EXPECT_EQ(Checks(record, IDC_LINK_CHANNELS), std::vector<bool>(4, false));
  EXPECT_EQ(gui::Text(record, IDC_LINK_DURATION), "30");
  EXPECT_TRUE(gui::IsChecked(basic, IDC_ALM_VIDEO_LOST)) << "the basic page kept";
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("alarm_tabs_record.bmp"));
  ClickTab(tabs, IDC_ALM_TABS, 0);
  gui::Click(tabs, IDC_ALM_DEFAULT);
  EXPECT_FALSE(gui::IsChecked(basic, IDC_ALM_VIDEO_LOST));
  EXPECT_FALSE(gui::IsChecked(basic, IDC_ALM_SEND_ALL));
  EXPECT_EQ(Checks(basic, IDC_ALM_PROBES), std::vector<bool>(4, false));
  EXPECT_EQ(Checks(basic, IDC_ALM_OUTPUTS), std::vector<bool>(16, false));
  EXPECT_EQ(gui::Text(basic, IDC_ALM_DURATION), "15");
  ClickTab(tabs, IDC_ALM_TABS, 2);
  gui::Click(tabs, IDC_ALM_DEFAULT);
  EXPECT_EQ(gui::Text(region, IDC_MREGION_W), "352");
  EXPECT_EQ(gui::Text(region, IDC_MREGION_SENSITIVITY), "5");
  EXPECT_EQ(gui::Text(region, IDC_MREGION_THRESHOLD), "5");
  EXPECT_EQ(SentCount(), sent) << "the pages send nothing";
}

TEST_F(AlarmTabs, RowsFollowTheChosenDeviceUpToSixteen) {
  // The second device: 255 inputs, 3 outputs, 40 channels.
  shell::DeviceRecord& b = main.m_pConfig->devices[1];
  b.alarmInputs = 255;
  b.alarmOutputs = 3;
  b.channelCount = 40;
  // Its blocks: the shell keeps those of the 32 channels a connection has.
  shell::EnsureChannelBlocks(b);
  for (int ch = 0; ch < 40; ++ch) {
    char* block = shell::ChannelBlock(b, ch);
    if (!block) continue;
    std::snprintf(block, 32, "b%d", ch);
    uint8_t* p = reinterpret_cast<uint8_t*>(block) + kAt;
    devcfg::PutU16(p + 4, 0xFFFF);
    devcfg::PutU16(p + 6, 0xFFFF);
    devcfg::PutU16(p + 17, 0x8001);
    devcfg::PutU16(p + 19, 60);
  }
  OpenWith(AlarmBlock());
  ASSERT_EQ(gui::ListCount(basic, IDC_ALM_PROBES), 4) << "the first device's inputs";

  // The operator chooses the second device with page 2 current: its
  // channel 0 loads with its own row counts.
  gui::SelectCombo(hwnd, IDC_FES_DEVICE, 1);
  EXPECT_EQ(gui::ListCount(basic, IDC_ALM_PROBES), 16);
  EXPECT_EQ(gui::ListCount(basic, IDC_ALM_OUTPUTS), 3);
  ASSERT_EQ(gui::ListCount(record, IDC_LINK_CHANNELS), 16);
  EXPECT_EQ(gui::ListText(record, IDC_LINK_CHANNELS, 15, 1), "b15");
  EXPECT_EQ(Checks(basic, IDC_ALM_PROBES), std::vector<bool>(16, true));
  EXPECT_EQ(Checks(basic, IDC_ALM_OUTPUTS), std::vector<bool>(3, true));
  EXPECT_TRUE(gui::ListChecked(record, IDC_LINK_CHANNELS, 0));
  EXPECT_TRUE(gui::ListChecked(record, IDC_LINK_CHANNELS, 15));
  // Saved: 16 probe rows fill the mask, three output rows keep three bits,
  // and nothing spills into the fields next to them.
  gui::SetListCheck(record, IDC_LINK_CHANNELS, 7, true);
  const Bytes before = Mirror(0);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  const Bytes saved = Mirror(0);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 4]), 0xFFFF);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 6]), 0x0007);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 17]), 0x8081);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 19]), 60);
  EXPECT_EQ(saved[kAt + 3], before[kAt + 3]);
  EXPECT_TRUE(DiffOutside(saved, before, kAt, devcfg::kAlarmPartSize).empty());

  // Back to the first device: its counts again.
  gui::SelectCombo(hwnd, IDC_FES_DEVICE, 0);
  EXPECT_EQ(gui::ListCount(basic, IDC_ALM_PROBES), 4);
  EXPECT_EQ(gui::ListCount(basic, IDC_ALM_OUTPUTS), 16);
  EXPECT_EQ(gui::ListCount(record, IDC_LINK_CHANNELS), 4);
}

TEST_F(AlarmTabs, CopyWritesTheAlarmPartIntoPickedChannels) {
  OpenWith(AlarmBlock());
  const Bytes before[4] = {Mirror(0), Mirror(1), Mirror(2), Mirror(3)};
  gui::SetListCheck(basic, IDC_ALM_PROBES, 0, false);
  Leave(region, IDC_MREGION_X, "200");
  pickedMask = 0b1111;  // 0 (current), 1, and 2 and 3 that were not offered
  const size_t sent = SentCount();
  gui::Click(tabs, IDC_ALM_COPY);
  // The main dialog's two channels by name (the device has four).
  EXPECT_EQ(offeredNames, (std::vector<std::string>{"Gate", "Yard"}));
  EXPECT_EQ(Mirror(2), before[2]) << "a channel not offered changed";
  EXPECT_EQ(Mirror(3), before[3]) << "a channel not offered changed";
  const Bytes current = Mirror(0);
  EXPECT_EQ(devcfg::GetU16(&current[kAt + 4]), 0x000E);
  EXPECT_EQ(devcfg::GetU16(&current[kAt + 21]), 200);
  const Bytes m = Mirror(1);
  EXPECT_TRUE(std::equal(&m[kAt], &m[kAt + devcfg::kAlarmPartSize], &current[kAt]));
  EXPECT_TRUE(DiffOutside(m, before[1], kAt, devcfg::kAlarmPartSize).empty());
  EXPECT_EQ(SentCount(), sent) << "the pages send nothing";
  // Cancelled: nothing copied.
  pickerAnswersOk = false;
  Leave(region, IDC_MREGION_X, "100");
  gui::Click(tabs, IDC_ALM_COPY);
  EXPECT_EQ(devcfg::GetU16(&Mirror(1)[kAt + 21]), 200);
}

TEST_F(AlarmTabs, CopyThroughTheChannelSelectionDialog) {
  devcfg::SetChannelPicker(nullptr);  // the shell's picker dialog
  OpenWith(AlarmBlock());
  Leave(region, IDC_MREGION_Y, "100");
  int rows = -1;
  NestedDialog answer("Channel Selection", [&](HWND d) {
    rows = ListView_GetItemCount(gui::Control(d, IDC_CHECK_LIST));
    gui::Click(d, IDC_SELECT_ALL);
    gui::Click(d, IDOK);
  });
  gui::Click(tabs, IDC_ALM_COPY);
  ASSERT_TRUE(answer.Seen());
  EXPECT_EQ(rows, 2) << "one row per channel of the main dialog";
  EXPECT_EQ(devcfg::GetU16(&Mirror(1)[kAt + 23]), 100);
  EXPECT_NE(devcfg::GetU16(&Mirror(2)[kAt + 23]), 100) << "not offered";
}

TEST_F(AlarmTabs, RegionDrawnOnThePicture) {
  OpenWith(AlarmBlock());
  ClickTab(tabs, IDC_ALM_TABS, 2);
  ASSERT_TRUE(IsWindowVisible(region));
  HWND area = gui::Control(region, IDC_MREGION_AREA);
  ASSERT_TRUE(area);
  RECT client{};
  GetClientRect(area, &client);
  EXPECT_EQ(client.right, 352);
  EXPECT_EQ(client.bottom, 288);
  // Drags with the mouse's own messages; 31 pixels is too small.
  struct Drag {
    int sx, sy, ex, ey;
    const char *x, *y, *w, *h;
  } drags[] = {{50, 60, 81, 160, "10", "20", "100", "50"},
               {50, 60, 150, 91, "10", "20", "100", "50"},
               {150, 140, 50, 60, "50", "60", "100", "80"},
               {0, 0, 400, 400, "0", "0", "352", "288"}};
  for (const Drag& d : drags) {
    SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(d.sx, d.sy));
    SendMessageA(area, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(d.ex, d.ey));
    SendMessageA(area, WM_LBUTTONUP, 0, MAKELPARAM(d.ex, d.ey));
    EXPECT_EQ(RegionText(region), std::string(d.x) + "," + d.y + "," + d.w + "," + d.h)
        << d.sx << "," << d.sy << " -> " << d.ex << "," << d.ey;
  }
  gui::Click(region, IDC_MREGION_CLEAR_ALL);
  EXPECT_EQ(gui::Text(region, IDC_MREGION_W), "0");
  EXPECT_FALSE(dlg->AlarmTabsPage().RegionPage().Area().GetArea().HasArea());
  gui::Click(region, IDC_MREGION_SELECT_ALL);
  EXPECT_EQ(dlg->AlarmTabsPage().RegionPage().Area().GetArea(), (ui::AreaRect{0, 0, 352, 288}));
  SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 50));
  SendMessageA(area, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 170));
  SendMessageA(area, WM_LBUTTONUP, 0, MAKELPARAM(200, 170));

  // "View Video To Select Region" shows and hides the picture.
  HWND picture = GetDlgItem(area, CAreaSelectCtrl::kPictureId);
  ASSERT_TRUE(picture);
  EXPECT_FALSE(IsWindowVisible(picture));
  gui::Click(region, IDC_MREGION_VIEW_VIDEO);
  EXPECT_TRUE(IsWindowVisible(picture));
  gui::Click(region, IDC_MREGION_VIEW_VIDEO);
  EXPECT_FALSE(IsWindowVisible(picture));

  // The drawn rectangle shows in its frame colour over the black picture.
  gui::PumpFor(100);
  UpdateWindow(area);
  HDC dc = GetDC(area);
  const COLORREF edge = GetPixel(dc, 40, 110), inside = GetPixel(dc, 120, 110), outside = GetPixel(dc, 300, 250);
  ReleaseDC(area, dc);
  EXPECT_NE(edge, RGB(0, 0, 0)) << "the frame at x = 40";
  EXPECT_EQ(inside, RGB(0, 0, 0));
  EXPECT_EQ(outside, RGB(0, 0, 0));
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("alarm_tabs_region.bmp"));

  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  const Bytes saved = Mirror(0);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 21]), 40);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 23]), 50);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 25]), 160);
  EXPECT_EQ(devcfg::GetU16(&saved[kAt + 27]), 120);
}
