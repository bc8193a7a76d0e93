#include "statistic_dlg.h"
#include "channel_blocks.h"
#include "language.h"
#include "report_list.h"

#include <cstring>

uint32_t StatisticRateKbps(uint32_t bytes) { return uint32_t(uint64_t(bytes) * 8 / 1024); }

CString StatisticChannelName(const shell::DeviceRecord* device, uint32_t channel) {
  // Channel blocks exist only while the device is logged in (state above 0)
  // and only as many as it has channels.
  const char* block = device && device->state != 0 && channel < device->channelCount
                          ? shell::ChannelBlock(*device, int(channel))
                          : nullptr;
  if (block) return CString(block, int(strnlen(block, shell::kChannelNameSize)));
  CString name;
  name.Format("%s-%d", TranslateString("Channel").GetString(), int(channel) + 1);
  return name;
}

BEGIN_MESSAGE_MAP(CStatisticReportDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CStatisticReportDlg::CStatisticReportDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CStatisticReportDlg::AddChannelBytes(int slot, uint32_t bytes) {
  if (slot >= 0 && slot < kChannels) ::InterlockedExchangeAdd(&m_received[slot], LONG(bytes));
}

void CStatisticReportDlg::AddRecordBytes(int slot, uint32_t bytes) {
  if (slot >= 0 && slot < kChannels) ::InterlockedExchangeAdd(&m_recorded[slot], LONG(bytes));
}

uint32_t CStatisticReportDlg::GetChannelBytes(int slot) const {
  return slot >= 0 && slot < kChannels ? uint32_t(m_received[slot]) : 0;
}

uint32_t CStatisticReportDlg::GetRecordBytes(int slot) const {
  return slot >= 0 && slot < kChannels ? uint32_t(m_recorded[slot]) : 0;
}

BOOL CStatisticReportDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_list.SubclassDlgItem(IDC_STAT_LIST, this);
  TranslateDialog(this);
  SetWindowText(TranslateString("Statistic Report"));
  CenterWindow();
  static const ListColumn columns[] = {{"Chan No.", 65},
                                       {"Server Name", 180},
                                       {"Channel Name", 180},
                                       {"Channel Bit Rate(kbps)", 160},
                                       {"Record File Path", 450}};
  SetupReportList(m_list, columns, 5);
  RefreshList();
  m_timer = SetTimer(kTimerId, 1000);
  UpdateRates();
  return TRUE;
}

void CStatisticReportDlg::RefreshList() {
  if (!m_list.m_hWnd) return;
  m_list.DeleteAllItems();
  int count = m_source ? m_source->GetLogicalChannelCount() : 0;
  if (count > kChannels) count = kChannels;
  for (int i = 0; i < count; ++i) {
    CString number;
    number.Format("%02d", i + 1);
    int row = m_list.InsertItem(i, number);
    uint32_t channel = 0;
    if (const shell::DeviceRecord* d = m_source->GetSlotDevice(i, &channel)) {
      m_list.SetItemText(row, 1, CString(d->serverName, int(strnlen(d->serverName, sizeof d->serverName))));
      m_list.SetItemText(row, 2, StatisticChannelName(d, channel));
    }
  }
}

void CStatisticReportDlg::UpdateRates() {
  if (!m_hWnd || !IsWindowVisible()) {
    // Hidden: nothing is shown, and the counters do not grow.
    for (int i = 0; i < kChannels; ++i) {
      ::InterlockedExchange(&m_received[i], 0);
      ::InterlockedExchange(&m_recorded[i], 0);
    }
    return;
  }
  int count = m_source ? m_source->GetLogicalChannelCount() : 0;
  if (count > kChannels) count = kChannels;
  if (m_list.GetItemCount() != count) return;
  for (int i = 0; i < count; ++i) {
    uint32_t bytes = uint32_t(::InterlockedExchange(&m_received[i], 0));
    CString rate;
    rate.Format("%d", int(StatisticRateKbps(bytes)));
    m_list.SetItemText(i, 3, rate);
    m_list.SetItemText(i, 4, m_source->GetRecordFilePath(i));
  }
}

void CStatisticReportDlg::OnTimer(UINT_PTR id) {
  if (id == kTimerId) UpdateRates();
  else CDialog::OnTimer(id);
}

void CStatisticReportDlg::OnClose() { ShowWindow(SW_HIDE); }

void CStatisticReportDlg::OnDestroy() {
  if (m_timer) KillTimer(m_timer);
  m_timer = 0;
  CDialog::OnDestroy();
}

BOOL CConnectionInfoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_list.SubclassDlgItem(IDC_CONNECTION_LIST, this);
  TranslateDialog(this);
  SetWindowText(TranslateString("Remote Connection Info"));
  CenterWindow();
  static const ListColumn columns[] = {
      {"IP or Domain", 150}, {"Login User Name", 120}, {"Power", 120}, {"Real Time Monitor Type", 300}};
  SetupReportList(m_list, columns, 4);
  return TRUE;
}

void CStatisticReportDlg::ResetCounters() {
  for (int i = 0; i < kChannels; ++i) {
    ::InterlockedExchange(&m_received[i], 0);
    ::InterlockedExchange(&m_recorded[i], 0);
  }
}
