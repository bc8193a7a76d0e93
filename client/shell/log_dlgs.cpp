#include "log_dlgs.h"
#include "app_services.h"
#include "language.h"
#include "log_text.h"

#include <afxdlgs.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The local log window's handle, for the threads that add lines: they never
// touch the dialog object, which the UI thread may be destroying.
volatile LONG g_localLogWindow = 0;

HWND LocalLogWindow() { return reinterpret_cast<HWND>(LONG_PTR(g_localLogWindow)); }
void SetLocalLogWindow(HWND h) { ::InterlockedExchange(&g_localLogWindow, LONG(reinterpret_cast<LONG_PTR>(h))); }

CString NowText() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return FormatLogTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond).c_str();
}

}  // namespace

CLocalLogDlg* g_pLocalLogDlg = nullptr;

BOOL AddLocalLog(const char* text, BOOL popUp, BOOL wait) {
  HWND target = LocalLogWindow();
  if (!target || !::IsWindow(target)) return FALSE;
  auto record = std::make_unique<LocalLogRecord>();
  record->popUp = popUp ? 1 : 0;
  record->text = text;
  LPARAM l = reinterpret_cast<LPARAM>(record.get());
  // The window answers 1 once it owns the record; anything else (the window
  // went away meanwhile, or the post failed) leaves it with us to free.
  if (wait) {
    if (::SendMessageA(target, WM_ADD_LOCAL_LOG, 0, l) != 1) return FALSE;
  } else if (!::PostMessageA(target, WM_ADD_LOCAL_LOG, 0, l)) {
    return FALSE;
  }
  record.release();
  return TRUE;
}

// -------------------------------------------------------------- CLogListDlg
BEGIN_MESSAGE_MAP(CLogListDlg, CDialog)
  ON_BN_CLICKED(IDC_LOG_AUTO_POPUP, OnAutoPopup)
  ON_BN_CLICKED(IDC_LOG_AUTO_SCROLL, OnAutoScroll)
  ON_BN_CLICKED(IDC_LOG_SAVE, OnSave)
  ON_BN_CLICKED(IDC_LOG_CLEAR, OnClear)
  ON_BN_CLICKED(IDC_LOG_CLOSE, OnCloseButton)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CLogListDlg::CLogListDlg(UINT templateId, CWnd* parent, const char* caption, const Column* columns, int columnCount,
                         int maxRows, BOOL autoPopup, BOOL autoScroll, const char* clearQuestion)
    : CDialog(templateId, parent),
      m_autoPopup(autoPopup),
      m_autoScroll(autoScroll),
      m_caption(caption),
      m_columns(columns),
      m_columnCount(columnCount),
      m_maxRows(maxRows),
      m_clearQuestion(clearQuestion) {}

BOOL CLogListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_list.SubclassDlgItem(IDC_LOG_LIST, this);
  TranslateDialog(this);
  SetWindowText(TranslateString(m_caption));
  CenterWindow();
  SetupReportList(m_list, m_columns, m_columnCount);
  CheckDlgButton(IDC_LOG_AUTO_POPUP, m_autoPopup ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_LOG_AUTO_SCROLL, m_autoScroll ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void CLogListDlg::AppendRow(const CString* cells, int count, BOOL popUp) {
  if (!m_list.m_hWnd) return;
  if (m_list.GetItemCount() >= m_maxRows) m_list.DeleteItem(0);
  int row = m_list.InsertItem(m_list.GetItemCount(), NowText());
  if (row < 0) return;
  for (int i = 0; i < count && i + 1 < m_columnCount; ++i) m_list.SetItemText(row, i + 1, cells[i]);
  if ((popUp || m_autoPopup) && !IsWindowVisible()) ShowWindow(SW_SHOW);
  if (m_autoScroll) {
    m_list.SendMessage(LVM_SETHOTITEM, WPARAM(row));
    m_list.EnsureVisible(row, FALSE);
  }
}

void CLogListDlg::OnAutoPopup() { m_autoPopup = IsDlgButtonChecked(IDC_LOG_AUTO_POPUP) == BST_CHECKED; }

void CLogListDlg::OnAutoScroll() { m_autoScroll = IsDlgButtonChecked(IDC_LOG_AUTO_SCROLL) == BST_CHECKED; }

BOOL CLogListDlg::SaveToFile(const char* chosen) {
  CString path = LogFileName(chosen ? chosen : "").c_str();
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite)) return FALSE;
  // Row by row through a small buffer: no row is ever cut, however long.
  std::string chunk;
  std::vector<std::string> cells(static_cast<size_t>(m_columnCount));
  int rows = m_list.m_hWnd ? m_list.GetItemCount() : 0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < m_columnCount; ++c) cells[size_t(c)] = m_list.GetItemText(r, c).str();
    chunk += LogExportLine(cells);
    if (chunk.size() >= 65536) {
      if (!f.WriteAll(chunk.data(), UINT(chunk.size()))) return FALSE;
      chunk.clear();
    }
  }
  if (!chunk.empty() && !f.WriteAll(chunk.data(), UINT(chunk.size()))) return FALSE;
  f.Close();
  return TRUE;
}

