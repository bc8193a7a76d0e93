// The log views under Xvfb: row limits, lines from other threads, pop-up,
// export bytes and names, Clear All and Close; and the posted message box
// and device result texts that other threads rely on.
#include <gtest/gtest.h>

#include "app_services.h"
#include "gui_kit.h"
#include "log_dlgs.h"
#include "log_text.h"
#include "shell_fixture.h"

#include <regex>
#include <string>
#include <thread>

namespace {

int Rows(CLogListDlg& d) { return d.GetRowCount(); }

TEST(LogText, TimeLineAndFileName) {
  EXPECT_EQ("2026-3-5 7:04:09", FormatLogTime(2026, 3, 5, 7, 4, 9));
  EXPECT_EQ("2026-12-31 23:59:59", FormatLogTime(2026, 12, 31, 23, 59, 59));
  EXPECT_EQ("a\tb\tc\r\n", LogExportLine({"a", "b", "c"}));
  EXPECT_EQ("\r\n", LogExportLine({}));
  struct Case {
    const char *chosen, *saved;
  } cases[] = {
      {"C:\\logs\\today", "C:\\logs\\today.log"},
      {"C:\\logs\\today.txt", "C:\\logs\\today.txt"},
      {"C:\\logs.old\\today", "C:\\logs.old\\today.log"},
      {"today.", "today."},
      {"today", "today.log"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.saved, LogFileName(c.chosen)) << c.chosen;
}

class Logs : public ::testing::Test {
protected:
  void SetUp() override { gui::InitControls(); }
  ScratchDir dir{"logs"};
};

TEST_F(Logs, TheTenThousandAndFirstLineDropsTheFirst) {
  CLocalLogDlg log;
  ASSERT_TRUE(log.Create(CLocalLogDlg::IDD));
  EXPECT_EQ(&log, g_pLocalLogDlg);
  EXPECT_FALSE(log.IsWindowVisible());
  EXPECT_FALSE(log.GetAutoPopup());
  EXPECT_FALSE(log.GetAutoScroll());
  for (int i = 0; i <= CLocalLogDlg::kMaxRows; ++i) {
    char text[32];
    wsprintfA(text, "line %d", i);
    ASSERT_TRUE(AddLocalLog(text, FALSE, TRUE));
  }
  EXPECT_EQ(CLocalLogDlg::kMaxRows, Rows(log));
  EXPECT_EQ("line 1", std::string(log.GetCell(0, 1)));
  EXPECT_EQ("line 10000", std::string(log.GetCell(CLocalLogDlg::kMaxRows - 1, 1)));
  EXPECT_TRUE(std::regex_match(std::string(log.GetCell(0, 0)), std::regex(R"(\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d\d:\d\d)")))
      << log.GetCell(0, 0);
  EXPECT_FALSE(log.IsWindowVisible());   // no pop-up asked for
}

TEST_F(Logs, LinesFromOtherThreadsArriveAndAPopUpLineOpensTheWindow) {
  CLocalLogDlg log;
  ASSERT_TRUE(log.Create(CLocalLogDlg::IDD));
  std::thread poster([] { AddLocalLog("posted by a worker", FALSE, FALSE); });
  poster.join();
  ASSERT_TRUE(gui::PumpUntil([&] { return Rows(log) == 1; }, 3000));
  EXPECT_EQ("posted by a worker", std::string(log.GetCell(0, 1)));
  EXPECT_FALSE(log.IsWindowVisible());
  // The wait form returns once the UI thread has taken the line.
  std::atomic<bool> sent{false};
  std::thread sender([&] {
    AddLocalLog("sent by a worker", TRUE, TRUE);
    sent = true;
  });
  EXPECT_TRUE(gui::PumpUntil([&] { return sent.load(); }, 3000));
  sender.join();
  EXPECT_EQ(2, Rows(log));
  EXPECT_TRUE(log.IsWindowVisible());   // pop-up asked for, "Auto Popup" off
  EXPECT_TRUE(gui::SaveWindowBitmap(log.m_hWnd, gui::OutputPath("shell_local_log.bmp")));
  // Close hides the window; its rows stay.
  gui::Click(log.m_hWnd, IDC_LOG_CLOSE);
  EXPECT_FALSE(log.IsWindowVisible());
  EXPECT_EQ(2, Rows(log));
  // Ticking "Auto Popup" opens it on any line.
  gui::Click(log.m_hWnd, IDC_LOG_AUTO_POPUP);
  EXPECT_TRUE(log.GetAutoPopup());
  AddLocalLog("any line", FALSE, TRUE);
  EXPECT_TRUE(log.IsWindowVisible());
}

TEST_F(Logs, WithoutALogWindowLinesAreDroppedSafely) {
  {
    CLocalLogDlg log;
    ASSERT_TRUE(log.Create(CLocalLogDlg::IDD));
    log.DestroyWindow();
    EXPECT_FALSE(AddLocalLog("after the window", FALSE, FALSE));
    EXPECT_FALSE(AddLocalLog("after the window", FALSE, TRUE));
  }
  EXPECT_EQ(nullptr, g_pLocalLogDlg);
  std::thread t([] { EXPECT_FALSE(AddLocalLog("no window at all", TRUE, FALSE)); });
  t.join();
}

TEST_F(Logs, SavedBytesAreTheRows) {
  CLocalLogDlg log;
  ASSERT_TRUE(log.Create(CLocalLogDlg::IDD));
  EXPECT_TRUE(log.SaveToFile(dir / "empty"));
  EXPECT_TRUE(ScratchDir::Read(dir / "empty.log").empty());
  std::string longLine(60000, 'x');
  longLine[0] = 'L';
  const char* lines[] = {"first", longLine.c_str(), "third\twith a tab"};
  for (const char* l : lines) AddLocalLog(l, FALSE, TRUE);
  std::string expected;
  for (int r = 0; r < 3; ++r) expected += std::string(log.GetCell(r, 0)) + "\t" + lines[r] + "\r\n";
  ASSERT_TRUE(log.SaveToFile(dir / "today"));
  auto got = ScratchDir::Read(dir / "today.log");
  EXPECT_EQ(expected, std::string(got.begin(), got.end()));
  ASSERT_TRUE(log.SaveToFile(dir / "today.txt"));
  EXPECT_EQ(expected.size(), ScratchDir::Read(dir / "today.txt").size());
  EXPECT_FALSE(::GetFileAttributesA(dir / "today.txt.log") != INVALID_FILE_ATTRIBUTES);
  // Saving again replaces the file.
  AddLocalLog("fourth", FALSE, TRUE);
  ASSERT_TRUE(log.SaveToFile(dir / "today"));
  EXPECT_GT(ScratchDir::Read(dir / "today.log").size(), expected.size());
  EXPECT_FALSE(log.SaveToFile(dir / "no-such-folder\\x"));
}

TEST_F(Logs, ClearAllAsksFirst) {
  CLocalLogDlg log;
  ASSERT_TRUE(log.Create(CLocalLogDlg::IDD));
  AddLocalLog("a", FALSE, TRUE);
  AddLocalLog("b", FALSE, TRUE);
  gui::MessageBoxScript boxes({IDNO, IDYES});
  gui::Click(log.m_hWnd, IDC_LOG_CLEAR);
  EXPECT_EQ(2, Rows(log));
  gui::Click(log.m_hWnd, IDC_LOG_CLEAR);
  EXPECT_EQ(0, Rows(log));
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Are you sure you want to clear all log info?", boxes.Boxes()[0].text);
  EXPECT_EQ("WARNING", boxes.Boxes()[0].caption);
  EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), boxes.Boxes()[0].type);
}

