// Common controls: thin wrappers over the comctl32 messages.
#pragma once
#include "afxwin.h"
#include <richedit.h>

class CImageList : public CObject {
public:
  CImageList() = default;
  ~CImageList() override { DeleteImageList(); }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow) { return Attach(ImageList_Create(cx, cy, flags, initial, grow)); }
  BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    return Attach(ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), cx, grow, mask, IMAGE_BITMAP, 0));
  }
  BOOL Attach(HIMAGELIST h) { if (m_hImageList || !h) return FALSE; m_hImageList = h; return TRUE; }
  HIMAGELIST Detach() { HIMAGELIST h = m_hImageList; m_hImageList = nullptr; return h; }
  BOOL DeleteImageList() { return m_hImageList ? ImageList_Destroy(Detach()) : FALSE; }
  HIMAGELIST GetSafeHandle() const { return this ? m_hImageList : nullptr; }
  operator HIMAGELIST() const { return m_hImageList; }
  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
  int Add(CBitmap* bmp, CBitmap* mask) { return ImageList_Add(m_hImageList, *bmp, mask ? HBITMAP(*mask) : nullptr); }
  int Add(CBitmap* bmp, COLORREF mask) { return ImageList_AddMasked(m_hImageList, *bmp, mask); }
  int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
  BOOL Remove(int i) { return ImageList_Remove(m_hImageList, i); }
  BOOL Draw(CDC* dc, int i, POINT p, UINT style) { return ImageList_Draw(m_hImageList, i, dc->m_hDC, p.x, p.y, style); }
  COLORREF SetBkColor(COLORREF c) { return ImageList_SetBkColor(m_hImageList, c); }
  BOOL BeginDrag(int i, POINT hot) { return ImageList_BeginDrag(m_hImageList, i, hot.x, hot.y); }
  static void EndDrag() { ImageList_EndDrag(); }
  static BOOL DragEnter(CWnd* lock, POINT p) { return ImageList_DragEnter(lock->GetSafeHwnd(), p.x, p.y); }
  static BOOL DragLeave(CWnd* lock) { return ImageList_DragLeave(lock->GetSafeHwnd()); }
  static BOOL DragMove(POINT p) { return ImageList_DragMove(p.x, p.y); }
  static BOOL DragShowNolock(BOOL show) { return ImageList_DragShowNolock(show); }
  HIMAGELIST m_hImageList = nullptr;
};

