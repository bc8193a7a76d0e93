// The pages over the channel's region block (command 1): motion detection
// and video cover, each drawing its regions on a CRegionDrawCtrl laid over
// the channel's live video, played through an SDK play handle.
#pragma once
#include <afxwin.h>

#include "RegionDrawCtrl.h"
#include "config_page.h"
#include "devcfg_resource.h"

// The live preview of a region page: the region control over the page's
// preview static and the play handle that draws the video and the
// control's overlay into it.
class CRegionPreview {
public:
  ~CRegionPreview() { Close(); }
  // Creates the region control over static previewId of page, hidden, with
  // drawing off, and the play handle on its window.
  void Create(CWnd* page, int previewId, bool grid);
  // The page was shown or hidden.
  void Show(BOOL show);
  // Hands the overlay to the decoder (with a play handle).
  void SendOverlay();
  // One piece of the channel's stream, overlay first.
  void Play(const uint8_t* data, size_t length);
  // A new play handle for a new device's video.
  void Reset();
  void Close();
  CRegionDrawCtrl& Control() { return m_control; }
  int Handle() const { return m_handle; }

private:
  CRegionDrawCtrl m_control;
  int m_handle = 0;
};

// Page 2: the motion-detection switch, level, gap and grid.
class CMotionDetectPage : public CUdpBlockPage {
public:
  explicit CMotionDetectPage(CSettingsPageHost* owner);
  CRegionDrawCtrl& RegionControl() { return m_preview.Control(); }
  int PlayHandle() const { return m_preview.Handle(); }
  void OnPreviewData(const uint8_t* data, size_t length) override { m_preview.Play(data, length); }
  void OnDeviceChanged() override;

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSave() { SaveToDevice(); }
  afx_msg void OnRefresh();
  afx_msg void OnShowWindow(BOOL show, UINT status);
  afx_msg void OnDestroy();
  void ShowBlock() override;
  bool CollectBlock(std::vector<uint8_t>& block) override;
  std::vector<uint8_t> BuildGet() override;
  std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) override;

  CComboBox m_level;
  CRegionPreview m_preview;
  DECLARE_MESSAGE_MAP()
};

// Page 3: the cover switch and up to four cover rectangles.
class CVideoCoverPage : public CUdpBlockPage {
public:
  explicit CVideoCoverPage(CSettingsPageHost* owner);
  CRegionDrawCtrl& RegionControl() { return m_preview.Control(); }
  int PlayHandle() const { return m_preview.Handle(); }
  void OnPreviewData(const uint8_t* data, size_t length) override { m_preview.Play(data, length); }
  void OnDeviceChanged() override;
  int RegionChoice() const { return m_choice; }

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSave() { SaveToDevice(); }
  afx_msg void OnRefresh();
  afx_msg void OnDelete();
  afx_msg void OnRegion(UINT id);
  afx_msg void OnShowWindow(BOOL show, UINT status);
  afx_msg void OnDestroy();
  void ShowBlock() override;
  bool CollectBlock(std::vector<uint8_t>& block) override;
  std::vector<uint8_t> BuildGet() override;
  std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) override;

  CRegionPreview m_preview;
  int m_choice = 0;
  devcfg::ImageSize m_image{352, 288};
  DECLARE_MESSAGE_MAP()
};
