// The panel on which an operator draws a rectangular area over a channel's
// picture (motion detection, video cover): a picture or plain background,
// a caption, "REC" and "DET" marks, the current area framed, and a drag
// that reports the new area to the notify window.
#pragma once
#include <afxwin.h>

#include "AreaSelectGeometry.h"
#include "BitmapStatic.h"

class CAreaSelectCtrl : public CWnd {
public:
  // The notice sent and posted to the notify window: the low word of wParam
  // tells the event, lParam its data.
  enum {
    kNotifyMessage = 0x1788,
    kAreaDrawn = 0x1789,   // sent; high word the index, lParam the rectangle (client pixels)
    kButtonDown = 0x201, kDoubleClick = 0x203, kRightDown = 0x204,   // posted
    kPictureId = 0xFFFF,
  };

  CAreaSelectCtrl() = default;
  ~CAreaSelectCtrl() override;

  // Keeps the index and creates the control as a child of parent, which
  // also receives its notices.
  virtual BOOL Create(UINT index, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void ShowPicture(BOOL show);
  void SetBackColor(COLORREF color);
  void EnableSelect(BOOL enable) { m_selectEnabled = enable; }
  // The area in the 352 x 288 space; repaints.
  void SetArea(const RECT* area);
  ui::AreaRect GetArea() const { return m_area; }
  // The picture shown (the caller's; it must outlive its use); null for none.
  void SetPicture(HBITMAP picture);
  void SetCaption(LPCSTR text);
  void ShowCaption(BOOL show);
  void SetRecordMark(int mark);
  void SetDetectionMark(int mark);
  void SetKeepProportion(BOOL keep);
  CBitmapStatic& Picture() { return m_pictureCtrl; }
  BOOL IsDragging() const { return m_dragging; }

protected:
  void Layout();
  void PostMouse(UINT event, UINT flags, CPoint pt);
  void DrawBand(CDC& dc, const CRect& r, BOOL erase);
  afx_msg int OnCreate(LPCREATESTRUCT cs);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
  afx_msg void OnRButtonDown(UINT flags, CPoint pt);
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnLButtonUp(UINT flags, CPoint pt);
  afx_msg void OnCaptureChanged(CWnd* wnd);

  COLORREF m_backColor = 0;
  CWnd* m_notify = nullptr;
  int m_index = -1;
  HBITMAP m_picture = nullptr;
  CBitmapStatic m_pictureCtrl;
  CString m_caption;
  BOOL m_selectEnabled = FALSE;
  BOOL m_dragging = FALSE;
  CPoint m_dragStart;
  CRect m_band;
  ui::AreaRect m_area;
  int m_recordMark = 0;
  int m_detectionMark = 0;
  BOOL m_showCaption = FALSE;
  CFont m_captionFont;
  BOOL m_keepProportion = FALSE;
  DECLARE_MESSAGE_MAP()
};
