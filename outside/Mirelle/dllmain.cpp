// Mirelle.dll: the video-output card library the client imports, served by
// a simulated card (card_sim.h). Its outputs, DSPs and record folder come
// from the environment or from "Mirelle.ini" beside the library, read again
// at every init that finds the card released. One lock guards every call.
#include <windows.h>

#include <memory>
#include <string>

#include "Mirelle.h"
#include "card_sim.h"

namespace {

CRITICAL_SECTION g_lock;
std::unique_ptr<mirelle::CardSim> g_card;
HMODULE g_module = nullptr;

class Guard {
public:
  Guard() { ::EnterCriticalSection(&g_lock); }
  ~Guard() { ::LeaveCriticalSection(&g_lock); }
};

std::string IniText() {
  char path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string p(path, n);
  size_t slash = p.find_last_of("\\/");
  p = (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + "Mirelle.ini";
  HANDLE f = ::CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buf[4096];
  DWORD got = 0;
  while (text.size() < 65536 && ::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
  ::CloseHandle(f);
  return text;
}

std::string Env(const char* name) {
  char buf[MAX_PATH] = {};
  DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

mirelle::CardSim& Card() {
  if (!g_card) {
    std::string outputs = Env("MIRELLE_OUTPUTS"), dsps = Env("MIRELLE_DSPS"), folder = Env("MIRELLE_FOLDER");
    g_card = std::make_unique<mirelle::CardSim>(
        mirelle::ParseCardConfig(IniText(), outputs.c_str(), dsps.c_str(), folder.c_str()));
  }
  return *g_card;
}

}  // namespace

extern "C" {

int WINAPI KD27_InitCards() {
  Guard g;
  int r = Card().InitCards();
  if (!r && g_card->Errors() == 0) g_card.reset();  // not configured: read again next time
  return r;
}

int WINAPI KD27_SetVideoStandard(int standard) {
  Guard g;
  Card().SetVideoStandard(standard);
  return 1;
}

int WINAPI KD27_GetChannels() {
  Guard g;
  return Card().GetChannels();
}

int WINAPI KD27_GetDSPs() {
  Guard g;
  return Card().GetDSPs();
}

int WINAPI KD27_OpenChannel(int channel) {
  Guard g;
  return Card().OpenChannel(channel);
}

int WINAPI KD27_InputData(int channel, unsigned char* picture, int width, int height, int flag) {
  Guard g;
  return Card().InputData(channel, picture, width, height, flag);
}

int WINAPI KD27_CloseChannel(int channel) {
  Guard g;
  return Card().CloseChannel(channel);
}

int WINAPI KD27_ClearVideoOutput(int channel) {
  Guard g;
  return Card().ClearVideoOutput(channel);
}

int WINAPI KD27_ReleaseCards() {
  Guard g;
  Card().ReleaseCards();
  // The next init reads the configuration again.
  g_card.reset();
  return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::InitializeCriticalSection(&g_lock);
  } else if (reason == DLL_PROCESS_DETACH) {
    g_card.reset();
    ::DeleteCriticalSection(&g_lock);
  }
  return TRUE;
}
