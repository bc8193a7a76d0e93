// The shell's local dialogs under Xvfb: polling, storage, alarm and
// language settings, the server entry, the local work plan with its
// pickers, the preview plans, the alarm video pop-up and the about box.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "about_dlg.h"
#include "alarm_video_dlg.h"
#include "app_services.h"
#include "channel_blocks.h"
#include "check_list_dlgs.h"
#include "config_store.h"
#include "core/Orvik.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "language.h"
#include "local_settings_dlgs.h"
#include "local_work_plan_dlg.h"
#include "preview_plan_dlg.h"
#include "server_info_dlg.h"
#include "shell_fixture.h"
#include "stream_routes.h"
#include "work_plan_entry_dlg.h"

namespace {

DWORD ThreadOf(HWND h) { return ::GetWindowThreadProcessId(h, nullptr); }

bool Enabled(HWND dlg, int id) { return ::IsWindowEnabled(gui::Control(dlg, id)) != FALSE; }

// A nested modal dialog of the owner's thread, found by its caption.
HWND Nested(HWND owner, const char* caption) { return gui::FindThreadWindow(ThreadOf(owner), caption, 5000); }

}  // namespace

// ------------------------------------------------------ polling interval
LRESULT CALLBACK TimerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TIMER && w == CLocalPollingDlg::kPollTimerId) {
    ::SetWindowLongPtrA(h, GWLP_USERDATA, LONG_PTR(::GetTickCount()));
    return 0;
  }
  return ::DefWindowProcA(h, msg, w, l);
}

