// The map's device list: devices and their channels, from which a camera
// is dragged onto the map. The drop goes to the tree's drop target (the map
// dialog), which adds the camera unless it is already on the map.
#pragma once
#include <afxcmn.h>
#include <afxwin.h>

#include "config_image.h"

class CMapDropTarget {
public:
  virtual ~CMapDropTarget() = default;
  // A channel node dropped at a screen point: camera channel (1-based) and
  // the device's login id. TRUE when a camera was added.
  virtual BOOL DropCamera(int channel, int loginId, CPoint screen) = 0;
};

class CMapDeviceTree : public CTreeCtrl {
public:
  enum { kScrollTimer = 1, kDragDelayMs = 60 };
  CMapDeviceTree() = default;
  ~CMapDeviceTree() override;

  // Refills the tree under a new root "Device List" from the 36 records;
  // returns the root.
  HTREEITEM Fill(const shell::DeviceRecord* records, CImageList* images);
  HTREEITEM GetRoot() const { return m_root; }

  const shell::DeviceRecord* m_records = nullptr;   // the 36 device records
  CMapDropTarget* m_dropTarget = nullptr;
  BOOL m_dragAllowed = TRUE;
  BOOL IsDragging() const { return m_dragging; }

  // Ends a drag at this screen point (the button-up's work).
  void EndDragAt(CPoint screen);

protected:
  afx_msg void OnBeginDrag(NMHDR* nm, LRESULT* result);
  afx_msg void OnLButtonDown(UINT flags, CPoint point);
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnLButtonUp(UINT flags, CPoint point);
  afx_msg void OnTimer(UINT_PTR id);
  void StopDrag();

  HTREEITEM m_root = nullptr;
  DWORD m_buttonDownTick = 0;
  BOOL m_dragging = FALSE;
  CImageList* m_dragImage = nullptr;
  HTREEITEM m_dragItem = nullptr;
  HTREEITEM m_dropItem = nullptr;
  UINT_PTR m_scrollTimer = 0;
  DECLARE_MESSAGE_MAP()
};
