// "Statistic Report": per logical channel the live bit rate of the last
// second and the record file being written; and the "Remote Connection
// Info" list (columns only).
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <cstdint>

#include "config_image.h"
#include "shell_resource.h"

// kbit/s of `bytes` received in one second (bytes x 8 / 1024).
uint32_t StatisticRateKbps(uint32_t bytes);
// The name of a device's channel: from its channel block while the device
// is logged in and the channel is within its blocks; otherwise the
// translated "Channel" and the channel counted from 1 ("%s-%d").
CString StatisticChannelName(const shell::DeviceRecord* device, uint32_t channel);

// What the report reads of the main dialog's logical channels.
class IStatisticSource {
public:
  virtual ~IStatisticSource() = default;
  virtual int GetLogicalChannelCount() = 0;
  // The device record a slot is bound to (null when free) and its channel.
  virtual const shell::DeviceRecord* GetSlotDevice(int slot, uint32_t* channel) = 0;
  // The record file the slot writes, empty when it does not record.
  virtual CString GetRecordFilePath(int slot) = 0;
};

class CStatisticReportDlg : public CDialog {
public:
  enum { IDD = IDD_STATISTIC_REPORT, kChannels = 64, kTimerId = 1 };
  explicit CStatisticReportDlg(CWnd* parent = nullptr);
  void SetSource(IStatisticSource* source) { m_source = source; }

  // Called by the stream callback (SDK threads) and the record writer.
  void AddChannelBytes(int slot, uint32_t bytes);
  void AddRecordBytes(int slot, uint32_t bytes);
  uint32_t GetChannelBytes(int slot) const;
  uint32_t GetRecordBytes(int slot) const;
  // One row per logical channel; does nothing before the window exists.
  void RefreshList();
  // The one-second step (the timer's work).
  void UpdateRates();
  // Every channel's byte counts back to 0 (a new channel assignment).
  void ResetCounters();

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(SW_HIDE); }
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnDestroy();
  afx_msg void OnClose();

  CListCtrl m_list;
  IStatisticSource* m_source = nullptr;
  volatile LONG m_received[kChannels] = {};
  volatile LONG m_recorded[kChannels] = {};
  UINT_PTR m_timer = 0;
  DECLARE_MESSAGE_MAP()
};

class CConnectionInfoDlg : public CDialog {
public:
  enum { IDD = IDD_CONNECTION_INFO };
  explicit CConnectionInfoDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
protected:
  BOOL OnInitDialog() override;
  CListCtrl m_list;
};