TEST(LocalPollingDlg, TwoIsStoredAsFiveWithAFiveSecondTimer) {
  gui::InitControls();
  ScratchDir dir("polling");
  CString ini = dir / "Corvel.ini";
  WNDCLASSA wc{};
  wc.lpfnWndProc = TimerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "PollTimerTarget";
  ::RegisterClassA(&wc);
  HWND target = ::CreateWindowA("PollTimerTarget", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(target);
  ::SetTimer(target, CLocalPollingDlg::kPollTimerId, 60000, nullptr);   // the old interval

  int interval = 0;
  gui::ModalRunner<CLocalPollingDlg> run(
      [&](CLocalPollingDlg& d) {
        d.m_interval = 30;
        d.m_iniPath = ini;
        d.m_timerWindow = target;
      },
      [&](CLocalPollingDlg& d) { interval = d.m_interval; });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Local Polling Settings");
  EXPECT_EQ(gui::Text(dlg, IDC_POLL_INTERVAL), "30");
  // A number typed below the range falls back to 5 at once.
  gui::SetText(dlg, IDC_POLL_INTERVAL, "2");
  EXPECT_EQ(gui::Text(dlg, IDC_POLL_INTERVAL), "5");
  gui::SaveWindowBitmap(dlg, gui::OutputPath("local_polling.bmp"));
  DWORD okAt = ::GetTickCount();
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(run.Result(), IDOK);
  EXPECT_EQ(interval, 5);
  EXPECT_EQ(::GetPrivateProfileIntA("LocalMonSet", "PollInterval", 0, ini), 5u);
  // The new timer fires after about 5 s, not after the old 60 s.
  ASSERT_TRUE(gui::PumpUntil([&] { return ::GetWindowLongPtrA(target, GWLP_USERDATA) != 0; }, 20000));
  DWORD firedAfter = DWORD(::GetWindowLongPtrA(target, GWLP_USERDATA)) - okAt;
  EXPECT_GE(firedAfter, 4500u);
  ::DestroyWindow(target);
}

// ---------------------------------------------------------------- storage
TEST(LocalStorageDlg, DiskRowsAndPackageTime) {
  gui::InitControls();
  DWORD mask = 0;
  int minutes = 0;
  gui::ModalRunner<CLocalStorageDlg> run(
      [](CLocalStorageDlg& d) {
        d.m_diskMask = 0x4;
        d.m_minutes = 45;
      },
      [&](CLocalStorageDlg& d) {
        mask = d.m_diskMask;
        minutes = d.m_minutes;
      });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Local Storage Settings");
  ASSERT_EQ(gui::ListCount(dlg, IDC_STORAGE_DISKS), 24);
  EXPECT_EQ(gui::ListText(dlg, IDC_STORAGE_DISKS, 0, 0), "C");
  EXPECT_EQ(gui::ListText(dlg, IDC_STORAGE_DISKS, 23, 0), "Z");
  for (int i = 0; i < 24; ++i) EXPECT_EQ(gui::ListChecked(dlg, IDC_STORAGE_DISKS, i), i == 0) << i;
  EXPECT_EQ(gui::Text(dlg, IDC_STORAGE_RECORD_DIR), "X:\\TQX RecordData");
  EXPECT_EQ(gui::Text(dlg, IDC_STORAGE_PICTURE_DIR), "X:\\TQX PictureData");
  struct Typed {
    const char *text, *after;
  } typed[] = {{"0", "30"}, {"121", "30"}, {"120", "120"}, {"1", "1"}, {"15", "15"}};
  for (const Typed& t : typed) {
    gui::SetText(dlg, IDC_STORAGE_MINUTES, t.text);
    EXPECT_EQ(gui::Text(dlg, IDC_STORAGE_MINUTES), t.after) << t.text;
  }
  gui::Click(dlg, IDC_STORAGE_SELECT_ALL);
  for (int i = 0; i < 24; ++i) EXPECT_TRUE(gui::ListChecked(dlg, IDC_STORAGE_DISKS, i)) << i;
  gui::Click(dlg, IDC_STORAGE_CLEAR_ALL);
  for (int i = 0; i < 24; ++i) EXPECT_FALSE(gui::ListChecked(dlg, IDC_STORAGE_DISKS, i)) << i;
  gui::SetListCheck(dlg, IDC_STORAGE_DISKS, 0, true);
  gui::SetListCheck(dlg, IDC_STORAGE_DISKS, 1, true);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(mask, 0xCu) << "C and D";
  EXPECT_EQ(minutes, 15);
}

// ----------------------------------------------------------------- alarms
TEST(LocalAlarmSetDlg, BeepAndRecordRules) {
  gui::InitControls();
  CorvelSettings out;
  gui::ModalRunner<CLocalAlarmSetDlg> run(
      [](CLocalAlarmSetDlg& d) {
        CorvelSettings s;
        s.beep = 1;
        s.motionSound = 1;
        s.alarmRecord = 0;
        s.recordDelay = 60;
        s.alarmDelay = 5;
        s.motionSoundFile = "C:\\alarm.wav";
        d.FromSettings(s);
      },
      [&](CLocalAlarmSetDlg& d) { d.ToSettings(out); });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Local Alarm Settings");
  const int soundControls[] = {IDC_ALARM_LOST,         IDC_ALARM_LOST_BROWSE,  IDC_ALARM_LOST_PLAY,
                               IDC_ALARM_MOTION,       IDC_ALARM_MOTION_BROWSE, IDC_ALARM_MOTION_PLAY,
                               IDC_ALARM_PROBE,        IDC_ALARM_PROBE_BROWSE, IDC_ALARM_PROBE_PLAY};
  for (int id : soundControls) EXPECT_FALSE(Enabled(dlg, id)) << "beep on: " << id;
  for (int id : {IDC_ALARM_PRERECORD, IDC_ALARM_REC_DELAY, IDC_ALARM_REC_SPIN}) EXPECT_FALSE(Enabled(dlg, id)) << id;
  EXPECT_TRUE(::SendMessageA(gui::Control(dlg, IDC_ALARM_LOST_BROWSE), BM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
  gui::Click(dlg, IDC_ALARM_BEEP);
  for (int id : soundControls) EXPECT_TRUE(Enabled(dlg, id)) << "beep off: " << id;
  gui::Click(dlg, IDC_ALARM_RECORD);
  for (int id : {IDC_ALARM_PRERECORD, IDC_ALARM_REC_DELAY, IDC_ALARM_REC_SPIN}) EXPECT_TRUE(Enabled(dlg, id)) << id;
  gui::SetText(dlg, IDC_ALARM_REC_DELAY, "10");
  EXPECT_EQ(gui::Text(dlg, IDC_ALARM_REC_DELAY), "30") << "below 15: 30";
  gui::SetText(dlg, IDC_ALARM_SOUND_DELAY, "901");
  EXPECT_EQ(gui::Text(dlg, IDC_ALARM_SOUND_DELAY), "3") << "above 900: 3";
  gui::SaveWindowBitmap(dlg, gui::OutputPath("local_alarm_settings.bmp"));
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(out.beep, 0);
  EXPECT_EQ(out.alarmRecord, 1);
  EXPECT_EQ(out.motionSound, 1);
  EXPECT_EQ(out.recordDelay, 30);
  EXPECT_EQ(out.alarmDelay, 3);
  EXPECT_STREQ(out.motionSoundFile, "C:\\alarm.wav");
}

// --------------------------------------------------------------- language
TEST(LanguageDlg, NoRowSelectedStaysOpen) {
  gui::InitControls();
  ScratchDir dir("language");
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLanguageDlg> run([&](CLanguageDlg& d) { d.m_iniPath = dir / "Corvel.ini"; });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  ::SendMessageA(gui::Control(dlg, IDC_LANGUAGE_LIST), LB_SETCURSEL, WPARAM(-1), 0);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() > 0; }, 3000));
  EXPECT_EQ(boxes.Boxes()[0].text, "Please Select a Language!");
  EXPECT_EQ(boxes.Boxes()[0].caption, "ERROR");
  EXPECT_TRUE(::IsWindowVisible(dlg));
  // A row picked: written to [General] Language.
  ::SendMessageA(gui::Control(dlg, IDC_LANGUAGE_LIST), LB_ADDSTRING, 0, LPARAM("Deutsch"));
  ::SendMessageA(gui::Control(dlg, IDC_LANGUAGE_LIST), LB_SETCURSEL, 0, 0);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  char lang[32] = {};
  ::GetPrivateProfileStringA("General", "Language", "", lang, sizeof lang, dir / "Corvel.ini");
  EXPECT_STREQ(lang, "Deutsch");
}

