// The settings dialog's test fixture: a main dialog's face sending through
// a real UDP command channel to devsim's devices on the device network
// (scripts/devnet), two devices with their channel blocks, and the window
// that owns the channel and the posted boxes.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FrontEndSettingsDlg.h"
#include "app_services.h"
#include "channel_blocks.h"
#include "devnet_kit.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "post_copy.h"
#include "text_copy.h"
#include "udp_channel.h"

using Bytes = std::vector<uint8_t>;

// The main dialog's face sending through a real UDP command channel.
class NetMainDlg : public FakeMainDlg {
public:
  CUdpCommandChannel* channel = nullptr;
  int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) override {
    FakeMainDlg::SendUdpCommand(data, length, address, port);
    return channel ? channel->SendUdpCommand(data, length, address, port) : -1;
  }
};

inline NetMainDlg* g_main = nullptr;
inline std::vector<std::string> g_postedBoxes;

// The owner of the UDP channel and of posted boxes, as the main window is.
inline LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_UDP_PACKET) {
    if (g_main) {
      CUdpCommandChannel::HandlePosted(l, g_main->m_udpReceivers);
    } else {
      CUdpCommandChannel::HandlePosted(l);
    }
    return 0;
  }
  if (msg == WM_POST_MESSAGE_BOX) {
    g_postedBoxes.push_back(std::string(TakePostedCopy<PostedMessageBox>(l)->text));
    return 0;
  }
  if (msg == WM_MAIN_DEVICE_MESSAGE) return RouteDeviceMessage(w, l);
  return DefWindowProcA(h, msg, w, l);
}

inline void SetIp(HWND page, int id, uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  SendDlgItemMessageA(page, id, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
}

inline HTREEITEM FindTreeItem(HWND tree, HTREEITEM from, int data) {
  for (HTREEITEM h = from; h; h = TreeView_GetNextSibling(tree, h)) {
    TVITEMA it{};
    it.mask = TVIF_PARAM;
    it.hItem = h;
    SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&it));
    if (int(it.lParam) == data) return h;
    if (HTREEITEM c = FindTreeItem(tree, TreeView_GetChild(tree, h), data)) return c;
  }
  return nullptr;
}

class FrontEndSettings : public ::testing::Test {
protected:
  devnet::Network net;
  std::string dev0, dev1;
  HWND owner = nullptr;
  NetMainDlg main;
  std::unique_ptr<CUdpCommandChannel> channel;
  std::unique_ptr<CFrontEndSettingsDlg> dlg;
  // The devices' channel blocks (the shell's, one after the other).
  uint8_t *blocksA = nullptr, *blocksB = nullptr, *blocksC = nullptr;
  HWND hwnd = nullptr;
  // Header byte 3 of the devices' configuration replies: 0 as a device may
  // leave it, or (true) the channel the get asked for.
  bool echoChannel = false;

  void SetUp() override {
    if (!net.available) GTEST_SKIP() << "no device network: " << net.reason;
    ASSERT_GE(net.devices.size(), 2u) << "the fault of another sender needs two devices";
    dev0 = net.devices[0];
    dev1 = net.devices[1];
    for (const std::string& d : net.devices) {
      ASSERT_EQ(devnet::Control(d, "fault " + d + " none"), "ok");
      ASSERT_EQ(devnet::Control(d, "reply-channel " + d + (echoChannel ? " echo" : " zero")), "ok");
    }
    gui::InitControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SettingsTestOwner";
    RegisterClassA(&wc);
    owner = CreateWindowA("SettingsTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    SetMessageBoxWindow(owner);
    g_postedBoxes.clear();
    channel = std::make_unique<CUdpCommandChannel>();
    CUdpCommandChannel::Options t;
    t.startDelayMs = 0;
    t.bindDelayMs = 0;
    t.port = 0;  // devsim answers the port a request came from
    ASSERT_TRUE(channel->Start(owner, t));
    ASSERT_TRUE(gui::PumpUntil([&] { return channel->IsBound() != FALSE; }, 8000));
    main.channel = channel.get();
    main.m_hwnd = owner;
    g_main = &main;

    AddDevice(0, dev0, "Cam A", 11, 4, blocksA, {"Gate", "Yard", "Hall", "Dock"});
    AddDevice(1, dev1, "Cam B", 12, 2, blocksB, {"Lobby", "Stairs"});
    // Channels 0 and 1 of Cam A are shown live; channel 2 is not.
    main.m_channels.Assign(&main.m_pConfig->devices[0], 0);
    main.m_channels.Assign(&main.m_pConfig->devices[0], 1);
    main.m_channels.CountUsed();
  }

  void TearDown() override {
    if (dlg && dlg->GetSafeHwnd()) dlg->DestroyWindow();
    dlg.reset();
    g_main = nullptr;
    if (channel) {
      EXPECT_TRUE(channel->Stop(2000));
    }
    channel.reset();
    gui::PumpFor(50);
    SetMessageBoxWindow(nullptr);
    if (owner) DestroyWindow(owner);
    if (echoChannel)
      for (const std::string& d : net.devices) devnet::Control(d, "reply-channel " + d + " zero");
  }

  void AddDevice(int index, const std::string& address, const char* name, uint32_t login, int channels, uint8_t*& blocks,
                 std::vector<const char*> names) {
    shell::DeviceRecord& d = main.m_pConfig->devices[index];
    d.inUse = 1;
    CopyText(d.address, address.c_str());
    CopyText(d.serverName, name);
    d.loginId = login;
    d.channelCount = uint8_t(channels);
    d.info[0] = uint8_t(index);  // device type index
    shell::EnsureChannelBlocks(d);
    blocks = reinterpret_cast<uint8_t*>(shell::ChannelBlock(d, 0));
    for (size_t i = 0; i < names.size(); ++i) std::strcpy(shell::ChannelBlock(d, int(i)), names[i]);
  }

  // Opens the dialog modeless on this thread and waits for the stream reply.
  void Open(bool waitForStream = true) {
    dlg = std::make_unique<CFrontEndSettingsDlg>();
    ASSERT_TRUE(dlg->Create(CFrontEndSettingsDlg::IDD, nullptr));
    hwnd = dlg->GetSafeHwnd();
    dlg->ShowWindow(SW_SHOW);
    if (waitForStream) {
      ASSERT_TRUE(gui::PumpUntil([&] { return dlg->StreamPage().HasBlock(); }, 8000));
    }
  }

  HWND Page(CConfigPage& p) { return p.GetSafeHwnd(); }
  void ChoosePage(int index) {
    HWND tree = gui::Control(hwnd, IDC_FES_TREE);
    HTREEITEM item = FindTreeItem(tree, TreeView_GetRoot(tree), index);
    ASSERT_TRUE(item) << index;
    gui::SelectTreeItem(hwnd, IDC_FES_TREE, item);
  }
  Bytes DeviceBlock(const std::string& dev, const char* which, int ch = 0) {
    Bytes b = devnet::Block(dev, which, ch);
    EXPECT_FALSE(b.empty()) << "devsim holds no " << which << " block";
    return b;
  }
  size_t SentCount() { return main.Sent().size(); }
  // Waits until devsim holds a block other than before.
  Bytes WaitForChange(const std::string& dev, const char* which, const Bytes& before, int ch = 0) {
    Bytes now = before;
    gui::PumpUntil([&] { now = DeviceBlock(dev, which, ch); return now != before; }, 5000);
    return now;
  }
};

