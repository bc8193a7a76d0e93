// The check-list pickers: a list with check boxes and a "Select All" button
// (id 3) that ticks every row the first time and clears them the next. The
// caller fills the rows, runs the dialog modally and, after IDOK, reads the
// check flags of its rows; Cancel leaves the flags as they were.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "local_dialogs_resource.h"

class CCheckListDlg : public CDialog {
public:
  static constexpr int kMaxRows = 64;
  int m_check[kMaxRows];      // 1 checked, 0 not (after IDOK)

protected:
  CCheckListDlg(UINT idd, CWnd* parent);
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnSelectAll();
  // The caption, the columns and the rows (RowCount() of them).
  virtual void Fill() = 0;
  virtual int RowCount() const = 0;
  CListCtrl m_list;
  BOOL m_selectAll = TRUE;    // what the next "Select All" press sets
  DECLARE_MESSAGE_MAP()
};

// "Channel Selection" of the device configuration pages: up to 64 channels.
class CChannelSelectDlg : public CCheckListDlg {
public:
  enum { IDD = IDD_CHANNEL_SELECT };
  explicit CChannelSelectDlg(CWnd* parent = nullptr);
  int m_channelCount = 0;     // 0..64 (larger counts are held to 64)
  CString m_names[kMaxRows];

protected:
  void Fill() override;
  int RowCount() const override;
};

// "Week Day Selection": Monday first.
class CWeekDaySelectDlg : public CCheckListDlg {
public:
  enum { IDD = IDD_WEEKDAY_SELECT };
  explicit CWeekDaySelectDlg(CWnd* parent = nullptr);
  // The ticked days as a mask, bit 0 Monday (after IDOK).
  unsigned DayMask() const;

protected:
  void Fill() override;
  int RowCount() const override { return 7; }
};

// "Channel Selection" of the local work plan: server and channel names.
class CLocalChannelSelectDlg : public CCheckListDlg {
public:
  enum { IDD = IDD_LOCAL_CHANNEL_SELECT };
  explicit CLocalChannelSelectDlg(CWnd* parent = nullptr);
  int m_count = 0;
  CString m_serverNames[kMaxRows], m_channelNames[kMaxRows];

protected:
  void Fill() override;
  int RowCount() const override;
};

// The weekday names, Monday first (English; shown translated).
extern const char* const kWeekDayNames[7];
