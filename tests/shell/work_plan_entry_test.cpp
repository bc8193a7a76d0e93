// "Work Plan Entry" under Xvfb: refusals with their prompts, the kill-focus
// bounds, OK by Enter straight from an edit box, Cancel, and the rules
// behind them.
#include <gtest/gtest.h>

#include <cstring>

#include "gui_kit.h"
#include "work_plan_entry.h"
#include "work_plan_entry_dlg.h"

using shell::WorkPlanEntry;

namespace {

WorkPlanEntry Entry(int bh, int bm, int eh, int em, int mask) {
  WorkPlanEntry e;
  std::memset(&e, 0, sizeof e);
  e.beginHour = uint8_t(bh);
  e.beginMinute = uint8_t(bm);
  e.endHour = uint8_t(eh);
  e.endMinute = uint8_t(em);
  e.detectionType = uint8_t(mask);
  return e;
}

const int kTypeIds[4] = {IDC_WPE_TIMING, IDC_WPE_VIDEO_LOST, IDC_WPE_MOTION, IDC_WPE_PROBE};

void SetTimes(HWND dlg, const char* bh, const char* bm, const char* eh, const char* em) {
  gui::SetText(dlg, IDC_WPE_BEGIN_HOUR, bh);
  gui::SetText(dlg, IDC_WPE_BEGIN_MINUTE, bm);
  gui::SetText(dlg, IDC_WPE_END_HOUR, eh);
  gui::SetText(dlg, IDC_WPE_END_MINUTE, em);
}

}  // namespace

TEST(WorkPlanEntryRules, FieldsAndChecks) {
  using namespace shell;
  struct Clamp {
    WorkPlanField field;
    int in, out;
  } clamps[] = {
      {kPlanBeginHour, 24, 0},   {kPlanBeginHour, 23, 23}, {kPlanBeginMinute, 75, 0},
      {kPlanBeginMinute, -1, 0}, {kPlanEndHour, 30, 23},   {kPlanEndHour, 0, 0},
      {kPlanEndMinute, 60, 59},  {kPlanEndMinute, 59, 59},
  };
  for (const Clamp& c : clamps) EXPECT_EQ(ClampWorkPlanField(c.field, c.in), c.out) << c.field << " " << c.in;
  struct Check {
    WorkPlanEntry e;
    WorkPlanEntryError want;
  } checks[] = {
      {Entry(8, 0, 8, 0, 1), WorkPlanEntryError::StopNotAfterStart},
      {Entry(8, 0, 8, 1, 1), WorkPlanEntryError::None},
      {Entry(22, 0, 2, 0, 1), WorkPlanEntryError::StopNotAfterStart},
      {Entry(0, 0, 23, 59, 0), WorkPlanEntryError::NoDetectionType},
      {Entry(0, 0, 23, 59, 15), WorkPlanEntryError::None},
  };
  for (const Check& c : checks) EXPECT_EQ(CheckWorkPlanEntry(c.e), c.want);
}

