#include "card_output.h"

#include <algorithm>
#include <cstring>

namespace card {

namespace {
const std::vector<int> kNone;
const CardAssignment kNoAssignment;
}  // namespace

CardOutputModel::CardOutputModel() { Reset(0); }

void CardOutputModel::Reset(int outputs) {
  m_outputs = std::max(0, std::min(outputs, kMaxOutputs));
  for (auto& output : m_positions)
    for (auto& p : output) p.clear();
  std::fill(std::begin(m_rotation), std::end(m_rotation), -1);
  for (CardAssignment& a : m_assign) a = CardAssignment();
}

const std::vector<int>& CardOutputModel::Windows(int output, int position) const {
  if (output < 0 || output >= m_outputs || position < 1 || position > kPositions) return kNone;
  return m_positions[output][position - 1];
}

int CardOutputModel::HasMultipleAssignedPositions(int output) const {
  int used = 0;
  for (int p = 1; p <= kPositions; ++p)
    if (CountChildItems(output, p) > 0 && ++used >= 2) return 1;
  return 0;
}

void CardOutputModel::UpdateMultiFlags(int output) {
  int multi = HasMultipleAssignedPositions(output);
  for (int p = 1; p <= kPositions; ++p)
    for (int w : Windows(output, p)) m_assign[w].multiPosition = multi;
}

bool CardOutputModel::Assign(int output, int position, int window) {
  if (output < 0 || output >= m_outputs || position < 1 || position > kPositions || window < 0 || window >= kWindows)
    return false;
  CardAssignment& a = m_assign[window];
  if (a.output == output && a.position == position) return false;
  Remove(window);
  m_positions[output][position - 1].push_back(window);
  a.output = output;
  a.position = position;
  UpdateMultiFlags(output);
  return true;
}

bool CardOutputModel::Remove(int window) {
  if (window < 0 || window >= kWindows || m_assign[window].output < 0) return false;
  const int output = m_assign[window].output;
  std::vector<int>& list = m_positions[output][m_assign[window].position - 1];
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
  m_assign[window] = CardAssignment();
  UpdateMultiFlags(output);
  return true;
}

const CardAssignment& CardOutputModel::Assignment(int window) const {
  return window >= 0 && window < kWindows ? m_assign[window] : kNoAssignment;
}

void CardOutputModel::Rotate() {
  for (int o = 0; o < m_outputs; ++o) {
    for (int p = 0; p < kPositions; ++p) {
      const std::vector<int>& list = m_positions[o][p];
      if (list.empty()) continue;
      int& slot = m_rotation[o * kPositions + p];
      auto at = std::find(list.begin(), list.end(), slot);
      slot = (at == list.end() || at + 1 == list.end()) ? list.front() : *(at + 1);
    }
  }
}

int CardOutputModel::QuarterWindow(int output, int quarter) const {
  const std::vector<int>& list = Windows(output, quarter + 1);
  if (list.empty()) return -1;
  int slot = m_rotation[output * kPositions + quarter];
  return std::find(list.begin(), list.end(), slot) != list.end() ? slot : list.front();
}

int WindowNumberInText(const char* text) {
  if (!text) return 0;
  for (int n = 1; n <= kWindows; ++n) {
    char two[3] = {char('0' + n / 10), char('0' + n % 10), 0};
    if (std::strstr(text, two)) return n;
  }
  return 0;
}

PictureView ContiguousPicture(const uint8_t* data, int width, int height) {
  PictureView v;
  if (!data || width <= 0 || height <= 0) return v;
  v.width = width;
  v.height = height;
  v.y = data;
  v.u = data + width * height;
  v.v = v.u + (width / 2) * (height / 2);
  v.strideY = width;
  v.strideU = v.strideV = width / 2;
  return v;
}

namespace {

// One plane of w x h into dst (dw x dh, stride dstStride): each target pixel
// is the mean of the source pixels its area covers (at least one).
void ScalePlane(const uint8_t* src, int w, int h, int stride, uint8_t* dst, int dw, int dh, int dstStride) {
  for (int ty = 0; ty < dh; ++ty) {
    int y0 = int(int64_t(ty) * h / dh), y1 = int(int64_t(ty + 1) * h / dh);
    if (y1 <= y0) y1 = y0 + 1;
    if (y1 > h) y1 = h;
    uint8_t* out = dst + ty * dstStride;
    for (int tx = 0; tx < dw; ++tx) {
      int x0 = int(int64_t(tx) * w / dw), x1 = int(int64_t(tx + 1) * w / dw);
      if (x1 <= x0) x1 = x0 + 1;
      if (x1 > w) x1 = w;
      unsigned sum = 0, n = 0;
      for (int y = y0; y < y1; ++y) {
        const uint8_t* row = src + y * stride;
        for (int x = x0; x < x1; ++x) sum += row[x];
        n += unsigned(x1 - x0);
      }
      out[tx] = uint8_t((sum + n / 2) / n);
    }
  }
}

}  // namespace

bool ScaleIntoQuarter(uint8_t* cardPicture, int quarter, const PictureView& s) {
  if (!cardPicture || quarter < 0 || quarter >= kPositions || !s.y || !s.u || !s.v || s.width < 2 || s.height < 2)
    return false;
  const int x = (quarter % 2) * kQuarterWidth, y = (quarter / 2) * kQuarterHeight;
  uint8_t* Y = cardPicture;
  uint8_t* U = Y + kPictureWidth * kPictureHeight;
  uint8_t* V = U + (kPictureWidth / 2) * (kPictureHeight / 2);
  ScalePlane(s.y, s.width, s.height, s.strideY, Y + y * kPictureWidth + x, kQuarterWidth, kQuarterHeight,
             kPictureWidth);
  const int cw = kPictureWidth / 2, sw = s.width / 2, sh = s.height / 2;
  ScalePlane(s.u, sw, sh, s.strideU, U + (y / 2) * cw + x / 2, kQuarterWidth / 2, kQuarterHeight / 2, cw);
  ScalePlane(s.v, sw, sh, s.strideV, V + (y / 2) * cw + x / 2, kQuarterWidth / 2, kQuarterHeight / 2, cw);
  return true;
}

bool ScaleToQuarterPicture(std::vector<uint8_t>& out, const PictureView& s) {
  if (!s.y || !s.u || !s.v || s.width < 2 || s.height < 2) return false;
  const int qw = kQuarterWidth, qh = kQuarterHeight;
  out.assign(size_t(qw) * qh * 3 / 2, 0);
  uint8_t* u = out.data() + qw * qh;
  uint8_t* v = u + (qw / 2) * (qh / 2);
  ScalePlane(s.y, s.width, s.height, s.strideY, out.data(), qw, qh, qw);
  ScalePlane(s.u, s.width / 2, s.height / 2, s.strideU, u, qw / 2, qh / 2, qw / 2);
  ScalePlane(s.v, s.width / 2, s.height / 2, s.strideV, v, qw / 2, qh / 2, qw / 2);
  return true;
}

}  // namespace card
