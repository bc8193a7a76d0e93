#include "card_feed.h"

#include <cstring>

namespace card {

bool FillQuarter(uint8_t* picture, int quarter, int window, IWindowPictures& source) {
  std::vector<uint8_t> frame;
  int w = 0, h = 0;
  return window >= 0 && source.CopyPicture(window, frame, w, h) && frame.size() >= size_t(w) * size_t(h) * 3 / 2 &&
         ScaleIntoQuarter(picture, quarter, ContiguousPicture(frame.data(), w, h));
}

std::vector<shell::CardOutputAssignment> FeedAssignments(const CardOutputModel& model) {
  std::vector<shell::CardOutputAssignment> outputs(size_t(model.Outputs()));
  for (int o = 0; o < model.Outputs(); ++o)
    for (int q = 0; q < kPositions; ++q) outputs[size_t(o)].window[q] = model.QuarterWindow(o, q);
  return outputs;
}

bool CCardSession::Connect(int& outputs, int& dsps) {
  std::lock_guard<std::mutex> g(m_lock);
  if (m_connected) return true;
  if (m_library.InitCards() == 0) return false;
  m_connected = true;
  m_library.SetVideoStandard(0);
  outputs = m_library.GetChannels();
  if (outputs < 0) outputs = 0;
  dsps = m_library.GetDSPs();
  for (int i = 0; i < outputs; ++i) m_library.OpenChannel(i);
  m_outputs = outputs;
  return true;
}

bool CCardSession::Connected() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_connected;
}

void CCardSession::Disconnect(int outputs) {
  // Under the lock a running feed has finished and no other starts.
  std::lock_guard<std::mutex> g(m_lock);
  m_feed.SetMode(0);
  if (!m_connected) return;
  for (int i = 0; i < outputs; ++i) {
    m_library.CloseChannel(i);
    m_library.ClearVideoOutput(i);
  }
  m_connected = false;
  m_library.ReleaseCards();
  m_model.Reset(0);
  m_feed.SetAssignments({}, 0);
  m_onCard = 0;
  m_outputs = 0;
}

void CCardSession::ResetOutput(int output) {
  std::lock_guard<std::mutex> g(m_lock);
  if (!m_connected || output < 0 || output >= m_outputs) return;
  m_library.CloseChannel(output);
  m_library.ClearVideoOutput(output);
}

void CCardSession::SetFeed(bool on) { m_feed.SetMode(on ? 1 : 0); }

void CCardSession::SetModel(const CardOutputModel& model) {
  std::lock_guard<std::mutex> g(m_lock);
  m_model = model;
  m_feed.SetAssignments(FeedAssignments(model), model.Outputs());
  uint64_t mask = 0;
  for (int w = 0; w < kWindows; ++w)
    if (model.Assignment(w).output >= 0) mask |= uint64_t(1) << w;
  m_onCard = mask;
}

CardOutputModel CCardSession::Model() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_model;
}

void CCardSession::ClearQuadrant(int output, int quarter) {
  std::lock_guard<std::mutex> g(m_lock);
  shell::ClearCardQuadrant(m_feed.Picture(output), quarter);
}

int CCardSession::RunFeed(IWindowPictures& source) {
  std::lock_guard<std::mutex> g(m_lock);
  return m_feed.Run(m_library, m_connected, [&source](uint8_t* picture, int quarter, int window) {
    return FillQuarter(picture, quarter, window, source);
  });
}

std::vector<uint8_t> CCardSession::Picture(int output) const {
  std::lock_guard<std::mutex> g(m_lock);
  const uint8_t* p = m_feed.Picture(output);
  return p ? std::vector<uint8_t>(p, p + kPictureBytes) : std::vector<uint8_t>();
}

}  // namespace card
