// The log views: "Local Log Info" (any thread adds lines with AddLocalLog),
// "Disk Error Info" (one row per disk or record-file error) and their
// remote twins. Modeless windows owned by the main dialog, created hidden;
// rows stay while hidden. Save To File, Clear All and Close in each.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "report_list.h"
#include "shell_resource.h"

// Message 0x465 to the local log window: lParam is a LocalLogRecord that
// the window frees.
#define WM_ADD_LOCAL_LOG (WM_USER + 101)
// Message 0x466 to the disk error window: lParam is a DiskErrorRecord that
// the window frees (rows added from threads other than the window's).
#define WM_ADD_DISK_ERROR (WM_USER + 102)

struct LocalLogRecord {
  uint32_t popUp = 0;
  CString text;
};

// Adds a time-stamped line to the local log: sends (wait) or posts the
// record. Any thread; the wait form must not be used by a thread the UI
// thread waits for. FALSE (record freed) when there is no log window.
BOOL AddLocalLog(const char* text, BOOL popUp, BOOL wait);

// What the four log windows share.
class CLogListDlg : public CDialog {
public:
  using Column = ListColumn;
  CLogListDlg(UINT templateId, CWnd* parent, const char* caption, const Column* columns, int columnCount,
              int maxRows, BOOL autoPopup, BOOL autoScroll, const char* clearQuestion);
  int GetRowCount() const { return m_list.m_hWnd ? m_list.GetItemCount() : 0; }
  CString GetCell(int row, int column) const { return m_list.GetItemText(row, column); }
  BOOL GetAutoPopup() const { return m_autoPopup; }
  BOOL GetAutoScroll() const { return m_autoScroll; }
  // Writes every row (columns joined by tabs, CR LF after each) to the file,
  // ".log" appended when the name has no dot. No questions, no messages.
  BOOL SaveToFile(const char* path);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(SW_HIDE); }
  // Appends a row whose first column is the local time now; the oldest row
  // goes first when the list is full. popUp shows a hidden window.
  void AppendRow(const CString* cells, int count, BOOL popUp);
  afx_msg void OnAutoPopup();
  afx_msg void OnAutoScroll();
  afx_msg void OnSave();
  afx_msg void OnClear();
  afx_msg void OnCloseButton();
  afx_msg void OnClose();

  CListCtrl m_list;
  BOOL m_autoPopup, m_autoScroll;
  const char* m_caption;
  const Column* m_columns;
  int m_columnCount;
  int m_maxRows;
  const char* m_clearQuestion;
  DECLARE_MESSAGE_MAP()
};

class CLocalLogDlg : public CLogListDlg {
public:
  enum { IDD = IDD_LOCAL_LOG, kMaxRows = 10000 };
  explicit CLocalLogDlg(CWnd* parent = nullptr);
  ~CLocalLogDlg() override;
protected:
  BOOL OnInitDialog() override;
  afx_msg LRESULT OnAddLog(WPARAM wParam, LPARAM lParam);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};

// The one local log window (set by its constructor).
extern CLocalLogDlg* g_pLocalLogDlg;

class CDiskErrorDlg : public CLogListDlg {
public:
  enum { IDD = IDD_DISK_ERROR, kMaxRows = 1000 };
  explicit CDiskErrorDlg(CWnd* parent = nullptr);
  // Adds a row: the time, the channel counted from 1, the disk, the record
  // file and the error text. On the window's thread.
  void AddError(int channel, const char* disk, const char* file, const char* error);
  // The same from any thread: other threads post the row to the window.
  void AddErrorLine(int channel, const char* disk, const char* file, const char* error);
protected:
  afx_msg LRESULT OnAddError(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// The remote lists: built like the local ones with a "Server List" combo;
// nothing in the client adds rows to them.
class CRemoteListDlg : public CLogListDlg {
public:
  using CLogListDlg::CLogListDlg;
  // The item data of the selected server, -1 without a selection.
  int GetSelectedServer() const;
protected:
  BOOL OnInitDialog() override;
  CComboBox m_servers;
};

class CRemoteLogDlg : public CRemoteListDlg {
public:
  enum { IDD = IDD_REMOTE_LOG };
  explicit CRemoteLogDlg(CWnd* parent = nullptr);
};

class CRemoteDiskErrorDlg : public CRemoteListDlg {
public:
  enum { IDD = IDD_REMOTE_DISK_ERROR };
  explicit CRemoteDiskErrorDlg(CWnd* parent = nullptr);
};