void CLogListDlg::OnSave() {
  CString filter;
  filter.Format("%s (*.log)|*.log|%s (*.*)|*.*||", TranslateString("Log Files").GetString(),
                TranslateString("All Files").GetString());
  CFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter, this);
  if (dlg.DoModal() != IDOK) return;
  CString path = LogFileName(dlg.GetPathName().str()).c_str();
  if (!SaveToFile(path)) {
    CString text;
    text.Format("%s %s %s", TranslateString("Open file").GetString(), path.GetString(),
                TranslateString("failed!").GetString());
    ComposedMessageBox(this, text, "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  TranslatedMessageBox(this, "Save log info to file successfully!", "PROMPT", MB_OK | MB_ICONINFORMATION);
}

void CLogListDlg::OnClear() {
  if (TranslatedMessageBox(this, m_clearQuestion, "WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  m_list.DeleteAllItems();
}

void CLogListDlg::OnCloseButton() { ShowWindow(SW_HIDE); }

void CLogListDlg::OnClose() { ShowWindow(SW_HIDE); }

// ------------------------------------------------------------- CLocalLogDlg
namespace {
const CLogListDlg::Column kLogColumns[] = {{"Time", 130}, {"Info", 560}};
const CLogListDlg::Column kDiskColumns[] = {
    {"Time", 130}, {"Channel", 60}, {"Disk", 50}, {"Record File", 150}, {"Error Info", 300}};
const char kClearLog[] = "Are you sure you want to clear all log info?";
const char kClearDisk[] = "Are you sure you want to clear all disk error info?";
}  // namespace

BEGIN_MESSAGE_MAP(CLocalLogDlg, CLogListDlg)
  ON_MESSAGE(WM_ADD_LOCAL_LOG, OnAddLog)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CLocalLogDlg::CLocalLogDlg(CWnd* parent)
    : CLogListDlg(IDD, parent, "Local Log Info", kLogColumns, 2, kMaxRows, FALSE, FALSE, kClearLog) {
  g_pLocalLogDlg = this;
}

CLocalLogDlg::~CLocalLogDlg() {
  if (g_pLocalLogDlg == this) g_pLocalLogDlg = nullptr;
}

BOOL CLocalLogDlg::OnInitDialog() {
  CLogListDlg::OnInitDialog();
  SetLocalLogWindow(m_hWnd);
  return TRUE;
}

void CLocalLogDlg::OnDestroy() {
  if (LocalLogWindow() == m_hWnd) SetLocalLogWindow(nullptr);
  // Lines posted but not yet taken are freed with the queue's messages.
  MSG msg;
  while (::PeekMessageA(&msg, m_hWnd, WM_ADD_LOCAL_LOG, WM_ADD_LOCAL_LOG, PM_REMOVE))
    delete reinterpret_cast<LocalLogRecord*>(msg.lParam);
  CLogListDlg::OnDestroy();
}

LRESULT CLocalLogDlg::OnAddLog(WPARAM, LPARAM lParam) {
  std::unique_ptr<LocalLogRecord> record(reinterpret_cast<LocalLogRecord*>(lParam));
  if (!record) return 0;
  AppendRow(&record->text, 1, record->popUp != 0);
  return 1;
}

// ------------------------------------------------------------ CDiskErrorDlg
namespace {
struct DiskErrorRecord {
  int channel;
  CString disk, file, error;
};
}  // namespace

BEGIN_MESSAGE_MAP(CDiskErrorDlg, CLogListDlg)
  ON_MESSAGE(WM_ADD_DISK_ERROR, OnAddError)
END_MESSAGE_MAP()

CDiskErrorDlg::CDiskErrorDlg(CWnd* parent)
    : CLogListDlg(IDD, parent, "Disk Error Info", kDiskColumns, 5, kMaxRows, TRUE, TRUE, kClearDisk) {}

void CDiskErrorDlg::AddError(int channel, const char* disk, const char* file, const char* error) {
  CString cells[4];
  cells[0].Format("%d", channel + 1);
  cells[1] = disk;
  cells[2] = file;
  cells[3] = error;
  AppendRow(cells, 4, FALSE);
}

void CDiskErrorDlg::AddErrorLine(int channel, const char* disk, const char* file, const char* error) {
  HWND h = m_hWnd;
  if (!h || !::IsWindow(h)) return;
  if (::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId()) {
    AddError(channel, disk, file, error);
    return;
  }
  auto record = std::make_unique<DiskErrorRecord>();
  record->channel = channel;
  record->disk = disk;
  record->file = file;
  record->error = error;
  if (::PostMessageA(h, WM_ADD_DISK_ERROR, 0, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

LRESULT CDiskErrorDlg::OnAddError(WPARAM, LPARAM lParam) {
  std::unique_ptr<DiskErrorRecord> r(reinterpret_cast<DiskErrorRecord*>(lParam));
  if (r) AddError(r->channel, r->disk, r->file, r->error);
  return 1;
}

// ------------------------------------------------------------ remote lists
BOOL CRemoteListDlg::OnInitDialog() {
  CLogListDlg::OnInitDialog();
  m_servers.SubclassDlgItem(IDC_LOG_SERVER_LIST, this);
  return TRUE;
}

int CRemoteListDlg::GetSelectedServer() const {
  int i = m_servers.m_hWnd ? m_servers.GetCurSel() : -1;
  return i < 0 ? -1 : int(m_servers.GetItemData(i));
}

CRemoteLogDlg::CRemoteLogDlg(CWnd* parent)
    : CRemoteListDlg(IDD, parent, "Remote Log Info", kLogColumns, 2, CLocalLogDlg::kMaxRows, FALSE, FALSE,
                     kClearLog) {}

CRemoteDiskErrorDlg::CRemoteDiskErrorDlg(CWnd* parent)
    : CRemoteListDlg(IDD, parent, "Remote Disk Error Info", kDiskColumns, 5, CDiskErrorDlg::kMaxRows, FALSE, FALSE,
                     kClearDisk) {}
