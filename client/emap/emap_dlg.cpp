#include "emap_dlg.h"

#include <afxdlgs.h>
#include <commctrl.h>

#include "app_services.h"
#include "emap_ini.h"
#include "helpers.h"
#include "language.h"
#include "map_devices.h"

namespace {

// Prompts of the map (GBK).
const char kSelectMapNode[] = "\xc7\xeb\xcf\xc8\xd1\xa1\xd6\xd0\xd7\xf3\xb1\xdf\xb7\xc7\xb8\xf9\xbd\xda\xb5\xe3\xa3\xa1";
const char kChooseCamera[] = "\xc7\xeb\xd1\xa1\xd4\xf1\xd2\xaa\xc5\xe4\xd6\xc3\xb5\xc4\xc9\xe3\xcf\xf1\xcd\xb7\xa3\xa1";
const char kChooseProbe[] = "\xc7\xeb\xd1\xa1\xd4\xf1\xd2\xaa\xc5\xe4\xd6\xc3\xb5\xc4\xcc\xbd\xcd\xb7\xa3\xa1";
const char kDeleteProbe[] = "\xc7\xeb\xd1\xa1\xd4\xf1\xd2\xaa\xc9\xbe\xb3\xfd\xb5\xc4\xcc\xbd\xcd\xb7\xa3\xa1";
const char kSelectSubMap[] =
    "\xcc\xed\xbc\xd3\xb5\xd8\xcd\xbc,\xc7\xeb\xcf\xc8\xd1\xa1\xd6\xd0\xd7\xf3\xb1\xdf\xd7\xd3\xb5\xd8\xcd\xbc\xbd\xda"
    "\xb5\xe3\xa3\xa1";
const char kPictureFilter[] =
    "\xb5\xe7\xd7\xd3\xb5\xd8\xcd\xbc(*.jpg)|*.jpg|\xb5\xe7\xd7\xd3\xb5\xd8\xcd\xbc(*.bmp)|*.bmp|\xcb\xf9\xd3\xd0\xce"
    "\xc4\xbc\xfe(*.*)|*.*||";
const char kRootNotDeleted[] = "\xb8\xf9\xc4\xbf\xc2\xbc\xb2\xbb\xd4\xca\xd0\xed\xc9\xbe\xb3\xfd!";
const char kConfirmDelete[] = "\xc8\xb7\xc8\xcf\xd2\xaa\xc9\xbe\xb3\xfd\xb4\xcb\xb5\xd8\xcd\xbc\xc2\xf0?";
const char kMapDeleted[] = "\xb5\xd8\xcd\xbc\xc9\xbe\xb3\xfd\xb3\xc9\xb9\xa6!";
const char kNumberFont[] = "\xba\xda\xcc\xe5";

struct Tool {
  UINT id;
  const char* tip;
};
const Tool kTools[] = {
    {ID_MAP_SET_PICTURE, "Set Map Picture"}, {ID_MAP_DELETE_MAP, "Delete Map"},
    {ID_MAP_ADD_CAMERA, "Add Camera"},       {ID_MAP_ADD_PROBE, "Add Probe"},
    {ID_MAP_CONFIG_CAMERA, "Config Camera"}, {ID_MAP_CONFIG_PROBE, "Config Probe"},
    {ID_MAP_DELETE_CAMERA, "Delete Camera"}, {ID_MAP_DELETE_PROBE, "Delete Probe"},
    {ID_MAP_SAVE, "Save"},                   {ID_MAP_CLOSE, "Close"},
};

int Box(CWnd* owner, const char* text, UINT type = MB_OK | MB_ICONINFORMATION) {
  return TranslatedMessageBox(owner, text, nullptr, type);
}

}  // namespace