// The only language installed is selected whatever its name; with several,
// English.
TEST(LanguageDlg, SingleLanguageOrEnglishIsSelected) {
  gui::InitControls();
  struct Case {
    std::vector<const char*> languages;
    const char* selected;
  } cases[] = {{{"Deutsch"}, "Deutsch"}, {{"Deutsch", "English", "Svenska"}, "English"}, {{"Deutsch", "Svenska"}, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.languages.size());
    ScratchDir dir("language1");
    for (const char* name : c.languages) dir.WriteSolution(name, "BackColor=1,2,3\r\n");
    CInterfaceSolutions::Instance().Build(dir.Path());
    gui::ModalRunner<CLanguageDlg> run([&](CLanguageDlg& d) { d.m_iniPath = dir / "Corvel.ini"; });
    HWND dlg = run.WaitForWindow(5000);
    ASSERT_TRUE(dlg);
    HWND list = gui::Control(dlg, IDC_LANGUAGE_LIST);
    EXPECT_EQ(LRESULT(c.languages.size()), ::SendMessageA(list, LB_GETCOUNT, 0, 0));
    LRESULT sel = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    char text[64] = {};
    if (sel != LB_ERR) ::SendMessageA(list, LB_GETTEXT, WPARAM(sel), LPARAM(text));
    EXPECT_STREQ(c.selected, text);
    ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(run.Wait(5000));
  }
  ScratchDir none("language0");
  CInterfaceSolutions::Instance().Build(none.Path());
}

