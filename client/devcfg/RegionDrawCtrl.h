// The transparent child dialog laid over a page's live preview: the
// operator drags rectangles on it. In grid mode it edits the 20 x 15
// motion-detection grid, in cover mode one of four cover rectangles at a
// time; the result is kept in its drawing data and in the overlay record
// the page hands to the SDK's decoder.
#pragma once
#include <afxwin.h>

#include "devcfg_resource.h"
#include "region_core.h"

class CRegionDrawCtrl : public CDialog {
public:
  enum { IDD = IDD_REGION_DRAW };
  CRegionDrawCtrl() : CDialog(IDD, nullptr) {}

  BOOL CreateOn(CWnd* parent) { return Create(IDD, parent); }
  // The preview's screen rectangle: only its size is used.
  void SetArea(int left, int top, int right, int bottom);
  void EnableDrawing(BOOL on) { m_drawing = on; }
  void SetCurrentRegion(int index) { m_model.currentRegion = index; }
  void SetImageSize(int code) { m_model.SetImageSize(code); }
  void SetGridMode(bool grid) { m_model.grid = grid; }

  devcfg::RegionModel& Model() { return m_model; }
  const devcfg::OverlayRecord& Overlay() const { return m_model.overlay; }

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  afx_msg void OnPaint();
  afx_msg void OnLButtonDown(UINT flags, CPoint p);
  afx_msg void OnLButtonUp(UINT flags, CPoint p);
  afx_msg void OnMouseMove(UINT flags, CPoint p);
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  void EndDrag();

  devcfg::RegionModel m_model;
  BOOL m_drawing = FALSE;
  BOOL m_dragging = FALSE;
  CRect m_drag{0, 0, 0, 0};
  CPoint m_start{0, 0};
  int m_hitRegion = -1;
  DECLARE_MESSAGE_MAP()
};
