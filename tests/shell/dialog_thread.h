// Runs test code on a dialog's own thread: Run sends the dialog a message
// whose handler calls the code, and returns once it has run.
#pragma once
#include <afxwin.h>

#include <functional>

template <class Derived, class Base>
class DialogThreadRunner : public Base {
public:
  enum : UINT { kRunMessage = WM_APP + 0x200 };
  void Run(const std::function<void(Derived&)>& fn) {
    std::function<void()> call = [&] { fn(static_cast<Derived&>(*this)); };
    ::SendMessageA(this->m_hWnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&call));
  }

protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == kRunMessage) {
      (*reinterpret_cast<std::function<void()>*>(l))();
      return 0;
    }
    return Base::WindowProc(msg, w, l);
  }
};