// ------------------------------------------------------------ server entry
TEST(ServerInfoDlg, RefusalsAndFields) {
  gui::InitControls();
  struct Row {
    const char *what, *address, *name, *user, *password, *port, *channels;
    const char* prompt;   // null: accepted
  } rows[] = {
      {"slash", "cam/1", "Gate", "admin", "tulip", "36688", "4",
       "IP or domain name not support \"\\/:*?\"<>|\" "},
      {"empty password", "cam1", "Gate", "admin", "", "36688", "4", "Value can not be empty!"},
      {"port above 65535", "cam1", "Gate", "admin", "tulip", "70000", "4", "Port must be a number from 0 to 65535!"},
      {"33 channels", "cam1", "Gate", "admin", "tulip", "36688", "33", "Channels must be a number from 0 to 32!"},
      {"accepted, empty port", "cam1", "Gate", "admin", "tulip", "", "", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    gui::MessageBoxScript boxes;
    CString port, channels;
    int count = 0, portNumber = 0;
    gui::ModalRunner<CServerInfoDlg> run([](CServerInfoDlg& d) { d.m_caption = "Add Server"; },
                                         [&](CServerInfoDlg& d) {
                                           port = d.m_port;
                                           channels = d.m_channels;
                                           count = d.ChannelCount();
                                           portNumber = d.Port();
                                         });
    HWND dlg = run.WaitForWindow(5000);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::Text(dlg), "Add Server");
    EXPECT_EQ(gui::Text(dlg, IDC_SERVER_PORT), "36688");
    EXPECT_EQ(gui::ListCount(dlg, IDC_SERVER_ONLINE_LIST), 0);
    gui::SetText(dlg, IDC_SERVER_ADDRESS, r.address);
    gui::SetText(dlg, IDC_SERVER_NAME, r.name);
    gui::SetText(dlg, IDC_SERVER_USER, r.user);
    gui::SetText(dlg, IDC_SERVER_PASSWORD, r.password);
    gui::SetText(dlg, IDC_SERVER_PORT, r.port);
    gui::SetText(dlg, IDC_SERVER_CHANNELS, r.channels);
    gui::Click(dlg, IDOK);
    if (r.prompt) {
      ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() > 0; }, 3000));
      EXPECT_EQ(boxes.Boxes()[0].text, r.prompt);
      EXPECT_EQ(boxes.Boxes()[0].caption, "PROMPT");
      gui::Click(dlg, IDCANCEL);
      ASSERT_TRUE(run.Wait(5000));
      EXPECT_EQ(run.Result(), IDCANCEL);
      continue;
    }
    ASSERT_TRUE(run.Wait(5000));
    EXPECT_EQ(run.Result(), IDOK);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_STREQ(port, "36688");
    EXPECT_EQ(portNumber, 36688);
    EXPECT_EQ(count, 1) << "no channels given: one";
  }
}

