#include "alarm_sound.h"
#include "helpers.h"

#include <mmsystem.h>
#include <process.h>

#include <memory>

namespace {

struct AlarmRequest {
  CString path;
  DWORD durationMs;
  BOOL beep;
};

struct AlarmState {
  CRITICAL_SECTION lock;
  int playing = 0;
  AlarmState() { ::InitializeCriticalSection(&lock); }
  ~AlarmState() { ::DeleteCriticalSection(&lock); }
};

AlarmState& State() {
  static AlarmState s;
  return s;
}

unsigned __stdcall AlarmSoundThreadProc(void* param) {
  std::unique_ptr<AlarmRequest> req(static_cast<AlarmRequest*>(param));
  if (req->beep) ::Beep(200, req->durationMs);
  else PlaySoundFor(req->path, req->durationMs);
  req.reset();
  AlarmState& s = State();
  ::EnterCriticalSection(&s.lock);
  --s.playing;
  ::LeaveCriticalSection(&s.lock);
  return 0;
}

}  // namespace

void PlaySoundFor(const char* wavPath, DWORD ms) {
  DWORD start = ::timeGetTime();
  do {
    DWORD begun = ::timeGetTime();
    if (!::PlaySoundA(wavPath, nullptr, SND_FILENAME | SND_NOWAIT | SND_SYNC | SND_NODEFAULT)) return;
    // A device that "plays" without taking any time must not spin the CPU.
    if (::timeGetTime() - begun < 20) ::Sleep(20);
  } while (::timeGetTime() - start <= ms);
}

int AlarmSoundsPlaying() {
  AlarmState& s = State();
  ::EnterCriticalSection(&s.lock);
  int n = s.playing;
  ::LeaveCriticalSection(&s.lock);
  return n;
}

BOOL PlayAlarmSound(const char* wavPath, UINT seconds, BOOL beep) {
  CString path = wavPath ? wavPath : "";
  if (path.Find(":\\") < 0) path = GetModuleDirectory() + path;
  if (!FileExists(path) && !beep) return FALSE;
  AlarmState& s = State();
  ::EnterCriticalSection(&s.lock);
  if (s.playing) {
    ::LeaveCriticalSection(&s.lock);
    return FALSE;   // one alarm sound at a time: later requests are dropped
  }
  s.playing = 1;
  ::LeaveCriticalSection(&s.lock);
  ULONGLONG ms = ULONGLONG(seconds) * 1000u;
  auto* req = new AlarmRequest{path, DWORD(ms > kMaxAlarmSoundMs ? kMaxAlarmSoundMs : ms), beep};
  uintptr_t h = _beginthreadex(nullptr, 0, &AlarmSoundThreadProc, req, 0, nullptr);
  if (!h) {
    delete req;
    ::EnterCriticalSection(&s.lock);
    --s.playing;
    ::LeaveCriticalSection(&s.lock);
    return FALSE;
  }
  ::CloseHandle(reinterpret_cast<HANDLE>(h));
  return TRUE;
}
