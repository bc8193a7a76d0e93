// The main dialog's electronic map and video-output card: the two commands
// that open their windows and the card's release at the close.
#include "main_dlg.h"

#include "alarm_video_dlg.h"
#include "analog_output_dlg.h"
#include "card_session.h"
#include "emap_dlg.h"

void CMainDlg::OnEmap() {
  if (!m_emapDlg) {
    auto dlg = std::make_unique<CEMapDlg>(this);
    dlg->m_records = m_config->devices;
    // A camera's video opens in the alarm video pop-up (channel 0-based).
    dlg->m_openVideo = [this](int loginId, int channel) {
      if (m_alarmVideoDlg) m_alarmVideoDlg->ShowAlarmChannel(loginId, channel);
    };
    if (!dlg->Create(CEMapDlg::IDD, this)) return;
    m_emapDlg = std::move(dlg);
  }
  m_emapDlg->Open();
}

void CMainDlg::OnVideoCard() {
  if (!m_cardDlg) {
    auto dlg = std::make_unique<CAnalogOutputDlg>(TheCardSession(), this);
    dlg->m_windowShowsChannel = [this](int w) { return GetChannelState(0, w) != 0; };
    if (!dlg->Create(CAnalogOutputDlg::IDD, this)) return;
    dlg->CenterWindow(this);
    m_cardDlg = std::move(dlg);
  }
  m_cardDlg->ShowWindow(SW_SHOW);
}

void CMainDlg::ReleaseCard() {
  ReleaseCardOnShutdown(m_cardDlg ? m_cardDlg->m_outputs : card::kMaxOutputs);
}