TEST_F(Logs, DiskErrorsKeepAThousandRowsAndPopUp) {
  CDiskErrorDlg disk;
  ASSERT_TRUE(disk.Create(CDiskErrorDlg::IDD));
  EXPECT_TRUE(disk.GetAutoPopup());
  EXPECT_TRUE(disk.GetAutoScroll());
  EXPECT_FALSE(disk.IsWindowVisible());
  disk.AddError(0, "D:", "D:\\rec\\a.264", "Write file failed");
  EXPECT_TRUE(disk.IsWindowVisible());
  EXPECT_EQ("1", std::string(disk.GetCell(0, 1)));
  EXPECT_EQ("D:", std::string(disk.GetCell(0, 2)));
  EXPECT_EQ("D:\\rec\\a.264", std::string(disk.GetCell(0, 3)));
  EXPECT_EQ("Write file failed", std::string(disk.GetCell(0, 4)));
  for (int i = 1; i <= CDiskErrorDlg::kMaxRows; ++i) disk.AddError(i, "E:", "f", "e");
  EXPECT_EQ(CDiskErrorDlg::kMaxRows, Rows(disk));
  EXPECT_EQ("2", std::string(disk.GetCell(0, 1)));
  EXPECT_TRUE(gui::SaveWindowBitmap(disk.m_hWnd, gui::OutputPath("shell_disk_error.bmp")));
  // The record writer's thread adds through the window's queue.
  std::thread writer([&] { disk.AddErrorLine(63, "F:", "g", "from the writer"); });
  writer.join();
  ASSERT_TRUE(gui::PumpUntil([&] { return disk.GetCell(Rows(disk) - 1, 4) == "from the writer"; }, 3000));
  EXPECT_EQ("64", std::string(disk.GetCell(Rows(disk) - 1, 1)));
  EXPECT_EQ(CDiskErrorDlg::kMaxRows, Rows(disk));
  gui::MessageBoxScript boxes({IDYES});
  gui::Click(disk.m_hWnd, IDC_LOG_CLEAR);
  EXPECT_EQ("Are you sure you want to clear all disk error info?", boxes.Boxes().at(0).text);
  EXPECT_EQ(0, Rows(disk));
}