BEGIN_MESSAGE_MAP(CEMapDlg, CDialog)
  ON_WM_DRAWITEM()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_SIZE()
  ON_WM_SYSCOMMAND()
  ON_WM_TIMER()
  ON_WM_CLOSE()
  ON_WM_DESTROY()
  ON_NOTIFY(TVN_SELCHANGEDA, IDC_MAP_TREE, OnMapSelChanged)
  ON_NOTIFY(TCN_SELCHANGE, IDC_MAP_TAB, OnTabSelChange)
  ON_NOTIFY_RANGE(TTN_GETDISPINFOA, ID_MAP_SET_PICTURE, ID_MAP_DELETE_CAMERA, OnToolTip)
  ON_BN_CLICKED(IDC_MAP_AUTO_POPUP, OnAutoPopup)
  ON_MESSAGE(WM_MAP_CHANNEL_ALARM, OnChannelAlarm)
  ON_MESSAGE(WM_MAP_QUERY, OnQuery)
  ON_COMMAND(ID_MAP_SET_PICTURE, OnSetPicture)
  ON_COMMAND(ID_MAP_DELETE_MAP, OnDeleteMap)
  ON_COMMAND(ID_MAP_ADD_CAMERA, OnAddCamera)
  ON_COMMAND(ID_MAP_ADD_PROBE, OnAddProbe)
  ON_COMMAND(ID_MAP_CONFIG_CAMERA, OnConfigCamera)
  ON_COMMAND(ID_MAP_CONFIG_PROBE, OnConfigProbe)
  ON_COMMAND(ID_MAP_DELETE_CAMERA, OnDeleteCamera)
  ON_COMMAND(ID_MAP_DELETE_PROBE, OnDeleteProbe)
  ON_COMMAND(ID_MAP_SAVE, OnSave)
  ON_COMMAND(ID_MAP_CLOSE, OnCloseCommand)
END_MESSAGE_MAP()

CEMapDlg::CEMapDlg(CWnd* parent) : CDialog(IDD, parent), m_videoDlg(nullptr) {
  m_folder = GetModuleDirectory();
  m_iniPath = m_folder + "EMAP.INI";
}

CEMapDlg::~CEMapDlg() {
  if (m_videoDlg.GetSafeHwnd()) m_videoDlg.DestroyWindow();
}

