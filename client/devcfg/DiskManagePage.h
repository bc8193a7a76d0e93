// Page 13: the device's disks, formatting one and browsing its folders. No
// request carries any of it, and nothing fills the lists: the page starts
// disabled and stays so.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <string>

#include "config_page.h"
#include "devcfg_resource.h"
#include "disk_manage_rules.h"

class CDiskManagePage : public CConfigPage {
public:
  explicit CDiskManagePage(CSettingsPageHost* owner);
  // Every child enabled or disabled; "Format Disk" disabled either way.
  void EnableControls(BOOL enable);
  const std::string& BrowsePath() const { return m_browsePath; }

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnDestroy();
  afx_msg void OnFormatCheck();
  afx_msg void OnFormat();
  afx_msg void OnBrowseRoot();
  afx_msg void OnUpLevel();
  afx_msg void OnDiskClick(NMHDR* nm, LRESULT* result);
  afx_msg void OnDiskChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnFileDoubleClick(NMHDR* nm, LRESULT* result);
  void TickOnlySelectedDisk();
  void Prompt(const char* english, const char* caption);

  CListCtrl m_files, m_disks;
  int m_format = FALSE;
  uint8_t* m_records = nullptr;  // disk records; nothing allocates them
  uint32_t m_count = 0;
  std::string m_browsePath;
  CImageList m_images;
  bool m_ticking = false;
  DECLARE_MESSAGE_MAP()
};
