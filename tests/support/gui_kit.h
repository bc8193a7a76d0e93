// GUI test kit: drives windows and dialogs of the platform library under
// Wine's X display. Every wait has a time-out.
//
//   gui::PumpUntil([&] { return done; }, 2000);
//   gui::ModalRunner<CMyDlg> run([](CMyDlg& d) { ... set up ... });
//   HWND dlg = run.WaitForWindow(3000);
//   gui::Click(dlg, IDC_APPLY);
//   gui::MessageBoxScript boxes({IDYES});
//   gui::SaveWindowBitmap(dlg, gui::OutputPath("my_dialog.bmp"));
#pragma once

#include <afxwin.h>
#include <afxcmn.h>
#include <afxmt.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gui {

inline void InitControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
  ::InitCommonControlsEx(&icc);
}

// Dispatches this thread's messages until cond() holds or timeoutMs passes.
inline bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(int(msg.wParam));
        return cond();
      }
      if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    if (cond()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

inline HWND Control(HWND dlg, int id) { return ::GetDlgItem(dlg, id); }

inline std::string Text(HWND h) {
  char buf[1024] = {};
  ::GetWindowTextA(h, buf, sizeof buf);
  return buf;
}
inline std::string Text(HWND dlg, int id) { return Text(Control(dlg, id)); }

inline void SetText(HWND dlg, int id, const char* text) { ::SetWindowTextA(Control(dlg, id), text); }

// A real button click (the button sends BN_CLICKED itself, check boxes toggle).
inline void Click(HWND dlg, int id) { ::SendMessageA(Control(dlg, id), BM_CLICK, 0, 0); }
// A click whose handler opens a modal dialog: posted, so the caller does not
// wait inside the nested loop (find the nested window by its caption).
inline void PostClick(HWND dlg, int id) {
  ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(dlg, id)));
}

