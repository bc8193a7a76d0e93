// The main dialog's live streams: the SDK's stream callbacks (on its worker
// threads), record frames, window video, the restarts the watchdog asks for
// (on a thread of their own) and the video-output card's feed (on the media
// timer's worker).
#include "main_dlg.h"

#include "card_session.h"

#include "RecordWriter.h"
#include "core/Orvik.h"
#include "net_streams.h"

namespace {

// The main dialog the stream threads deliver to; set while it exists.
CMainDlg* volatile g_streamOwner = nullptr;

}  // namespace

void CALLBACK StreamCallback(unsigned char* data, int length, int streamType, int audioCodec, void* user) {
  CMainDlg* d = g_streamOwner;
  if (!user || !d) return;
  d->OnMainStreamData(user, data, length, streamType, audioCodec);
}

void CALLBACK SubStreamCallback(unsigned char* data, int length, int streamType, int, void* user) {
  CMainDlg* d = g_streamOwner;
  if (!user || !d) return;
  d->OnSubStreamData(user, data, length, streamType);
}

void CMainDlg::CreateStreams() {
  for (auto& b : m_frameBuilders) b = std::make_unique<record::CRecordFrameBuilder>();
  if (!m_streamControl) m_streamControl = std::make_unique<CNetStreamControl>(StreamCallback, SubStreamCallback);
  m_restarter = std::make_unique<shell::CStreamRestarter>(
      [this](int slot, int kind) { RestartStreamNow(slot, kind); });
  g_streamOwner = this;
}

void CMainDlg::StopStreams() {
  if (g_streamOwner == this) g_streamOwner = nullptr;
  if (m_restarter) m_restarter->Stop();
  if (m_cardTask >= 0) {
    m_mediaTimer.RemoveTask(m_cardTask);
    m_cardTask = -1;
  }
}

void CMainDlg::OnMainStreamData(void* user, const uint8_t* data, int length, int streamType, int audioCodec) {
  const int slot = m_channels.IndexOf(user);
  if (slot < 0) return;
  ++m_streamCounts.main;
  shell::DeliverMainStream(m_channels[slot], slot, m_routes, shell::kMonitorWindows, data, length, streamType,
                           audioCodec, *this);
}

void CMainDlg::OnSubStreamData(void* user, const uint8_t* data, int length, int streamType) {
  const int slot = m_channels.IndexOf(user);
  if (slot < 0) return;
  ++m_streamCounts.sub;
  shell::DeliverSubStream(m_channels[slot], slot, m_routes, shell::kMonitorWindows, data, length, streamType,
                          *this);
}

// ---- what a delivery uses (stream threads)

bool CMainDlg::PlaybackVisible() { return m_playbackVisible.load(); }

void CMainDlg::PlayVideoStream(int handle, const uint8_t* data, int length) {
  if (m_sdkPlay.playVideo) m_sdkPlay.playVideo(handle, const_cast<unsigned char*>(data), length);
}

void CMainDlg::AudioDecode(const uint8_t* data, int length, int codec) {
  if (m_sdkPlay.audioDecode) m_sdkPlay.audioDecode(const_cast<unsigned char*>(data), length, codec);
}

void CMainDlg::StoreAudioFormat(int slot, int codec) {
  if (shell::DeviceRecord* d = m_channels[slot].device.load()) d->audioFormat = uint32_t(codec);
}

void CMainDlg::CountVideoBytes(int slot, int length) {
  if (length <= 0) return;
  m_statisticDlg.AddChannelBytes(slot, uint32_t(length));
  m_devicePanel.AddReceivedBytes(slot, length);
}

void CMainDlg::PreviewFrame(int slot, const uint8_t* data, int length) {
  // The settings dialog previews the slot of its current channel; it takes
  // a copy to its own thread.
  if (length > 0 && slot == m_frontEndSettings.CurrentChannelSlot())
    m_frontEndSettings.OnPreviewData(data, size_t(length));
}

void CMainDlg::PlayWindowFrame(int playHandle, const uint8_t* data, int length, int kind) {
  shell::PlayWindowFrame(*this, playHandle, data, length, kind);
}

void CMainDlg::BuildRecordFrame(int slot, const uint8_t* data, int length, int streamType) {
  if (!shell::ChannelTable::IsValid(slot) || !m_frameBuilders[slot] || !m_frameQueue || !data || length <= 0)
    return;
  const shell::DeviceRecord* d = m_channels[slot].device.load();
  const uint8_t format = d ? uint8_t(d->audioFormat) : 0;
  if (streamType == 0) ++m_channels[slot].videoFrames;
  bool wake = false;
  record::BuildRecordFrame(*m_frameBuilders[slot], *m_frameQueue, slot, data, size_t(length), streamType, format,
                           nullptr, &wake);
  if (wake && m_recordWriter) m_recordWriter->Signal(slot);
}

// ---- window video (UI thread)

void CMainDlg::PublishWindowRoute(int window) {
  if (!shell::WindowListModel::IsValid(window)) return;
  const shell::WindowList& w = m_windows[window];
  shell::PlayRoute r;
  if (w.showsChannel) {
    r.slot = w.CurrentSlot();
    r.mainStream = w.showsMainStream != 0;
    r.handle = r.mainStream ? w.mainHandle.load() : w.subHandle.load();
  }
  m_routes[window].Publish(r);
}