BOOL CEMapDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Electronic Map"));
  m_videoDlg.Create(CMapVideoDlg::IDD, this);
  HINSTANCE res = AfxGetResourceHandle();
  HICON icon = HICON(::LoadImageA(res, MAKEINTRESOURCEA(IDI_EMAP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  SendMessage(WM_SETICON, ICON_BIG, LPARAM(icon));
  SendMessage(WM_SETICON, ICON_SMALL, LPARAM(icon));

  // The tool bar: one bitmap strip, one button per command.
  m_toolBar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, 0, 0,
                                0, 0, m_hWnd, nullptr, res, nullptr);
  if (m_toolBar) {
    ::SendMessageA(m_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(m_toolBar, TB_SETBITMAPSIZE, 0, MAKELONG(16, 16));
    TBADDBITMAP bitmap{res, IDR_EMAP_TOOLBAR};
    ::SendMessageA(m_toolBar, TB_ADDBITMAP, WPARAM(std::size(kTools)), LPARAM(&bitmap));
    TBBUTTON buttons[std::size(kTools)] = {};
    for (size_t i = 0; i < std::size(kTools); ++i) {
      buttons[i].iBitmap = int(i);
      buttons[i].idCommand = int(kTools[i].id);
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    ::SendMessageA(m_toolBar, TB_ADDBUTTONSA, WPARAM(std::size(kTools)), LPARAM(buttons));
    ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
  }

  SetDlgItemText(IDC_MAP_NOTE, TranslateString("Note: Hold down the Ctrl key drag the icon"));
  SetDlgItemText(IDC_MAP_AUTO_POPUP, TranslateString("Auto Popup When Alarm"));
  m_tab.SubclassDlgItem(IDC_MAP_TAB, this);
  m_tab.InsertItem(0, TranslateString("Device List"));
  m_mapTree.SubclassDlgItem(IDC_MAP_TREE, this);
  m_deviceList.SubclassDlgItem(IDC_MAP_DEVICE_LIST, this);
  m_deviceList.m_dropTarget = this;
  m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 2);
  for (UINT id : {IDI_MAP_DEVICE, IDI_MAP_CHANNEL}) {
    HICON small = HICON(::LoadImageA(res, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
    m_images.Add(small);
    ::DestroyIcon(small);
  }
  m_rootNode = m_deviceList.Fill(m_records, &m_images);
  m_listedDevices = emap::CountListedDevices(m_records, emap::kMapDeviceRecords);
  m_currentNode = m_rootNode;

  const UINT states[8] = {0, 0, 0, IDB_MAP_CAMERA_PICKED, IDB_MAP_CAMERA, IDB_MAP_CAMERA_ALARM, IDB_MAP_PROBE_PICKED,
                          IDB_MAP_PROBE};
  for (int s = 3; s < 8; ++s) m_stateBitmaps[s] = ::LoadBitmapA(res, MAKEINTRESOURCEA(states[s]));
  m_background = ::LoadBitmapA(res, MAKEINTRESOURCEA(IDB_MAP_BACKGROUND));
  m_numberFont = ::CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, kNumberFont);

  CRect client;
  GetClientRect(&client);
  Layout(client.Width(), client.Height());

  // The start map, "EMap1", shows when its picture file can be opened.
  FillMapTree();
  CPrivateProfileMapIni ini(m_iniPath.GetString());
  emap::StartMap start = emap::ReadStartMap(ini, m_folder.GetString());
  if (start.present && FileExists(start.picturePath.c_str())) ShowMap(start.id);
  return TRUE;
}

void CEMapDlg::FillMapTree() {
  // The maps of EMAP.INI under their parents ("pid"); the root map is
  // "EMap0" (id 0). The map commands work on the selected node of this tree.
  m_mapTree.DeleteAllItems();
  CPrivateProfileMapIni ini(m_iniPath.GetString());
  CString rootName = ini.Read("EMap0", "name", "Map").c_str();
  HTREEITEM root = m_mapTree.InsertItem(rootName);
  m_mapTree.SetItemData(root, 0);
  for (int n = 1; n < 1000; ++n) {
    std::string s = emap::MapSection(n);
    int id = emap::ToInt(ini.Read(s, "id", "-1"));
    if (id == -1) break;
    int pid = emap::ToInt(ini.Read(s, "pid", "0"));
    HTREEITEM parent = root;
    for (HTREEITEM h = m_mapTree.GetChildItem(root); h; h = m_mapTree.GetNextSiblingItem(h))
      if (int(m_mapTree.GetItemData(h)) == pid) parent = h;
    HTREEITEM item = m_mapTree.InsertItem(ini.Read(s, "name", "0").c_str(), parent);
    m_mapTree.SetItemData(item, DWORD_PTR(id));
    m_mapTree.Expand(parent, TVE_EXPAND);
  }
  m_mapTree.Expand(root, TVE_EXPAND);
}

void CEMapDlg::Open() {
  RefreshDeviceList();
  CenterWindow();
  ShowWindow(SW_SHOW);
}

void CEMapDlg::RefreshDeviceList() {
  int listed = emap::CountListedDevices(m_records, emap::kMapDeviceRecords);
  if (listed == m_listedDevices || !m_deviceList.GetSafeHwnd()) return;
  m_listedDevices = listed;
  BOOL wasRoot = m_currentNode == m_rootNode;
  m_rootNode = m_deviceList.Fill(m_records, &m_images);
  if (wasRoot) m_currentNode = m_rootNode;
}

void CEMapDlg::ShowMap(int id) {
  CPrivateProfileMapIni ini(m_iniPath.GetString());
  for (int n = 1; n < 1000; ++n) {
    std::string s = emap::MapSection(n);
    int sid = emap::ToInt(ini.Read(s, "id", "-1"));
    if (sid == -1) break;
    if (sid != id) continue;
    m_map.id = uint32_t(id);
    m_map.pictureName = ini.Read(s, "picturename", "");
    m_map.removed = m_map.pictureName.empty();
    m_hasMap = TRUE;
    for (HTREEITEM h = m_mapTree.GetChildItem(m_mapTree.GetRootItem()); h; h = m_mapTree.GetNextSiblingItem(h))
      if (int(m_mapTree.GetItemData(h)) == id) m_currentNode = h;
    ShowPicture(m_map.pictureName.c_str());
    return;
  }
}

void CEMapDlg::ShowPicture(const CString& name) {
  m_picturePath = emap::MapPicturePath(m_folder.GetString(), name.GetString()).c_str();
  if (name.IsEmpty() || !m_picture.Load(m_picturePath)) m_picture.Free();
  m_canvas.Reset();
  emap::MapIcons loaded;
  CPrivateProfileMapIni ini(m_iniPath.GetString());
  if (!name.IsEmpty()) emap::LoadMaps(ini, name.GetString(), loaded);
  m_canvas.AddLoaded(loaded);
  RedrawCanvas();
}

void CEMapDlg::OnMapSelChanged(NMHDR*, LRESULT* result) {
  *result = 0;
  HTREEITEM node = m_mapTree.GetSelectedItem();
  if (!node) return;
  if (node == m_currentNode) {
    RedrawCanvas();
    return;
  }
  m_currentNode = node;
  if (node == m_mapTree.GetRootItem()) {
    RedrawCanvas();
    return;
  }
  ShowMap(int(m_mapTree.GetItemData(node)));
}

void CEMapDlg::OnTabSelChange(NMHDR*, LRESULT* result) {
  *result = 0;
  int page = m_tab.GetCurSel();
  BOOL devices = page == 0 || page == 1;
  m_deviceList.ShowWindow(devices ? SW_SHOW : SW_HIDE);
  m_mapTree.ShowWindow(devices ? SW_HIDE : SW_SHOW);
}

void CEMapDlg::OnToolTip(UINT id, NMHDR* nm, LRESULT* result) {
  *result = 0;
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(nm);
  for (const Tool& t : kTools)
    if (t.id == UINT(nm->idFrom)) {
      m_tip = TranslateString(t.tip);
      info->lpszText = const_cast<char*>(m_tip.GetString());
    }
}

void CEMapDlg::OnAutoPopup() { m_autoPopup = IsDlgButtonChecked(IDC_MAP_AUTO_POPUP) == BST_CHECKED; }

// ------------------------------------------------------------- the canvas

CPoint CEMapDlg::ToCanvas(CPoint p) const {
  ::MapWindowPoints(m_hWnd, Canvas(), &p, 1);
  return p;
}

void CEMapDlg::RedrawCanvas() {
  if (HWND c = Canvas()) ::InvalidateRect(c, nullptr, FALSE);
}

void CEMapDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
  if (id != IDC_MAP_CANVAS) {
    Default();
    return;
  }
  CRect area(dis->rcItem);
  CDC target;
  target.Attach(dis->hDC);
  CDC memory;
  memory.CreateCompatibleDC(&target);
  CBitmap frame;
  frame.CreateCompatibleBitmap(&target, area.Width(), area.Height());
  CBitmap* old = memory.SelectObject(&frame);
  DrawCanvas(memory, CRect(0, 0, area.Width(), area.Height()));
  target.BitBlt(area.left, area.top, area.Width(), area.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
  target.Detach();
}

void CEMapDlg::DrawCanvas(CDC& dc, const CRect& area) {
  HBITMAP picture = m_hasMap && !m_map.removed ? m_picture.GetBitmap() : nullptr;
  HBITMAP source = picture ? picture : m_background;
  dc.FillSolidRect(area, RGB(0, 0, 0));
  if (source) {
    BITMAP bm{};
    ::GetObjectA(source, sizeof bm, &bm);
    HDC src = ::CreateCompatibleDC(dc.m_hDC);
    HGDIOBJ old = ::SelectObject(src, source);
    ::SetStretchBltMode(dc.m_hDC, COLORONCOLOR);
    ::StretchBlt(dc.m_hDC, area.left, area.top, area.Width(), area.Height(), src, 0, 0, bm.bmWidth, bm.bmHeight,
                 SRCCOPY);
    ::SelectObject(src, old);
    ::DeleteDC(src);
  }
  if (!m_hasMap) return;
  for (int i = 0; i < m_canvas.icons.Size(); ++i)
    if (m_canvas.icons.work[size_t(i)].Live()) DrawIcon(dc, i);
}

void CEMapDlg::DrawIcon(CDC& dc, int index) {
  if (index < 0 || index >= m_canvas.icons.Size()) return;
  const emap::MapIconEntry& e = m_canvas.icons.work[size_t(index)];
  HBITMAP bitmap = m_stateBitmaps[m_canvas.StateOf(index)];
  if (!bitmap) return;
  // A copy of the state's bitmap, with a camera's number written on it.
  HDC icon = ::CreateCompatibleDC(dc.m_hDC);
  HBITMAP copy = ::CreateCompatibleBitmap(dc.m_hDC, emap::kIconSize, emap::kIconSize);
  HGDIOBJ oldIcon = ::SelectObject(icon, copy);
  HDC src = ::CreateCompatibleDC(dc.m_hDC);
  HGDIOBJ oldSrc = ::SelectObject(src, bitmap);
  ::BitBlt(icon, 0, 0, emap::kIconSize, emap::kIconSize, src, 0, 0, SRCCOPY);
  ::SelectObject(src, oldSrc);
  ::DeleteDC(src);
  if (e.kind == emap::kIconCamera && e.channel >= 1 && e.channel <= emap::kAlarmChannels) {
    HGDIOBJ oldFont = ::SelectObject(icon, m_numberFont);
    ::SetBkMode(icon, TRANSPARENT);
    ::SetTextColor(icon, RGB(255, 255, 0));
    RECT body{3, 8, 23, 24};
    CString number = IntToString(e.channel);
    ::DrawTextA(icon, number, number.GetLength(), &body, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(icon, oldFont);
  }
  ::TransparentBlt(dc.m_hDC, e.left, e.top, emap::kIconSize, emap::kIconSize, icon, 0, 0, emap::kIconSize,
                   emap::kIconSize, RGB(255, 255, 255));
  ::SelectObject(icon, oldIcon);
  ::DeleteObject(copy);
  ::DeleteDC(icon);
}

void CEMapDlg::OnLButtonDown(UINT flags, CPoint point) {
  if (!m_hasMap) return;
  CPoint p = ToCanvas(point);
  int before = m_canvas.picked;
  if (m_canvas.Press(p.x, p.y) >= 0) SetCapture();
  if (before != m_canvas.picked || m_canvas.picked >= 0) RedrawCanvas();
}

void CEMapDlg::OnMouseMove(UINT flags, CPoint point) {
  if (flags != (MK_LBUTTON | MK_CONTROL) || !m_hasMap) return;
  CPoint p = ToCanvas(point);
  if (m_canvas.DragTo(p.x, p.y)) RedrawCanvas();
}

void CEMapDlg::OnLButtonUp(UINT flags, CPoint point) {
  bool repaint = m_canvas.Release();
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (repaint) RedrawCanvas();
}

void CEMapDlg::OnLButtonDblClk(UINT flags, CPoint point) {
  if (!m_hasMap) return;
  CPoint p = ToCanvas(point);
  int device = 0, channel = 0;
  if (m_canvas.VideoAt(p.x, p.y, device, channel) && m_openVideo) m_openVideo(device, channel);
}

void CEMapDlg::Layout(int cx, int cy) {
  if (!m_tab.GetSafeHwnd()) return;
  int top = 4;
  if (m_toolBar) {
    ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
    RECT r;
    ::GetWindowRect(m_toolBar, &r);
    top = int(r.bottom - r.top) + 4;
  }
  const int left = 190, pad = 6, tabH = 24, checkH = 20, noteH = 18;
  m_tab.MoveWindow(pad, top, left - pad, tabH);
  int treeBottom = cy - pad - checkH - 4;
  if (treeBottom < top + tabH + 20) treeBottom = top + tabH + 20;
  CRect tree(pad, top + tabH + 2, left, treeBottom);
  m_mapTree.MoveWindow(tree);
  m_deviceList.MoveWindow(tree);
  ::MoveWindow(::GetDlgItem(m_hWnd, IDC_MAP_AUTO_POPUP), pad, treeBottom + 4, left - pad, checkH, TRUE);
  int canvasRight = cx - pad > left + pad + 40 ? cx - pad : left + pad + 40;
  int canvasBottom = cy - pad - noteH - 4 > top + 40 ? cy - pad - noteH - 4 : top + 40;
  ::MoveWindow(Canvas(), left + pad, top, canvasRight - left - pad, canvasBottom - top, TRUE);
  ::MoveWindow(::GetDlgItem(m_hWnd, IDC_MAP_NOTE), left + pad, canvasBottom + 4, canvasRight - left - pad, noteH, TRUE);
  CRect canvas;
  ::GetClientRect(Canvas(), &canvas);
  m_canvas.SetDisplaySize(canvas.Width(), canvas.Height());
  RedrawCanvas();
}

void CEMapDlg::OnSize(UINT type, int cx, int cy) {
  if (type != SIZE_MINIMIZED) Layout(cx, cy);
}

void CEMapDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == SC_MINIMIZE) {
    ShowWindow(SW_HIDE);
    return;
  }
  Default();
}

BOOL CEMapDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) {
    OnDeleteCamera();
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

void CEMapDlg::OnTimer(UINT_PTR id) {
  if (id >= kAlarmTimerBase && id < kAlarmTimerBase + emap::kAlarmChannels) {
    KillTimer(id);
    RedrawCanvas();
    return;
  }
  Default();
}

LRESULT CEMapDlg::OnChannelAlarm(WPARAM wParam, LPARAM lParam) {
  if (wParam >= WPARAM(emap::kAlarmChannels)) return 0;
  int channel = int(wParam);
  if (LONG(lParam) < 0) {
    KillTimer(kAlarmTimerBase + channel);
    m_canvas.alarm[channel] = false;
  } else {
    m_canvas.alarm[channel] = true;
    if (m_autoPopup && !IsWindowVisible()) Open();
  }
  if (m_canvas.AlarmCamera(channel) >= 0) RedrawCanvas();
  return 0;
}

void CEMapDlg::OnClose() {
  for (int c = 0; c < emap::kAlarmChannels; ++c) SendMessage(WM_MAP_CHANNEL_ALARM, WPARAM(c), LPARAM(-1));
  ShowWindow(SW_HIDE);
}

void CEMapDlg::OnDestroy() {
  for (HBITMAP& b : m_stateBitmaps)
    if (b) ::DeleteObject(b), b = nullptr;
  if (m_background) ::DeleteObject(m_background);
  m_background = nullptr;
  if (m_numberFont) ::DeleteObject(m_numberFont);
  m_numberFont = nullptr;
  m_picture.Free();
  CDialog::OnDestroy();
}

// ------------------------------------------------------------- commands

BOOL CEMapDlg::NeedMapNode() {
  if (m_currentNode && m_currentNode != m_rootNode && m_currentNode != m_mapTree.GetRootItem() && m_hasMap)
    return TRUE;
  Box(this, kSelectMapNode);
  return FALSE;
}

void CEMapDlg::AddIcon(int kind) {
  if (!NeedMapNode()) return;
  m_canvas.Add(kind, 0, 0, 0, 0, int(m_map.id));
  RedrawCanvas();
}

void CEMapDlg::OnAddCamera() { AddIcon(emap::kIconCamera); }
void CEMapDlg::OnAddProbe() { AddIcon(emap::kIconProbe); }

BOOL CEMapDlg::DropCamera(int channel, int loginId, CPoint screen) {
  if (!m_hasMap || m_map.removed || m_canvas.HasCamera(channel, loginId)) return FALSE;
  CPoint p = screen;
  ::ScreenToClient(Canvas(), &p);
  CRect canvas;
  ::GetClientRect(Canvas(), &canvas);
  if (!canvas.PtInRect(p)) return FALSE;
  m_canvas.Add(emap::kIconCamera, p.x, p.y, channel, loginId, int(m_map.id));
  RedrawCanvas();
  return TRUE;
}

int CEMapDlg::ChooseNumber() {
  CMapChannelDlg dlg(this);
  return dlg.DoModal() == IDOK ? dlg.m_chosen : 0;
}

void CEMapDlg::Configure(int kind) {
  if (!NeedMapNode()) return;
  if (m_canvas.Picked(kind) < 0) {
    Box(this, kind == emap::kIconCamera ? kChooseCamera : kChooseProbe);
    return;
  }
  int number = ChooseNumber();
  if (number < 1 || number > 16) return;
  m_canvas.ConfigurePicked(kind, number);
  RedrawCanvas();
}

void CEMapDlg::OnConfigCamera() { Configure(emap::kIconCamera); }
void CEMapDlg::OnConfigProbe() { Configure(emap::kIconProbe); }

void CEMapDlg::OnDeleteCamera() {
  if (!m_canvas.DeletePicked(emap::kIconCamera)) {
    Box(this, "Please choose the camera to be deleted!");
    return;
  }
  RedrawCanvas();
}

void CEMapDlg::OnDeleteProbe() {
  if (!m_canvas.DeletePicked(emap::kIconProbe)) {
    Box(this, kDeleteProbe);
    return;
  }
  RedrawCanvas();
}

BOOL CEMapDlg::ChoosePictureFile(CString& path) {
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kPictureFilter, this);
  if (dlg.DoModal() != IDOK) return FALSE;
  path = dlg.GetPathName();
  return TRUE;
}

void CEMapDlg::OnSetPicture() {
  if (!m_currentNode || m_currentNode == m_rootNode || m_currentNode == m_mapTree.GetRootItem()) {
    Box(this, kSelectSubMap);
    return;
  }
  CString path;
  if (!ChoosePictureFile(path)) return;
  HANDLE f = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    Box(this, "Create Source File Fail!");
    return;
  }
  ::CloseHandle(f);
  // A picture in the program folder is kept by its name, any other by its
  // full path.
  CString name = path;
  if (path.GetLength() > m_folder.GetLength() && m_folder.CompareNoCase(path.Left(m_folder.GetLength())) == 0 &&
      path.Mid(m_folder.GetLength()).FindOneOf("\\/") < 0)
    name = path.Mid(m_folder.GetLength());
  m_map.id = uint32_t(m_mapTree.GetItemData(m_currentNode));
  m_map.pictureName = name.GetString();
  m_map.removed = 0;
  m_hasMap = TRUE;
  ShowPicture(name);
}

void CEMapDlg::OnDeleteMap() {
  if (!m_currentNode || m_currentNode == m_rootNode || m_currentNode == m_mapTree.GetRootItem() || !m_hasMap) {
    Box(this, kRootNotDeleted);
    return;
  }
  if (Box(this, kConfirmDelete, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  m_map.removed = 1;
  for (size_t i = 0; i < m_canvas.icons.work.size(); ++i) m_canvas.icons.work[i].removed = 1;
  m_canvas.picked = -1;
  m_picture.Free();
  RedrawCanvas();
  SaveMaps();
  Box(this, kMapDeleted);
}

void CEMapDlg::SaveMaps() {
  if (!m_hasMap) return;
  CPrivateProfileMapIni ini(m_iniPath.GetString());
  emap::SaveMaps(ini, m_folder.GetString(), m_map, m_canvas.icons,
                 [](const std::string& path) { ::DeleteFileA(path.c_str()); });
}

void CEMapDlg::OnSave() { SaveMaps(); }

void CEMapDlg::OnCloseCommand() {
  int answer = Box(this, "Close the Electronic Map and Save the configuration?", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return;
  if (answer == IDYES) SaveMaps();
  OnClose();
}
