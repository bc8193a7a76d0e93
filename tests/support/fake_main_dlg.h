// A stand-in for the main dialog's face, for tests of features that use it
// without the main dialog: it owns a configuration image, records what the
// feature asked of it and answers from plain fields. While it lives it is
// g_pMainDlg.
#pragma once
#include <afxwin.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "config_image.h"
#include "main_dlg_face.h"
#include "udp_receivers.h"
#include "window_layout.h"

class FakeMainDlg : public CMainDlgFace {
public:
  struct Datagram {
    std::vector<unsigned char> bytes;
    std::string address;
  };
  struct Call {
    std::string what;   // "StreamStarted", "Restart", "StartRecord", "StopRecord", ...
    int a, b, c;
    std::string address;
  };

  FakeMainDlg() : m_image(std::make_unique<shell::SystemConfigImage>()) {
    shell::ResetSysConfig(*m_image);
    m_pConfig = m_image.get();
    m_previous = g_pMainDlg;
    g_pMainDlg = this;
  }
  ~FakeMainDlg() override { g_pMainDlg = m_previous; }

  // Answers.
  HWND m_hwnd = nullptr;
  int m_windowCount = 16;
  int m_layoutKind = 4;
  int m_currentWindow = 0;
  BOOL m_startRecordResult = TRUE;
  BOOL m_openVideoResult = TRUE;

  std::vector<Datagram> Sent() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_sent;
  }
  std::vector<Call> Calls() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_calls;
  }

  HWND GetMainHwnd() const override { return m_hwnd; }
  shell::DeviceRecord* FindDeviceByLoginId(int loginId) override {
    int i = FindDeviceIndexByLoginId(loginId);
    return i < 0 ? nullptr : &m_pConfig->devices[i];
  }
  int FindDeviceIndexByLoginId(int loginId) override {
    if (loginId <= 0) return -1;
    for (int i = 0; i < 36; ++i)
      if (m_pConfig->devices[i].loginId == uint32_t(loginId)) return i;
    return -1;
  }
  int GetWindowCount() const override { return m_windowCount; }
  int GetLayoutKind() const override { return m_layoutKind; }
  int GetWindowChannel(int window) const override { return m_windows.CurrentSlot(window); }
  int GetCurrentWindow() const override { return m_currentWindow; }
  int GetChannelState(int kind, int index) override {
    if (kind == 0) return shell::WindowListModel::IsValid(index) && m_windows[index].showsChannel ? 1 : 0;
    const shell::ChannelSlot* s = m_channels.At(index);
    if (!s) return 0;
    return kind == 1 ? int(s->recording.load()) : kind == 3 ? int(s->thirdFlag.load())
                                                 : kind == 4 ? int(s->manualAlarm.load()) : 0;
  }
  void SetChannelState(int kind, int index, BOOL on) override { Record("SetChannelState", kind, index, on); }
  void SelectMonitorWindow(int window) override {
    if (shell::WindowListModel::IsValid(window)) m_currentWindow = window;
    Record("SelectMonitorWindow", window);
  }
  void ArrangeWindows(int kind, int first) override { Record("ArrangeWindows", kind, first); }
  void ArrangePlanLayout(int kind) override { Record("ArrangePlanLayout", kind); }
  void SetSplitForCount(int count) override { Record("SetSplitForCount", count); }
  BOOL OpenWindowVideo(int window) override {
    Record("OpenWindowVideo", window);
    return m_openVideoResult;
  }
  void CloseWindowVideo(int window) override { Record("CloseWindowVideo", window); }
  void OnSnapshot() override { Record("Snapshot"); }
  void SetWindowListRecord(int window, BOOL on) override { Record("SetWindowListRecord", window, on); }
  void ToggleWindowSound(int window) override { Record("ToggleWindowSound", window); }
  void SetTalkbackActive(BOOL on) override { Record("SetTalkbackActive", on); }
  void ResetWindowTalkback(int window) override { Record("ResetWindowTalkback", window); }
  void SetChannelTalkback(int slot, BOOL on) override {
    if (shell::ChannelSlot* s = m_channels.At(slot)) s->talkback = on ? 1 : 0;
    Record("SetChannelTalkback", slot, on);
  }
  int SendUdpCommand(const void* data, int length, const char* address, uint16_t) override {
    std::lock_guard<std::mutex> l(m_lock);
    const auto* p = static_cast<const unsigned char*>(data);
    m_sent.push_back({std::vector<unsigned char>(p, p + (length > 0 ? length : 0)), address ? address : ""});
    return 0;
  }
  void SendStreamStarted(const char* address, int, int channel, int kind) override {
    Record("StreamStarted", channel, kind, 0, address);
  }
  void RestartStream(int slot, int window, int kind) override { Record("Restart", slot, window, kind); }
  void RegisterUdpReceiver(shell::UdpReceiver* receiver) override { m_udpReceivers.Add(receiver); }
  void UnregisterUdpReceiver(shell::UdpReceiver* receiver) override { m_udpReceivers.Remove(receiver); }
  void PublishWindowRoute(int window) override { Record("PublishWindowRoute", window); }
  void BuildRecordFrame(int slot, const uint8_t*, int length, int streamType) override {
    Record("BuildRecordFrame", slot, length, streamType);
  }
  // What registered for datagrams; a test dispatches to it.
  shell::CUdpReceiverList m_udpReceivers;
  // Stream starts succeed unless kind << 8 | channel is in m_failingStarts.
  int StartLiveStream(int loginId, int channel, int kind, int slot) override {
    Record(kind == 0 ? "StartMain" : "StartSub", loginId, channel, slot);
    return m_failingStarts.count(kind << 8 | channel) ? 0 : 1;
  }
  int StopLiveStream(int loginId, int channel, int kind) override {
    Record(kind == 0 ? "StopMain" : "StopSub", loginId, channel, 0);
    return 1;
  }
  std::set<int> m_failingStarts;
  BOOL StartRecord(int slot, int recordType, int preFrames) override {
    Record("StartRecord", slot, recordType, preFrames);
    if (m_startRecordResult)
      if (shell::ChannelSlot* s = m_channels.At(slot)) s->recording = 1;
    return m_startRecordResult;
  }
  void StopRecord(int slot) override {
    Record("StopRecord", slot);
    if (shell::ChannelSlot* s = m_channels.At(slot)) s->recording = 0;
  }
  BOOL SaveConfig() override {
    Record("SaveConfig");
    return TRUE;
  }
  // The status texts given to the windows (last one each) and the calls.
  std::vector<std::string> m_statusTexts = std::vector<std::string>(shell::kMonitorWindows);
  void SetWindowStatusText(int window, const char* text) override {
    if (shell::WindowListModel::IsValid(window)) m_statusTexts[size_t(window)] = text ? text : "";
    Record("SetWindowStatusText", window);
  }
  void RefreshStatistics() override { Record("RefreshStatistics"); }

private:
  void Record(const char* what, int a = 0, int b = 0, int c = 0, const char* address = "") {
    std::lock_guard<std::mutex> l(m_lock);
    m_calls.push_back({what, a, b, c, address ? address : ""});
  }
  std::unique_ptr<shell::SystemConfigImage> m_image;
  CMainDlgFace* m_previous = nullptr;
  std::mutex m_lock;
  std::vector<Datagram> m_sent;
  std::vector<Call> m_calls;
};
