// Handing data from a worker thread to a window's thread: the worker posts
// a heap copy as the message's lParam, the window's thread takes it back.
// A copy whose post fails (no window, full queue) is freed at once.
#pragma once
#include <windows.h>

#include <memory>

template <class T>
BOOL PostHeapCopy(HWND target, UINT message, WPARAM wParam, std::unique_ptr<T> copy) {
  if (!target || !copy) return FALSE;
  if (!::PostMessageA(target, message, wParam, reinterpret_cast<LPARAM>(copy.get()))) return FALSE;
  copy.release();  // the receiver owns it now
  return TRUE;
}

// In the receiving window's handler: the posted copy, freed when it goes.
template <class T>
std::unique_ptr<T> TakePostedCopy(LPARAM lParam) {
  return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}
