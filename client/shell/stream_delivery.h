// What the client does with each frame or audio payload the SDK delivers
// for a channel slot, on the SDK's thread: the watchdog's data mark, live
// play into the window that shows the slot, audio, statistics, the settings
// preview and the record frame. The steps are written over a slot type with
// the channel slot's fields (window, recording, manualRecord,
// MainDataArrived, SubDataArrived) and over the services below, so that the
// main dialog and the tests give their own.
//
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "stream_core.h"
#include "stream_routes.h"

namespace shell {

// The SDK's calls and the main dialog's services a delivery uses.
class IStreamServices {
public:
  virtual ~IStreamServices() = default;
  // The "Record Playback" window is visible: nothing plays live.
  virtual bool PlaybackVisible() = 0;
  virtual void PlayVideoStream(int handle, const uint8_t* data, int length) = 0;  // NET_PlayVideoStream
  virtual void AudioDecode(const uint8_t* data, int length, int codec) = 0;        // NET_AudioDecode
  // The device record's audio format (the codec of its last audio payload).
  virtual void StoreAudioFormat(int slot, int codec) = 0;
  // Statistics report and the device panel's received-bytes counter.
  virtual void CountVideoBytes(int slot, int length) = 0;
  // The front-end settings dialog's preview, when it previews this slot.
  virtual void PreviewFrame(int slot, const uint8_t* data, int length) = 0;
  virtual void BuildRecordFrame(int slot, const uint8_t* data, int length, int streamType) = 0;
  // The video the window shows, for the video-output card's decoder of
  // that window (nothing unless the window is on the card).
  virtual void CardVideo(int window, const uint8_t* data, int length) {}
};

// Diagnostic counts of deliveries.
struct StreamCallbackCounts {
  std::atomic<uint32_t> main{0}, sub{0};
};

// NET_PlayVideoStream on a window's handle: only a handle that is not 0 and
// kinds 0 and 1 (video) play.
inline void PlayWindowFrame(IStreamServices& s, int handle, const uint8_t* data, int length, int kind) {
  if (handle != 0 && (kind == 0 || kind == 1) && data && length > 0) s.PlayVideoStream(handle, data, length);
}

// The route of the window a slot is shown in; "not shown" for a window
// outside the table (-1 included).
inline PlayRoute RouteOfWindow(const PlayRouteCell* routes, int windowCount, int window) {
  if (!routes || window < 0 || window >= windowCount) return PlayRoute();
  return routes[window].Read();
}

// One delivery of a slot's main stream (streamType 0 video, else audio).
template <class Slot>
void DeliverMainStream(Slot& slot, int slotIndex, const PlayRouteCell* routes, int windowCount,
                       const uint8_t* data, int length, int streamType, int audioCodec, IStreamServices& s) {
  const bool video = streamType == 0;
  // Only video with data shows the stream is alive: audio alone, or the
  // empty first delivery of a session, must not hide dead video.
  if (video && length > 0) slot.MainDataArrived();
  const PlayRoute route = RouteOfWindow(routes, windowCount, slot.window.load());
  const bool playback = s.PlaybackVisible();
  if (!video) {
    if (!playback) {
      s.StoreAudioFormat(slotIndex, audioCodec);
      if (data && length > 0) s.AudioDecode(data, length, audioCodec);
    }
  } else {
    s.CountVideoBytes(slotIndex, length);
    if (!playback) {
      PlayWindowFrame(s, RouteHandleFor(route, slotIndex, true), data, length, 0);
      if (data && length > 0) s.PreviewFrame(slotIndex, data, length);
    }
    if (data && length > 0 && route.slot == slotIndex && route.mainStream) s.CardVideo(slot.window.load(), data, length);
  }
  if ((slot.recording.load() || slot.manualRecord.load()) && data && length > 0)
    s.BuildRecordFrame(slotIndex, data, length, streamType);
}

// One delivery of a slot's sub stream: live play only.
template <class Slot>
void DeliverSubStream(Slot& slot, int slotIndex, const PlayRouteCell* routes, int windowCount,
                      const uint8_t* data, int length, int streamType, IStreamServices& s) {
  if ((streamType == 0 || streamType == 1) && length > 0) slot.SubDataArrived();
  const PlayRoute route = RouteOfWindow(routes, windowCount, slot.window.load());
  if ((streamType == 0 || streamType == 1) && data && length > 0 && route.slot == slotIndex && !route.mainStream)
    s.CardVideo(slot.window.load(), data, length);
  if (s.PlaybackVisible()) return;
  PlayWindowFrame(s, RouteHandleFor(route, slotIndex, false), data, length, streamType);
  // The alarm video pop-up, while it shows this slot.
  PlayWindowFrame(s, AlarmVideoHandleFor(slotIndex), data, length, streamType);
}

// Starting and stopping a channel's streams (NET_StartRealPlay and
// NET_StartSubStream with the client's callbacks, their stops).
class ISdkStreamControl {
public:
  virtual ~ISdkStreamControl() = default;
  // kind 0 main stream, else sub stream; user: the channel slot. The start's
  // result: non-zero on success.
  virtual int StartStream(int loginId, int channel, int kind, void* user) = 0;
  virtual int StopStream(int loginId, int channel, int kind) = 0;
};

// The stream-started notice on the UDP command channel (address text, port,
// channel, kind 0 main / 1 sub).
using StreamStartedNotice = std::function<void(const char* address, int port, int channel, int kind)>;

// A stream's restart: stop, start, and after a start that succeeded the
// notice. A failed start is not reported; the watchdog tries again.
inline int RestartSlotStream(ISdkStreamControl& sdk, int loginId, int channel, int kind, void* user,
                             const char* address, int port, const StreamStartedNotice& notice) {
  const int k = kind == 0 ? 0 : 1;
  sdk.StopStream(loginId, channel, k);
  const int started = sdk.StartStream(loginId, channel, k, user);
  if (started != 0 && notice) notice(address, port, channel, k);
  return started;
}

}  // namespace shell
