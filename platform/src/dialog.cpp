// CDialog (modal and modeless, from .rc templates) and data exchange.
#include "afxwin.h"
#include "afx_internal.h"

#include <cstdlib>
#include <cerrno>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog procedure behind DefDlgProc: only WM_INITDIALOG reaches the
// object here; everything else went through the message map already.
INT_PTR CALLBACK AfxDlgProc(HWND h, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(h)) return wnd->OnInitDialog();
    return TRUE;
  }
  return FALSE;
}

}  // namespace

LPCDLGTEMPLATEA AFXAPI AfxFindDialogTemplate(LPCSTR name) {
  HINSTANCE inst = AfxFindResourceHandle(name, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HRSRC r = inst ? ::FindResourceA(inst, name, MAKEINTRESOURCEA(5)) : nullptr;
  if (!r) return nullptr;
  HGLOBAL g = ::LoadResource(inst, r);
  return g ? static_cast<LPCDLGTEMPLATEA>(::LockResource(g)) : nullptr;
}

CDialog::~CDialog() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this &&
      ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId())
    ::DestroyWindow(m_hWnd);
}

LPCDLGTEMPLATEA CDialog::FindTemplate() const {
  if (m_lpDialogTemplate) return m_lpDialogTemplate;
  return m_lpszTemplateName ? AfxFindDialogTemplate(m_lpszTemplateName) : nullptr;
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATEA tmpl, HWND parent) {
  afx_detail::HookWindowCreate(this);
  HWND h = ::CreateDialogIndirectParamA(AfxGetResourceHandle(), tmpl, parent, &AfxDlgProc,
                                        reinterpret_cast<LPARAM>(this));
  afx_detail::UnhookWindowCreate();
  if (!h) {
    if (m_hWnd) Detach();
    return FALSE;
  }
  return m_hWnd == h;
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
  m_lpszTemplateName = templateName;
  if (parent) m_pParentWnd = parent;
  LPCDLGTEMPLATEA tmpl = FindTemplate();
  if (!tmpl) return FALSE;
  m_bModal = FALSE;
  return CreateFromTemplate(tmpl, m_pParentWnd->GetSafeHwnd());
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEA tmpl, CWnd* parent) {
  if (parent) m_pParentWnd = parent;
  m_bModal = FALSE;
  return CreateFromTemplate(tmpl, m_pParentWnd->GetSafeHwnd());
}

INT_PTR CDialog::DoModal() {
  LPCDLGTEMPLATEA tmpl = FindTemplate();
  if (!tmpl) return -1;
  HWND parent = m_pParentWnd->GetSafeHwnd();
  if (!parent) parent = ::GetActiveWindow();   // this thread's active window
  while (parent && (::GetWindowLongA(parent, GWL_STYLE) & WS_CHILD)) parent = ::GetParent(parent);
  BOOL reenable = FALSE;
  if (parent && ::IsWindowEnabled(parent)) {
    ::EnableWindow(parent, FALSE);
    reenable = TRUE;
  }
  m_bModal = TRUE;
  m_bEnded = FALSE;
  m_nModalResult = -1;
  if (!CreateFromTemplate(tmpl, parent)) {
    m_bModal = FALSE;
    if (reenable) ::EnableWindow(parent, TRUE);
    return -1;
  }
  // As the modal loop does: a dialog that showed itself keeps its show state.
  if (!m_bEnded && !::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  while (!m_bEnded) {
    MSG msg;
    BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
    if (r <= 0) {
      // The thread is quitting: end the dialog and leave the quit for the
      // outer loop.
      ::PostQuitMessage(int(msg.wParam));
      if (!m_bEnded) m_nModalResult = IDABORT;
      break;
    }
    if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  m_bModal = FALSE;
  if (reenable) ::EnableWindow(parent, TRUE);
  if (m_hWnd) {
    if (parent && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    ::DestroyWindow(m_hWnd);
  }
  return m_nModalResult;
}

void CDialog::EndDialog(int result) {
  if (m_bModal) {
    m_nModalResult = result;
    m_bEnded = TRUE;
    if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);   // wake the modal loop
  } else if (m_hWnd) {
    ::EndDialog(m_hWnd, result);
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd)
    return ::IsDialogMessageA(m_hWnd, msg);
  return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT msg, WPARAM w, LPARAM l) { return CWnd::DefWindowProc(msg, w, l); }

// ---------------------------------------------------------- data exchange
BOOL CWnd::UpdateData(BOOL save) {
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return !dx.m_bFailed;
}

HWND CDataExchange::PrepareCtrl(int id) {
  HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  m_hWndLastControl = h;
  m_bEditLastControl = FALSE;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND h = PrepareCtrl(id);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::Fail() {
  m_bFailed = TRUE;
  if (m_bSaveAndValidate && m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
}

namespace {

void Prompt(LPCSTR text) { AfxMessageBox(text, MB_ICONEXCLAMATION); }

template <class T>
void TextNumber(CDataExchange* dx, int id, T& value, bool isSigned) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (!dx->m_bSaveAndValidate) {
    char buf[32];
    if (isSigned) wsprintfA(buf, "%ld", long(value));
    else wsprintfA(buf, "%lu", static_cast<unsigned long>(value));
    ::SetWindowTextA(h, buf);
    return;
  }
  CString s;
  CWnd(h).GetWindowText(s);
  s.Trim();
  char* end = nullptr;
  errno = 0;
  bool ok = !s.IsEmpty();
  T v{};
  if (ok && isSigned) {
    long long x = strtoll(s, &end, 10);
    ok = errno == 0 && *end == 0 && x >= -2147483648LL && x <= 2147483647LL;
    v = T(x);
  } else if (ok) {
    ok = s[0] != '-';
    unsigned long long x = strtoull(s, &end, 10);
    ok = ok && errno == 0 && *end == 0 && x <= 0xFFFFFFFFULL;
    v = T(x);
  }
  if (!ok) {
    Prompt(isSigned ? "Please enter an integer." : "Please enter a positive integer.");
    dx->Fail();
    return;
  }
  value = v;
}

}  // namespace

void AFXAPI DDX_Text(CDataExchange* dx, int id, int& v) { TextNumber(dx, id, v, true); }
void AFXAPI DDX_Text(CDataExchange* dx, int id, long& v) { TextNumber(dx, id, v, true); }
void AFXAPI DDX_Text(CDataExchange* dx, int id, UINT& v) { TextNumber(dx, id, v, false); }
void AFXAPI DDX_Text(CDataExchange* dx, int id, DWORD& v) { TextNumber(dx, id, v, false); }

void AFXAPI DDX_Text(CDataExchange* dx, int id, CString& v) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) CWnd(h).GetWindowText(v);
  else ::SetWindowTextA(h, v);
}

void AFXAPI DDX_Check(CDataExchange* dx, int id, int& v) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) v = int(::SendMessageA(h, BM_GETCHECK, 0, 0));
  else ::SendMessageA(h, BM_SETCHECK, WPARAM(v < 0 || v > 2 ? 0 : v), 0);
}