// --------------------------------------------------------------- work plan
TEST(LocalWorkPlanDlg, AddDeleteCopyWeekAndSwitch) {
  gui::InitControls();
  auto start = std::make_unique<shell::LocalWorkPlan>();
  std::memset(start.get(), 0, sizeof *start);
  auto after = std::make_unique<shell::LocalWorkPlan>();
  BOOL enabledAfter = TRUE;
  gui::MessageBoxScript boxes;
  // The rows come from the logical channels bound to a device: slots 4 and 9.
  FakeMainDlg main;
  shell::DeviceRecord& gate = main.m_pConfig->devices[0];
  shell::DeviceRecord& yard = main.m_pConfig->devices[1];
  lstrcpyA(gate.serverName, "Gate");
  lstrcpyA(yard.serverName, "Yard");
  gate.channelCount = yard.channelCount = 2;
  shell::NameChannels(gate, "Channel");
  shell::NameChannels(yard, "Channel");
  for (int s = 0; s < 4; ++s) main.m_channels.Assign(&gate, 100 + s);   // channels it does not have
  main.m_channels.Assign(&gate, 0);
  for (int s = 5; s < 9; ++s) main.m_channels[s].device = &gate;
  main.m_channels.Assign(&yard, 1);
  for (int s = 0; s < 4; ++s) main.m_channels[s].Clear();
  for (int s = 5; s < 9; ++s) main.m_channels[s].Clear();
  std::vector<LocalPlanChannelRow> rows = LocalPlanRowsFromSlots(main.m_channels);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].slot, 4);
  EXPECT_EQ(rows[1].slot, 9);
  EXPECT_STREQ(rows[1].channelName, "Channel-02");
  gui::ModalRunner<CLocalWorkPlanDlg> run(
      [&](CLocalWorkPlanDlg& d) {
        *d.m_plan = *start;
        d.m_enabled = TRUE;
        d.m_rows = rows;
      },
      [&](CLocalWorkPlanDlg& d) {
        *after = *d.m_plan;
        enabledAfter = d.m_enabled;
      });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Local Auto Work Plan");
  ASSERT_EQ(gui::ListCount(dlg, IDC_WP_CHANNELS), 2);
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_CHANNELS, 1, 0), "02");
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_CHANNELS, 1, 1), "Yard");

  // Add without a channel.
  gui::Click(dlg, IDC_WP_ADD);
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 1; }, 3000));
  EXPECT_EQ(boxes.Boxes()[0].text, "Please select channel!");

  // The second row (slot 9), Monday: four entries through the entry dialog,
  // each a different begin hour; the fifth is refused.
  gui::SelectListItem(dlg, IDC_WP_CHANNELS, 1);
  for (int i = 0; i < 4; ++i) {
    gui::PostClick(dlg, IDC_WP_ADD);
    HWND entry = Nested(dlg, "Work Plan Entry");
    ASSERT_TRUE(entry) << i;
    EXPECT_EQ(gui::Text(entry, IDC_WPE_END_HOUR), "23");
    char hour[4];
    wsprintfA(hour, "%d", i + 1);
    gui::SetText(entry, IDC_WPE_BEGIN_HOUR, hour);
    gui::Click(entry, IDOK);
    ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_WP_ENTRIES) == i + 1; }, 5000)) << i;
  }
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_ENTRIES, 0, 0), "1:00");
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_ENTRIES, 0, 1), "23:59");
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_ENTRIES, 0, 2), "Record + Video Lost Detect + Motion Detect + Probe Detect");
  gui::Click(dlg, IDC_WP_ADD);
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 2; }, 3000));
  EXPECT_EQ(boxes.Boxes()[1].text, "Already reach maximum entries!");
  EXPECT_EQ(boxes.Boxes()[1].caption, "PROMPT");

  // Delete without an entry, then the first entry: the rest move up.
  gui::Click(dlg, IDC_WP_DELETE);
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 3; }, 3000));
  EXPECT_EQ(boxes.Boxes()[2].text, "Please select the entry to delete!");
  gui::SelectListItem(dlg, IDC_WP_ENTRIES, 0);
  gui::Click(dlg, IDC_WP_DELETE);
  ASSERT_EQ(gui::ListCount(dlg, IDC_WP_ENTRIES), 3);
  EXPECT_EQ(gui::ListText(dlg, IDC_WP_ENTRIES, 0, 0), "2:00");

  // Monday copied to the ticked Monday and Wednesday.
  gui::PostClick(dlg, IDC_WP_COPY_WEEK);
  HWND days = Nested(dlg, "Week Day Selection");
  ASSERT_TRUE(days);
  ASSERT_EQ(gui::ListCount(days, IDC_CHECK_LIST), 7);
  EXPECT_EQ(gui::ListText(days, IDC_CHECK_LIST, 6, 0), "Sunday");
  gui::SetListCheck(days, IDC_CHECK_LIST, 0, true);
  gui::SetListCheck(days, IDC_CHECK_LIST, 2, true);
  gui::Click(days, IDOK);
  ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(days); }, 5000));
  gui::SelectTab(dlg, IDC_WP_DAYS, 2);
  EXPECT_EQ(gui::ListCount(dlg, IDC_WP_ENTRIES), 3) << "Wednesday";
  gui::SelectTab(dlg, IDC_WP_DAYS, 1);
  EXPECT_EQ(gui::ListCount(dlg, IDC_WP_ENTRIES), 0) << "Tuesday";

  // Plan switched off: everything but the switch, OK and Cancel disabled.
  gui::Click(dlg, IDC_WP_ENABLE);
  for (int id : {IDC_WP_CHANNELS, IDC_WP_DAYS, IDC_WP_ENTRIES, IDC_WP_ADD, IDC_WP_MODIFY, IDC_WP_DELETE,
                 IDC_WP_COPY_WEEK, IDC_WP_COPY_CHANNEL})
    EXPECT_FALSE(Enabled(dlg, id)) << id;
  for (int id : {IDC_WP_ENABLE, IDOK, IDCANCEL}) EXPECT_TRUE(Enabled(dlg, id)) << id;
  gui::SaveWindowBitmap(dlg, gui::OutputPath("local_work_plan.bmp"));
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(run.Result(), IDOK);
  EXPECT_FALSE(enabledAfter) << "plan off is kept";

  // Only slot 9's Monday and Wednesday changed, byte for byte.
  const uint8_t* a = reinterpret_cast<const uint8_t*>(after.get());
  const uint8_t* b = reinterpret_cast<const uint8_t*>(start.get());
  for (size_t i = 0; i < sizeof *after; ++i)
    if (a[i] != b[i]) {
      size_t day = i / 32;
      EXPECT_TRUE(day == 9 * 7 + 0 || day == 9 * 7 + 2) << "byte " << i;
    }
  EXPECT_EQ(std::memcmp(after->entries[9][0], after->entries[9][2], 32), 0);
  EXPECT_EQ(after->entries[9][0][0].beginHour, 2);
  EXPECT_EQ(after->entries[9][0][3].used, 0);
}