class CHeaderCtrl : public CWnd {
public:
  int GetItemCount() const { return int(SendMessage(HDM_GETITEMCOUNT)); }
  BOOL GetItem(int i, HDITEMA* item) const { return BOOL(SendMessage(HDM_GETITEMA, WPARAM(i), LPARAM(item))); }
  BOOL SetItem(int i, HDITEMA* item) { return BOOL(SendMessage(HDM_SETITEMA, WPARAM(i), LPARAM(item))); }
  BOOL GetItemRect(int i, LPRECT r) const { return BOOL(SendMessage(HDM_GETITEMRECT, WPARAM(i), LPARAM(r))); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CListCtrl : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(WC_LISTVIEWA, nullptr, style, r, parent, id); }
  DWORD SetExtendedStyle(DWORD s) { return DWORD(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, s)); }
  DWORD GetExtendedStyle() const { return DWORD(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  int InsertColumn(int col, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_FMT;
    c.fmt = format;
    c.pszText = const_cast<LPSTR>(heading);
    if (width >= 0) { c.mask |= LVCF_WIDTH; c.cx = width; }
    if (subItem >= 0) { c.mask |= LVCF_SUBITEM; c.iSubItem = subItem; }
    return int(SendMessage(LVM_INSERTCOLUMNA, WPARAM(col), LPARAM(&c)));
  }
  BOOL DeleteColumn(int col) { return BOOL(SendMessage(LVM_DELETECOLUMN, WPARAM(col))); }
  int GetColumnWidth(int col) const { return int(SendMessage(LVM_GETCOLUMNWIDTH, WPARAM(col))); }
  BOOL SetColumnWidth(int col, int cx) { return BOOL(SendMessage(LVM_SETCOLUMNWIDTH, WPARAM(col), cx)); }
  CHeaderCtrl* GetHeaderCtrl() const { return static_cast<CHeaderCtrl*>(FromHandle(reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)))); }
  int InsertItem(int i, LPCSTR text) { LVITEMA it{}; it.mask = LVIF_TEXT; it.iItem = i; it.pszText = const_cast<LPSTR>(text); return InsertItem(&it); }
  int InsertItem(int i, LPCSTR text, int image) {
    LVITEMA it{}; it.mask = LVIF_TEXT | LVIF_IMAGE; it.iItem = i; it.pszText = const_cast<LPSTR>(text); it.iImage = image;
    return InsertItem(&it);
  }
  int InsertItem(const LVITEMA* it) { return int(SendMessage(LVM_INSERTITEMA, 0, LPARAM(it))); }
  BOOL DeleteItem(int i) { return BOOL(SendMessage(LVM_DELETEITEM, WPARAM(i))); }
  BOOL DeleteAllItems() { return BOOL(SendMessage(LVM_DELETEALLITEMS)); }
  int GetItemCount() const { return int(SendMessage(LVM_GETITEMCOUNT)); }
  BOOL SetItemText(int i, int sub, LPCSTR text) {
    LVITEMA it{}; it.iSubItem = sub; it.pszText = const_cast<LPSTR>(text);
    return BOOL(SendMessage(LVM_SETITEMTEXTA, WPARAM(i), LPARAM(&it)));
  }
  CString GetItemText(int i, int sub) const;
  BOOL SetItemData(int i, DWORD_PTR data) {
    LVITEMA it{}; it.mask = LVIF_PARAM; it.iItem = i; it.lParam = LPARAM(data);
    return BOOL(SendMessage(LVM_SETITEMA, 0, LPARAM(&it)));
  }
  DWORD_PTR GetItemData(int i) const {
    LVITEMA it{}; it.mask = LVIF_PARAM; it.iItem = i;
    SendMessage(LVM_GETITEMA, 0, LPARAM(&it));
    return DWORD_PTR(it.lParam);
  }
  BOOL GetItem(LVITEMA* it) const { return BOOL(SendMessage(LVM_GETITEMA, 0, LPARAM(it))); }
  BOOL SetItem(const LVITEMA* it) { return BOOL(SendMessage(LVM_SETITEMA, 0, LPARAM(it))); }
  BOOL SetItemState(int i, UINT state, UINT mask) {
    LVITEMA it{}; it.state = state; it.stateMask = mask;
    return BOOL(SendMessage(LVM_SETITEMSTATE, WPARAM(i), LPARAM(&it)));
  }
  UINT GetItemState(int i, UINT mask) const { return UINT(SendMessage(LVM_GETITEMSTATE, WPARAM(i), mask)); }
  BOOL GetCheck(int i) const { return ((GetItemState(i, LVIS_STATEIMAGEMASK) >> 12) - 1) > 0; }
  BOOL SetCheck(int i, BOOL check = TRUE) { return SetItemState(i, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK); }
  int GetNextItem(int i, int flags) const { return int(SendMessage(LVM_GETNEXTITEM, WPARAM(i), flags)); }
  UINT GetSelectedCount() const { return UINT(SendMessage(LVM_GETSELECTEDCOUNT)); }
  POSITION GetFirstSelectedItemPosition() const { return reinterpret_cast<POSITION>(INT_PTR(GetNextItem(-1, LVNI_SELECTED) + 1)); }
  int GetNextSelectedItem(POSITION& pos) const {
    int i = int(reinterpret_cast<INT_PTR>(pos)) - 1;
    pos = reinterpret_cast<POSITION>(INT_PTR(GetNextItem(i, LVNI_SELECTED) + 1));
    return i;
  }
  int GetSelectionMark() const { return int(SendMessage(LVM_GETSELECTIONMARK)); }
  int SetSelectionMark(int i) { return int(SendMessage(LVM_SETSELECTIONMARK, 0, i)); }
  BOOL EnsureVisible(int i, BOOL partialOk) { return BOOL(SendMessage(LVM_ENSUREVISIBLE, WPARAM(i), partialOk)); }
  BOOL GetItemRect(int i, LPRECT r, UINT code) const { if (r) r->left = LONG(code); return BOOL(SendMessage(LVM_GETITEMRECT, WPARAM(i), LPARAM(r))); }
  int HitTest(LVHITTESTINFO* info) const { return int(SendMessage(LVM_HITTEST, 0, LPARAM(info))); }
  int HitTest(CPoint p, UINT* flags = nullptr) const { LVHITTESTINFO h{}; h.pt = p; int r = HitTest(&h); if (flags) *flags = h.flags; return r; }
  int SubItemHitTest(LVHITTESTINFO* info) { return int(SendMessage(LVM_SUBITEMHITTEST, 0, LPARAM(info))); }
  CImageList* SetImageList(CImageList* il, int which);
  COLORREF SetBkColor(COLORREF c) { return COLORREF(SendMessage(LVM_SETBKCOLOR, 0, c)); }
  BOOL SetTextColor(COLORREF c) { return BOOL(SendMessage(LVM_SETTEXTCOLOR, 0, c)); }
  BOOL SetTextBkColor(COLORREF c) { return BOOL(SendMessage(LVM_SETTEXTBKCOLOR, 0, c)); }
  int GetTopIndex() const { return int(SendMessage(LVM_GETTOPINDEX)); }
  int GetCountPerPage() const { return int(SendMessage(LVM_GETCOUNTPERPAGE)); }
  BOOL SortItems(PFNLVCOMPARE fn, DWORD_PTR data) { return BOOL(SendMessage(LVM_SORTITEMS, WPARAM(data), LPARAM(fn))); }
  BOOL RedrawItems(int first, int last) { return BOOL(SendMessage(LVM_REDRAWITEMS, WPARAM(first), last)); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CTreeCtrl : public CWnd {
  DECLARE_DYNAMIC(CTreeCtrl)
public:
  BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(WC_TREEVIEWA, nullptr, style, r, parent, id); }
  HTREEITEM InsertItem(LPTVINSERTSTRUCTA is) { return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, LPARAM(is))); }
  HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST) {
    return InsertItem(text, -1, -1, parent, after);
  }
  HTREEITEM InsertItem(LPCSTR text, int image, int selImage, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST) {
    TVINSERTSTRUCTA is{};
    is.hParent = parent;
    is.hInsertAfter = after;
    is.item.mask = TVIF_TEXT;
    is.item.pszText = const_cast<LPSTR>(text);
    if (image >= 0) { is.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE; is.item.iImage = image; is.item.iSelectedImage = selImage; }
    return InsertItem(&is);
  }
  BOOL DeleteItem(HTREEITEM h) { return BOOL(SendMessage(TVM_DELETEITEM, 0, LPARAM(h))); }
  BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
  UINT GetCount() const { return UINT(SendMessage(TVM_GETCOUNT)); }
  HTREEITEM GetNextItem(HTREEITEM h, UINT code) const { return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, LPARAM(h))); }
  HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
  HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
  HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
  HTREEITEM GetPrevSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PREVIOUS); }
  HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
  HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
  HTREEITEM GetDropHilightItem() const { return GetNextItem(nullptr, TVGN_DROPHILITE); }
  BOOL ItemHasChildren(HTREEITEM h) const { return GetChildItem(h) != nullptr; }
  BOOL SelectItem(HTREEITEM h) { return BOOL(SendMessage(TVM_SELECTITEM, TVGN_CARET, LPARAM(h))); }
  BOOL SelectDropTarget(HTREEITEM h) { return BOOL(SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(h))); }
  BOOL Expand(HTREEITEM h, UINT code) { return BOOL(SendMessage(TVM_EXPAND, code, LPARAM(h))); }
  BOOL EnsureVisible(HTREEITEM h) { return BOOL(SendMessage(TVM_ENSUREVISIBLE, 0, LPARAM(h))); }
  CString GetItemText(HTREEITEM h) const;
  BOOL SetItemText(HTREEITEM h, LPCSTR text) {
    TVITEMA it{}; it.mask = TVIF_TEXT; it.hItem = h; it.pszText = const_cast<LPSTR>(text);
    return BOOL(SendMessage(TVM_SETITEMA, 0, LPARAM(&it)));
  }
  DWORD_PTR GetItemData(HTREEITEM h) const {
    TVITEMA it{}; it.mask = TVIF_PARAM; it.hItem = h;
    SendMessage(TVM_GETITEMA, 0, LPARAM(&it));
    return DWORD_PTR(it.lParam);
  }
  BOOL SetItemData(HTREEITEM h, DWORD_PTR data) {
    TVITEMA it{}; it.mask = TVIF_PARAM; it.hItem = h; it.lParam = LPARAM(data);
    return BOOL(SendMessage(TVM_SETITEMA, 0, LPARAM(&it)));
  }
  BOOL GetItem(TVITEMA* it) const { return BOOL(SendMessage(TVM_GETITEMA, 0, LPARAM(it))); }
  BOOL SetItem(TVITEMA* it) { return BOOL(SendMessage(TVM_SETITEMA, 0, LPARAM(it))); }
  BOOL SetItemImage(HTREEITEM h, int image, int selImage) {
    TVITEMA it{}; it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE; it.hItem = h; it.iImage = image; it.iSelectedImage = selImage;
    return SetItem(&it);
  }
  BOOL GetItemImage(HTREEITEM h, int& image, int& selImage) const {
    TVITEMA it{}; it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE; it.hItem = h;
    BOOL r = GetItem(&it);
    image = it.iImage; selImage = it.iSelectedImage;
    return r;
  }
  UINT GetItemState(HTREEITEM h, UINT mask) const { return UINT(SendMessage(TVM_GETITEMSTATE, WPARAM(h), mask)); }
  BOOL SetItemState(HTREEITEM h, UINT state, UINT mask) {
    TVITEMA it{}; it.mask = TVIF_STATE; it.hItem = h; it.state = state; it.stateMask = mask;
    return SetItem(&it);
  }
  BOOL GetCheck(HTREEITEM h) const { return ((GetItemState(h, TVIS_STATEIMAGEMASK) >> 12) - 1) > 0; }
  BOOL SetCheck(HTREEITEM h, BOOL check = TRUE) { return SetItemState(h, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK); }
  BOOL GetItemRect(HTREEITEM h, LPRECT r, BOOL textOnly) const {
    *reinterpret_cast<HTREEITEM*>(r) = h;
    return BOOL(SendMessage(TVM_GETITEMRECT, textOnly, LPARAM(r)));
  }
  HTREEITEM HitTest(CPoint p, UINT* flags = nullptr) const {
    TVHITTESTINFO h{}; h.pt = p;
    HTREEITEM r = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, LPARAM(&h)));
    if (flags) *flags = h.flags;
    return r;
  }
  CImageList* SetImageList(CImageList* il, int which);
  CImageList* CreateDragImage(HTREEITEM h);
  COLORREF SetBkColor(COLORREF c) { return COLORREF(SendMessage(TVM_SETBKCOLOR, 0, c)); }
  COLORREF SetTextColor(COLORREF c) { return COLORREF(SendMessage(TVM_SETTEXTCOLOR, 0, c)); }
  BOOL SortChildren(HTREEITEM h) { return BOOL(SendMessage(TVM_SORTCHILDREN, 0, LPARAM(h))); }
};

