// The main dialog as the record writer's host. Included by the main
// dialog's own files only.
#pragma once

#include <string>

#include "RecordDisks.h"
#include "channel_blocks.h"
#include "RecordWriter.h"
#include "helpers.h"
#include "main_dlg.h"

// What the record writer asks of the client. It may call from the writer
// thread; once the dialog has let go of it (a writer that did not stop in
// time), every call is answered without the dialog.
class CMainRecordHost : public record::IRecordHost {
public:
  explicit CMainRecordHost(CMainDlg* owner) : m_owner(owner) {}
  void Detach() { m_owner = nullptr; }

  // Every slot that may be in use: a freed slot leaves a hole below others.
  int ChannelCount() override {
    CMainDlg* d = m_owner;
    return d ? d->m_channels.SlotSpan() : 0;
  }
  bool GetChannel(int slot, record::RecordChannelInfo& out) override {
    CMainDlg* d = m_owner;
    const shell::ChannelSlot* s = d ? d->m_channels.At(slot) : nullptr;
    const shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
    if (!dev) return false;
    out.address.assign(dev->address, strnlen(dev->address, sizeof dev->address));
    out.channelIndex = s->channel;
    // Channel blocks come with a connected device; without them the
    // writer names the channel itself.
    const char* block = shell::ChannelBlock(*dev, s->channel);
    out.hasChannelName = block != nullptr;
    if (block) out.channelName.assign(block, strnlen(block, shell::kChannelNameSize));
    uint32_t standard = 0;
    memcpy(&standard, dev->info + 42, sizeof standard);
    out.videoStandard = standard;
    return true;
  }
  bool EnsureStreamStarted(int slot) override {
    CMainDlg* d = m_owner;
    return d && d->EnsureMainStream(slot);
  }
  void SetRecordingFlag(int slot, bool on) override {
    CMainDlg* d = m_owner;
    if (shell::ChannelSlot* s = d ? d->m_channels.At(slot) : nullptr) s->recording = on ? 1 : 0;
  }
  void ResetVideoFrameCounter(int slot) override {
    CMainDlg* d = m_owner;
    if (shell::ChannelSlot* s = d ? d->m_channels.At(slot) : nullptr) s->videoFrames = 0;
  }
  void SendStreamStarted(int slot) override {
    CMainDlg* d = m_owner;
    const shell::ChannelSlot* s = d ? d->m_channels.At(slot) : nullptr;
    const shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
    if (dev) d->SendStreamStarted(dev->address, dev->streamPort, s->channel, 0);
  }
  // The device tree's and the monitor window's mark and the status bar's
  // record lamp; the writer's thread posts it to the dialog.
  void UpdateRecordMark(int slot, bool fromWriter) override {
    if (CMainDlg* d = DialogThreadOwner(slot, fromWriter)) d->UpdateRecordMark(slot);
  }
  void ShowRecordState(int slot, bool recording, bool fromWriter) override {
    if (CMainDlg* d = DialogThreadOwner(slot, fromWriter)) d->ShowRecordLamp(slot, recording);
  }
  void LocalLog(const std::string& line) override {
    if (CMainDlg* d = m_owner) d->AddLog(line.c_str());
  }
  void AddDiskErrorRow(int slot, const std::string& root, const std::string& path,
                       const std::string& error) override {
    if (CMainDlg* d = m_owner) d->m_diskErrorDlg.AddErrorLine(slot, root.c_str(), path.c_str(), error.c_str());
  }
  // The bytes the writer stored for the slot.
  void AddChannelBytes(int slot, uint32_t bytes) override {
    if (CMainDlg* d = m_owner) d->m_statisticDlg.AddRecordBytes(slot, bytes);
  }
  std::string Translate(const char* english) override { return TranslateString(english).GetString(); }
  uint32_t TickMs() override {
    CMainDlg* d = m_owner;
    return d ? d->TickMs() : ::GetTickCount();
  }
  std::string MakeRecordFilePath(const std::string& address, int channelIndex, const std::string& channelName,
                                 int recordType) override {
    CMainDlg* d = m_owner;
    std::string path;
    if (d) d->m_recordDisks->MakeRecordFilePath(path, address, channelIndex, channelName, recordType);
    return path;
  }
  bool CleanUpRecordDisk() override {
    CMainDlg* d = m_owner;
    return d && d->m_recordDisks->CleanUpRecordDisk();
  }
  void MarkDriveFailed(const std::string& root) override {
    if (CMainDlg* d = m_owner) d->m_recordDisks->MarkDriveFailed(root);
  }

private:
  // The dialog when the caller runs on its thread; from the writer's or any
  // other thread the slot's marks are posted to it instead (null then).
  CMainDlg* DialogThreadOwner(int slot, bool fromWriter) {
    CMainDlg* d = m_owner;
    if (!d || !shell::ChannelTable::IsValid(slot)) return nullptr;
    HWND h = d->m_hWnd;
    if (!h) return nullptr;
    if (fromWriter || ::GetWindowThreadProcessId(h, nullptr) != ::GetCurrentThreadId()) {
      ::PostMessageA(h, WM_MAIN_RECORD_MARK, WPARAM(slot), 0);
      return nullptr;
    }
    return d;
  }

  CMainDlg* volatile m_owner;
};
