// Page 6: switches a channel's audio encoding on or off in the audio part
// of its channel block; sends nothing itself.
#pragma once
#include <afxwin.h>

#include "config_page.h"
#include "devcfg_resource.h"

class CAudioEncodePage : public CChannelBlockPage {
public:
  explicit CAudioEncodePage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part) override;
  void SavePart(uint8_t* part) override;
  void ResetPage() override;
  BOOL Enabled() const { return m_enabled; }

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  afx_msg void OnEnableClicked();
  afx_msg void OnCopy();
  void EnableCombos();

  BOOL m_enabled = FALSE;
  int m_rate = -1;  // combo 1063
  int m_type = -1;  // combo 1062
  DECLARE_MESSAGE_MAP()
};
