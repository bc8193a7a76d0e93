// "Setup Monitoring Channel List" run modally under Xvfb on a configuration
// image of its own: channels out of the server tree, automatic grouping on
// OK, the groups count, Manual configuration in the settings file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "channel_list_dlg.h"
#include "gui_kit.h"
#include "language.h"
#include "load_config_dlg.h"
#include "shell_fixture.h"

namespace {

shell::SystemConfigImage* g_image = nullptr;
CString g_ini;

class TestListDlg : public CMonitorChannelListDlg {
public:
  TestListDlg() : CMonitorChannelListDlg(g_image, g_ini) {}
  // Runs fn on the dialog's thread.
  void Run(const std::function<void()>& fn) {
    ::SendMessageA(m_hWnd, WM_APP + 0x77, 0, reinterpret_cast<LPARAM>(&fn));
  }
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_APP + 0x77) {
      (*reinterpret_cast<const std::function<void()>*>(l))();
      return 0;
    }
    return CMonitorChannelListDlg::WindowProc(msg, w, l);
  }
};

class ChannelList : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    image = std::make_unique<shell::SystemConfigImage>();
    shell::ResetSysConfig(*image);
    const char* names[3] = {"Gate", "Yard", "Shed"};
    for (int d = 0; d < 3; ++d) {
      shell::DeviceRecord& dev = image->devices[d];
      dev.inUse = 1;
      lstrcpynA(dev.address, ("169.254.2." + std::to_string(d + 1)).c_str(), sizeof dev.address);
      lstrcpynA(dev.serverName, names[d], sizeof dev.serverName);
      dev.state = d == 2 ? 0 : 4;  // Shed is offline
      dev.loginId = uint32_t(d + 1);
      dev.channelCount = 4;
    }
    g_image = image.get();
    g_ini = dir / "Corvel.ini";
    ScratchDir::WriteText(g_ini, "[SetupSupMonSet]\r\nCheckMC=0\r\n");
  }
  std::string CheckMC() {
    char v[16] = {};
    ::GetPrivateProfileStringA("SetupSupMonSet", "CheckMC", "", v, sizeof v, g_ini);
    return v;
  }
  // The tree's channel items under device item `device` (0-based).
  static void CheckChannels(TestListDlg& d, int device, int count) {
    CTreeCtrl& t = d.ServerTree();
    HTREEITEM dev = t.GetRootItem();
    for (int i = 0; i < device && dev; ++i) dev = t.GetNextSiblingItem(dev);
    int n = 0;
    for (HTREEITEM ch = t.GetChildItem(dev); ch && n < count; ch = t.GetNextSiblingItem(ch), ++n) t.SetCheck(ch);
  }

  ScratchDir dir{"chanlist"};
  std::unique_ptr<shell::SystemConfigImage> image;
};

}  // namespace

TEST_F(ChannelList, AutomaticGroupingOnOk) {
  shell::ChannelGroups result;
  int index = -1;
  gui::ModalRunner<TestListDlg> run(
      [&](TestListDlg& d) {
        d.m_groupsCountIndex = 3;
        d.m_groups.AddChannel(&image->devices[2], 0);  // an offline device's slot
      },
      [&](TestListDlg& d) {
        result = d.m_groups;
        index = d.m_groupsCountIndex;
      });
  HWND h = run.WaitForWindow(20000);
  ASSERT_NE(nullptr, h);
  TestListDlg* d = run.Dialog();
  int treeDevices = 0;
  d->Run([&] {
    CTreeCtrl& t = d->ServerTree();
    for (HTREEITEM i = t.GetRootItem(); i; i = t.GetNextSiblingItem(i)) ++treeDevices;
    EXPECT_EQ(0, d->ChannelList().GetItemCount()) << "the offline device's slot is not listed";
    CheckChannels(*d, 0, 4);
    d->OnAddChannels();
    EXPECT_EQ(4, d->ChannelList().GetItemCount());
    // Three more stay checked in the tree: OK adds them first.
    CheckChannels(*d, 1, 3);
    CTreeCtrl& tree = d->ServerTree();
    int checked = 0, items = 0;
    for (HTREEITEM i = tree.GetRootItem(); i; i = tree.GetNextSiblingItem(i))
      for (HTREEITEM c = tree.GetChildItem(i); c; c = tree.GetNextSiblingItem(c)) { ++items; checked += tree.GetCheck(c) ? 1 : 0; }
    EXPECT_EQ(4, items);
    EXPECT_EQ(3, checked);
  });
  EXPECT_EQ(2, treeDevices);
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(h, IDC_CL_ADD_TO_GROUP)));
  gui::SaveWindowBitmap(h, gui::OutputPath("monitor_channel_list.bmp"));
  d->Run([&] {
    CTreeCtrl& tree = d->ServerTree();
    int checked = 0;
    for (HTREEITEM i = tree.GetRootItem(); i; i = tree.GetNextSiblingItem(i))
      for (HTREEITEM c = tree.GetChildItem(i); c; c = tree.GetNextSiblingItem(c)) checked += tree.GetCheck(c) ? 1 : 0;
    EXPECT_EQ(3, checked) << "the marks survive the tree's painting";
  });
  ::PostMessageA(h, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.Wait(10000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(2, index) << "7 channels: 9 groups";
  std::vector<int> listed = result.ListedSlots();
  ASSERT_EQ(7u, listed.size());
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ((std::vector<int>{listed[size_t(i)]}), result.Group(i));
    EXPECT_EQ(i, result[listed[size_t(i)]].group);
  }
  EXPECT_TRUE(result.Group(7).empty());
  EXPECT_TRUE(result.Group(8).empty());
  EXPECT_EQ(-1, result[0].group) << "the offline device's slot";
}