inline bool IsChecked(HWND dlg, int id) { return ::SendMessageA(Control(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Sends the control's WM_COMMAND notification to its parent as the control would.
inline LRESULT Command(HWND dlg, int id, UINT code) {
  return ::SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Control(dlg, id)));
}

// Sends a bare WM_NOTIFY from the control (tab, slider, custom codes).
inline LRESULT Notify(HWND dlg, int id, UINT code) {
  NMHDR nm{Control(dlg, id), UINT_PTR(id), code};
  return ::SendMessageA(dlg, WM_NOTIFY, WPARAM(id), reinterpret_cast<LPARAM>(&nm));
}

inline void SelectCombo(HWND dlg, int id, int index) {
  ::SendMessageA(Control(dlg, id), CB_SETCURSEL, WPARAM(index), 0);
  Command(dlg, id, CBN_SELCHANGE);
}

inline void SelectListBox(HWND dlg, int id, int index) {
  ::SendMessageA(Control(dlg, id), LB_SETCURSEL, WPARAM(index), 0);
  Command(dlg, id, LBN_SELCHANGE);
}

// List view and tree view send their own notifications on selection.
inline void SelectListItem(HWND dlg, int id, int index) {
  LVITEMA it{};
  it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageA(Control(dlg, id), LVM_SETITEMSTATE, WPARAM(index), reinterpret_cast<LPARAM>(&it));
}

// A list view's rows: count, cell text, check box.
inline int ListCount(HWND dlg, int id) { return int(::SendMessageA(Control(dlg, id), LVM_GETITEMCOUNT, 0, 0)); }
inline std::string ListText(HWND dlg, int id, int row, int col) {
  char buf[256] = {};
  LVITEMA it{};
  it.iSubItem = col;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  ::SendMessageA(Control(dlg, id), LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&it));
  return buf;
}
inline bool ListChecked(HWND dlg, int id, int row) {
  UINT s = UINT(::SendMessageA(Control(dlg, id), LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
  return (s >> 12) == 2;
}
inline void SetListCheck(HWND dlg, int id, int row, bool on) {
  LVITEMA it{};
  it.stateMask = LVIS_STATEIMAGEMASK;
  it.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  ::SendMessageA(Control(dlg, id), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
}

inline void SelectTreeItem(HWND dlg, int id, HTREEITEM item) {
  ::SendMessageA(Control(dlg, id), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

inline void SelectTab(HWND dlg, int id, int index) {
  ::SendMessageA(Control(dlg, id), TCM_SETCURSEL, WPARAM(index), 0);
  Notify(dlg, id, TCN_SELCHANGE);
}

// Key press to a window through the queue (so PreTranslateMessage and
// IsDialogMessage see it); the owning thread must be pumping.
inline void PostKey(HWND target, UINT vk) {
  ::PostMessageA(target, WM_KEYDOWN, vk, 1);
  ::PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

// The pointer and the top of the window stack belong to every test program
// on the display at once. A test that puts the pointer somewhere and reads
// back what that did (hover pictures, tooltips, hot tracking, a press that
// follows the pointer) holds this lock meanwhile, and so does one that runs a
// menu loop (Wine then grabs the pointer and refuses to move it for anyone
// else): no other test program moves or grabs the pointer, and the holder's
// window stays above the other programs' windows, so the system finds it
// under the pointer. Released (and the pointer parked
// in the screen's corner) on destruction, on the thread that took it.
class PointerLock {
public:
  explicit PointerLock(HWND window = nullptr, DWORD timeoutMs = 120000)
      : m_mutex(::CreateMutexA(nullptr, FALSE, "SelvaneTestPointer")) {
    DWORD r = m_mutex ? ::WaitForSingleObject(m_mutex, timeoutMs) : WAIT_FAILED;
    m_held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    if (m_held && window) KeepOnTop(window);
  }
  ~PointerLock() {
    if (m_window && ::IsWindow(m_window))
      ::SetWindowPos(m_window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_held) {
      ::SetCursorPos(0, 0);
      ::ReleaseMutex(m_mutex);
    }
    if (m_mutex) ::CloseHandle(m_mutex);
  }
  PointerLock(const PointerLock&) = delete;
  PointerLock& operator=(const PointerLock&) = delete;
  bool Held() const { return m_held; }
  // Keeps the top-level window of `window` above ordinary windows while
  // the lock is held.
  void KeepOnTop(HWND window) {
    m_window = ::GetAncestor(window, GA_ROOT);
    ::SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
private:
  HANDLE m_mutex;
  bool m_held = false;
  HWND m_window = nullptr;
};

// Records every message box and answers from a script (then `fallback`).
class MessageBoxScript {
public:
  struct Box {
    std::string text, caption;
    UINT type;
  };
  explicit MessageBoxScript(std::vector<int> answers = {}, int fallback = IDOK)
      : m_answers(answers.begin(), answers.end()), m_fallback(fallback) {
    Current() = this;
    m_prev = AfxSetMessageBoxHook(&Hook);
  }
  ~MessageBoxScript() {
    AfxSetMessageBoxHook(m_prev);
    Current() = nullptr;
  }
  std::vector<Box> Boxes() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_boxes;
  }
  size_t Count() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_boxes.size();
  }
private:
  static MessageBoxScript*& Current() {
    static MessageBoxScript* cur = nullptr;
    return cur;
  }
  static int Hook(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    MessageBoxScript* s = Current();
    if (!s) return IDOK;
    std::lock_guard<std::mutex> l(s->m_lock);
    s->m_boxes.push_back({text, caption, type});
    if (s->m_answers.empty()) return s->m_fallback;
    int a = s->m_answers.front();
    s->m_answers.pop_front();
    return a;
  }
  std::mutex m_lock;
  std::vector<Box> m_boxes;
  std::deque<int> m_answers;
  int m_fallback;
  AFX_MSGBOX_HOOK m_prev;
};

// Runs DoModal of a dialog on a UI thread of its own, so the test thread
// can drive it. The dialog object lives on that thread.
template <class Dlg>
class ModalRunner {
public:
  // setup runs before DoModal, finish after it (the object still alive),
  // both on the dialog's thread.
  explicit ModalRunner(std::function<void(Dlg&)> setup = nullptr, std::function<void(Dlg&)> finish = nullptr) {
    m_thread = std::thread([this, setup, finish] {
      Dlg dlg;
      if (setup) setup(dlg);
      m_dlg = &dlg;
      m_result = dlg.DoModal();
      m_dlg = nullptr;
      if (finish) finish(dlg);
      AfxDeleteTempMaps();
      m_done = true;
    });
  }
  ~ModalRunner() {
    if (m_thread.joinable()) {
      if (!Wait(5000)) {
        // Never hang the test run: close whatever is still open.
        if (HWND h = m_hwnd.load()) ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        Wait(5000);
      }
      if (m_thread.joinable()) m_thread.detach();
    }
  }
  // The dialog's window once it is up (nullptr after the time-out).
  HWND WaitForWindow(DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
      Dlg* d = m_dlg.load();
      if (d && d->m_hWnd && ::IsWindowVisible(d->m_hWnd)) {
        m_hwnd = d->m_hWnd;
        return d->m_hWnd;
      }
      if (m_done) return nullptr;
      ::Sleep(10);
    }
    return nullptr;
  }
  // Waits for DoModal to return.
  bool Wait(DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!m_done) {
      if (::GetTickCount() - start >= timeoutMs) return false;
      ::Sleep(10);
    }
    if (m_thread.joinable()) m_thread.join();
    return true;
  }
  INT_PTR Result() const { return m_result; }
  Dlg* Dialog() const { return m_dlg.load(); }
private:
  std::thread m_thread;
  std::atomic<Dlg*> m_dlg{nullptr};
  std::atomic<HWND> m_hwnd{nullptr};
  std::atomic<bool> m_done{false};
  INT_PTR m_result = -2;
};

struct FindCtx {
  const char* caption;
  HWND found;
};
inline BOOL CALLBACK FindThreadWindowProc(HWND h, LPARAM p) {
  FindCtx* c = reinterpret_cast<FindCtx*>(p);
  char buf[256] = {};
  ::GetWindowTextA(h, buf, sizeof buf);
  if (::IsWindowVisible(h) && strcmp(buf, c->caption) == 0) {
    c->found = h;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the given thread with this caption.
inline HWND FindThreadWindow(DWORD threadId, const char* caption, DWORD timeoutMs) {
  FindCtx ctx{caption, nullptr};
  DWORD start = ::GetTickCount();
  do {
    ::EnumThreadWindows(threadId, &FindThreadWindowProc, reinterpret_cast<LPARAM>(&ctx));
    if (ctx.found) return ctx.found;
    ::Sleep(10);
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

// Folder for pictures and other output a person may want to look at.
inline std::string OutputPath(const char* name) {
  std::string dir = std::string(SELVANE_BINARY_DIR) + "/test-output";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "/" + name;
}

// Saves a rectangle of the screen as a 24-bit BMP: only what lies on the
// screen (a maximised window's frame does not), since a blit from outside
// the screen gives nothing at all.
// `scale` > 1 enlarges every pixel to scale x scale pixels, for looking at
// small controls.
inline bool SaveScreenBitmap(const RECT& wanted, const std::string& path, int scale = 1) {
  RECT screenRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  RECT r;
  if (!::IntersectRect(&r, &wanted, &screenRect) || scale < 1) return false;
  int sw = r.right - r.left, sh = r.bottom - r.top;
  int w = sw * scale, ht = sh * scale;
  if (w <= 0 || ht <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, ht);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  if (scale == 1) {
    ::BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
  } else {
    ::SetStretchBltMode(mem, COLORONCOLOR);
    ::StretchBlt(mem, 0, 0, w, ht, screen, r.left, r.top, sw, sh, SRCCOPY);
  }
  ::SelectObject(mem, old);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = ht;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  DWORD stride = (DWORD(w) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(size_t(stride) * ht);
  int lines = ::GetDIBits(mem, bmp, 0, UINT(ht), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  if (lines != ht) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + DWORD(pixels.size());
  bi.biSizeImage = DWORD(pixels.size());
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
  return f.WriteAll(&fh, sizeof fh) && f.WriteAll(&bi, sizeof bi) && f.WriteAll(pixels.data(), UINT(pixels.size()));
}

// Saves what the window shows on the screen as a 24-bit BMP, enlarged
// `scale` times.
inline bool SaveWindowBitmap(HWND h, const std::string& path, int scale = 1) {
  ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Wine puts what the windows painted on the screen while a thread waits
  // for messages: wait a little before reading the screen back.
  PumpFor(150);
  RECT r;
  if (!::GetWindowRect(h, &r)) return false;
  return SaveScreenBitmap(r, path, scale);
}

}  // namespace gui
