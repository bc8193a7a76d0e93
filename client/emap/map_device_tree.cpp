#include "map_device_tree.h"

#include "app_services.h"
#include "language.h"
#include "map_devices.h"
#include "statistic_dlg.h"

BEGIN_MESSAGE_MAP(CMapDeviceTree, CTreeCtrl)
  ON_NOTIFY_REFLECT(TVN_BEGINDRAGA, OnBeginDrag)
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {

std::string ChannelCaption(const shell::DeviceRecord& r, int channel) {
  return StatisticChannelName(&r, uint32_t(channel)).GetString();
}

}  // namespace

CMapDeviceTree::~CMapDeviceTree() { delete m_dragImage; }

HTREEITEM CMapDeviceTree::Fill(const shell::DeviceRecord* records, CImageList* images) {
  m_records = records;
  DeleteAllItems();
  if (images) SetImageList(images, TVSIL_NORMAL);
  m_root = InsertItem(TranslateString("Device List"), 0, 0);
  HTREEITEM first = nullptr;
  for (const emap::MapDeviceNode& d : emap::BuildMapDeviceList(records, emap::kMapDeviceRecords, ChannelCaption)) {
    HTREEITEM device = InsertItem(d.name.c_str(), 0, 0, m_root);
    SetItemData(device, d.loginId);
    if (!first) first = device;
    for (const emap::MapChannelNode& c : d.channels) {
      HTREEITEM channel = InsertItem(c.name.c_str(), 1, 1, device);
      SetItemData(channel, c.data);
    }
    Expand(device, TVE_EXPAND);
  }
  if (first) EnsureVisible(first);
  Expand(m_root, TVE_EXPAND);
  return m_root;
}

void CMapDeviceTree::OnLButtonDown(UINT flags, CPoint point) {
  m_buttonDownTick = ::GetTickCount();
  Default();
}

void CMapDeviceTree::OnBeginDrag(NMHDR* nm, LRESULT* result) {
  *result = 0;
  auto* tv = reinterpret_cast<NMTREEVIEWA*>(nm);
  HTREEITEM item = tv->itemNew.hItem;
  if (!m_dragAllowed || m_dragging || !item || !GetParentItem(item)) return;
  if (m_buttonDownTick && ::GetTickCount() - m_buttonDownTick < kDragDelayMs) return;
  delete m_dragImage;
  m_dragImage = CreateDragImage(item);
  m_dragItem = item;
  m_dragging = TRUE;
  if (m_dragImage) {
    m_dragImage->BeginDrag(0, CPoint(8, 8));
    CPoint p = tv->ptDrag;
    ClientToScreen(&p);
    CImageList::DragEnter(nullptr, p);
  }
  SetCapture();
  m_scrollTimer = SetTimer(kScrollTimer, 50);
}

void CMapDeviceTree::OnMouseMove(UINT flags, CPoint point) {
  if (!m_dragging) {
    Default();
    return;
  }
  CPoint screen = point;
  ClientToScreen(&screen);
  if (m_dragImage) CImageList::DragMove(screen);
}

void CMapDeviceTree::OnTimer(UINT_PTR id) {
  if (id != kScrollTimer || !m_dragging) {
    Default();
    return;
  }
  CPoint p;
  ::GetCursorPos(&p);
  ScreenToClient(&p);
  CRect r;
  GetClientRect(&r);
  // Near the top or bottom edge the tree scrolls, faster nearer the edge.
  int step = 0;
  UINT code = 0;
  if (p.y >= r.top && p.y < r.top + 10) {
    code = SB_LINEUP;
    step = 6 - (p.y - r.top) / 20;
  } else if (p.y <= r.bottom && p.y > r.bottom - 10) {
    code = SB_LINEDOWN;
    step = 6 - (r.bottom - p.y) / 20;
  }
  if (step > 0) {
    if (m_dragImage) CImageList::DragShowNolock(FALSE);
    for (int i = 0; i < (step < 1 ? 1 : step); ++i) SendMessage(WM_VSCROLL, code, 0);
    if (m_dragImage) CImageList::DragShowNolock(TRUE);
  }
  HTREEITEM over = HitTest(p);
  if (over != m_dropItem) {
    if (m_dragImage) CImageList::DragShowNolock(FALSE);
    SelectDropTarget(over);
    m_dropItem = over;
    if (m_dragImage) CImageList::DragShowNolock(TRUE);
  }
}

void CMapDeviceTree::OnLButtonUp(UINT flags, CPoint point) {
  if (!m_dragging) {
    Default();
    return;
  }
  CPoint screen = point;
  ClientToScreen(&screen);
  EndDragAt(screen);
}

void CMapDeviceTree::StopDrag() {
  if (m_dragImage) {
    CImageList::DragLeave(nullptr);
    CImageList::EndDrag();
    delete m_dragImage;
    m_dragImage = nullptr;
  }
  if (m_scrollTimer) KillTimer(m_scrollTimer);
  m_scrollTimer = 0;
  m_dragging = FALSE;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  SelectDropTarget(nullptr);
  m_dropItem = nullptr;
}

void CMapDeviceTree::EndDragAt(CPoint screen) {
  if (!m_dragging) return;
  HTREEITEM item = m_dragItem;
  StopDrag();
  m_dragItem = nullptr;
  HTREEITEM parent = item ? GetParentItem(item) : nullptr;
  int channel = 0, loginId = 0;
  // A channel node's parent is a device node under the root.
  if (!parent || parent == m_root || GetParentItem(parent) != m_root ||
      !emap::ResolveDroppedChannel(m_records, emap::kMapDeviceRecords, uint32_t(GetItemData(item)),
                                   uint32_t(GetItemData(parent)), channel, loginId)) {
    TranslatedMessageBox(GetParent(), "Please choose the right camera or probe!", nullptr, MB_OK | MB_ICONWARNING);
    return;
  }
  if (m_dropTarget) m_dropTarget->DropCamera(channel, loginId, screen);
}
