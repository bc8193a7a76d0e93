// A flood of datagrams on the UDP command channel's port 8001, from a device
// of the device network (scripts/devnet) at the client's address: the
// channel's receive thread and bounded queue, the alarm view and the main
// dialog's face as the receivers, and a button clicked with the real
// pointer all along. For each flood length (seconds, 10 and 60 by default)
// it reports the datagrams devsim offered, those taken off the socket, kept
// and dropped by the queue, the slowest click-to-action time during the
// flood, the longest slice of the UI thread's work, and the process's
// memory before, during (the most) and after.
//   scripts/devnet up /tmp/devnet build/win32/devsim-host/devsim 2
//   SELVANE_WINE_STATE=/tmp/devnet/wine SELVANE_DEVNET_STATE=/tmp/devnet \
//     scripts/wine-run build/win32/bin/udp_flood_bench.exe 10 60
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "alarm_upload_dlg.h"
#include "channel_blocks.h"
#include "devnet_kit.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "live_fixture.h"
#include "udp_channel.h"

namespace {

FakeMainDlg* g_main = nullptr;
long g_clicks = 0;
constexpr int kButtonId = 100;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_UDP_PACKET) {
    if (g_main) CUdpCommandChannel::HandlePosted(l, g_main->m_udpReceivers);
    else CUdpCommandChannel::HandlePosted(l);
    return 0;
  }
  if (msg == WM_COMMAND && LOWORD(w) == kButtonId && HIWORD(w) == BN_CLICKED) {
    ++g_clicks;
    return 0;
  }
  return ::DefWindowProcA(h, msg, w, l);
}

// Dispatches messages one at a time until cond() holds or ms pass: under a
// flood the queue is never empty, so the time is looked at after each one.
bool PumpUntil(const std::function<bool()>& cond, DWORD ms) {
  const DWORD t0 = ::GetTickCount();
  while (!cond()) {
    if (::GetTickCount() - t0 >= ms) return false;
    MSG m;
    if (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&m);
      ::DispatchMessageA(&m);
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
  return true;
}
void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

double UsedMb() {
  MEMORYSTATUSEX s{};
  s.dwLength = sizeof s;
  ::GlobalMemoryStatusEx(&s);
  return (s.ullTotalVirtual - s.ullAvailVirtual) / 1048576.0;
}
double WorkingMb() {
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &m, sizeof m);
  return m.WorkingSetSize / 1048576.0;
}

// A real click on the button; milliseconds until its handler ran.
DWORD ClickToAction(HWND button) {
  RECT r;
  ::GetWindowRect(button, &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  const long before = g_clicks;
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  const DWORD t0 = ::GetTickCount();
  ::SendInput(2, in, sizeof(INPUT));
  PumpUntil([&] { return g_clicks != before; }, 10000);
  return ::GetTickCount() - t0;
}

std::string Control(const std::string& dev, const std::string& command) { return devnet::Control(dev, command); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> lengths;
  for (int i = 1; i < argc; ++i) lengths.push_back(std::max(1, std::min(600, std::atoi(argv[i]))));
  if (lengths.empty()) lengths = {10, 60};
  devnet::Network net;
  if (!net.available) {
    std::fprintf(stderr, "no device network: %s\n", net.reason.c_str());
    return 2;
  }
  const std::string dev = net.devices[0];
  gui::InitControls();
  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "UdpFloodBenchOwner";
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
  ::RegisterClassA(&wc);
  HWND owner = ::CreateWindowA(wc.lpszClassName, "UDP flood", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 160,
                               nullptr, nullptr, wc.hInstance, nullptr);
  HWND button = ::CreateWindowA("BUTTON", "Click", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 90, 40, 100, 40, owner,
                                HMENU(kButtonId), wc.hInstance, nullptr);
  ::SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  // The playing channel's device in the table and in a channel slot, and
  // the alarm view, as the main dialog has them.
  FakeMainDlg main;
  g_main = &main;
  shell::DeviceRecord& d = main.m_pConfig->devices[0];
  live_test::UseRecord(d, dev.c_str(), 4);
  lstrcpyA(d.serverName, "server");
  d.loginId = 7;
  d.channelCount = 1;
  shell::NameChannels(d, "Channel");
  main.m_channels.Assign(&d, 0);
  CAlarmUploadDlg view;
  view.Create(CAlarmUploadDlg::IDD, nullptr);

  CUdpCommandChannel channel;
  CUdpCommandChannel::Options fast;
  fast.startDelayMs = 0;
  fast.bindDelayMs = 0;
  channel.Start(owner, fast);
  if (!PumpUntil([&] { return channel.IsBound() != FALSE; }, 30000)) {
    std::fprintf(stderr, "port 8001 is held\n");
    return 1;
  }
  PumpFor(500);
  std::printf("seconds  offered  taken  kept  dropped  slowest-click-ms  clicks  longest-slice-ms  "
              "used-MiB before/during/after  working-MiB before/during/after  rows\n");
  for (int seconds : lengths) {
    const auto c0 = channel.QueueCounts();
    const LONG taken0 = channel.ReceivedCount();
    const double used0 = UsedMb(), working0 = WorkingMb();
    double usedMax = used0, workingMax = working0;
    if (Control(dev, "flood " + dev + " " + net.client + " " + std::to_string(seconds) + " 0") != "ok") {
      std::fprintf(stderr, "devsim refused the flood\n");
      return 1;
    }
    const DWORD start = ::GetTickCount();
    DWORD slowest = 0;
    int clicks = 0;
    // The flood ends by itself; its control connection may be slow while it
    // runs, so the clock tells when it is over.
    while (::GetTickCount() - start < DWORD(seconds) * 1000) {
      slowest = std::max(slowest, ClickToAction(button));
      ++clicks;
      usedMax = std::max(usedMax, UsedMb());
      workingMax = std::max(workingMax, WorkingMb());
      PumpFor(200);
    }
    std::string status;
    for (int i = 0; i < 30 && (status = Control(dev, "flood-status " + dev)).rfind("done", 0) != 0; ++i)
      PumpFor(500);
    PumpFor(3000);
    const auto c1 = channel.QueueCounts();
    unsigned long long offered = 0;
    std::sscanf(status.c_str(), "%*s sent %llu", &offered);
    std::printf("%7d  %7llu  %5ld  %4llu  %7llu  %16lu  %6d  %16.1f  %.1f/%.1f/%.1f  %.1f/%.1f/%.1f  %d\n", seconds,
                offered, long(channel.ReceivedCount() - taken0), (unsigned long long)(c1.kept - c0.kept),
                (unsigned long long)(c1.dropped - c0.dropped), (unsigned long)slowest, clicks,
                channel.Pump().LongestSliceMs(), used0, usedMax, UsedMb(), working0, workingMax, WorkingMb(),
                gui::ListCount(view.m_hWnd, IDC_AU_LIST));
    std::fflush(stdout);
  }
  channel.Stop();
  g_main = nullptr;
  view.DestroyWindow();
  ::DestroyWindow(owner);
  return 0;
}