class CTabCtrl : public CWnd {
public:
  LONG InsertItem(int i, LPCSTR text) {
    TCITEMA it{}; it.mask = TCIF_TEXT; it.pszText = const_cast<LPSTR>(text);
    return LONG(SendMessage(TCM_INSERTITEMA, WPARAM(i), LPARAM(&it)));
  }
  LONG InsertItem(UINT mask, int i, LPCSTR text, int image, LPARAM param) {
    TCITEMA it{}; it.mask = mask; it.pszText = const_cast<LPSTR>(text); it.iImage = image; it.lParam = param;
    return LONG(SendMessage(TCM_INSERTITEMA, WPARAM(i), LPARAM(&it)));
  }
  BOOL GetItem(int i, TCITEMA* item) const { return BOOL(SendMessage(TCM_GETITEMA, WPARAM(i), LPARAM(item))); }
  BOOL DeleteItem(int i) { return BOOL(SendMessage(TCM_DELETEITEM, WPARAM(i))); }
  BOOL DeleteAllItems() { return BOOL(SendMessage(TCM_DELETEALLITEMS)); }
  int GetItemCount() const { return int(SendMessage(TCM_GETITEMCOUNT)); }
  int GetCurSel() const { return int(SendMessage(TCM_GETCURSEL)); }
  int SetCurSel(int i) { return int(SendMessage(TCM_SETCURSEL, WPARAM(i))); }
  BOOL GetItemRect(int i, LPRECT r) const { return BOOL(SendMessage(TCM_GETITEMRECT, WPARAM(i), LPARAM(r))); }
  void AdjustRect(BOOL larger, LPRECT r) { SendMessage(TCM_ADJUSTRECT, larger, LPARAM(r)); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CSliderCtrl : public CWnd {
public:
  int GetPos() const { return int(SendMessage(TBM_GETPOS)); }
  void SetPos(int p) { SendMessage(TBM_SETPOS, TRUE, p); }
  void SetRange(int mn, int mx, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, FALSE, mn); SendMessage(TBM_SETRANGEMAX, redraw, mx); }
  void GetRange(int& mn, int& mx) const { mn = int(SendMessage(TBM_GETRANGEMIN)); mx = int(SendMessage(TBM_GETRANGEMAX)); }
  int GetRangeMin() const { return int(SendMessage(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return int(SendMessage(TBM_GETRANGEMAX)); }
  void SetTicFreq(int f) { SendMessage(TBM_SETTICFREQ, WPARAM(f)); }
  int SetPageSize(int s) { return int(SendMessage(TBM_SETPAGESIZE, 0, s)); }
  int SetLineSize(int s) { return int(SendMessage(TBM_SETLINESIZE, 0, s)); }
  void GetChannelRect(LPRECT r) const { SendMessage(TBM_GETCHANNELRECT, 0, LPARAM(r)); }
  void GetThumbRect(LPRECT r) const { SendMessage(TBM_GETTHUMBRECT, 0, LPARAM(r)); }
};

class CSpinButtonCtrl : public CWnd {
public:
  int GetPos() const { return int(short(LOWORD(SendMessage(UDM_GETPOS)))); }
  int SetPos(int p) { return int(SendMessage(UDM_SETPOS, 0, MAKELPARAM(p, 0))); }
  void SetRange(short lo, short hi) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(hi, lo)); }
  void SetRange32(int lo, int hi) { SendMessage(UDM_SETRANGE32, WPARAM(lo), hi); }
  CWnd* SetBuddy(CWnd* b) { return FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, WPARAM(b->GetSafeHwnd())))); }
};

