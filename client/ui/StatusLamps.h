// The status bar's lamps as data: which kind is shown, which lamps are in
// use, enabled and lit, and the operator's actions on them. The bar's
// window mirrors this after every change. Pure.
#pragma once
#include "StatusBarHost.h"

namespace ui {

constexpr int kStatusLampCount = 64;
constexpr int kStatusKindCount = 5;

// Lamps in use for a kind (0..64): windows for 0, channels for 1 and 4,
// the second count for 3, none for 2 and unknown kinds.
int StatusLampsInUse(int kind, CStatusBarHost& host);
// The kind after this one on the "next kind" button: 0 -> 1 -> 4 -> 0.
int NextStatusKind(int kind);
// Tooltip of a kind's button (English), nullptr for kinds 2 and 3.
const char* StatusKindTooltip(int kind);

class StatusLamps {
public:
  explicit StatusLamps(CStatusBarHost& host) : m_host(host) {}

  int Kind() const { return m_kind; }
  int State(int lamp) const { return Valid(lamp) ? m_state[lamp] : 0; }
  bool Enabled(int lamp) const { return Valid(lamp) && m_enabled[lamp]; }
  bool CommandsEnabled() const { return m_commands; }

  // Shows a kind. Kind 2 leaves the lamps as they are; any other kind
  // enables the lamps in use (for kind 0 only those of windows that show a
  // channel) and reads every lamp's state from the host.
  void SetMode(int kind);
  // A state the host reports; false (and nothing changes) for a kind not
  // shown, for kind 2 and for lamps out of use. A window's lamp (kind 0) is
  // enabled while it is lit.
  bool SetChannelState(int kind, int index, int state);
  // The operator clicked a lamp: the host switches its state. Lamps out of
  // use or disabled are ignored.
  void Toggle(int lamp);
  // "All Open" (on) and "All Close" (off): every lamp in use in the other
  // state is switched through the host; the count is read again after each.
  void SetAll(int on);

private:
  static bool Valid(int lamp) { return lamp >= 0 && lamp < kStatusLampCount; }
  CStatusBarHost& m_host;
  int m_kind = -1;
  int m_state[kStatusLampCount] = {};
  bool m_enabled[kStatusLampCount] = {};
  bool m_commands = false;
};

}  // namespace ui
