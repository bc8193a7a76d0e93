// The remote record search against a simulated device on the device network
// (scripts/devnet): the "Record Playback" window sends its search request
// out of port 8001 and lists what devsim answers from its scripted record
// times; a short reply lists nothing.
#include <gtest/gtest.h>

#include "devnet_kit.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "RecordPlaybackDlg.h"
#include "app_state.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "playback_gui.h"
#include "helpers.h"
#include "language.h"
#include "post_copy.h"
#include "udp_channel.h"

namespace {

// A main dialog whose UDP commands go out through a real channel; its
// owner window hands the replies to the registered receivers.
class NetMainDlg : public FakeMainDlg {
public:
    CUdpCommandChannel channel;
    int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) override {
        FakeMainDlg::SendUdpCommand(data, length, address, port);
        return channel.SendUdpCommand(data, length, address, port);
    }
};
NetMainDlg* g_main = nullptr;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_UDP_PACKET) {
        if (g_main)
            CUdpCommandChannel::HandlePosted(l, g_main->m_udpReceivers);
        else
            CUdpCommandChannel::HandlePosted(l);
        return 0;
    }
    return DefWindowProcA(h, msg, w, l);
}

time_t Today(int hour, int minute) {
    time_t now = time(nullptr);
    tm t = *localtime(&now);
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = 0;
    t.tm_isdst = -1;
    return mktime(&t);
}

std::string Text(time_t t) {
    const tm* p = localtime(&t);
    char s[64];
    std::snprintf(s, sizeof s, "%d-%d-%d %d:%02d:%02d", p->tm_year + 1900, p->tm_mon + 1, p->tm_mday, p->tm_hour,
                  p->tm_min, p->tm_sec);
    return s;
}

}  // namespace

TEST(RecordSearchDevnet, RepliesOfTheDeviceBecomeRows) {
    devnet::Network net;
    if (!net.available) GTEST_SKIP() << "no device network: " << net.reason;
    const std::string dev = net.devices[0];
    ASSERT_EQ(devnet::Control(dev, "fault " + dev + " none"), "ok");
    ASSERT_EQ(devnet::Control(dev, "clear"), "ok");
    ASSERT_EQ(devnet::Control(dev, "records-clear " + dev), "ok");   // none left from an earlier run
    const time_t a0 = Today(8, 35), a1 = Today(8, 40), b0 = Today(8, 50), b1 = Today(8, 55);
    auto records = [&](int kind, time_t from, time_t to) {
        return devnet::Control(dev, "records " + dev + " " + std::to_string(kind) + " 0 " +
                                        std::to_string(long(from)) + " " + std::to_string(long(to)));
    };
    ASSERT_EQ(records(1, a0, a1), "ok");
    ASSERT_EQ(records(1, b0, b1), "ok");
    ASSERT_EQ(records(1, Today(6, 0), Today(6, 10)), "ok");   // before 08:30
    ASSERT_EQ(records(2, a0, a1), "ok");                      // alarm: not asked for

    playgui::UseDefaultSolution();
    gui::InitControls();
    NetMainDlg main;
    g_main = &main;
    shell::DeviceRecord& d = main.m_pConfig->devices[0];
    d.inUse = 1;
    std::strncpy(d.address, dev.c_str(), sizeof d.address - 1);
    std::strncpy(d.serverName, "Sim", sizeof d.serverName - 1);
    d.channelCount = 1;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecordSearchNetOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    CUdpCommandChannel::Options o;
    o.startDelayMs = 0;
    ASSERT_TRUE(main.channel.Start(owner, o));
    ASSERT_TRUE(gui::PumpUntil([&] { return main.channel.IsBound() != FALSE; }, 8000));

    {
        CRecordPlaybackDlg dlg;
        ASSERT_TRUE(dlg.ShowPlayback(nullptr));
        HWND source = dlg.m_source.m_hWnd, page = dlg.m_search.m_hWnd;
        ::CheckRadioButton(source, IDC_SOURCE_LOCAL, IDC_SOURCE_REMOTE, IDC_SOURCE_REMOTE);
        gui::Command(source, IDC_SOURCE_REMOTE, BN_CLICKED);
        dlg.m_source.Tree().SelectItem(dlg.m_source.Tree().GetRootItem());
        SYSTEMTIME b{}, e{};
        ::GetLocalTime(&b);
        e = b;
        b.wHour = 5;
        b.wMinute = 30;
        b.wSecond = 0;
        e.wHour = 9;
        e.wMinute = e.wSecond = 0;
        for (int id : {IDC_SEARCH_BEGIN_DATE, IDC_SEARCH_BEGIN_TIME})
            ::SendMessageA(::GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&b));
        for (int id : {IDC_SEARCH_END_DATE, IDC_SEARCH_END_TIME})
            ::SendMessageA(::GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&e));

        gui::Command(page, IDC_SEARCH_RECORD, BN_CLICKED);
        CListCtrl& list = dlg.m_search.List();
        ASSERT_TRUE(gui::PumpUntil([&] { return list.GetItemCount() >= 2; }, 5000));
        gui::PumpFor(300);
        ASSERT_EQ(list.GetItemCount(), 2);
        EXPECT_EQ(std::string(list.GetItemText(0, 0).GetString()), dev);
        EXPECT_EQ(std::string(list.GetItemText(0, 1).GetString()), "1");
        EXPECT_EQ(std::string(list.GetItemText(0, 2).GetString()), Text(a0));
        EXPECT_EQ(std::string(list.GetItemText(0, 3).GetString()), Text(a1));
        EXPECT_EQ(std::string(list.GetItemText(1, 2).GetString()), Text(b0));
        EXPECT_EQ(std::string(list.GetItemText(1, 4).GetString()), "0:05:00");
        EXPECT_EQ(std::string(list.GetItemText(1, 6).GetString()), "Normal Record");
        ASSERT_EQ(main.Sent().size(), 1u);
        uint32_t begin = 0;
        std::memcpy(&begin, &main.Sent()[0].bytes[20], 4);
        EXPECT_EQ(time_t(begin), Today(8, 30)) << "05:30 goes out as 08:30";

        // A reply cut short after its first entry's channel bytes lists nothing.
        ASSERT_EQ(devnet::Control(dev, "fault " + dev + " short"), "ok");
        gui::Command(page, IDC_SEARCH_RECORD, BN_CLICKED);
        gui::PumpFor(1500);
        EXPECT_EQ(list.GetItemCount(), 0);
        ASSERT_EQ(devnet::Control(dev, "fault " + dev + " none"), "ok");
        dlg.DestroyWindow();
    }
    EXPECT_TRUE(main.channel.Stop(2000));
    gui::PumpFor(50);
    g_main = nullptr;
    DestroyWindow(owner);
}
