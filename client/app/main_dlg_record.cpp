// The main dialog's recording: the frame queue, the record disks and the
// record writer, with the dialog as the writer's host.
#include "main_dlg_record_host.h"

#include "RecordDisks.h"
#include "RecordWriter.h"
#include "helpers.h"

void CMainDlg::CreateRecording() {
  m_frameQueue = std::make_unique<record::CFrameQueue>(shell::kChannelSlots);
  record::RecordDiskSeams seams;
  seams.localLog = [this](const std::string& line) { AddLog(line.c_str()); };
  seams.translate = [](const char* english) { return std::string(TranslateString(english).GetString()); };
  // The program folder is settled only after construction: the file name
  // is put under it when the log is saved.
  seams.saveLocalLog = [this](const std::string& name) {
    return m_localLogDlg.SaveToFile(m_programDir + name.c_str()) != FALSE;
  };
  seams.logicalDrives = [this] { return LogicalDrives(); };
  m_recordDisks = std::make_unique<record::CRecordDisks>(seams);
  m_recordHost = std::make_unique<CMainRecordHost>(this);
  m_recordWriter = std::make_unique<record::CRecordWriter>(*m_frameQueue, *m_recordHost);
}

void CMainDlg::StopRecordWriter() {
  if (!m_recordWriter) return;
  if (m_recordWriter->StopThread(5000)) return;
  // Still inside a write after 5 s: it leaves on its own when the write
  // returns. What it uses is never freed under it: the writer, its queue
  // and its host stay for the rest of the process, and the host answers
  // without the dialog.
  m_recordHost->Detach();
  (void)m_recordWriter.release();
  (void)m_frameQueue.release();
  (void)m_recordHost.release();
}

BOOL CMainDlg::StartRecord(int slot, int recordType, int preFrames) {
  if (!m_recordWriter || !m_channels.At(slot)) return FALSE;
  return m_recordWriter->StartRecord(slot, recordType, preFrames) ? TRUE : FALSE;
}

void CMainDlg::StopRecord(int slot) {
  if (m_recordWriter && m_channels.At(slot)) m_recordWriter->StopRecord(slot);
}

void CMainDlg::RebuildChannelTable() {
  if (!m_recordWriter) {
    m_channels.CountUsed();
    return;
  }
  std::lock_guard<std::recursive_mutex> hold(m_recordWriter->Lock());
  m_channels.CountUsed();
  const int span = m_channels.SlotSpan();
  for (int i = 0; i < span; ++i) m_frameQueue->Reset(i);
}

uint32_t CMainDlg::FailedDiskMask() const { return m_recordDisks ? m_recordDisks->FailedDiskMask() : 0; }
