#include "stream_core.h"

#include <cstring>

namespace shell {

uint64_t PlayRouteCell::Pack(const PlayRoute& r) {
  uint64_t slot = (r.slot >= 0 && r.slot < 255) ? uint64_t(r.slot + 1) : 0;
  return slot | (r.mainStream ? 0x100u : 0u) | uint64_t(uint32_t(r.handle)) << 32;
}

void PlayRouteCell::Publish(const PlayRoute& route) { m_word.store(Pack(route)); }

PlayRoute PlayRouteCell::Read() const {
  uint64_t w = m_word.load();
  PlayRoute r;
  r.slot = int(w & 0xFF) - 1;
  r.mainStream = (w & 0x100) != 0;
  r.handle = int(uint32_t(w >> 32));
  return r;
}

int RouteHandleFor(const PlayRoute& route, int slot, bool mainStream) {
  if (slot < 0 || route.slot != slot || route.mainStream != mainStream) return 0;
  return route.handle;
}

CStreamRestarter::CStreamRestarter(RestartFn restart) : m_restart(std::move(restart)) {
  m_thread = std::thread([this] { Loop(); });
}

CStreamRestarter::~CStreamRestarter() { Stop(); }

bool CStreamRestarter::Queue(int slot, int kind) {
  if (slot < 0 || slot >= 64 || kind < 0 || kind > 1) return false;
  std::lock_guard<std::mutex> g(m_lock);
  int key = slot * 2 + kind;
  if (m_stop || m_queued[key]) return false;
  m_queued[key] = 1;
  m_queue.push_back(key);
  m_wake.notify_one();
  return true;
}

void CStreamRestarter::Stop() {
  {
    std::lock_guard<std::mutex> g(m_lock);
    m_stop = true;
    m_queue.clear();
    std::memset(m_queued, 0, sizeof m_queued);
    m_wake.notify_one();
  }
  if (m_thread.joinable()) m_thread.join();
}

int CStreamRestarter::Pending() const {
  std::lock_guard<std::mutex> g(m_lock);
  return int(m_queue.size());
}

void CStreamRestarter::Loop() {
  std::unique_lock<std::mutex> g(m_lock);
  for (;;) {
    m_wake.wait(g, [this] { return m_stop || !m_queue.empty(); });
    if (m_stop) return;
    int key = m_queue.front();
    m_queue.erase(m_queue.begin());
    g.unlock();
    if (m_restart) m_restart(key / 2, key % 2);
    g.lock();
    // Queued again only after the restart ran: data or silence decide anew.
    m_queued[key] = 0;
  }
}

void ClearCardQuadrant(uint8_t* picture, int quarter) {
  if (!picture || quarter < 0 || quarter >= kCardQuarters) return;
  const int qw = kCardWidth / 2, qh = kCardHeight / 2;
  const int x = (quarter % 2) * qw, y = (quarter / 2) * qh;
  for (int row = 0; row < qh; ++row) std::memset(picture + (y + row) * kCardWidth + x, 0, size_t(qw));
  // Chroma planes: half the width and height each.
  const int cw = kCardWidth / 2, cx = x / 2, cy = y / 2;
  uint8_t* u = picture + kCardWidth * kCardHeight;
  uint8_t* v = u + cw * (kCardHeight / 2);
  for (int row = 0; row < qh / 2; ++row) {
    std::memset(u + (cy + row) * cw + cx, 128, size_t(qw / 2));
    std::memset(v + (cy + row) * cw + cx, 128, size_t(qw / 2));
  }
}

int CardOutputAssignment::AssignedCount() const {
  int n = 0;
  for (int w : window) n += w >= 0;
  return n;
}

std::vector<CardFeedStep> PlanCardFeed(const std::vector<CardOutputAssignment>& outputs, int outputCount) {
  std::vector<CardFeedStep> steps;
  int n = outputCount;
  if (n > int(outputs.size())) n = int(outputs.size());
  if (n > kCardMaxOutputs) n = kCardMaxOutputs;
  for (int o = 0; o < n; ++o) {
    // An output with a single window is fed too: its other quarters black.
    if (outputs[size_t(o)].AssignedCount() < 1) continue;
    CardFeedStep s{o, {}, {}};
    for (int q = 0; q < kCardQuarters; ++q) {
      s.window[q] = outputs[size_t(o)].window[q];
      s.clear[q] = s.window[q] < 0;
    }
    steps.push_back(s);
  }
  return steps;
}

CCardFeed::CCardFeed() : m_pictures(kCardMaxOutputs) {}

void CCardFeed::SetAssignments(const std::vector<CardOutputAssignment>& outputs, int outputCount) {
  std::lock_guard<std::mutex> g(m_lock);
  m_outputs = outputs;
  m_outputCount = outputCount;
}

uint8_t* CCardFeed::Picture(int output) {
  if (output < 0 || output >= kCardMaxOutputs) return nullptr;
  std::lock_guard<std::mutex> g(m_lock);
  std::vector<uint8_t>& p = m_pictures[size_t(output)];
  if (p.empty()) {
    p.assign(size_t(kCardPictureSize), 0);
    for (int q = 0; q < kCardQuarters; ++q) ClearCardQuadrant(p.data(), q);
  }
  return p.data();
}

int CCardFeed::Run(ICardOutputs& card, bool cardReady, const CardQuarterFill& fill) {
  if (!cardReady || m_mode != 1) return 0;
  std::vector<CardFeedStep> steps;
  {
    std::lock_guard<std::mutex> g(m_lock);
    steps = PlanCardFeed(m_outputs, m_outputCount);
  }
  for (const CardFeedStep& s : steps) {
    uint8_t* picture = Picture(s.output);
    for (int q = 0; q < kCardQuarters; ++q)
      if (s.clear[q] || (fill && !fill(picture, q, s.window[q]))) ClearCardQuadrant(picture, q);
    card.OpenChannel(s.output);
    card.InputData(s.output, picture, kCardWidth, kCardHeight, 1);
  }
  return int(steps.size());
}

}  // namespace shell