class CProgressCtrl : public CWnd {
public:
  void SetRange(short lo, short hi) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lo, hi)); }
  void SetRange32(int lo, int hi) { SendMessage(PBM_SETRANGE32, WPARAM(lo), hi); }
  int SetPos(int p) { return int(SendMessage(PBM_SETPOS, WPARAM(p))); }
  int GetPos() const { return int(SendMessage(PBM_GETPOS)); }
  int OffsetPos(int d) { return int(SendMessage(PBM_DELTAPOS, WPARAM(d))); }
  int SetStep(int s) { return int(SendMessage(PBM_SETSTEP, WPARAM(s))); }
  int StepIt() { return int(SendMessage(PBM_STEPIT)); }
};

class CIPAddressCtrl : public CWnd {
public:
  int GetAddress(BYTE& a, BYTE& b, BYTE& c, BYTE& d) const {
    DWORD v = 0;
    int n = int(SendMessage(IPM_GETADDRESS, 0, LPARAM(&v)));
    a = FIRST_IPADDRESS(v); b = SECOND_IPADDRESS(v); c = THIRD_IPADDRESS(v); d = FOURTH_IPADDRESS(v);
    return n;
  }
  int GetAddress(DWORD& v) const { return int(SendMessage(IPM_GETADDRESS, 0, LPARAM(&v))); }
  void SetAddress(BYTE a, BYTE b, BYTE c, BYTE d) { SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d)); }
  void SetAddress(DWORD v) { SendMessage(IPM_SETADDRESS, 0, LPARAM(v)); }
  void ClearAddress() { SendMessage(IPM_CLEARADDRESS); }
  BOOL IsBlank() const { return BOOL(SendMessage(IPM_ISBLANK)); }
};

