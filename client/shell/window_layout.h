// Monitor-window layouts as numbers: the cells of the layout kinds 0..10,
// the split layout index, the first window shown and the watchdog's step.
// No window code here.
#pragma once

#include <cstdint>

namespace shell {

struct Cell {
  int left, top, right, bottom;
  bool operator==(const Cell& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

constexpr int kLayoutKinds = 11;     // 0..10
constexpr int kSplitLayouts = 10;    // 0..9

// Windows of a layout kind (0, 1, 4, 9, 16, 25, 36, 6, 8, 13, 20); 0 for a
// kind outside 0..10.
int LayoutWindowCount(int kind);
// Grid units per side (kinds 1..6: 1..6; 7: 3; 8, 9: 4; 10: 6); 0 for kind 0
// and kinds outside.
int LayoutGridSide(int kind);
// A kind outside 0..10 (from a plan file, say) is taken as 0.
int NormalizeLayoutKind(int kind);

// Split layout index 0..9 -> windows in use (1, 4, 9, 16, 25, 36, 6, 8, 13,
// 20); any other index 0.
int SplitWindowCount(int split);
// The kind of a window count (0, 1, 4, ... 20 -> 0, 1, 2 .. 10); any other
// count 0.
int KindForWindowCount(int count);
// The kind of a split index (index + 1, or 0).
inline int KindForSplit(int split) { return KindForWindowCount(SplitWindowCount(split)); }
// The split index of a kind 1..10 (kind - 1), -1 for kind 0 and others.
int SplitForKind(int kind);

// SetSplitForCount: the smallest equal grid holding count windows: 0..4 -> 2
// (1 -> 1), 5..9 -> 3, 10..16 -> 4, 17..25 -> 5, 26..36 -> 6; -1 above 36
// (nothing changes).
int EqualGridKindForCount(int count);

// Cell `index` (0 .. LayoutWindowCount(kind) - 1) of a kind in grid units:
// unit column, unit row and the span in units. FALSE for an index outside.
struct UnitCell {
  int col, row, cols, rows;
};
bool LayoutUnitCell(int kind, int index, UnitCell& out);

// What a layout is laid into.
struct LayoutArea {
  int offsetLeft = 0, offsetTop = 0;   // L and T
  int width = 0, height = 0;           // W and H
  int gap = 1;                         // line width g
};
// The cell of window `index` of the kind: units of (W - g) / s by
// (H - g) / s, a cell running from the left and top of its first unit (with
// the gap) to the right and bottom of its last unit. FALSE outside.
bool LayoutCell(int kind, int index, const LayoutArea& area, Cell& out);
// The menu's split commands: an equal grid (kinds 1..6) centred in a
// rectangle, the remainder of each division split before and after it.
bool CentredGridCell(int kind, int index, int left, int top, int width, int height, int gap, Cell& out);

// The first window shown: first -1 means the current window; when fewer
// than the kind's cells remain from it in the windowsInUse, it is pulled back
// (never below 0).
int FirstWindowShown(int kind, int first, int current, int windowsInUse);

// One watchdog tick of one stream: a counter above 10 restarts the stream
// (at most maxRestarts times in a row) and clears the counter; otherwise it
// climbs by one. The callbacks clear both values when data arrives.
struct WatchdogStep {
  int ticks;
  int restarts;
  bool restart;    // restart the stream now
};
constexpr int kWatchdogSilentTicks = 10;
constexpr int kWatchdogMaxRestarts = 30;
WatchdogStep StepWatchdog(int ticks, int restarts);


// The side panels on the right edge, top to bottom: PTZ, colour, plan,
// device. The first three take their expanded height or the collapsed
// height; the device panel (the last) reaches down to deviceBottom.
constexpr int kFoldingSidePanels = 3;
struct SidePanelStack {
  int top[kFoldingSidePanels + 1];
  int height[kFoldingSidePanels + 1];
};
SidePanelStack StackSidePanels(int firstTop, const int expandedHeight[kFoldingSidePanels],
                               const bool expanded[kFoldingSidePanels], int collapsedHeight, int deviceBottom);

// The rectangle left for the monitor windows in a client area.
Cell VideoAreaFor(int clientWidth, int clientHeight, int marginLeft, int marginTop, int marginRight,
                  int marginBottom, int toolBarHeight, int sidePanelWidth);

}  // namespace shell
