#include "start_logo_dlg.h"
#include "helpers.h"
#include "language.h"

BEGIN_MESSAGE_MAP(CStartLogoDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_PAINT()
  ON_WM_WINDOWPOSCHANGING()
  ON_WM_CLOSE()
  ON_WM_DESTROY()
  ON_WM_SYSCOMMAND()
  ON_MESSAGE(WM_STARTLOGO_POSTINIT, OnPostInit)
END_MESSAGE_MAP()

void CStartLogoDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_STARTLOGO_PROGRESS, m_progress);
}

// Without a logo the splash stays hidden, also when the modal loop shows it.
void CStartLogoDlg::OnWindowPosChanging(WINDOWPOS* pos) {
  if (!HasLogo()) pos->flags &= ~SWP_SHOWWINDOW;
  CDialog::OnWindowPosChanging(pos);
}

BOOL CStartLogoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  BringWindowToTop();
  SetWindowText("Dravenor");
  if (HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(128))) {
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);
  }
  ModifyStyle(0, WS_SYSMENU);
  BOOL logo = FALSE;
  if (const SolutionEntry* s = GetCurrentSolution()) logo = LoadDibFile(s->folderPath + "StartLogo.bmp", m_logo, TRUE);
  if (!logo) ShowWindow(SW_HIDE);
  m_progress.SetRange(0, 100);
  m_progress.SetPos(1);
  m_progressValue = 1;
  if (logo) {
    BITMAP bm{};
    m_logo.GetBitmap(&bm);
    CRect bar;
    m_progress.GetWindowRect(&bar);
    int barHeight = bar.Height();
    // The client area takes the picture plus the bar; the frame adds its own.
    CRect want(0, 0, bm.bmWidth, bm.bmHeight + barHeight);
    ::AdjustWindowRectEx(&want, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, want.Width(), want.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_progress.MoveWindow(0, bm.bmHeight, bm.bmWidth, barHeight);
  }
  SetTimer(kProgressTimer, 1000);
  CenterWindow(GetDesktopWindow());
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PostMessage(WM_STARTLOGO_POSTINIT);
  return TRUE;
}

LRESULT CStartLogoDlg::OnPostInit(WPARAM, LPARAM) {
  ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return 0;
}

void CStartLogoDlg::SetProgress(int percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  ::InterlockedExchange(&m_progressValue, percent);
  if (m_progress.m_hWnd) m_progress.SetPos(percent);
}

void CStartLogoDlg::OnTimer(UINT_PTR id) {
  if (id == kProgressTimer) SetProgress(GetProgress() + 2);
  else CDialog::OnTimer(id);
}

void CStartLogoDlg::OnPaint() {
  CPaintDC dc(this);
  DrawBitmap(dc, m_logo, 0, 0);
}

void CStartLogoDlg::OnSysCommand(UINT id, LPARAM l) {
  if ((id & 0xFFF0) == SC_CLOSE) return;   // only the owner closes the splash
  CDialog::OnSysCommand(id, l);
}

void CStartLogoDlg::OnClose() {
  ::PostQuitMessage(0);   // ends the splash thread's loop
  CDialog::OnClose();
}

void CStartLogoDlg::OnDestroy() {
  KillTimer(kProgressTimer);
  CDialog::OnDestroy();
}