TEST_F(ChannelList, GroupsByHandAndTheGroupsCount) {
  gui::ModalRunner<TestListDlg> run([&](TestListDlg& d) {
    d.m_groupsCountIndex = 2;
    for (int c = 0; c < 4; ++c) d.m_groups.AddChannel(&image->devices[0], c);
    for (int c = 0; c < 4; ++c) d.m_groups.AddChannel(&image->devices[1], c);
  });
  HWND h = run.WaitForWindow(20000);
  ASSERT_NE(nullptr, h);
  TestListDlg* d = run.Dialog();
  gui::Click(h, IDC_CL_MANUAL);
  EXPECT_EQ("1", CheckMC()) << "written at once";
  EXPECT_TRUE(::IsWindowEnabled(gui::Control(h, IDC_CL_ADD_TO_GROUP)));
  d->Run([&] {
    CListCtrl& all = d->ChannelList();
    EXPECT_EQ(9, d->GroupTabs().GetItemCount());
    // Rows 1 and 2 into group 1, then rows 2 and 3 into group 6: row 2 is
    // taken already.
    all.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    all.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    d->OnAddToGroup();
    d->GroupTabs().SetCurSel(5);
    for (int r = 0; r < 8; ++r) all.SetItemState(r, r == 1 || r == 2 ? LVIS_SELECTED : 0, LVIS_SELECTED);
    d->OnAddToGroup();
    EXPECT_EQ((std::vector<int>{0, 1}), d->m_groups.Group(0));
    EXPECT_EQ((std::vector<int>{2}), d->m_groups.Group(5));
    EXPECT_EQ("06", std::string(all.GetItemText(2, 1)));
    d->FillGroupList();
    char label[16] = {};
    TCITEMA it{};
    it.mask = TCIF_TEXT;
    it.pszText = label;
    it.cchTextMax = sizeof label;
    d->GroupTabs().SendMessage(TCM_GETITEMA, 0, LPARAM(&it));
    EXPECT_STREQ("01 (2)", label);
  });
  gui::Click(h, IDC_CL_GROUPS_4);
  d->Run([&] {
    EXPECT_EQ(1, d->m_groupsCountIndex);
    EXPECT_EQ(4, d->GroupTabs().GetItemCount());
    EXPECT_TRUE(d->m_groups.Group(5).empty());
    EXPECT_EQ(-1, d->m_groups[2].group);
    EXPECT_EQ("", std::string(d->ChannelList().GetItemText(2, 1)));
    EXPECT_EQ((std::vector<int>{0, 1}), d->m_groups.Group(0));
  });
  // Cancel keeps what Manual configuration wrote.
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(run.Wait(10000));
  EXPECT_EQ(IDCANCEL, run.Result());
  EXPECT_EQ("1", CheckMC());
}