BOOL CMainDlg::OpenWindowVideo(int window) {
  if (window < 0 || window >= GetWindowCount()) return FALSE;
  shell::WindowList& w = m_windows[window];
  if (w.Count() <= 0) return FALSE;
  if (w.showsChannel) return TRUE;
  shell::ChannelSlot* s = m_channels.At(w.At(0));
  if (!s || !s->InUse()) return FALSE;
  w.position = 0;
  HWND video = m_monitors[window].GetVideoHwnd();
  if (!w.mainHandle) w.mainHandle = NET_CreateRealPlayHandle(video);
  if (!w.subHandle) w.subHandle = NET_CreateRealPlayHandle(video);
  w.showsChannel = 1;
  s->window = window;
  m_windowRecord[window] = s->manualRecord ? 1 : 0;
  const shell::DeviceRecord* d = s->device.load();
  CString caption;
  caption.Format("%s - %s", d->serverName, StatisticChannelName(d, uint32_t(s->channel.load())).GetString());
  m_monitors[window].SetTitle(caption);
  PublishWindowRoute(window);
  if (m_statusBar.m_hWnd) m_statusBar.SetChannelState(0, window, 1);
  return TRUE;
}

void CMainDlg::CloseWindowVideo(int window) {
  // Any of the 36: a window outside the split in use may still hold handles.
  if (!shell::WindowListModel::IsValid(window)) return;
  shell::WindowList& w = m_windows[window];
  if (!w.showsChannel) return;
  w.showsChannel = 0;
  w.position = -1;
  // The stream threads stop playing into the handles before they go.
  PublishWindowRoute(window);
  for (std::atomic<int32_t>* h : {&w.mainHandle, &w.subHandle}) {
    if (int handle = h->exchange(0)) {
      NET_StopPlayVideoStream(handle);
      NET_CloseRealPlayHandle(handle);
    }
  }
  if (m_monitors[window].m_hWnd) m_monitors[window].Invalidate();
  if (m_statusBar.m_hWnd) m_statusBar.SetChannelState(0, window, 0);
}

// ---- live streams the device panel starts and stops (UI thread)

int CMainDlg::StartLiveStream(int loginId, int channel, int kind, int slot) {
  shell::ChannelSlot* s = m_channels.At(slot);
  if (!s || !m_streamControl) return 0;
  return m_streamControl->StartStream(loginId, channel, kind, s);
}

int CMainDlg::StopLiveStream(int loginId, int channel, int kind) {
  return m_streamControl ? m_streamControl->StopStream(loginId, channel, kind) : 0;
}

// ---- restarts

void CMainDlg::RestartStream(int slot, int window, int kind) {
  if (!shell::ChannelTable::IsValid(slot) || !shell::WindowListModel::IsValid(window)) return;
  // A dead device holds its start for a second: never on this thread.
  if (m_restarter) m_restarter->Queue(slot, kind == 0 ? 0 : 1);
}

void CMainDlg::RestartStreamNow(int slot, int kind) {
  shell::ChannelSlot* s = m_channels.At(slot);
  if (!s || !m_streamControl) return;
  const shell::DeviceRecord* d = s->device.load();
  if (!d || !d->loginId) return;
  char address[sizeof d->address + 1] = {};
  memcpy(address, d->address, sizeof d->address);
  shell::RestartSlotStream(*m_streamControl, int(d->loginId), s->channel.load(), kind, s, address,
                           int(d->streamPort), [this](const char* a, int port, int channel, int k) {
                             SendStreamStarted(a, port, channel, k);
                           });
}

// ---- video-output card (media timer's worker)

void CMainDlg::StartCardFeed(BOOL mode) {
  if (m_cardTask < 0) m_cardTask = m_mediaTimer.AddTask(40, CardFeedTimerProc, DWORD_PTR(this));
  TheCardSession().SetFeed(mode == 1);
}

void CALLBACK CMainDlg::CardFeedTimerProc(UINT task, UINT, DWORD_PTR context, DWORD_PTR, DWORD_PTR) {
  auto* d = reinterpret_cast<CMainDlg*>(context);
  if (!d || int(task) != d->m_cardTask) return;
  // Nothing unless the card is connected and the feed is on.
  TheCardSession().RunFeed(TheCardDecoders());
}

void CMainDlg::CardVideo(int window, const uint8_t* data, int length) {
  // SDK thread: the session's flags are read without its lock.
  if (TheCardSession().FeedOn() && TheCardSession().OnCard(window)) TheCardDecoders().Push(window, data, length);
}

BOOL CMainDlg::EnsureMainStream(int slot) {
  shell::ChannelSlot* s = m_channels.At(slot);
  if (!s || !s->InUse()) return FALSE;
  if (s->mainStreamRunning) return TRUE;
  const shell::DeviceRecord* d = s->device.load();
  if (!d->loginId || !m_streamControl) return FALSE;
  if (!m_streamControl->StartStream(int(d->loginId), s->channel.load(), 0, s)) return FALSE;
  s->mainStreamRunning = 1;
  char address[sizeof d->address + 1] = {};
  memcpy(address, d->address, sizeof d->address);
  SendStreamStarted(address, int(d->streamPort), s->channel.load(), 0);
  return TRUE;
}
