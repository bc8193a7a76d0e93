// The statistic report under Xvfb: rates per logical channel, the names of
// bound channels, counters shared with other threads.
#include <gtest/gtest.h>

#include "channel_blocks.h"
#include "config_image.h"
#include "gui_kit.h"
#include "statistic_dlg.h"
#include "text_copy.h"

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using shell::DeviceRecord;

// Three logical channels: a logged-in device's channel 1, an offline
// device's channel 3 and a channel beyond the logged-in device's blocks.
class FakeChannels : public IStatisticSource {
public:
  FakeChannels() {
    memset(&online, 0, sizeof online);
    memset(&offline, 0, sizeof offline);
    CopyText(online.serverName, "north-gate");
    online.state = 4;
    online.channelCount = 2;
    shell::EnsureChannelBlocks(online);
    strcpy(shell::ChannelBlock(online, 1), "Gate-02");
    CopyText(offline.serverName, "yard");
  }
  int GetLogicalChannelCount() override { return count; }
  const DeviceRecord* GetSlotDevice(int slot, uint32_t* channel) override {
    static const struct {
      int device;
      uint32_t channel;
    } map[] = {{0, 1}, {1, 3}, {0, 5}};
    if (slot < 0 || slot >= 3) return nullptr;
    *channel = map[slot].channel;
    return map[slot].device == 0 ? &online : &offline;
  }
  CString GetRecordFilePath(int slot) override { return slot == 0 ? "D:\\rec\\gate.264" : ""; }

  int count = 3;
  DeviceRecord online, offline;
};

TEST(Statistic, RateAndNames) {
  EXPECT_EQ(1000u, StatisticRateKbps(128000));
  EXPECT_EQ(0u, StatisticRateKbps(127));
  EXPECT_EQ(33554431u, StatisticRateKbps(0xFFFFFFFFu));   // no overflow
  FakeChannels f;
  EXPECT_EQ("Channel-1", std::string(StatisticChannelName(nullptr, 0)));
  EXPECT_EQ("Gate-02", std::string(StatisticChannelName(&f.online, 1)));
  EXPECT_EQ("Channel-3", std::string(StatisticChannelName(&f.online, 2)));   // beyond its blocks
  f.online.channelBlocks = 0;
  EXPECT_EQ("Channel-2", std::string(StatisticChannelName(&f.online, 1)));
  EXPECT_EQ("Channel-4", std::string(StatisticChannelName(&f.offline, 3)));
}

TEST(Statistic, ShowsTheRateOfTheLastSecondAndClearsWhileHidden) {
  gui::InitControls();
  FakeChannels source;
  CStatisticReportDlg dlg;
  dlg.SetSource(&source);
  ASSERT_TRUE(dlg.Create(CStatisticReportDlg::IDD));
  HWND list = gui::Control(dlg.m_hWnd, IDC_STAT_LIST);
  auto cell = [&](int row, int col) {
    char buf[256] = {};
    LVITEMA it{};
    it.iSubItem = col;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    ::SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&it));
    return std::string(buf);
  };
  ASSERT_EQ(3, int(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
  EXPECT_EQ("01", cell(0, 0));
  EXPECT_EQ("north-gate", cell(0, 1));
  EXPECT_EQ("Gate-02", cell(0, 2));
  EXPECT_EQ("yard", cell(1, 1));
  EXPECT_EQ("Channel-4", cell(1, 2));
  EXPECT_EQ("Channel-6", cell(2, 2));

  // Hidden: every tick clears the counters.
  dlg.AddChannelBytes(0, 5000);
  dlg.AddRecordBytes(0, 7000);
  dlg.UpdateRates();
  EXPECT_EQ(0u, dlg.GetChannelBytes(0));
  EXPECT_EQ(0u, dlg.GetRecordBytes(0));

  dlg.ShowWindow(SW_SHOW);
  dlg.AddChannelBytes(0, 100000);
  dlg.AddChannelBytes(0, 28000);
  dlg.AddChannelBytes(1, 1024);
  dlg.AddChannelBytes(64, 1);   // no such slot
  dlg.AddChannelBytes(-1, 1);
  dlg.UpdateRates();
  EXPECT_EQ("1000", cell(0, 3));
  EXPECT_EQ("8", cell(1, 3));
  EXPECT_EQ("0", cell(2, 3));
  EXPECT_EQ("D:\\rec\\gate.264", cell(0, 4));
  EXPECT_EQ("", cell(1, 4));
  EXPECT_EQ(0u, dlg.GetChannelBytes(0));
  EXPECT_TRUE(gui::SaveWindowBitmap(dlg.m_hWnd, gui::OutputPath("shell_statistic.bmp")));

  // The timer does the same once a second.
  dlg.AddChannelBytes(2, 256000);
  EXPECT_TRUE(gui::PumpUntil([&] { return cell(2, 3) == "2000"; }, 3000));

  // Rows that no longer match the channels are left alone until refreshed.
  source.count = 2;
  dlg.AddChannelBytes(0, 1024);
  dlg.UpdateRates();
  EXPECT_EQ(1024u, dlg.GetChannelBytes(0));
  dlg.RefreshList();
  EXPECT_EQ(2, int(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
  dlg.UpdateRates();
  EXPECT_EQ("8", cell(0, 3));
}

TEST(Statistic, CountersTakeBytesFromManyThreads) {
  CStatisticReportDlg dlg;   // no window: counting alone
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        dlg.AddChannelBytes(5, 3);
        dlg.AddRecordBytes(5, 1);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(240000u, dlg.GetChannelBytes(5));
  EXPECT_EQ(80000u, dlg.GetRecordBytes(5));
}

TEST(ConnectionInfo, HasItsColumnsOnly) {
  gui::InitControls();
  CConnectionInfoDlg dlg;
  ASSERT_TRUE(dlg.Create(CConnectionInfoDlg::IDD));
  EXPECT_EQ("Remote Connection Info", gui::Text(dlg.m_hWnd));
  HWND header = reinterpret_cast<HWND>(::SendMessageA(gui::Control(dlg.m_hWnd, IDC_CONNECTION_LIST), LVM_GETHEADER, 0, 0));
  EXPECT_EQ(4, int(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)));
  EXPECT_EQ(0, int(::SendMessageA(gui::Control(dlg.m_hWnd, IDC_CONNECTION_LIST), LVM_GETITEMCOUNT, 0, 0)));
}

}  // namespace
