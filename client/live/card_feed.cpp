#include "card_feed.h"

#include <cstring>

namespace card {

void BlankQuarter(uint8_t* picture, int quarter) {
  if (!picture || quarter < 0 || quarter >= kPositions) return;
  const int x = (quarter % 2) * kQuarterWidth, y = (quarter / 2) * kQuarterHeight;
  for (int row = 0; row < kQuarterHeight; ++row) std::memset(picture + (y + row) * kPictureWidth + x, 0, kQuarterWidth);
  const int cw = kPictureWidth / 2;
  uint8_t* u = picture + kPictureWidth * kPictureHeight;
  uint8_t* v = u + cw * (kPictureHeight / 2);
  for (int row = 0; row < kQuarterHeight / 2; ++row) {
    std::memset(u + (y / 2 + row) * cw + x / 2, 128, kQuarterWidth / 2);
    std::memset(v + (y / 2 + row) * cw + x / 2, 128, kQuarterWidth / 2);
  }
}

void ComposeOutput(uint8_t* picture, const CardOutputModel& model, int output, IWindowPictures& source) {
  std::vector<uint8_t> frame;
  for (int q = 0; q < kPositions; ++q) {
    int window = model.QuarterWindow(output, q);
    int w = 0, h = 0;
    if (window < 0 || !source.CopyPicture(window, frame, w, h) ||
        frame.size() < size_t(w) * size_t(h) * 3 / 2 ||
        !ScaleIntoQuarter(picture, q, ContiguousPicture(frame.data(), w, h)))
      BlankQuarter(picture, q);
  }
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
  std::lock_guard<std::mutex> g(m_lock);
  m_feed = false;
  if (!m_connected) return;
  for (int i = 0; i < outputs; ++i) {
    m_library.CloseChannel(i);
    m_library.ClearVideoOutput(i);
  }
  m_connected = false;
  m_library.ReleaseCards();
  m_model.Reset(0);
  m_outputs = 0;
}

void CCardSession::ResetOutput(int output) {
  std::lock_guard<std::mutex> g(m_lock);
  if (!m_connected || output < 0 || output >= m_outputs) return;
  m_library.CloseChannel(output);
  m_library.ClearVideoOutput(output);
}

void CCardSession::SetFeed(bool on) {
  std::lock_guard<std::mutex> g(m_lock);
  m_feed = on;
}

bool CCardSession::FeedOn() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_feed;
}

void CCardSession::SetModel(const CardOutputModel& model) {
  std::lock_guard<std::mutex> g(m_lock);
  m_model = model;
}

CardOutputModel CCardSession::Model() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_model;
}

std::vector<uint8_t>& CCardSession::PictureLocked(int output) {
  std::vector<uint8_t>& p = m_pictures[output];
  if (p.empty()) {
    p.assign(size_t(kPictureBytes), 0);
    for (int q = 0; q < kPositions; ++q) BlankQuarter(p.data(), q);
  }
  return p;
}

void CCardSession::ClearQuadrant(int output, int quarter) {
  if (output < 0 || output >= kMaxOutputs) return;
  std::lock_guard<std::mutex> g(m_lock);
  BlankQuarter(PictureLocked(output).data(), quarter);
}

int CCardSession::RunFeed(IWindowPictures& source) {
  std::lock_guard<std::mutex> g(m_lock);
  if (!m_connected || !m_feed) return 0;
  int fed = 0;
  for (int o = 0; o < m_outputs && o < kMaxOutputs; ++o) {
    bool any = false;
    for (int p = 1; p <= kPositions; ++p) any = any || m_model.CountChildItems(o, p) > 0;
    if (!any) continue;
    std::vector<uint8_t>& picture = PictureLocked(o);
    ComposeOutput(picture.data(), m_model, o, source);
    m_library.OpenChannel(o);
    m_library.InputData(o, picture.data(), kPictureWidth, kPictureHeight, 1);
    ++fed;
  }
  return fed;
}

std::vector<uint8_t> CCardSession::Picture(int output) const {
  std::lock_guard<std::mutex> g(m_lock);
  return output >= 0 && output < kMaxOutputs ? m_pictures[output] : std::vector<uint8_t>();
}

}  // namespace card