// One modal run per row: the operator's edits, how the dialog is left, and
// what the caller gets back.
TEST(WorkPlanEntryDlg, OperatorTable) {
  gui::InitControls();
  enum Leave { ClickOk, EnterInBeginMinute, ClickCancel };
  struct Row {
    const char* what;
    WorkPlanEntry start;
    const char *bh, *bm, *eh, *em;  // typed texts
    int uncheck;                    // bits of types to untick
    Leave leave;
    const char* prompt;             // the box shown, or null when the dialog ends
    WorkPlanEntry want;             // the entry after IDOK
  } rows[] = {
      {"08:00 to 08:00", Entry(0, 0, 23, 59, 15), "8", "0", "8", "0", 0, ClickOk,
       "Stop time should be larger than start time!", {}},
      {"08:00 to 08:01", Entry(0, 0, 23, 59, 15), "8", "0", "8", "1", 0, ClickOk, nullptr,
       {1, 8, 0, 8, 1, 15, {0, 0}}},
      {"22:00 to 02:00", Entry(0, 0, 23, 59, 15), "22", "0", "2", "0", 0, ClickOk,
       "Stop time should be larger than start time!", {}},
      {"no type ticked", Entry(1, 0, 2, 0, 5), "1", "0", "2", "0", 5, ClickOk, "Please select detection type!", {}},
      {"Enter with 75 minutes", Entry(1, 0, 2, 0, 2), "1", "75", "2", "0", 0, EnterInBeginMinute, nullptr,
       {1, 1, 0, 2, 0, 2, {0, 0}}},
      {"Cancel", Entry(3, 4, 5, 6, 8), "9", "9", "10", "10", 8, ClickCancel, nullptr, Entry(3, 4, 5, 6, 8)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    gui::MessageBoxScript boxes;
    WorkPlanEntry after{};
    gui::ModalRunner<CWorkPlanEntryDlg> run([&](CWorkPlanEntryDlg& d) { d.m_entry = r.start; },
                                            [&](CWorkPlanEntryDlg& d) { after = d.m_entry; });
    HWND dlg = run.WaitForWindow(5000);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::Text(dlg), "Work Plan Entry");
    // The boxes show the entry's types.
    for (int b = 0; b < 4; ++b) EXPECT_EQ(gui::IsChecked(dlg, kTypeIds[b]), (r.start.detectionType >> b & 1) != 0);
    SetTimes(dlg, r.bh, r.bm, r.eh, r.em);
    for (int b = 0; b < 4; ++b)
      if (r.uncheck >> b & 1) gui::Click(dlg, kTypeIds[b]);
    switch (r.leave) {
      case ClickOk: gui::Click(dlg, IDOK); break;
      case ClickCancel: gui::Click(dlg, IDCANCEL); break;
      case EnterInBeginMinute: gui::PostKey(gui::Control(dlg, IDC_WPE_BEGIN_MINUTE), VK_RETURN); break;
    }
    if (r.prompt) {
      ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() > 0; }, 3000));
      auto shown = boxes.Boxes();
      EXPECT_EQ(shown[0].text, r.prompt);
      EXPECT_EQ(shown[0].caption, "PROMPT");
      EXPECT_TRUE(shown[0].type & MB_ICONEXCLAMATION);
      EXPECT_TRUE(::IsWindowVisible(dlg)) << "the dialog stays open";
      gui::Click(dlg, IDCANCEL);
      ASSERT_TRUE(run.Wait(5000));
      continue;
    }
    ASSERT_TRUE(run.Wait(5000));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(run.Result(), r.leave == ClickCancel ? IDCANCEL : IDOK);
    EXPECT_EQ(std::memcmp(&after, &r.want, sizeof after), 0)
        << int(after.used) << " " << int(after.beginHour) << ":" << int(after.beginMinute) << "-"
        << int(after.endHour) << ":" << int(after.endMinute) << " " << int(after.detectionType);
  }
}

// Leaving an out-of-range box sets it back to its bound.
TEST(WorkPlanEntryDlg, KillFocusBounds) {
  gui::InitControls();
  gui::ModalRunner<CWorkPlanEntryDlg> run([](CWorkPlanEntryDlg& d) { d.m_entry = Entry(0, 0, 23, 59, 15); });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  struct Case {
    int id;
    const char *typed, *after;
  } cases[] = {
      {IDC_WPE_BEGIN_MINUTE, "75", "0"}, {IDC_WPE_END_HOUR, "30", "23"}, {IDC_WPE_END_MINUTE, "60", "59"},
      {IDC_WPE_BEGIN_HOUR, "24", "0"},   {IDC_WPE_BEGIN_HOUR, "12", "12"},
  };
  for (const Case& c : cases) {
    gui::SetText(dlg, c.id, c.typed);
    gui::Command(dlg, c.id, EN_KILLFOCUS);
    EXPECT_EQ(gui::Text(dlg, c.id), c.after) << c.typed;
  }
  gui::SaveWindowBitmap(dlg, gui::OutputPath("work_plan_entry.bmp"));
  gui::Click(dlg, IDCANCEL);
  EXPECT_TRUE(run.Wait(5000));
}
