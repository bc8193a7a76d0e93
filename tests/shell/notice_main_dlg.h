// The main dialog for tests: the stream-started notices it sends are
// recorded (and only sent on when m_sendNotices is set), and test code runs
// on its thread (Run).
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "dialog_thread.h"
#include "main_dlg.h"

struct StreamNotice {
  std::string address;
  int channel, kind;
};

template <class Derived>
class NoticeRecordingMainDlg : public DialogThreadRunner<Derived, CMainDlg> {
public:
  void SendStreamStarted(const char* address, int port, int channel, int kind) override {
    std::lock_guard<std::mutex> l(m_lock);
    m_notices.push_back({address, channel, kind});
    if (m_sendNotices) CMainDlg::SendStreamStarted(address, port, channel, kind);
  }
  std::vector<StreamNotice> Notices() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_notices;
  }
  void ClearNotices() {
    std::lock_guard<std::mutex> l(m_lock);
    m_notices.clear();
  }

  bool m_sendNotices = false;

protected:
  std::mutex m_lock;
  std::vector<StreamNotice> m_notices;
};
