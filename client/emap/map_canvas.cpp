#include "map_canvas.h"

#include <cmath>

namespace emap {

int ScaleRound(int a, int b, int c) {
  if (c <= 0) return a;
  const double v = std::floor(double(a) * b / c + 0.5);
  return v > kMaxScaled ? kMaxScaled : v < -kMaxScaled ? -kMaxScaled : int(v);
}

void MapCanvas::Reset() {
  icons.Clear();
  picked = -1;
  pickedFlag = false;
  repaintPending = false;
  m_refWidth = m_refHeight = 0;
  SetDisplaySize(m_width, m_height);
}

void MapCanvas::SetDisplaySize(int width, int height) {
  m_width = width;
  m_height = height;
  if (m_refWidth <= 0 || m_refHeight <= 0) {
    m_refWidth = width;
    m_refHeight = height;
  }
  for (int i = 0; i < icons.Size(); ++i) Place(i);
}

int MapCanvas::ToCanvas(int v, int ref, int now) const { return ref > 0 ? ScaleRound(v, now, ref) : v; }

void MapCanvas::Place(int i) {
  const MapIconEntry& s = icons.save[size_t(i)];
  icons.work[size_t(i)].MoveTo(ToCanvas(s.left, m_refWidth, m_width), ToCanvas(s.top, m_refHeight, m_height));
}

void MapCanvas::AddLoaded(const MapIcons& loaded) {
  icons.Reserve(icons.work.size() + loaded.work.size());
  for (size_t i = 0; i < loaded.work.size(); ++i) {
    icons.Append(loaded.work[i]);
    Place(icons.Size() - 1);
  }
}

int MapCanvas::HitTest(int x, int y, int kind) const {
  for (int i = 0; i < icons.Size(); ++i) {
    const MapIconEntry& e = icons.work[size_t(i)];
    if (e.Live() && (kind == 0 || e.kind == kind) && e.Contains(x, y)) return i;
  }
  return -1;
}

int MapCanvas::Press(int x, int y) {
  if (pickedFlag) return picked;
  int hit = HitTest(x, y);
  for (MapIconEntry& e : icons.work) e.selected = 0;
  picked = hit;
  if (hit >= 0) {
    icons.work[size_t(hit)].selected = 1;
    pickedFlag = true;
  }
  return picked;
}

bool MapCanvas::DragTo(int x, int y) {
  repaintPending = true;
  if (picked < 0 || picked >= icons.Size()) return false;
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
  icons.work[size_t(picked)].MoveTo(x, y);
  // The saved position follows, in the reference area.
  MapIconEntry& s = icons.save[size_t(picked)];
  s.MoveTo(m_width > 0 ? ScaleRound(x, m_refWidth, m_width) : x, m_height > 0 ? ScaleRound(y, m_refHeight, m_height) : y);
  return true;
}

bool MapCanvas::Release() {
  pickedFlag = false;
  bool repaint = repaintPending;
  repaintPending = false;
  return repaint;
}

int MapCanvas::Add(int kind, int x, int y, int number, int device, int mapId) {
  MapIconEntry e;
  e.kind = kind;
  e.channel = number;
  e.device = kind == kIconCamera ? device : kProbeDevice;
  e.mapId = mapId;
  e.MoveTo(m_width > 0 ? ScaleRound(x, m_refWidth, m_width) : x, m_height > 0 ? ScaleRound(y, m_refHeight, m_height) : y);
  icons.Append(e);
  Place(icons.Size() - 1);
  repaintPending = true;
  return icons.Size() - 1;
}

bool MapCanvas::HasCamera(int channel, int device) const {
  for (const MapIconEntry& e : icons.work)
    if (e.Live() && e.kind == kIconCamera && e.channel == channel && e.device == device) return true;
  return false;
}

int MapCanvas::Picked(int kind) const {
  if (picked < 0 || picked >= icons.Size()) return -1;
  const MapIconEntry& e = icons.work[size_t(picked)];
  return e.Live() && e.kind == kind ? picked : -1;
}

bool MapCanvas::DeletePicked(int kind) {
  int i = Picked(kind);
  if (i < 0) return false;
  icons.work[size_t(i)].removed = 1;
  icons.work[size_t(i)].selected = 0;
  icons.save[size_t(i)].removed = 1;
  picked = -1;
  return true;
}

bool MapCanvas::ConfigurePicked(int kind, int number) {
  int i = Picked(kind);
  if (i < 0) return false;
  icons.work[size_t(i)].channel = number;
  icons.save[size_t(i)].channel = number;
  return true;
}

int MapCanvas::StateOf(int index) const {
  if (index < 0 || index >= icons.Size()) return 0;
  const MapIconEntry& e = icons.work[size_t(index)];
  if (e.kind == kIconProbe) return e.selected ? kStateProbePicked : kStateProbe;
  if (e.channel >= 1 && e.channel <= kAlarmChannels && alarm[e.channel - 1]) return kStateCameraAlarm;
  return e.selected ? kStateCameraPicked : kStateCamera;
}

int MapCanvas::AlarmCamera(int channelIndex) const {
  if (channelIndex < 0 || channelIndex >= kAlarmChannels) return -1;
  for (int i = 0; i < icons.Size(); ++i) {
    const MapIconEntry& e = icons.work[size_t(i)];
    if (e.Live() && e.kind == kIconCamera && e.channel == channelIndex + 1) return i;
  }
  return -1;
}

bool MapCanvas::VideoAt(int x, int y, int& device, int& channel) const {
  int i = HitTest(x, y, kIconCamera);
  if (i < 0) return false;
  const MapIconEntry& e = icons.work[size_t(i)];
  device = e.device;
  channel = (e.channel & 0xFFFF) - 1;
  return channel >= 0;
}

}  // namespace emap
