#include "alarm_video_dlg.h"

#include "app_services.h"
#include "channel_blocks.h"
#include "core/Orvik.h"
#include "language.h"
#include "main_dlg_face.h"
#include "stream_routes.h"

BEGIN_MESSAGE_MAP(CAlarmVideoDlg, CDialog)
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CAlarmVideoDlg::CAlarmVideoDlg(CWnd* parent) : CDialog(IDD, parent) {}

CAlarmVideoDlg::~CAlarmVideoDlg() = default;

BOOL CAlarmVideoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_video.SubclassDlgItem(IDC_ALARM_VIDEO_AREA, this);
  TranslateDialog(this);
  SetWindowText(TranslateString("Alarm Video"));
  CRect r;
  GetClientRect(&r);
  Layout(r.Width(), r.Height());
  CenterWindow(CWnd::FromHandle(::GetDesktopWindow()));
  return TRUE;
}

void CAlarmVideoDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  Layout(cx, cy);
}

void CAlarmVideoDlg::Layout(int cx, int cy) {
  // The client rectangle less 1 pixel on the left and 2 at the top.
  if (m_video.GetSafeHwnd()) m_video.MoveWindow(1, 2, cx - 1 > 0 ? cx - 1 : 0, cy - 2 > 0 ? cy - 2 : 0);
}

void CAlarmVideoDlg::Forget() {
  shell::PublishAlarmVideoRoute(-1, 0);
  if (m_playHandle) {
    NET_CloseRealPlayHandle(m_playHandle);
    m_playHandle = 0;
  }
  m_loginId = -1;
  m_channel = -1;
  m_slot = -1;
  m_showing = FALSE;
  if (m_video.GetSafeHwnd()) m_video.Invalidate();
}

int CAlarmVideoDlg::ShowAlarmChannel(int loginId, int channel) {
  Forget();
  ShowWindow(SW_RESTORE);
  ShowWindow(SW_SHOW);
  SetForegroundWindow();
  int found = -1;
  shell::DeviceRecord* device = nullptr;
  if (g_pMainDlg)
    for (int s = 0; s < shell::kChannelSlots && found < 0; ++s) {
      shell::ChannelSlot& slot = g_pMainDlg->m_channels[s];
      shell::DeviceRecord* d = slot.device.load();
      if (d && loginId > 0 && d->loginId == uint32_t(loginId) && slot.channel.load() == channel) {
        found = s;
        device = d;
      }
    }
  if (found < 0) {
    SetWindowText(TranslateString("Alarm Video"));
    TranslatedMessageBox(this, "Server or channel is not connected!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  char server[sizeof device->serverName];
  lstrcpynA(server, device->serverName, sizeof server);
  CString caption;
  caption.Format("%s  :  [%s] - [%s]", LPCSTR(TranslateString("Alarm Video")), server,
                 shell::ChannelName(*device, channel));
  SetWindowText(caption);
  m_loginId = loginId;
  m_channel = channel;
  m_slot = found;
  m_showing = TRUE;
  // The channel's live stream plays into the video area too.
  m_playHandle = NET_CreateRealPlayHandle(m_video.GetSafeHwnd());
  if (m_playHandle > 0) shell::PublishAlarmVideoRoute(found, m_playHandle);
  else m_playHandle = 0;
  return 1;
}

void CAlarmVideoDlg::OnCancel() {
  Forget();
  ShowWindow(SW_HIDE);
}

void CAlarmVideoDlg::OnDestroy() {
  Forget();
  CDialog::OnDestroy();
}
