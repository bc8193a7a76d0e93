// Controls with behaviour of their own: the check list box, the tool tip,
// the list/tree helpers and the file dialog.
#include "afxcmn.h"
#include "afxdlgs.h"
#include "afxtempl.h"

void CComboBox::GetLBText(int i, CString& s) const {
  int n = GetLBTextLen(i);
  if (n < 0) { s.Empty(); return; }
  GetLBText(i, s.GetBuffer(n));
  s.ReleaseBuffer();
}

void CListBox::GetText(int i, CString& s) const {
  int n = GetTextLen(i);
  if (n < 0) { s.Empty(); return; }
  GetText(i, s.GetBuffer(n));
  s.ReleaseBuffer();
}

// ----------------------------------------------------------- CCheckListBox
BEGIN_MESSAGE_MAP(CCheckListBox, CListBox)
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_KEYDOWN()
  ON_MESSAGE(LB_ADDSTRING, OnLBAddString)
  ON_MESSAGE(LB_INSERTSTRING, OnLBInsertString)
  ON_MESSAGE(LB_DELETESTRING, OnLBDeleteString)
  ON_MESSAGE(LB_RESETCONTENT, OnLBResetContent)
END_MESSAGE_MAP()

LRESULT CCheckListBox::OnLBAddString(WPARAM, LPARAM) {
  LRESULT r = Default();
  if (r >= 0 && size_t(r) <= m_rows.size()) m_rows.insert(m_rows.begin() + r, Row());
  return r;
}

LRESULT CCheckListBox::OnLBInsertString(WPARAM, LPARAM) {
  LRESULT r = Default();
  if (r >= 0 && size_t(r) <= m_rows.size()) m_rows.insert(m_rows.begin() + r, Row());
  return r;
}

LRESULT CCheckListBox::OnLBDeleteString(WPARAM w, LPARAM) {
  LRESULT r = Default();
  if (r != LB_ERR && w < m_rows.size()) m_rows.erase(m_rows.begin() + int(w));
  return r;
}

LRESULT CCheckListBox::OnLBResetContent(WPARAM, LPARAM) {
  m_rows.clear();
  return Default();
}

void CCheckListBox::SetCheck(int i, int check) {
  if (i < 0 || size_t(i) >= m_rows.size()) return;
  m_rows[size_t(i)].check = check;
  RECT r;
  if (GetItemRect(i, &r) != LB_ERR) InvalidateRect(&r, FALSE);
}

int CCheckListBox::GetCheck(int i) const {
  return i >= 0 && size_t(i) < m_rows.size() ? m_rows[size_t(i)].check : 0;
}

void CCheckListBox::Enable(int i, BOOL enable) {
  if (i < 0 || size_t(i) >= m_rows.size()) return;
  m_rows[size_t(i)].enabled = enable;
  RECT r;
  if (GetItemRect(i, &r) != LB_ERR) InvalidateRect(&r, FALSE);
}

BOOL CCheckListBox::IsEnabled(int i) const {
  return i >= 0 && size_t(i) < m_rows.size() ? m_rows[size_t(i)].enabled : FALSE;
}

void CCheckListBox::Toggle(int i) {
  if (!IsEnabled(i)) return;
  int next = (m_nStyle == BS_AUTO3STATE) ? (GetCheck(i) + 1) % 3 : !GetCheck(i);
  SetCheck(i, next);
  ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CLBN_CHKCHANGE),
                 reinterpret_cast<LPARAM>(m_hWnd));
}

void CCheckListBox::OnLButtonDown(UINT, CPoint pt) {
  BOOL outside = TRUE;
  UINT i = ItemFromPoint(pt, outside);
  RECT r;
  if (!outside && GetItemRect(int(i), &r) != LB_ERR && pt.x < r.left + (r.bottom - r.top)) Toggle(int(i));
  Default();
}

