// The record plan page: the 227-byte part at 256 shown per weekday, entries
// added, changed and deleted through the work plan entry dialog, the
// package time edit, the enabling rule and the week-day copy.
#include <cstring>

#include "page_kit.h"
#include "shell_resource.h"

namespace {

shell::WorkPlanEntry Entry(int bh, int bm, int eh, int em, int type) {
  shell::WorkPlanEntry e{};
  e.used = 1;
  e.beginHour = uint8_t(bh);
  e.beginMinute = uint8_t(bm);
  e.endHour = uint8_t(eh);
  e.endMinute = uint8_t(em);
  e.detectionType = uint8_t(type);
  return e;
}

// A block whose plan is on, with entries for (day, slot).
Bytes PlanBlock(std::vector<std::pair<std::pair<int, int>, shell::WorkPlanEntry>> entries, int packageTime = 5) {
  Bytes b(1024, 0);
  std::strcpy(reinterpret_cast<char*>(b.data()), "Gate");
  b[256] = 1;
  for (auto& e : entries) std::memcpy(&b[256 + 1 + (e.first.first * 4 + e.first.second) * 8], &e.second, 8);
  b[256 + 226] = uint8_t(packageTime);
  for (size_t i = 256 + 227; i < 512; ++i) b[i] = uint8_t(i);  // not the page's
  return b;
}

std::vector<std::string> Rows(HWND page) {
  HWND list = gui::Control(page, IDC_PLAN_ENTRIES);
  std::vector<std::string> rows;
  for (int r = 0; r < ListView_GetItemCount(list); ++r) {
    std::string row;
    for (int c = 0; c < 3; ++c) {
      char text[128] = "";
      ListView_GetItemText(list, r, c, text, sizeof text);
      row += (c ? "|" : "") + std::string(text);
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST_F(PageTest, RecordPlanRowsNameTheirSlots) {
  Open();
  HWND page = dlg->RecordPlanPage().GetSafeHwnd();
  // Monday: slots 0, 2 and 3 used, slot 1 a gap; Tuesday one entry.
  const Bytes block = PlanBlock({{{0, 0}, Entry(0, 0, 6, 0, 1)},
                                 {{0, 2}, Entry(8, 5, 12, 0, 6)},
                                 {{0, 3}, Entry(13, 0, 23, 59, 15)},
                                 {{1, 0}, Entry(1, 0, 2, 0, 8)}});
  Deliver(kPageRecordPlan, 0, block);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_TRUE(gui::IsChecked(page, IDC_PLAN_ENABLE));
  EXPECT_EQ(gui::Text(page, IDC_PLAN_PACKAGE_TIME), "5");
  EXPECT_EQ(Rows(page), (std::vector<std::string>{
                            "0:00|6:00|Record",
                            "8:05|12:00|Video Lost Detect + Motion Detect",
                            "13:00|23:59|Record + Video Lost Detect + Motion Detect + Probe Detect"}));
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_record_plan.bmp"));

  // Row 1 is slot 2: deleting it moves slot 3 down and clears slot 3.
  gui::SelectListItem(page, IDC_PLAN_ENTRIES, 1);
  gui::Click(page, IDC_PLAN_DELETE);
  EXPECT_EQ(Rows(page), (std::vector<std::string>{
                            "0:00|6:00|Record",
                            "13:00|23:59|Record + Video Lost Detect + Motion Detect + Probe Detect"}));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  Bytes saved = Mirror(0);
  EXPECT_EQ(saved[256 + 1 + 2 * 8 + 1], 13) << "slot 3 moved to slot 2";
  for (int i = 0; i < 8; ++i) EXPECT_EQ(saved[256 + 1 + 3 * 8 + i], 0) << "slot 3 cleared";
  EXPECT_TRUE(DiffOutside(saved, block, 256 + 1, 4 * 8).empty()) << "only Monday's entries changed";

  // Tuesday's tab shows its own entry.
  gui::SelectTab(page, IDC_PLAN_DAYS, 1);
  EXPECT_EQ(Rows(page), (std::vector<std::string>{"1:00|2:00|Probe Detect"}));
  // Deleting without a selection is refused.
  gui::MessageBoxScript boxes;
  ListView_SetItemState(gui::Control(page, IDC_PLAN_ENTRIES), -1, 0, LVIS_SELECTED);
  gui::Click(page, IDC_PLAN_DELETE);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Please select the entry to delete!");
  EXPECT_EQ(boxes.Boxes()[0].caption, "PROMPT");
}

TEST_F(PageTest, RecordPlanDeleteFirstOfThreeAndAddUpToFour) {
  Open();
  HWND page = dlg->RecordPlanPage().GetSafeHwnd();
  Deliver(kPageRecordPlan, 0,
          PlanBlock({{{2, 0}, Entry(1, 0, 2, 0, 1)}, {{2, 1}, Entry(3, 0, 4, 0, 2)}, {{2, 2}, Entry(5, 0, 6, 0, 4)}}));
  gui::SelectTab(page, IDC_PLAN_DAYS, 2);
  gui::SelectListItem(page, IDC_PLAN_ENTRIES, 0);
  gui::Click(page, IDC_PLAN_DELETE);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  Bytes saved = Mirror(0);
  const uint8_t* wed = &saved[256 + 1 + 2 * 4 * 8];
  EXPECT_EQ(wed[0 * 8 + 1], 3);
  EXPECT_EQ(wed[1 * 8 + 1], 5);
  EXPECT_EQ(wed[2 * 8], 0);
  EXPECT_EQ(wed[3 * 8], 0);

  // Two Adds fill the day: the dialog comes preset to 0:00 - 23:59 with
  // every type, the operator's change is kept.
  for (int add = 0; add < 2; ++add) {
    std::string begin, end;
    NestedDialog answer("Work Plan Entry", [&](HWND d) {
      begin = gui::Text(d, IDC_WPE_BEGIN_HOUR) + ":" + gui::Text(d, IDC_WPE_BEGIN_MINUTE);
      end = gui::Text(d, IDC_WPE_END_HOUR) + ":" + gui::Text(d, IDC_WPE_END_MINUTE);
      gui::SetText(d, IDC_WPE_BEGIN_HOUR, add ? "20" : "7");
      gui::Click(d, IDOK);
    });
    gui::Click(page, IDC_PLAN_ADD);
    ASSERT_TRUE(answer.Seen());
    EXPECT_EQ(begin, "0:0");
    EXPECT_EQ(end, "23:59");
  }
  const std::vector<std::string> rows = Rows(page);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2], "7:00|23:59|Record + Video Lost Detect + Motion Detect + Probe Detect");
  EXPECT_EQ(rows[3].substr(0, 5), "20:00");

  // The fifth is refused before any dialog.
  gui::MessageBoxScript boxes;
  NestedDialog never("Work Plan Entry", [](HWND d) { gui::Click(d, IDCANCEL); });
  gui::Click(page, IDC_PLAN_ADD);
  gui::PumpFor(100);
  EXPECT_FALSE(never.Seen());
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Already reach maximum entries!");
  EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONMASK, UINT(MB_ICONWARNING));
  EXPECT_EQ(Rows(page).size(), 4u);
}

TEST_F(PageTest, RecordPlanPackageTimeSwitchesAndDayCopy) {
  Open();
  HWND page = dlg->RecordPlanPage().GetSafeHwnd();
  Deliver(kPageRecordPlan, 0, PlanBlock({{{0, 1}, Entry(9, 30, 10, 0, 4)}}));
  struct Typed {
    const char *text, *kept;
  } typed[] = {{"16", "10"}, {"1", "10"}, {"2", "2"}, {"15", "15"}};
  for (const Typed& t : typed) {
    gui::SetText(page, IDC_PLAN_PACKAGE_TIME, t.text);
    gui::Command(page, IDC_PLAN_PACKAGE_TIME, EN_KILLFOCUS);
    EXPECT_EQ(gui::Text(page, IDC_PLAN_PACKAGE_TIME), t.kept) << t.text;
  }
  gui::Click(page, IDC_PLAN_AUTO_RECORD);

  // Monday's entry to Wednesday and Sunday through the week-day picker.
  unsigned offered = 0xFFFF;
  devcfg::SetWeekDayPicker([&](CWnd*, unsigned* days) {
    offered = *days;
    *days = 1u << 0 | 1u << 2 | 1u << 6;
    return true;
  });
  Deliver(kPageRecordPlan, 0, PlanBlock({{{0, 1}, Entry(9, 30, 10, 0, 4)}}));
  gui::SetText(page, IDC_PLAN_PACKAGE_TIME, "15");
  gui::Click(page, IDC_PLAN_AUTO_RECORD);
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_PLAN_COPY_DAYS)));
  gui::Click(page, IDC_PLAN_COPY_DAYS);
  devcfg::SetWeekDayPicker(nullptr);
  EXPECT_EQ(offered, 0u);
  gui::SelectTab(page, IDC_PLAN_DAYS, 6);
  EXPECT_EQ(Rows(page), (std::vector<std::string>{"9:30|10:00|Motion Detect"}));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  Bytes saved = Mirror(0);
  EXPECT_EQ(std::memcmp(&saved[256 + 1 + 2 * 32], &saved[256 + 1], 32), 0) << "Wednesday";
  EXPECT_EQ(saved[256 + 1 + 1 * 32 + 8], 0) << "Tuesday was not picked";
  EXPECT_EQ(saved[256 + 225], 1);
  EXPECT_EQ(saved[256 + 226], 15);

  // The plan switched off leaves only itself, Default and the channel copy.
  gui::Click(page, IDC_PLAN_ENABLE);
  for (int id : {IDC_PLAN_DAYS, IDC_PLAN_ENTRIES, IDC_PLAN_ADD, IDC_PLAN_MODIFY, IDC_PLAN_DELETE,
                 IDC_PLAN_COPY_DAYS, IDC_PLAN_AUTO_RECORD, IDC_PLAN_PACKAGE_TIME})
    EXPECT_FALSE(IsWindowEnabled(gui::Control(page, id))) << id;
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_PLAN_DEFAULT)));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  EXPECT_EQ(Mirror(0)[256], 0);

  // Default: plan off, no entries, package time 10.
  gui::Click(page, IDC_PLAN_DEFAULT);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  saved = Mirror(0);
  for (size_t i = 256; i < 256 + 226; ++i) ASSERT_EQ(saved[i], 0) << i;
  EXPECT_EQ(saved[256 + 226], 10);
}
