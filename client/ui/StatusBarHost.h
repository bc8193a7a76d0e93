// What the system status bar needs of the window that owns it (the main
// dialog): the channel states by kind and the counts of lamps in use.
// Kinds: 0 monitor windows showing video, 1 local recording, 3 the third
// channel flag, 4 manual alarm (2 shows nothing).
#pragma once

class CStatusBarHost {
public:
  virtual ~CStatusBarHost() = default;
  // 0 or 1; for kind 0 whether monitor window index shows a channel.
  virtual int GetChannelState(int kind, int index) = 0;
  // Switches the state; the host tells the bar the new state back through
  // CSystemStatusBar::SetChannelState.
  virtual void SetChannelState(int kind, int index, int on) = 0;
  // Windows of the split layout in use.
  virtual int GetWindowCount() = 0;
  // Channel slots in use.
  virtual int GetChannelCount() = 0;
  // The second channel count (lamps of kind 3).
  virtual int GetSecondChannelCount() = 0;
};
