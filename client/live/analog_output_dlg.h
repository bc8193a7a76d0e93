// "Output analogue": connects the video-output card, shows its outputs with
// four positions each and assigns monitor windows to the positions; a
// position with several windows rotates through them.
#pragma once
#include <afxcmn.h>
#include <afxwin.h>

#include <functional>

#include "ColorListCtrl.h"
#include "card_feed.h"
#include "card_output.h"
#include "card_resource.h"

class CAnalogOutputDlg : public CDialog {
public:
  enum { IDD = IDD_ANALOG_OUTPUT };
  enum { kRotationTimer = 14001 };

  // session: the process's card session (TheCardSession()).
  CAnalogOutputDlg(card::CCardSession& session, CWnd* parent = nullptr);

  // Children of a tree item; 0 for none.
  int CountChildItems(HTREEITEM item) const;
  // 1 as soon as two position items of the channel item have children.
  int HasMultipleAssignedPositions(HTREEITEM channelItem) const;
  const card::CardOutputModel& Model() const { return m_model; }

  // Whether monitor window w shows a channel (the rows' marks); set by the
  // owner.
  std::function<bool(int window)> m_windowShowsChannel;

  CColorListCtrl m_list;
  CSpinButtonCtrl m_spin;
  CTreeCtrl m_tree;
  int m_interval = 3;
  int m_outputs = 0;
  int m_dsps = 0;

  void RefreshMarks();

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override { ShowWindow(SW_HIDE); }
  afx_msg void OnConnect();
  afx_msg void OnDisconnect();
  afx_msg void OnAssign();
  afx_msg void OnRemove();
  afx_msg void OnClear();
  afx_msg void OnIntervalChange();
  afx_msg void OnIntervalKillFocus();
  afx_msg void OnListDblClk(NMHDR* nm, LRESULT* result);
  afx_msg void OnTreeDblClk(NMHDR* nm, LRESULT* result);
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnShowWindow(BOOL show, UINT status);

  void FillTree(const char* positionWord);
  void FillList();
  void ShowAssignment(int window);
  void Publish();
  int ReadInterval();

  card::CCardSession& m_session;
  card::CardOutputModel m_model;
  HTREEITEM m_root = nullptr;
  DECLARE_MESSAGE_MAP()
};
