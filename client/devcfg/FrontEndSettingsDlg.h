// "Front End System Settings": reads and changes the settings of a
// connected device page by page. A tree chooses the page, a combo the
// device and a list the channel; the pages send their own sets, the dialog
// sends each page's get and keeps a mirror of every channel's 1,024-byte
// settings block.
//
// Replies reach the dialog through its UDP receiver, registered with the
// main dialog while the window exists, or through the reply entries; either
// way the pages get them on the UI thread as posted copies, and only from
// the chosen device.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ColorListCtrl.h"
#include "config_blocks.h"
#include "config_page.h"
#include "config_pages.h"
#include "AlarmTabsPage.h"
#include "AudioEncodePage.h"
#include "PtzSerialPage.h"
#include "RecordPlanPage.h"
#include "FrontSystemPage.h"
#include "UserManagePage.h"
#include "ServicePages.h"
#include "DiskManagePage.h"
#include "devcfg_resource.h"
#include "EncodeSettingsPage.h"
#include "VideoParamPage.h"
#include "region_pages.h"
#include "udp_packets.h"

namespace shell { struct DeviceRecord; }

// The settings dialog's own messages (0x0B09-0x0B0C deliver blocks; ids
// 0x0B20-0x0B2F carry copies posted to its window).
#define WM_FES_SET_CHANNEL_BLOCK 0x0B09  // wParam channel, lParam 1,024 bytes
#define WM_FES_SET_DEVICE_BLOCK 0x0B0A   // lParam 512 bytes
#define WM_FES_SET_SERVICE_BLOCK 0x0B0B  // lParam 2,048 bytes
#define WM_FES_SET_PTZ_BLOCK 0x0B0C      // lParam the PTZ list; wParam its size in bytes, or 0
#define WM_FES_CONFIG_REPLY 0x0B20       // lParam a posted ConfigReplyCopy
#define WM_FES_PREVIEW_DATA 0x0B21       // lParam a posted PreviewCopy

class CFrontEndSettingsDlg : public CDialog, public CSettingsPageHost {
public:
  enum { IDD = IDD_FRONTEND_SETTINGS };
  explicit CFrontEndSettingsDlg(CWnd* parent = nullptr);
  ~CFrontEndSettingsDlg() override;

  // ---- pages
  int ShowPage(int index);
  int SelectPage(int index);
  CConfigPage* Page(int index) const;
  CStreamSettingsPage& StreamPage() { return m_streamPage; }
  CSensorSettingsPage& SensorPage() { return m_sensorPage; }
  CNetworkSettingsPage& NetworkPage() { return m_networkPage; }
  CDeviceInfoPage& DeviceInfoPage() { return m_deviceInfoPage; }
  CDdnsUpnpPage& DdnsPage() { return m_ddnsPage; }
  CMotionDetectPage& MotionPage() { return m_motionPage; }
  CVideoCoverPage& CoverPage() { return m_coverPage; }
  CEncodeSettingsPage& EncodePage() { return m_encodePage; }
  CVideoParamPage& VideoParamPage() { return m_videoParamPage; }
  CAlarmTabsPage& AlarmTabsPage() { return m_alarmTabsPage; }
  CAudioEncodePage& AudioPage() { return m_audioPage; }
  CPtzSerialPage& PtzPage() { return m_ptzPage; }
  CRecordPlanPage& RecordPlanPage() { return m_recordPlanPage; }
  CFrontSystemPage& SystemPage() { return m_systemPage; }
  CUserManagePage& UserPage() { return m_userPage; }
  CFtpUploadPage& FtpPage() { return m_ftpPage; }
  CMailAlarmPage& MailPage() { return m_mailPage; }
  CHandsetVideoPage& HandsetPage() { return m_handsetPage; }
  CDiskManagePage& DiskPage() { return m_diskPage; }
  int CurrentPage() const { return m_currentPage; }

  // ---- what the pages read (CSettingsPageHost)
  int GetCurrentChannel() const override;
  int GetSelectedDevice(shell::DeviceRecord** out) const override;
  int GetDeviceInfo(const uint8_t** out) const override;
  int SendToChosenDevice(const std::vector<uint8_t>& datagram) override;
  devcfg::ChannelSettingsBlock& MirrorBlock(int channel) override { return m_mirror[channel]; }
  // The get request of pageIndex for device deviceIndex and channel.
  int SendConfigRequest(int deviceIndex, int channel, int pageIndex);

  // ---- the channel-block mirror
  void LoadChannelPage(int channel, int index);
  void SaveChannelPage(int channel, int index);
  void SaveCurrentPage();
  int CurrentChannelSlot() const { return m_currentSlot; }
  uint8_t* DeviceBlock() { return m_deviceBlock; }
  uint8_t* ServiceBlock() { return m_serviceBlock; }
  BOOL SavedFlag() const { return m_savedFlag; }

