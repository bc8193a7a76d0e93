// "Electronic Map": a modeless window showing a map picture with camera and
// probe icons, the device list from which cameras are dragged onto it, and
// the tool bar that edits the icons and saves them in EMAP.INI. A camera's
// icon opens its live video on a double click.
#pragma once
#include <afxcmn.h>
#include <afxwin.h>

#include <functional>

#include "config_image.h"
#include "emap_file.h"
#include "emap_resource.h"
#include "map_canvas.h"
#include "map_device_tree.h"
#include "map_dialogs.h"
#include "map_picture.h"

class CEMapDlg : public CDialog, public CMapDropTarget {
public:
  enum { IDD = IDD_EMAP };
  // wParam channel 0..15, lParam state (negative: the alarm is over).
  enum { WM_MAP_CHANNEL_ALARM = WM_USER + 28, WM_MAP_QUERY = WM_USER + 29 };
  enum { kAlarmTimerBase = 100 };

  explicit CEMapDlg(CWnd* parent = nullptr);
  ~CEMapDlg() override;

  // The e-map command: refreshes the device list, centres and shows.
  void Open();
  // Refills the device list when the number of listed devices changed.
  void RefreshDeviceList();
  // Writes the displayed map to EMAP.INI.
  void SaveMaps();
  BOOL DropCamera(int channel, int loginId, CPoint screen) override;
  // Draws the picture and the icons into a device context of the canvas's size.
  void DrawCanvas(CDC& dc, const CRect& area);

  // Set by the owner before the window is made.
  const shell::DeviceRecord* m_records = nullptr;   // the 36 device records
  // Opens a channel's live video (the "Alarm Video" pop-up): login id and
  // 0-based channel.
  std::function<void(int loginId, int channel)> m_openVideo;

  // State the tests read.
  emap::MapCanvas m_canvas;
  emap::MapEntry m_map;
  BOOL m_hasMap = FALSE;
  CString m_picturePath;
  CString m_iniPath;
  int m_autoPopup = 0;
  HTREEITEM m_rootNode = nullptr;
  HTREEITEM m_currentNode = nullptr;
  CMapPicture m_picture;
  CTreeCtrl m_mapTree;
  CMapDeviceTree m_deviceList;
  CMapVideoDlg m_videoDlg;

protected:
  // The file-open dialog for a map picture; FALSE when cancelled.
  virtual BOOL ChoosePictureFile(CString& path);
  // The "Channel configuration" dialog: the chosen number, 0 when cancelled.
  virtual int ChooseNumber();

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(SW_HIDE); }
  afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
  afx_msg void OnLButtonDown(UINT flags, CPoint point);
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnLButtonUp(UINT flags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnSysCommand(UINT id, LPARAM lParam);
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnClose();
  afx_msg void OnDestroy();
  afx_msg void OnMapSelChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnTabSelChange(NMHDR* nm, LRESULT* result);
  afx_msg void OnToolTip(UINT id, NMHDR* nm, LRESULT* result);
  afx_msg void OnAutoPopup();
  afx_msg LRESULT OnChannelAlarm(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnQuery(WPARAM, LPARAM) { return 1; }
  afx_msg void OnSetPicture();
  afx_msg void OnDeleteMap();
  afx_msg void OnAddCamera();
  afx_msg void OnAddProbe();
  afx_msg void OnConfigCamera();
  afx_msg void OnConfigProbe();
  afx_msg void OnDeleteCamera();
  afx_msg void OnDeleteProbe();
  afx_msg void OnSave();
  afx_msg void OnCloseCommand();

  void FillMapTree();
  void ShowMap(int id);
  void ShowPicture(const CString& name);
  BOOL NeedMapNode();
  void Configure(int kind);
  void AddIcon(int kind);
  void Layout(int cx, int cy);
  void RedrawCanvas();
  CPoint ToCanvas(CPoint dialogPoint) const;
  void DrawIcon(CDC& dc, int index);

  CString m_folder;              // program folder, trailing backslash
  CTabCtrl m_tab;
  HWND Canvas() const { return ::GetDlgItem(m_hWnd, IDC_MAP_CANVAS); }
  HWND m_toolBar = nullptr;
  CImageList m_images;
  HBITMAP m_stateBitmaps[8] = {};
  HBITMAP m_background = nullptr;
  HFONT m_numberFont = nullptr;
  int m_listedDevices = -1;
  CString m_tip;
  DECLARE_MESSAGE_MAP()
};
