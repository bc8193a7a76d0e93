#include "window_layout.h"

namespace shell {

namespace {

const int kKindWindows[kLayoutKinds] = {0, 1, 4, 9, 16, 25, 36, 6, 8, 13, 20};
const int kKindSide[kLayoutKinds] = {0, 1, 2, 3, 4, 5, 6, 3, 4, 4, 6};

// Cells of the shaped kinds in grid units, in window order.
const UnitCell kKind7[] = {{0, 0, 2, 2}, {2, 0, 1, 1}, {2, 1, 1, 1}, {2, 2, 1, 1}, {1, 2, 1, 1}, {0, 2, 1, 1}};
const UnitCell kKind8[] = {{0, 0, 3, 3}, {3, 0, 1, 1}, {3, 1, 1, 1}, {3, 2, 1, 1},
                           {3, 3, 1, 1}, {2, 3, 1, 1}, {1, 3, 1, 1}, {0, 3, 1, 1}};
const UnitCell kKind9[] = {{0, 0, 1, 1}, {1, 0, 1, 1}, {2, 0, 1, 1}, {3, 0, 1, 1}, {3, 1, 1, 1},
                           {3, 2, 1, 1}, {3, 3, 1, 1}, {2, 3, 1, 1}, {1, 3, 1, 1}, {0, 3, 1, 1},
                           {0, 2, 1, 1}, {0, 1, 1, 1}, {1, 1, 2, 2}};

}  // namespace

int LayoutWindowCount(int kind) { return kind >= 0 && kind < kLayoutKinds ? kKindWindows[kind] : 0; }
int LayoutGridSide(int kind) { return kind >= 0 && kind < kLayoutKinds ? kKindSide[kind] : 0; }
int NormalizeLayoutKind(int kind) { return kind >= 0 && kind < kLayoutKinds ? kind : 0; }

int SplitWindowCount(int split) { return split >= 0 && split < kSplitLayouts ? kKindWindows[split + 1] : 0; }

int KindForWindowCount(int count) {
  for (int k = 0; k < kLayoutKinds; ++k)
    if (kKindWindows[k] == count) return k;
  return 0;
}

int SplitForKind(int kind) { return kind >= 1 && kind < kLayoutKinds ? kind - 1 : -1; }

int EqualGridKindForCount(int count) {
  if (count > 36) return -1;
  if (count == 1) return 1;
  if (count <= 4) return 2;
  if (count <= 9) return 3;
  if (count <= 16) return 4;
  if (count <= 25) return 5;
  return 6;
}

bool LayoutUnitCell(int kind, int index, UnitCell& out) {
  if (index < 0 || index >= LayoutWindowCount(kind)) return false;
  if (kind >= 1 && kind <= 6) {
    int s = kKindSide[kind];
    out = UnitCell{index % s, index / s, 1, 1};
    return true;
  }
  switch (kind) {
    case 7: out = kKind7[index]; return true;
    case 8: out = kKind8[index]; return true;
    case 9: out = kKind9[index]; return true;
    case 10:
      if (index < 2) out = UnitCell{index * 3, 0, 3, 3};
      else out = UnitCell{(index - 2) % 6, 3 + (index - 2) / 6, 1, 1};
      return true;
    default: return false;
  }
}

bool LayoutCell(int kind, int index, const LayoutArea& a, Cell& out) {
  UnitCell u;
  if (!LayoutUnitCell(kind, index, u)) return false;
  int s = kKindSide[kind];
  int cw = (a.width - a.gap) / s;
  int rh = (a.height - a.gap) / s;
  out.left = a.offsetLeft + a.gap + u.col * cw;
  out.top = a.offsetTop + a.gap + u.row * rh;
  out.right = a.offsetLeft + (u.col + u.cols) * cw;
  out.bottom = a.offsetTop + (u.row + u.rows) * rh;
  return true;
}

bool CentredGridCell(int kind, int index, int left, int top, int width, int height, int gap, Cell& out) {
  if (kind < 1 || kind > 6) return false;
  int s = kKindSide[kind];
  int cw = (width - gap) / s, rh = (height - gap) / s;
  LayoutArea a;
  a.offsetLeft = left + ((width - gap) - cw * s) / 2;
  a.offsetTop = top + ((height - gap) - rh * s) / 2;
  a.width = width;
  a.height = height;
  a.gap = gap;
  return LayoutCell(kind, index, a, out);
}

int FirstWindowShown(int kind, int first, int current, int windowsInUse) {
  int f = first == -1 ? current : first;
  int c = LayoutWindowCount(kind);
  if (windowsInUse - f < c) {
    f = windowsInUse - c;
    if (f < 0) f = 0;
  }
  if (f < 0) f = 0;
  return f;
}

WatchdogStep StepWatchdog(int ticks, int restarts) {
  if (ticks > kWatchdogSilentTicks) {
    if (restarts < kWatchdogMaxRestarts) return WatchdogStep{0, restarts + 1, true};
    return WatchdogStep{ticks, restarts, false};
  }
  return WatchdogStep{ticks + 1, restarts, false};
}


SidePanelStack StackSidePanels(int firstTop, const int expandedHeight[kFoldingSidePanels],
                               const bool expanded[kFoldingSidePanels], int collapsedHeight, int deviceBottom) {
  SidePanelStack st{};
  int top = firstTop;
  for (int i = 0; i < kFoldingSidePanels; ++i) {
    st.top[i] = top;
    st.height[i] = expanded[i] ? expandedHeight[i] : collapsedHeight;
    top += st.height[i];
  }
  st.top[kFoldingSidePanels] = top;
  st.height[kFoldingSidePanels] = deviceBottom > top ? deviceBottom - top : 0;
  return st;
}

Cell VideoAreaFor(int clientWidth, int clientHeight, int marginLeft, int marginTop, int marginRight,
                  int marginBottom, int toolBarHeight, int sidePanelWidth) {
  return Cell{marginLeft, toolBarHeight + marginTop, clientWidth - sidePanelWidth - marginRight,
              clientHeight - marginBottom};
}

}  // namespace shell
