#include "StatusLamps.h"

namespace ui {

int StatusLampsInUse(int kind, CStatusBarHost& host) {
  int n = 0;
  switch (kind) {
    case 0: n = host.GetWindowCount(); break;
    case 1:
    case 4: n = host.GetChannelCount(); break;
    case 3: n = host.GetSecondChannelCount(); break;
    default: n = 0;
  }
  return n < 0 ? 0 : n > kStatusLampCount ? kStatusLampCount : n;
}

int NextStatusKind(int kind) {
  if (kind == 0) return 1;
  if (kind == 1) return 4;
  return 0;
}

const char* StatusKindTooltip(int kind) {
  switch (kind) {
    case 0: return "Real-Time Monitor Status";
    case 1: return "Record Status";
    case 4: return "Manual Alarm Status";
    default: return nullptr;
  }
}

void StatusLamps::SetMode(int kind) {
  m_kind = kind;
  if (kind == 2) return;
  int used = StatusLampsInUse(kind, m_host);
  for (int i = 0; i < kStatusLampCount; ++i)
    m_enabled[i] = i < used && (kind != 0 || m_host.GetChannelState(0, i) != 0);
  m_commands = used > 0;
  for (int i = 0; i < kStatusLampCount; ++i) m_state[i] = m_host.GetChannelState(kind, i) ? 1 : 0;
}

bool StatusLamps::SetChannelState(int kind, int index, int state) {
  if (kind != m_kind || kind == 2 || index < 0 || index >= StatusLampsInUse(kind, m_host)) return false;
  m_state[index] = state ? 1 : 0;
  // A window's lamp can be clicked while the window shows video.
  if (kind == 0) m_enabled[index] = state != 0;
  return true;
}

void StatusLamps::Toggle(int lamp) {
  if (m_kind == 2 || lamp < 0 || lamp >= StatusLampsInUse(m_kind, m_host) || !m_enabled[lamp]) return;
  m_host.SetChannelState(m_kind, lamp, m_state[lamp] ? 0 : 1);
}

void StatusLamps::SetAll(int on) {
  if (m_kind == 2 || !m_commands) return;
  int want = on ? 1 : 0;
  for (int i = 0; i < StatusLampsInUse(m_kind, m_host); ++i)
    if (m_state[i] != want) m_host.SetChannelState(m_kind, i, want);
}

}  // namespace ui