class CDateTimeCtrl : public CWnd {
public:
  BOOL GetTime(SYSTEMTIME* st) const { return SendMessage(DTM_GETSYSTEMTIME, 0, LPARAM(st)) == GDT_VALID; }
  BOOL GetTime(CTime& t) const { SYSTEMTIME st{}; if (!GetTime(&st)) return FALSE; t = CTime(st); return TRUE; }
  BOOL SetTime(const SYSTEMTIME* st) { return BOOL(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(st))); }
  BOOL SetTime(const CTime& t) { SYSTEMTIME st{}; t.GetAsSystemTime(st); return SetTime(&st); }
  BOOL SetFormat(LPCSTR fmt) { return BOOL(SendMessage(DTM_SETFORMATA, 0, LPARAM(fmt))); }
  BOOL SetRange(const CTime* mn, const CTime* mx);
};

class CToolTipCtrl : public CWnd {
public:
  BOOL Create(CWnd* parent, DWORD style = 0);
  // flags TTF_SUBCLASS: the tooltip watches the tool window's mouse messages
  // itself. 0: the tool's owner passes them on with RelayEvent; never both,
  // or every message reaches the tooltip twice.
  BOOL AddTool(CWnd* wnd, LPCSTR text, LPCRECT r = nullptr, UINT id = 0, UINT flags = TTF_SUBCLASS);
  void UpdateTipText(LPCSTR text, CWnd* wnd, UINT id = 0);
  void DelTool(CWnd* wnd, UINT id = 0);
  void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, LPARAM(msg)); }
  void Activate(BOOL a) { SendMessage(TTM_ACTIVATE, a); }
  int SetMaxTipWidth(int w) { return int(SendMessage(TTM_SETMAXTIPWIDTH, 0, w)); }
  void SetDelayTime(UINT ms) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, ms); }
  // One duration: TTDT_INITIAL, TTDT_AUTOPOP or TTDT_RESHOW.
  void SetDelayTime(DWORD duration, int ms) { SendMessage(TTM_SETDELAYTIME, duration, MAKELPARAM(ms, 0)); }
  int GetDelayTime(DWORD duration) const { return int(SendMessage(TTM_GETDELAYTIME, duration)); }
  int GetToolCount() const { return int(SendMessage(TTM_GETTOOLCOUNT)); }
};

class CRichEditCtrl : public CWnd {
public:
  long GetTextLength() const { return long(SendMessage(WM_GETTEXTLENGTH)); }
  void SetSel(long start, long end) { CHARRANGE cr{start, end}; SendMessage(EM_EXSETSEL, 0, LPARAM(&cr)); }
  void ReplaceSel(LPCSTR s, BOOL undo = FALSE) { SendMessage(EM_REPLACESEL, undo, LPARAM(s)); }
  COLORREF SetBackgroundColor(BOOL sys, COLORREF c) { return COLORREF(SendMessage(EM_SETBKGNDCOLOR, sys, c)); }
  void LimitText(long n) { SendMessage(EM_EXLIMITTEXT, 0, n); }
  BOOL SetReadOnly(BOOL ro = TRUE) { return BOOL(SendMessage(EM_SETREADONLY, ro)); }
};

// Loads the rich edit library once; TRUE when the control class exists.
BOOL AFXAPI AfxInitRichEdit();
BOOL AFXAPI AfxInitRichEdit2();