  // ---- replies (any thread): copies are posted to the dialog's window.
  // A reply is known by its command alone; the region and sensor blocks
  // carry their channel themselves.
  void OnChannelParamReply(const char* from, const uint8_t* payload, size_t size);
  void OnSensorParamReply(const char* from, const uint8_t* payload, size_t size);
  void OnStreamParamReply(const char* from, const uint8_t* payload, size_t size);
  void OnNetworkParamReply(const char* from, const uint8_t* payload, size_t size);
  // Stream data of the current channel slot (SDK delivery thread): posted
  // as a copy to the motion or cover page while one of them is shown.
  void OnPreviewData(const uint8_t* data, size_t length);
  // The receiver to register with the UDP command channel's dispatch.
  shell::UdpReceiver& UdpReceiver() { return m_receiver; }
  // Message 0x893 with wParam 2002 (UI thread).
  void OnConfigReply(uint32_t loginHandle, const devcfg::ConfigReplyRecord* reply);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnDestroy();
  afx_msg void OnSaveChannel();
  afx_msg void OnSaveAll();
  afx_msg void OnDeviceChange();
  afx_msg void OnListItemChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnListItemChanging(NMHDR* nm, LRESULT* result);
  afx_msg void OnTreeSelChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnTreeSelChanging(NMHDR* nm, LRESULT* result);
  afx_msg LRESULT OnSetChannelBlock(WPARAM w, LPARAM l);
  afx_msg LRESULT OnSetDeviceBlock(WPARAM w, LPARAM l);
  afx_msg LRESULT OnSetServiceBlock(WPARAM w, LPARAM l);
  afx_msg LRESULT OnSetPtzBlock(WPARAM w, LPARAM l);
  afx_msg LRESULT OnPostedReply(WPARAM w, LPARAM l);
  afx_msg LRESULT OnPostedPreview(WPARAM w, LPARAM l);

private:
  struct Receiver : shell::UdpReceiver {
    CFrontEndSettingsDlg* dlg = nullptr;
    void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                       size_t size) override;
  };
  struct ConfigReplyCopy {
    std::string from;
    uint8_t command = 0;
    std::vector<uint8_t> block;
  };
  struct PreviewCopy {
    std::vector<uint8_t> data;
  };

  void PostReply(const char* from, uint8_t command, const uint8_t* payload, size_t size);
  // True when from is the chosen device's address.
  bool FromChosenDevice(const std::string& from) const;
  void BuildTree();
  void CreatePages();
  void FillFromDevice(bool opening);
  void FillChannelList();
  void SetRowName(int channel);
  // Closing: every monitor window of the split that shows a channel gets
  // its status text, then the statistics list is refreshed.
  void ShowChannelNamesInWindows();
  int ChannelCountOf(const shell::DeviceRecord* device) const;
  int FindSlotOf(const shell::DeviceRecord* device, int channel) const;
  CChannelBlockPage* ChannelBlockPage(int index);
  void SetSaveButtons(int index);

  CTreeCtrl m_tree;
  CComboBox m_deviceCombo;
  CColorListCtrl m_channelList;

  // The pages, in the order they are created.
  CVideoParamPage m_videoParamPage;
  CEncodeSettingsPage m_encodePage;
  CAudioEncodePage m_audioPage;
  CAlarmTabsPage m_alarmTabsPage;
  CRecordPlanPage m_recordPlanPage;
  CPtzSerialPage m_ptzPage;
  CUserManagePage m_userPage;
  CNetworkSettingsPage m_networkPage;
  CFrontSystemPage m_systemPage;
  CDiskManagePage m_diskPage;
  CHandsetVideoPage m_handsetPage;
  CFtpUploadPage m_ftpPage;
  CMailAlarmPage m_mailPage;
  CDeviceInfoPage m_deviceInfoPage;
  CMotionDetectPage m_motionPage;
  CVideoCoverPage m_coverPage;
  CStreamSettingsPage m_streamPage;
  CDdnsUpnpPage m_ddnsPage;
  CSensorSettingsPage m_sensorPage;

  // Read by the stream threads (OnPreviewData), written on the UI thread.
  std::atomic<int> m_currentSlot{-1};
  uint32_t m_loginHandle = 0;
  int m_currentChannel = 0;
  BOOL m_savedFlag = FALSE;
  std::unique_ptr<devcfg::ChannelSettingsBlock[]> m_mirrorStore;
  devcfg::ChannelSettingsBlock* m_mirror;
  CImageList m_images;
  std::atomic<int> m_currentPage{0};
  uint8_t m_deviceBlock[devcfg::kDeviceSettingsSize];
  uint8_t m_serviceBlock[devcfg::kServiceSettingsSize];
  Receiver m_receiver;
  std::atomic<bool> m_pagesCreated{false};
  bool m_filling = false;        // the list is being filled: no channel change
  bool m_selectingPage = false;  // SelectPage moves the tree itself

  DECLARE_MESSAGE_MAP()
};

// The settings dialog while it exists, else null.
extern CFrontEndSettingsDlg* g_pFrontEndSettingsDlg;

// The main window's message 0x893: with wParam 2002, lParam points to
// {u32 login handle, const ConfigReplyRecord*} for the settings dialog.
LRESULT RouteDeviceMessage(WPARAM w, LPARAM l);