// id is the first radio button of a group; the group runs to the next
// control with WS_GROUP. value is the index of the checked one, -1 none.
void AFXAPI DDX_Radio(CDataExchange* dx, int id, int& v) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) v = -1;
  int index = 0;
  for (HWND c = h; c; c = ::GetWindow(c, GW_HWNDNEXT), ++index) {
    if (c != h && (::GetWindowLongA(c, GWL_STYLE) & WS_GROUP)) break;
    LRESULT code = ::SendMessageA(c, WM_GETDLGCODE, 0, 0);
    if (!(code & DLGC_RADIOBUTTON)) continue;
    if (dx->m_bSaveAndValidate) {
      if (::SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED) v = index;
    } else {
      ::SendMessageA(c, BM_SETCHECK, index == v ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void AFXAPI DDX_CBIndex(CDataExchange* dx, int id, int& index) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) index = int(::SendMessageA(h, CB_GETCURSEL, 0, 0));
  else ::SendMessageA(h, CB_SETCURSEL, WPARAM(index), 0);
}

void AFXAPI DDX_CBString(CDataExchange* dx, int id, CString& v) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    CWnd(h).GetWindowText(v);
  } else if (::SendMessageA(h, CB_SELECTSTRING, WPARAM(-1), LPARAM(v.GetString())) == CB_ERR) {
    ::SetWindowTextA(h, v);
  }
}

void AFXAPI DDX_LBIndex(CDataExchange* dx, int id, int& index) {
  if (dx->m_bFailed) return;
  HWND h = dx->PrepareCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) index = int(::SendMessageA(h, LB_GETCURSEL, 0, 0));
  else ::SendMessageA(h, LB_SETCURSEL, WPARAM(index), 0);
}

void AFXAPI DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND h = dx->PrepareCtrl(id);
  if (h) control.SubclassWindow(h);
}

namespace {
template <class T>
void MinMax(CDataExchange* dx, T v, T lo, T hi, LPCSTR fmt) {
  if (dx->m_bFailed || !dx->m_bSaveAndValidate) return;
  if (v >= lo && v <= hi) return;
  char buf[128];
  wsprintfA(buf, fmt, lo, hi);
  Prompt(buf);
  dx->Fail();
}
}  // namespace

void AFXAPI DDV_MinMaxInt(CDataExchange* dx, int v, int lo, int hi) {
  MinMax<long>(dx, v, lo, hi, "Please enter an integer between %ld and %ld.");
}
void AFXAPI DDV_MinMaxLong(CDataExchange* dx, long v, long lo, long hi) {
  MinMax<long>(dx, v, lo, hi, "Please enter an integer between %ld and %ld.");
}
void AFXAPI DDV_MinMaxUInt(CDataExchange* dx, UINT v, UINT lo, UINT hi) {
  MinMax<unsigned long>(dx, v, lo, hi, "Please enter an integer between %lu and %lu.");
}
void AFXAPI DDV_MinMaxDWord(CDataExchange* dx, DWORD v, DWORD lo, DWORD hi) {
  MinMax<unsigned long>(dx, v, lo, hi, "Please enter an integer between %lu and %lu.");
}

void AFXAPI DDV_MaxChars(CDataExchange* dx, const CString& v, int maxChars) {
  if (dx->m_bFailed) return;
  if (!dx->m_bSaveAndValidate) {
    if (dx->m_hWndLastControl && dx->m_bEditLastControl)
      ::SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, WPARAM(maxChars), 0);
    return;
  }
  if (v.GetLength() <= maxChars) return;
  char buf[96];
  wsprintfA(buf, "Please enter no more than %d characters.", maxChars);
  Prompt(buf);
  dx->Fail();
}
