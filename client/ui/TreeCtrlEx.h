// The device tree: items show one of seven state pictures chosen by state
// code, the tree paints without flicker, and a click on an item's check box
// tells the parent (message kCheckClickMessage).
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

class CTreeCtrlEx : public CTreeCtrl {
  DECLARE_DYNAMIC(CTreeCtrlEx)
public:
  // Sent to the parent (wParam 0, lParam 0) after a click on an item's
  // check box has made that item the selected one.
  enum { kCheckClickMessage = 0xEF1 };
  // The state codes (also the bitmap resources of their pictures), in the
  // order of their images.
  static const int kStateCodes[7];
  // The image of a state code; -1 for a code outside the table.
  static int ImageOfCode(int code);

  CTreeCtrlEx();

  // Loads the seven state pictures into the tree's image list (black is
  // transparent). Once, after the window exists.
  BOOL LoadStateImages();
  using CTreeCtrl::SetItemState;
  // Shows the picture of code as the item's image and selected image; a
  // code outside the table changes nothing (FALSE).
  BOOL SetItemState(HTREEITEM item, int code);
  BOOL IsBold(HTREEITEM item) const { return (GetItemState(item, TVIS_BOLD) & TVIS_BOLD) != 0; }
  CImageList& GetStateImages() { return m_images; }

protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* dc);
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);

  CImageList m_images;
  DECLARE_MESSAGE_MAP()
};
