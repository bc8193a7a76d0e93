// "Loading Last Configuration ...": at start-up, before the last channel
// assignment is restored, every device that was logged in at the last close
// has its name looked up, one a second, with a progress bar. The dialog
// ends by itself.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "channel_list_resource.h"
#include "config_image.h"
#include "worker_thread.h"

namespace shell {

// What resolving needs of the world; tests give their own.
struct ResolveSeams {
  // The first IPv4 address of a name in network order; false when none.
  std::function<bool(const std::string& name, uint32_t* address)> lookup;
  std::function<void(int percent)> progress;
  // Waits up to ms; false when the stop flag ended the wait.
  std::function<bool(int ms)> pause;
  std::function<bool()> stopped;
};

// Looks up every device in state 3 (in record order); a found address is
// stored and the device becomes 2 (stream stopped); a name that is not
// found leaves the record as it was. Progress 100 x k / n after the k-th.
// Returns the number of devices looked up.
int ResolveDevices(SystemConfigImage& image, const ResolveSeams& seams);

// gethostbyname's first address of a name (network order).
bool LookUpHost(const std::string& name, uint32_t* address);

}  // namespace shell

class CLoadConfigDlg : public CDialog {
public:
  enum { IDD = IDD_LOAD_CONFIG };
  CLoadConfigDlg(shell::SystemConfigImage* image, CWnd* parent = nullptr);
  ~CLoadConfigDlg() override;

  // Tests may replace the look-up.
  std::function<bool(const std::string&, uint32_t*)> m_lookup = shell::LookUpHost;
  int Resolved() const { return m_resolved; }
  int LastPercent() const { return m_percent; }

protected:
  BOOL OnInitDialog() override;
  void OnCancel() override {}
  void OnOK() override {}
  afx_msg void OnDestroy();
  afx_msg LRESULT OnProgress(WPARAM percent, LPARAM);
  afx_msg void OnClose();
  static UINT LoadConfigThreadProc(LPVOID self);

  shell::SystemConfigImage* m_image;
  CProgressCtrl m_progress;
  CWorkerThread m_thread;
  HANDLE m_stopEvent = nullptr;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_resolved{0};
  int m_percent = 0;
  DECLARE_MESSAGE_MAP()
};