void CCheckListBox::OnKeyDown(UINT key, UINT, UINT) {
  if (key == VK_SPACE) {
    int i = GetCurSel();
    if (i >= 0) Toggle(i);
  }
  Default();
}

void CCheckListBox::MeasureItem(LPMEASUREITEMSTRUCT mis) { mis->itemHeight = 16; }

void CCheckListBox::DrawItem(LPDRAWITEMSTRUCT dis) {
  if (int(dis->itemID) < 0) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect r(dis->rcItem);
  int box = r.Height();
  BOOL enabled = IsEnabled(int(dis->itemID)) && IsWindowEnabled();
  BOOL selected = (dis->itemState & ODS_SELECTED) != 0;
  dc->FillSolidRect(&r, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  CRect check(r.left + 1, r.top + 1, r.left + box - 1, r.bottom - 1);
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  int c = GetCheck(int(dis->itemID));
  if (c == 1) state |= DFCS_CHECKED;
  if (c == 2) state |= DFCS_CHECKED | DFCS_BUTTON3STATE;
  if (!enabled) state |= DFCS_INACTIVE;
  ::DrawFrameControl(dis->hDC, &check, DFC_BUTTON, state);
  CString text;
  GetText(int(dis->itemID), text);
  CRect tr(r.left + box + 2, r.top, r.right, r.bottom);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(::GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  dc->DrawText(text, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (dis->itemState & ODS_FOCUS) dc->DrawFocusRect(&r);
}

// -------------------------------------------------------------- list/tree
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

CString CListCtrl::GetItemText(int i, int sub) const {
  CString s;
  for (int size = 256;; size *= 2) {
    LVITEMA it{};
    it.iSubItem = sub;
    it.cchTextMax = size;
    it.pszText = s.GetBuffer(size);
    int n = int(SendMessage(LVM_GETITEMTEXTA, WPARAM(i), LPARAM(&it)));
    s.ReleaseBuffer();
    if (n < size - 1 || size >= 65536) break;
  }
  return s;
}

CImageList* CListCtrl::SetImageList(CImageList* il, int which) {
  SendMessage(LVM_SETIMAGELIST, WPARAM(which), LPARAM(il->GetSafeHandle()));
  return nullptr;
}

CString CTreeCtrl::GetItemText(HTREEITEM h) const {
  char buf[1024] = {};
  TVITEMA it{};
  it.mask = TVIF_TEXT;
  it.hItem = h;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessage(TVM_GETITEMA, 0, LPARAM(&it));
  return CString(buf);
}

CImageList* CTreeCtrl::SetImageList(CImageList* il, int which) {
  SendMessage(TVM_SETIMAGELIST, WPARAM(which), LPARAM(il->GetSafeHandle()));
  return nullptr;
}

// The caller owns the returned image list (delete it after the drag).
CImageList* CTreeCtrl::CreateDragImage(HTREEITEM h) {
  HIMAGELIST hl = reinterpret_cast<HIMAGELIST>(SendMessage(TVM_CREATEDRAGIMAGE, 0, LPARAM(h)));
  if (!hl) return nullptr;
  CImageList* il = new CImageList;
  il->Attach(hl);
  return il;
}

BOOL CDateTimeCtrl::SetRange(const CTime* mn, const CTime* mx) {
  SYSTEMTIME st[2] = {};
  WPARAM flags = 0;
  if (mn) { mn->GetAsSystemTime(st[0]); flags |= GDTR_MIN; }
  if (mx) { mx->GetAsSystemTime(st[1]); flags |= GDTR_MAX; }
  return BOOL(SendMessage(DTM_SETRANGE, flags, LPARAM(st)));
}

// ------------------------------------------------------------- tool tips
BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  BOOL ok = CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | style,
                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent->GetSafeHwnd(), nullptr);
  if (ok) ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return ok;
}

namespace {
TOOLINFOA MakeTool(HWND owner, CWnd* wnd, UINT id, LPCSTR text, LPCRECT r, UINT flags = TTF_SUBCLASS) {
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = flags;
  ti.hwnd = owner;
  if (r && id) {
    ti.uId = id;
    ti.rect = *r;
  } else {
    ti.uFlags |= TTF_IDISHWND;
    ti.uId = reinterpret_cast<UINT_PTR>(wnd->GetSafeHwnd());
  }
  ti.lpszText = const_cast<LPSTR>(text);
  return ti;
}
}  // namespace

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCSTR text, LPCRECT r, UINT id, UINT flags) {
  HWND owner = (r && id) ? wnd->GetSafeHwnd() : ::GetParent(wnd->GetSafeHwnd());
  TOOLINFOA ti = MakeTool(owner, wnd, id, text, r, flags);
  return BOOL(SendMessage(TTM_ADDTOOLA, 0, LPARAM(&ti)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* wnd, UINT id) {
  HWND owner = id ? wnd->GetSafeHwnd() : ::GetParent(wnd->GetSafeHwnd());
  TOOLINFOA ti = MakeTool(owner, wnd, id, text, nullptr);
  if (id) ti.uId = id, ti.uFlags &= ~TTF_IDISHWND;
  SendMessage(TTM_UPDATETIPTEXTA, 0, LPARAM(&ti));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT id) {
  HWND owner = id ? wnd->GetSafeHwnd() : ::GetParent(wnd->GetSafeHwnd());
  TOOLINFOA ti = MakeTool(owner, wnd, id, nullptr, nullptr);
  if (id) ti.uId = id, ti.uFlags &= ~TTF_IDISHWND;
  SendMessage(TTM_DELTOOLA, 0, LPARAM(&ti));
}

BOOL AFXAPI AfxInitRichEdit() {
  static HMODULE lib = ::LoadLibraryA("riched32.dll");
  return lib != nullptr;
}

BOOL AFXAPI AfxInitRichEdit2() {
  static HMODULE lib = ::LoadLibraryA("riched20.dll");
  return lib != nullptr;
}

// ------------------------------------------------------------ CFileDialog
std::string CFileDialog::ConvertFilter(LPCSTR filter) {
  std::string f = filter ? filter : "";
  for (char& c : f)
    if (c == '|') c = '\0';
  // Always two NULs at the end, whether or not the text ended in "||".
  f.push_back('\0');
  f.push_back('\0');
  return f;
}

CFileDialog::CFileDialog(BOOL open, LPCSTR defExt, LPCSTR fileName, DWORD flags, LPCSTR filter, CWnd* parent)
    : m_bOpenFileDialog(open), m_defExt(defExt) {
  if (filter) m_filter = ConvertFilter(filter);
  if (fileName) lstrcpynA(m_szFileName, fileName, MAX_PATH);
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = parent->GetSafeHwnd();
  m_ofn.lpstrFilter = filter ? m_filter.c_str() : nullptr;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = MAX_PATH;
  m_ofn.lpstrDefExt = defExt ? m_defExt.GetString() : nullptr;
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
  if (!m_ofn.hwndOwner) m_ofn.hwndOwner = ::GetActiveWindow();
  BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
  CString p = m_szFileName;
  int slash = p.ReverseFind('\\');
  return slash >= 0 ? p.Mid(slash + 1) : p;
}

CString CFileDialog::GetFileExt() const {
  CString n = GetFileName();
  int dot = n.ReverseFind('.');
  return dot >= 0 ? n.Mid(dot + 1) : CString();
}

CString CFileDialog::GetFileTitle() const {
  CString n = GetFileName();
  int dot = n.ReverseFind('.');
  return dot > 0 ? n.Left(dot) : n;
}

CString CFileDialog::GetFolderPath() const {
  CString p = m_szFileName;
  int slash = p.ReverseFind('\\');
  return slash >= 0 ? p.Left(slash) : CString();
}
