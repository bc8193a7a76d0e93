// The four bases of the front-end settings dialog's pages, one per family:
//   CConfigPage        form-only pages, and the plumbing all pages share
//                      (creation on the settings dialog, translation, the
//                      kill-focus clamp table, sending to the chosen device);
//   CUdpBlockPage      pages over one UDP block: a get, the reply shown,
//                      Save sending the whole block back with a set;
//   CChannelBlockPage  pages over a part of the 1,024-byte channel block:
//                      load, save, "Copy Settings To ...", default;
//   CDeviceBlockPage   pages over the shared device or service block.
#pragma once
#include <afxwin.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config_blocks.h"

namespace shell { struct DeviceRecord; }

// Page indexes: the tree items' data and the argument of ShowPage.
enum SettingsPage {
  kPageStream = 0,
  kPageSensor = 1,
  kPageMotion = 2,
  kPageCover = 3,
  kPageDdns = 4,
  kPageEncode = 5,
  kPageAudio = 6,
  kPageRecordPlan = 7,
  kPagePtz = 8,
  kPageUsers = 9,
  kPageNetwork = 10,
  kPageSystem = 11,
  kPageDeviceInfo = 12,
  kPageDisk = 13,
  kPageHandset = 14,
  kPageFtp = 15,
  kPageMail = 16,
  kPageNone = 17,
  kPageCount = 17,
};

// What a page reads of, and asks of, the settings dialog that holds it: the
// chosen device and channel, the mirror of the channel blocks, and the send
// to the chosen device. The dialog is the one host; pages know no more.
class CSettingsPageHost {
public:
  // The channel list's selection mark, -1 when none.
  virtual int GetCurrentChannel() const = 0;
  // The record of the device chosen in the combo (index 0..35), -1 none.
  virtual int GetSelectedDevice(shell::DeviceRecord** out) const = 0;
  // The chosen device's 256-byte information block, -1 none.
  virtual int GetDeviceInfo(const uint8_t** out) const = 0;
  // Sends a datagram to the chosen device; -1 when none is chosen.
  virtual int SendToChosenDevice(const std::vector<uint8_t>& datagram) = 0;
  // The mirror's block of channel 0..63.
  virtual devcfg::ChannelSettingsBlock& MirrorBlock(int channel) = 0;

protected:
  ~CSettingsPageHost() = default;
};

class CConfigPage : public CDialog {
public:
  CConfigPage(UINT templateId, CSettingsPageHost* owner);
  // Creates the page hidden as a child of the settings dialog.
  BOOL CreatePage(CWnd* parent);
  UINT TemplateId() const { return m_templateId; }
  // The chosen device changed: forget what was shown of the old one.
  virtual void OnDeviceChanged() {}
  // Live video of the current channel slot, a copy on the UI thread.
  virtual void OnPreviewData(const uint8_t* data, size_t length) {}

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  // Enter and Escape inside a page belong to the page's buttons, not to
  // closing it.
  void OnOK() override {}
  void OnCancel() override {}

  // Number edits checked when they lose focus.
  void SetClampTable(const devcfg::EditRange* table, size_t count) {
    m_clamp = table;
    m_clampCount = count;
  }
  // The number in an edit of the clamp table as leaving the edit keeps it:
  // the entry's fallback when outside its range or not a number.
  int ClampedEditValue(int id);
  // Sends a datagram to the device chosen in the settings dialog; -1 (and
  // nothing sent) when none is chosen.
  int SendToChosenDevice(const std::vector<uint8_t>& datagram);
  shell::DeviceRecord* ChosenDevice() const;
  // A box with the translated caption "Error" (icon type 64) over text.
  void ShowRangeError(const char* english, const char* rangeFormat, int value);

  CSettingsPageHost* m_owner;
  UINT m_templateId;
  const devcfg::EditRange* m_clamp = nullptr;
  size_t m_clampCount = 0;
};

class CUdpBlockPage : public CConfigPage {
public:
  // saveId: the control whose click saves; it stays disabled until a block
  // has arrived from the chosen device.
  CUdpBlockPage(UINT templateId, CSettingsPageHost* owner, uint8_t command, size_t blockSize, UINT saveId);
  // A reply's block (UI thread): shorter blocks are dropped.
  void OnBlockReply(const uint8_t* block, size_t size);
  bool HasBlock() const { return m_hasBlock; }
  const std::vector<uint8_t>& Block() const { return m_block; }
  uint8_t Command() const { return m_command; }
  void OnDeviceChanged() override;
  // Asks the chosen device for the block.
  void RefreshFromDevice();
  // Collects the controls into a copy of the block; when every value is
  // accepted keeps the copy and sends it with the set. FALSE when refused
  // or not sent.
  BOOL SaveToDevice();

protected:
  BOOL OnInitDialog() override;
  virtual void ShowBlock() = 0;
  // The controls into block; false (message shown) when a value is refused.
  virtual bool CollectBlock(std::vector<uint8_t>& block) = 0;
  virtual std::vector<uint8_t> BuildGet() = 0;
  virtual std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) = 0;
  void UpdateSaveState();

  uint8_t m_command;
  UINT m_saveId;
  std::vector<uint8_t> m_block;
  bool m_hasBlock = false;
};

class CChannelBlockPage : public CConfigPage {
public:
  CChannelBlockPage(UINT templateId, CSettingsPageHost* owner, int pageIndex);
  devcfg::ChannelPart Part() const { return m_part; }
  // Shows the page's part of a channel block / writes the controls into it.
  virtual void LoadPart(const uint8_t* part) = 0;
  virtual void SavePart(uint8_t* part) = 0;
  // Back to the page's defaults.
  virtual void ResetPage() {}
  // "Copy Settings To ...": the page's part of the current channel into
  // every channel of mask but the current one (the mirror's blocks).
  void CopyPartToChannels(uint64_t mask);
  // "Copy Settings To ...": the picker offers the main dialog's channels
  // with their names from the mirror; the part goes to every one ticked.
  void CopySettingsToPicked();

protected:
  int m_pageIndex;
  devcfg::ChannelPart m_part;
};

class CDeviceBlockPage : public CConfigPage {
public:
  CDeviceBlockPage(UINT templateId, CSettingsPageHost* owner, uint8_t* shared, size_t size);
  // The shared block changed: show it again.
  virtual void RefreshFromBlock() {}

protected:
  uint8_t* m_shared;
  size_t m_sharedSize;
};
