// The main dialog's UDP command channel (port 8001): its receive loop runs
// on the dialog's UDP worker thread; the datagrams wait in the channel's
// bounded queue and the dialog's thread works them off in short slices,
// handing each to the receivers registered, the dialog first.
#include "main_dlg.h"

UINT CMainDlg::UdpThreadProc(LPVOID param) {
  auto* self = static_cast<CMainDlg*>(param);
  CUdpCommandChannel::Options options;
  options.port = uint16_t(self->m_udpPort);
  // A flood beyond what the queue holds shows in the local log.
  self->m_udp.SetDropReport([](unsigned long dropped) {
    char line[96];
    wsprintfA(line, "UDP port 8001: %lu datagrams dropped, more arrived than could be handled", dropped);
    AddLocalLog(line, FALSE, FALSE);
  });
  self->m_udp.RunReceiveLoop(self->m_hWnd, &self->m_stopFlag, options);
  return 0;
}

LRESULT CMainDlg::OnUdpPacket(WPARAM, LPARAM l) {
  CUdpCommandChannel::HandlePosted(l, m_udpReceivers);
  return 0;
}

int CMainDlg::SendUdpCommand(const void* data, int length, const char* address, uint16_t port) {
  return m_udp.SendUdpCommand(data, length, address, port);
}

void CMainDlg::SendStreamStarted(const char* address, int port, int channel, int kind) {
  m_udp.SendStreamStarted(address, uint16_t(port), uint8_t(channel), uint8_t(kind));
}

void CMainDlg::OnAnnouncement(const std::string& from, const uint8_t* block) {
  if (m_pConfig) shell::ApplyAnnouncement(m_pConfig->devices, 36, from, block);
}

void CMainDlg::OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) {
  // The first slot of that device (by its exact address text) and channel.
  int slot = shell::FindAlarmSlot(m_channels, from, channel);
  if (slot < 0) return;
  shell::ChannelSlot& s = m_channels[slot];
  uint32_t bit = 0;
  if (kind == 1) bit = shell::ChannelSlot::kAlarmMotion;
  if (kind == 2) bit = shell::ChannelSlot::kAlarmProbe;
  if (bit) {
    if (state == 1)
      s.alarmFlags |= bit;
    else
      s.alarmFlags &= ~bit;
  }
  // The alarm view's row (type 2 motion, 4 probe, 16 other) comes with
  // that view, which registers for the report itself.
}
