// A main window as the status lamps see it: states by (kind, index), the
// counts, and a record of the switches asked for. onSet, when given, runs
// after each switch, as the main window tells the bar the new state.
#pragma once
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "StatusBarHost.h"

class FakeStatusHost : public CStatusBarHost {
public:
  int GetChannelState(int kind, int index) override {
    auto it = states.find({kind, index});
    return it == states.end() ? 0 : it->second;
  }
  void SetChannelState(int kind, int index, int on) override {
    calls.push_back({kind, index, on});
    states[{kind, index}] = on;
    if (onSet) onSet(kind, index, on);
  }
  int GetWindowCount() override { return windows; }
  int GetChannelCount() override { return channels; }
  int GetSecondChannelCount() override { return second; }

  struct Call {
    int kind, index, on;
  };
  std::map<std::pair<int, int>, int> states;
  std::vector<Call> calls;
  int windows = 4, channels = 8, second = 2;
  std::function<void(int, int, int)> onSet;
};
