// The program entry of an application built on the library. Linked only
// when the program defines no WinMain of its own.
#include "afxwin.h"

extern "C" int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmdLine, int show) {
  return AfxWinMain(inst, prev, cmdLine, show);
}