TEST_F(ChannelList, RemovingChannelsRenamesTheGroupsSlots) {
  shell::ChannelGroups result;
  gui::ModalRunner<TestListDlg> run(
      [&](TestListDlg& d) {
        d.m_groupsCountIndex = 1;
        for (int c = 0; c < 4; ++c) d.m_groups.AddChannel(&image->devices[0], c);
        d.m_groups.AddChannel(&image->devices[1], 0);
        d.m_groups.AddToGroup(0, {3, 4});
      },
      [&](TestListDlg& d) { result = d.m_groups; });
  HWND h = run.WaitForWindow(20000);
  ASSERT_NE(nullptr, h);
  ::WritePrivateProfileStringA("SetupSupMonSet", "CheckMC", "1", g_ini);
  TestListDlg* d = run.Dialog();
  d->Run([&] {
    d->m_manual = TRUE;
    CListCtrl& all = d->ChannelList();
    all.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);  // channel 3 of 5
    d->OnRemoveChannels();
    EXPECT_EQ(4, all.GetItemCount());
  });
  ::PostMessageA(h, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.Wait(10000));
  EXPECT_EQ(3, result[2].channel);
  EXPECT_EQ(&image->devices[1], result[3].device);
  EXPECT_EQ((std::vector<int>{2, 3}), result.Group(0));
}

namespace {

class TestLoader : public CLoadConfigDlg {
public:
  TestLoader() : CLoadConfigDlg(g_image) {}
};

}  // namespace

TEST_F(ChannelList, LoaderWithoutLoggedInDevicesClosesAtOnce) {
  // Gate and Yard are connected (4), Shed offline: nothing to look up.
  gui::ModalRunner<TestLoader> run;
  ASSERT_TRUE(run.Wait(10000));
  EXPECT_EQ(IDOK, run.Result());
}

TEST_F(ChannelList, LoaderResolvesLoggedInDevicesAndKeepsUnknownNames) {
  image->devices[0].state = 3;
  lstrcpynA(image->devices[0].address, "gate.invalid", sizeof image->devices[0].address);
  image->devices[0].resolvedIp = 0x0102FEA9;
  image->devices[1].state = 3;
  lstrcpynA(image->devices[1].address, "yard.example", sizeof image->devices[1].address);
  int percent = -1, resolved = -1;
  gui::ModalRunner<TestLoader> run(
      [](TestLoader& d) {
        d.m_lookup = [](const std::string& name, uint32_t* a) {
          if (name == "gate.invalid") return shell::LookUpHost(name, a);  // the real look-up fails
          *a = 0x0502FEA9;
          return true;
        };
      },
      [&](TestLoader& d) {
        percent = d.LastPercent();
        resolved = d.Resolved();
      });
  HWND h = run.WaitForWindow(10000);
  if (h) gui::SaveWindowBitmap(h, gui::OutputPath("load_config.bmp"));
  ASSERT_TRUE(run.Wait(15000));
  EXPECT_EQ(2, resolved);
  EXPECT_EQ(100, percent);
  EXPECT_EQ(3u, image->devices[0].state);
  EXPECT_EQ(0x0102FEA9u, image->devices[0].resolvedIp);
  EXPECT_EQ(2u, image->devices[1].state);
  EXPECT_EQ(0x0502FEA9u, image->devices[1].resolvedIp);
}

TEST(ResolveDevices, StopFlagEndsTheLoopWithoutWriting) {
  auto image = std::make_unique<shell::SystemConfigImage>();
  shell::ResetSysConfig(*image);
  for (int i = 0; i < 3; ++i) {
    image->devices[i].state = 3;
    lstrcpynA(image->devices[i].address, "cam", sizeof image->devices[i].address);
  }
  bool stop = false;
  std::vector<int> progress;
  shell::ResolveSeams seams;
  seams.lookup = [&](const std::string&, uint32_t* a) {
    *a = 7;
    stop = progress.size() >= 2;  // the stop arrives during the second look-up
    return true;
  };
  seams.progress = [&](int p) { progress.push_back(p); };
  seams.pause = [](int) { return true; };
  seams.stopped = [&] { return stop; };
  EXPECT_EQ(1, shell::ResolveDevices(*image, seams));
  EXPECT_EQ((std::vector<int>{0, 33}), progress);
  EXPECT_EQ(2u, image->devices[0].state);
  EXPECT_EQ(3u, image->devices[1].state) << "nothing written after the stop";
  EXPECT_EQ(0u, image->devices[1].resolvedIp);
}