TEST_F(Logs, RemoteListsHaveTheirServerCombo) {
  CRemoteLogDlg remote;
  ASSERT_TRUE(remote.Create(CRemoteLogDlg::IDD));
  EXPECT_FALSE(remote.GetAutoPopup());
  EXPECT_EQ(-1, remote.GetSelectedServer());
  HWND combo = gui::Control(remote.m_hWnd, IDC_LOG_SERVER_LIST);
  int item = int(::SendMessageA(combo, CB_ADDSTRING, 0, LPARAM("dvr")));
  ::SendMessageA(combo, CB_SETITEMDATA, WPARAM(item), 7);
  ::SendMessageA(combo, CB_SETCURSEL, WPARAM(item), 0);
  EXPECT_EQ(7, remote.GetSelectedServer());
  CRemoteDiskErrorDlg remoteDisk;
  ASSERT_TRUE(remoteDisk.Create(CRemoteDiskErrorDlg::IDD));
  EXPECT_FALSE(remoteDisk.GetAutoPopup());
  EXPECT_FALSE(remoteDisk.GetAutoScroll());
  EXPECT_EQ("Remote Disk Error Info", gui::Text(remoteDisk.m_hWnd));
}

// -------------------------------------------------- posted boxes and codes
class BoxReceiver : public CDialog {
public:
  BoxReceiver() : CDialog(IDD_CONNECTION_INFO) {}
protected:
  afx_msg LRESULT OnBox(WPARAM, LPARAM l) { return ShowPostedMessageBox(this, l); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(BoxReceiver, CDialog)
  ON_MESSAGE(WM_POST_MESSAGE_BOX, OnBox)
END_MESSAGE_MAP()

TEST(Services, BoxesPostedFromWorkersAreShownOnTheUiThread) {
  gui::InitControls();
  SetMessageBoxWindow(nullptr);
  std::thread nobody([] { EXPECT_FALSE(PostMessageBox("lost", nullptr, MB_OK)); });
  nobody.join();
  BoxReceiver receiver;
  ASSERT_TRUE(receiver.Create(IDD_CONNECTION_INFO));
  SetMessageBoxWindow(receiver.m_hWnd);
  gui::MessageBoxScript boxes;
  std::thread worker([] {
    EXPECT_TRUE(PostMessageBox("Disk is full!", nullptr, MB_OK | MB_ICONERROR));
    EXPECT_TRUE(PostMessageBox("Stopped", "ERROR", MB_OK));
  });
  worker.join();
  EXPECT_EQ(0u, boxes.Count());   // nothing shown on the worker
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 2; }, 3000));
  auto b = boxes.Boxes();
  EXPECT_EQ("Disk is full!", b[0].text);
  EXPECT_EQ("Dravenor", b[0].caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), b[0].type);
  EXPECT_EQ("ERROR", b[1].caption);
  receiver.DestroyWindow();
  EXPECT_FALSE(PostMessageBox("window gone", nullptr, MB_OK));
  SetMessageBoxWindow(nullptr);
}

TEST(Services, DeviceResultTexts) {
  struct Case {
    int code;
    const char* text;
  } cases[] = {{0, "No error."},         {-1, "Unknown error."},        {-5, "No power."},
               {-13, "Excluded by another user."}, {-1006, "Channel is not open."}, {-14, "Error Code -14"},
               {-22, "User already login"}, {7, "Error Code 7"}, {-23, "Error Code -23"}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, std::string(GetErrorText(c.code))) << c.code;
    CString out;
    EXPECT_EQ(c.text, std::string(GetErrorText(out, c.code)));
  }
  int known = 0;
  for (int code = -1100; code <= 10; ++code) known += DeviceErrorEnglish(code) ? 1 : 0;
  EXPECT_EQ(23, known);
}

}  // namespace