// ---------------------------------------------------------- check lists
TEST(ChannelSelectDlg, CountHeldTo64AndSelectAllToggles) {
  gui::InitControls();
  int flags[64] = {};
  gui::ModalRunner<CChannelSelectDlg> run(
      [](CChannelSelectDlg& d) {
        d.m_channelCount = 70;
        d.m_names[63] = "Last";
      },
      [&](CChannelSelectDlg& d) { std::memcpy(flags, d.m_check, sizeof flags); });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Channel Selection");
  ASSERT_EQ(gui::ListCount(dlg, IDC_CHECK_LIST), 64);
  EXPECT_EQ(gui::ListText(dlg, IDC_CHECK_LIST, 63, 0), "64");
  EXPECT_EQ(gui::ListText(dlg, IDC_CHECK_LIST, 63, 1), "Last");
  gui::Click(dlg, IDC_SELECT_ALL);
  EXPECT_EQ(gui::Text(dlg, IDC_SELECT_ALL), "Clear All");
  for (int i = 0; i < 64; ++i) EXPECT_TRUE(gui::ListChecked(dlg, IDC_CHECK_LIST, i));
  gui::Click(dlg, IDC_SELECT_ALL);
  EXPECT_EQ(gui::Text(dlg, IDC_SELECT_ALL), "Select All");
  for (int i = 0; i < 64; ++i) EXPECT_FALSE(gui::ListChecked(dlg, IDC_CHECK_LIST, i));
  gui::SetListCheck(dlg, IDC_CHECK_LIST, 5, true);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(flags[i], i == 5 ? 1 : 0) << i;
}

// ---------------------------------------------------------- preview plans
namespace {

struct PlanTargetLog : shell::PlanTarget {
  std::vector<std::string> calls;
  bool WindowShowsChannel(int w) override { return g_pMainDlg->m_windows[w].showsChannel != 0; }
  void CloseWindowView(int w) override { calls.push_back("close " + std::to_string(w)); }
  void ConnectAll() override { calls.push_back("connect"); }
  void ArrangeWindows(int kind) override { calls.push_back("arrange " + std::to_string(kind)); }
  void OpenChannelInWindow(const char* address, int channel, int w) override {
    calls.push_back("open " + std::string(address) + " " + std::to_string(channel) + " " + std::to_string(w));
  }
  void SetWindowRecordOn(int w) override { calls.push_back("record " + std::to_string(w)); }
};

// Types a name into the plan-name dialog the save opens and answers it.
void NamePlan(HWND owner, const char* name) {
  HWND n = Nested(owner, "Input The Local Plan Name");
  ASSERT_TRUE(n);
  EXPECT_EQ(gui::Text(n, IDC_PLAN_NAME), "Current Plan");
  gui::SetText(n, IDC_PLAN_NAME, name);
  gui::Click(n, IDOK);
}

}  // namespace

