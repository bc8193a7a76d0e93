// Selvane.exe: the one application object, run by the library's start-up.
#include "monitor_app.h"

CMonitorApp theApp;

extern "C" int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmdLine, int show) {
  return AfxWinMain(inst, prev, cmdLine, show);
}