TEST(PreviewPlanDlg, SaveOpenDeleteThroughLocalPlans) {
  gui::InitControls();
  ScratchDir dir("plans");
  FakeMainDlg main;
  main.m_windowCount = 9;
  main.m_layoutKind = 3;   // 9 windows shown
  auto& image = *main.m_pConfig;
  for (int d = 0; d < 2; ++d) {
    image.devices[d].inUse = 1;
    wsprintfA(image.devices[d].address, "169.254.9.%d", d + 2);
  }
  int slots[3] = {main.m_channels.Assign(&image.devices[0], 0), main.m_channels.Assign(&image.devices[1], 2),
                  main.m_channels.Assign(&image.devices[0], 1)};
  for (int s : slots) main.m_windows[4].Add(s);
  main.m_windows[4].showsChannel = 1;
  main.m_channels[slots[2]].recording = 1;
  SetCurrentUser(main.m_pConfig, 0);
  g_userRights = kRightLocalWatchVideo;
  auto plans = std::make_unique<shell::PlanImage>();
  std::memset(plans.get(), 0, sizeof *plans);
  PlanTargetLog target;

  gui::MessageBoxScript boxes({}, IDYES);
  gui::ModalRunner<CPreviewPlanDlg> run([&](CPreviewPlanDlg& d) {
    d.m_plans = plans.get();
    d.m_programDir = dir.Path();
    d.m_target = &target;
  });
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Preview Plans");
  EXPECT_EQ(gui::ListCount(dlg, IDC_PLAN_LIST), 0);

  gui::PostClick(dlg, IDC_PLAN_SAVE);
  NamePlan(dlg, "Gate");
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_PLAN_LIST) == 1; }, 5000));
  EXPECT_EQ(gui::ListText(dlg, IDC_PLAN_LIST, 0, 0), "Gate");
  EXPECT_EQ(gui::ListText(dlg, IDC_PLAN_LIST, 0, 1), "admin");

  // The same name, then an empty one: refused, the dialog stays.
  for (const char* name : {"Gate", ""}) {
    size_t before = boxes.Count();
    gui::PostClick(dlg, IDC_PLAN_SAVE);
    NamePlan(dlg, name);
    ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() > before; }, 3000)) << name;
    EXPECT_EQ(boxes.Boxes().back().text, "This name already made!");
    EXPECT_EQ(boxes.Boxes().back().caption, "Tip");
    HWND n = Nested(dlg, "Input The Local Plan Name");
    ASSERT_TRUE(n) << "still open";
    gui::Click(n, IDCANCEL);
    ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(n); }, 3000));
  }
  gui::PostClick(dlg, IDC_PLAN_SAVE);
  NamePlan(dlg, "Yard");
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_PLAN_LIST) == 2; }, 5000));
  EXPECT_EQ(gui::ListText(dlg, IDC_PLAN_LIST, 1, 0), "Yard") << "appended at the end";

  // LocalPlans.dat holds slot 0 with window 4's three channels in order.
  auto file = std::make_unique<shell::PlanImage>();
  ASSERT_TRUE(shell::LoadLocalPlans(*file, dir.Path()));
  const shell::PlanSlot& p = file->slots[0];
  EXPECT_EQ(p.used, 1);
  EXPECT_EQ(p.layoutKind, 3u);
  EXPECT_STREQ(p.name, "Gate");
  EXPECT_EQ(p.windows[4].used, 1);
  EXPECT_EQ(p.windows[4].record, 1);
  const char* addr[3] = {"169.254.9.2", "169.254.9.3", "169.254.9.2"};
  const uint32_t ch[3] = {0, 2, 1};
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(p.windows[4].channels[j].used, 1);
    EXPECT_STREQ(p.windows[4].channels[j].address, addr[j]);
    EXPECT_EQ(p.windows[4].channels[j].channel, ch[j]);
  }
  EXPECT_EQ(p.windows[4].channels[3].used, 0);
  EXPECT_STREQ(file->slots[1].name, "Yard");

  // Open the first plan: the window's three channels come back in order.
  gui::SelectListItem(dlg, IDC_PLAN_LIST, 0);
  ::SendMessageA(gui::Control(dlg, IDC_PLAN_LIST), LVM_SETSELECTIONMARK, 0, 0);
  gui::Click(dlg, IDC_PLAN_OPEN);
  std::vector<std::string> want = {"close 4", "connect", "arrange 3", "open 169.254.9.2 0 4",
                                   "open 169.254.9.3 2 4", "open 169.254.9.2 1 4", "record 4"};
  EXPECT_EQ(target.calls, want);

  // Without the watch right: refused; delete still works.
  g_userRights = 0;
  size_t before = boxes.Count();
  gui::Click(dlg, IDC_PLAN_OPEN);
  ASSERT_GT(boxes.Count(), before);
  EXPECT_EQ(boxes.Boxes().back().text, "You have no power to watch video!");
  gui::Click(dlg, IDC_PLAN_DELETE);
  EXPECT_EQ(boxes.Boxes().back().text, "Are you sure you want to delete Plan?");
  EXPECT_EQ(gui::ListCount(dlg, IDC_PLAN_LIST), 1);
  ASSERT_TRUE(shell::LoadLocalPlans(*file, dir.Path()));
  const shell::PlanSlot zero{};
  EXPECT_EQ(std::memcmp(&file->slots[0], &zero, sizeof zero), 0) << "the slot is all zero";
  EXPECT_STREQ(file->slots[1].name, "Yard");
  // Nothing selected: the prompts under their titles.
  gui::Click(dlg, IDC_PLAN_OPEN);
  EXPECT_EQ(boxes.Boxes().back().text, "Please select a plan!");
  EXPECT_EQ(boxes.Boxes().back().caption, "Tip");
  gui::Click(dlg, IDC_PLAN_DELETE);
  EXPECT_EQ(boxes.Boxes().back().caption, "WARNING");
  gui::Click(dlg, IDCANCEL);
  ASSERT_TRUE(run.Wait(5000));
  g_userRights = 0xFFFFFFFFu;
}

TEST(PreviewPlanDlg, LastPlayPlanOfAFirstStartHidesNothing) {
  gui::InitControls();
  ScratchDir dir("lastplan");
  FakeMainDlg main;
  main.m_windows[0].showsChannel = 1;
  auto plans = std::make_unique<shell::PlanImage>();
  std::memset(plans.get(), 0, sizeof *plans);
  PlanTargetLog target;
  CPreviewPlanDlg dlg;
  dlg.m_plans = plans.get();
  dlg.m_programDir = dir.Path();
  dlg.m_target = &target;
  dlg.PlayLastPlayPlan();
  EXPECT_TRUE(target.calls.empty());
  // Saved at close, played at the next start: the kind shown (16 windows,
  // as at start-up), not the 36 windows of the split in use.
  main.m_windowCount = 36;
  main.m_layoutKind = 4;
  main.m_windows[0].Add(main.m_channels.Assign(&main.m_pConfig->devices[0], 1));
  std::strcpy(main.m_pConfig->devices[0].address, "169.254.9.2");
  main.m_pConfig->devices[0].inUse = 1;
  dlg.SaveLastPlayPlan();
  auto file = std::make_unique<shell::PlanImage>();
  ASSERT_TRUE(shell::LoadLocalPlans(*file, dir.Path()));
  EXPECT_STREQ(file->slots[19].name, "Last Play Plan");
  dlg.PlayLastPlayPlan();
  EXPECT_EQ(file->slots[19].layoutKind, 4u);
  std::vector<std::string> want = {"close 0", "connect", "arrange 4", "open 169.254.9.2 1 0"};
  EXPECT_EQ(target.calls, want);
}

// ------------------------------------------------------------ alarm video
TEST(AlarmVideoDlg, CaptionPromptAndPlayHandle) {
  gui::InitControls();
  ASSERT_EQ(NET_Init(), 1);
  FakeMainDlg main;
  shell::DeviceRecord& d = main.m_pConfig->devices[2];
  d.inUse = 1;
  d.loginId = 7;
  d.channelCount = 4;
  std::strcpy(d.serverName, "Gate");
  shell::NameChannels(d, "Channel");
  int slot = main.m_channels.Assign(&d, 1);
  ASSERT_GE(slot, 0);
  gui::MessageBoxScript boxes;
  CAlarmVideoDlg dlg;
  ASSERT_TRUE(dlg.Create(CAlarmVideoDlg::IDD, nullptr));
  EXPECT_EQ(gui::Text(dlg.m_hWnd), "Alarm Video");
  EXPECT_EQ(dlg.ShowAlarmChannel(7, 3), 0) << "channel 3 is not open";
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Server or channel is not connected!");
  EXPECT_EQ(gui::Text(dlg.m_hWnd), "Alarm Video");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(dlg.ShowAlarmChannel(7, 1), 1) << round;
    EXPECT_EQ(gui::Text(dlg.m_hWnd), "Alarm Video  :  [Gate] - [Channel-02]");
    EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd));
    EXPECT_GT(dlg.m_playHandle, 0) << "the picture has a play handle";
    EXPECT_EQ(shell::AlarmVideoHandleFor(slot), dlg.m_playHandle) << "the live stream plays into it";
    EXPECT_EQ(shell::AlarmVideoHandleFor(slot + 1), 0);
    gui::SaveWindowBitmap(dlg.m_hWnd, gui::OutputPath("alarm_video.bmp"));
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindowVisible(dlg.m_hWnd));
    EXPECT_EQ(dlg.m_playHandle, 0);
    EXPECT_EQ(shell::AlarmVideoHandleFor(slot), 0);
  }
  dlg.DestroyWindow();
  NET_Cleanup();
}

// ---------------------------------------------------------------- about
TEST(AboutDlg, CaptionAndVersion) {
  gui::InitControls();
  gui::ModalRunner<CAboutDlg> run;
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "About Dravenor");
  EXPECT_EQ(gui::Text(dlg, IDC_ABOUT_VERSION), "TQX V1.0.1");
  gui::Click(dlg, IDOK);
  EXPECT_TRUE(run.Wait(5000));
}
