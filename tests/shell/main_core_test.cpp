// The main dialog's pure core: layout cells, split counts, the watchdog
// step, the snapshot path and the channel slots with the windows' lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channel_slot.h"
#include "snapshot_path.h"
#include "window_layout.h"

using namespace shell;

namespace {

// ------------------------------------------------------------- layouts

LayoutArea Area(int l, int t, int w, int h, int g) {
  LayoutArea a;
  a.offsetLeft = l;
  a.offsetTop = t;
  a.width = w;
  a.height = h;
  a.gap = g;
  return a;
}

TEST(LayoutCells, KindsZeroToTen) {
  // W - g = 600, H - g = 400: units of 600/s by 400/s.
  const LayoutArea a = Area(0, 0, 601, 401, 1);
  struct Row {
    int kind, index;
    Cell cell;
  } rows[] = {
      {1, 0, {1, 1, 600, 400}},
      {2, 0, {1, 1, 300, 200}},     {2, 3, {301, 201, 600, 400}},
      {3, 4, {201, 134, 400, 266}}, {3, 8, {401, 267, 600, 399}},
      {4, 15, {451, 301, 600, 400}}, {5, 24, {481, 321, 600, 400}},
      {6, 7, {101, 67, 200, 132}},  {6, 35, {501, 331, 600, 396}},
      // 6 windows: a 2 x 2 cell, the right column down, the bottom row leftwards.
      {7, 0, {1, 1, 400, 266}},     {7, 1, {401, 1, 600, 133}},   {7, 3, {401, 267, 600, 399}},
      {7, 4, {201, 267, 400, 399}}, {7, 5, {1, 267, 200, 399}},
      // 8 windows: a 3 x 3 cell, the right column down, the bottom row leftwards.
      {8, 0, {1, 1, 450, 300}},     {8, 4, {451, 301, 600, 400}}, {8, 5, {301, 301, 450, 400}},
      {8, 7, {1, 301, 150, 400}},
      // 13 windows: the ring clockwise from the top left, the centre last.
      {9, 0, {1, 1, 150, 100}},     {9, 3, {451, 1, 600, 100}},   {9, 6, {451, 301, 600, 400}},
      {9, 9, {1, 301, 150, 400}},   {9, 10, {1, 201, 150, 300}},  {9, 11, {1, 101, 150, 200}},
      {9, 12, {151, 101, 450, 300}},
      // 20 windows: two 3 x 3 cells on top, then three rows of six.
      {10, 0, {1, 1, 300, 198}},    {10, 1, {301, 1, 600, 198}},  {10, 2, {1, 199, 100, 264}},
      {10, 19, {501, 331, 600, 396}},
  };
  for (const Row& r : rows) {
    Cell c{};
    ASSERT_TRUE(LayoutCell(r.kind, r.index, a, c)) << "kind " << r.kind << " cell " << r.index;
    EXPECT_EQ(r.cell, c) << "kind " << r.kind << " cell " << r.index << ": " << c.left << "," << c.top << ","
                         << c.right << "," << c.bottom;
  }
  // The offsets move every cell.
  Cell c{};
  ASSERT_TRUE(LayoutCell(2, 3, Area(4, 110, 601, 401, 1), c));
  EXPECT_EQ((Cell{305, 311, 604, 510}), c);
}

TEST(LayoutCells, EveryKindFillsItsAreaWithoutOverlap) {
  const int expected[kLayoutKinds] = {0, 1, 4, 9, 16, 25, 36, 6, 8, 13, 20};
  const LayoutArea a = Area(10, 20, 1003, 721, 2);
  for (int kind = 0; kind < kLayoutKinds; ++kind) {
    EXPECT_EQ(expected[kind], LayoutWindowCount(kind));
    std::vector<Cell> cells;
    for (int i = 0;; ++i) {
      Cell c{};
      if (!LayoutCell(kind, i, a, c)) break;
      cells.push_back(c);
    }
    ASSERT_EQ(size_t(expected[kind]), cells.size()) << "kind " << kind;
    long area = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
      const Cell& c = cells[i];
      EXPECT_GT(c.right, c.left);
      EXPECT_GT(c.bottom, c.top);
      EXPECT_GE(c.left, a.offsetLeft + a.gap);
      EXPECT_GE(c.top, a.offsetTop + a.gap);
      EXPECT_LE(c.right, a.offsetLeft + a.width);
      EXPECT_LE(c.bottom, a.offsetTop + a.height);
      for (size_t j = 0; j < i; ++j) {
        const Cell& o = cells[j];
        bool apart = c.right <= o.left || o.right <= c.left || c.bottom <= o.top || o.bottom <= c.top;
        EXPECT_TRUE(apart) << "kind " << kind << " cells " << j << " and " << i << " overlap";
      }
      area += long(c.right - c.left + a.gap) * (c.bottom - c.top + a.gap);
    }
    // The cells and their gaps cover the grid: nothing left out.
    if (kind > 0) {
      int s = LayoutGridSide(kind);
      EXPECT_EQ(long((a.width - a.gap) / s * s) * ((a.height - a.gap) / s * s), area) << "kind " << kind;
    }
  }
}

TEST(LayoutCells, KindsAndIndexesOutsideGiveNoCell) {
  const LayoutArea a = Area(0, 0, 601, 401, 1);
  Cell c{};
  EXPECT_FALSE(LayoutCell(0, 0, a, c));
  EXPECT_FALSE(LayoutCell(2, 4, a, c));
  EXPECT_FALSE(LayoutCell(2, -1, a, c));
  EXPECT_FALSE(LayoutCell(11, 0, a, c));
  EXPECT_FALSE(LayoutCell(-1, 0, a, c));
  // A kind from a plan file outside 0..10 is taken as 0.
  EXPECT_EQ(0, NormalizeLayoutKind(11));
  EXPECT_EQ(0, NormalizeLayoutKind(-3));
  EXPECT_EQ(10, NormalizeLayoutKind(10));
}

TEST(LayoutCells, CentredGridSplitsTheRemainder) {
  // 605 - 1 = 604 = 3 x 201 + 1: the odd pixel goes before the grid (0) and
  // after it (1).
  Cell c{};
  ASSERT_TRUE(CentredGridCell(3, 0, 4, 70, 605, 401, 1, c));
  EXPECT_EQ((Cell{4 + 1, 70 + 1, 4 + 201, 70 + 133}), c);
  EXPECT_FALSE(CentredGridCell(7, 0, 0, 0, 600, 400, 1, c));
}

TEST(SplitLayouts, CountsKindsAndIndexes) {
  const int windows[] = {1, 4, 9, 16, 25, 36, 6, 8, 13, 20};
  for (int split = 0; split < kSplitLayouts; ++split) {
    EXPECT_EQ(windows[split], SplitWindowCount(split));
    EXPECT_EQ(split + 1, KindForSplit(split));
    EXPECT_EQ(split, SplitForKind(split + 1));
  }
  EXPECT_EQ(0, SplitWindowCount(10));
  EXPECT_EQ(0, SplitWindowCount(-1));
  EXPECT_EQ(0, KindForSplit(10));
  EXPECT_EQ(0, KindForWindowCount(7));
  EXPECT_EQ(-1, SplitForKind(0));
}

TEST(SplitLayouts, SmallestEqualGridForACount) {
  struct {
    int count, kind;
  } rows[] = {{0, 2}, {1, 1}, {2, 2}, {4, 2}, {5, 3}, {9, 3}, {10, 4}, {16, 4},
              {17, 5}, {25, 5}, {26, 6}, {36, 6}, {37, -1}, {100, -1}};
  for (auto r : rows) EXPECT_EQ(r.kind, EqualGridKindForCount(r.count)) << "count " << r.count;
}

TEST(SplitLayouts, FirstWindowIsPulledBackIntoTheSplit) {
  struct {
    int kind, first, current, inUse, shown;
  } rows[] = {
      {4, 10, 0, 16, 0},    // 16 in use: kind 4 from window 10 shows 0..15
      {1, -1, 7, 36, 7},    // -1: the current window
      {2, 34, 0, 36, 32},   // only 2 left from 34
      {6, 5, 0, 16, 0},     // more cells than windows in use
      {2, 3, 0, 36, 3},
      {1, -1, 0, 0, 0},
  };
  for (auto r : rows)
    EXPECT_EQ(r.shown, FirstWindowShown(r.kind, r.first, r.current, r.inUse))
        << r.kind << "/" << r.first << "/" << r.current << "/" << r.inUse;
}

TEST(SidePanels, CollapsingThePtzPanelMovesTheOthersUp) {
  // PTZ, colour and plan panels, then the device panel to the bottom; a
  // column too short leaves the device panel no height, never a negative one.
  const int heights[3] = {200, 120, 117};
  struct Row {
    bool open[3];
    int bottom;
    int top[4], height[4];
  } rows[] = {
      {{true, true, false}, 900, {50, 250, 370, 407}, {200, 120, 37, 493}},
      {{false, true, false}, 900, {50, 87, 207, 244}, {37, 120, 37, 656}},
      {{false, false, true}, 200, {50, 87, 124, 241}, {37, 37, 117, 0}},
  };
  for (const Row& r : rows) {
    SidePanelStack st = StackSidePanels(50, heights, r.open, 37, r.bottom);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(r.top[i], st.top[i]) << i;
      EXPECT_EQ(r.height[i], st.height[i]) << i;
    }
  }
}

TEST(VideoArea, MarginsToolBarAndSidePanels) {
  Cell a = VideoAreaFor(1280, 1000, 4, 70, 4, 4, 40, 169);
  EXPECT_EQ((Cell{4, 110, 1280 - 169 - 4, 996}), a);
}

// ------------------------------------------------------------- watchdog

TEST(Watchdog, StepTable) {
  struct {
    int ticks, restarts;
    WatchdogStep out;
  } rows[] = {
      {0, 0, {1, 0, false}},    {10, 0, {11, 0, false}},  {11, 0, {0, 1, true}},
      {11, 29, {0, 30, true}},  {11, 30, {11, 30, false}}, {50, 30, {50, 30, false}},
      {10, 30, {11, 30, false}},
  };
  for (auto r : rows) {
    WatchdogStep s = StepWatchdog(r.ticks, r.restarts);
    EXPECT_EQ(r.out.ticks, s.ticks) << r.ticks << "/" << r.restarts;
    EXPECT_EQ(r.out.restarts, s.restarts) << r.ticks << "/" << r.restarts;
    EXPECT_EQ(r.out.restart, s.restart) << r.ticks << "/" << r.restarts;
  }
}

TEST(Watchdog, SilentStreamRestartsOnTheTwelfthTickAndAtMostThirtyTimes) {
  int ticks = 0, restarts = 0, firstRestart = -1, total = 0;
  for (int tick = 1; tick <= 30 * 12 + 100; ++tick) {
    WatchdogStep s = StepWatchdog(ticks, restarts);
    ticks = s.ticks;
    restarts = s.restarts;
    if (s.restart) {
      ++total;
      if (firstRestart < 0) firstRestart = tick;
    }
  }
  EXPECT_EQ(12, firstRestart);
  EXPECT_EQ(30, total);
  // Data clears both: the stream can be restarted again.
  ChannelSlot slot;
  slot.mainTicks = ticks;
  slot.mainRestarts = restarts;
  slot.MainDataArrived();
  EXPECT_EQ(0, slot.mainTicks.load());
  EXPECT_EQ(0, slot.mainRestarts.load());
  EXPECT_TRUE(StepWatchdog(11, slot.mainRestarts).restart);
}

// ------------------------------------------------------------- snapshot

struct SnapshotFixture {
  SnapshotSeams seams;
  std::vector<std::string> created;
  std::vector<std::pair<std::string, uint32_t>> free;
  bool failCreate = false;

  SnapshotFixture(uint32_t present, uint32_t mask, uint32_t failed,
                  std::vector<std::pair<std::string, uint32_t>> freeMB) : free(std::move(freeMB)) {
    seams.presentDrives = present;
    seams.recordDiskMask = mask;
    seams.failedDiskMask = failed;
    seams.freeMB = [this](const std::string& root) {
      for (auto& f : free)
        if (f.first == root) return f.second;
      return uint32_t(100000);
    };
    seams.createFolder = [this](const std::string& dir) {
      created.push_back(dir);
      return !failCreate;
    };
    seams.now = {2026, 12, 9, 8, 5, 3, 1042};
  }
};

constexpr uint32_t Drive(char letter) { return 1u << (letter - 'A'); }

TEST(SnapshotPath, DriveChoiceTable) {
  const uint32_t all = 0xFFFFFFFFu;
  struct Row {
    const char* what;
    uint32_t present, mask, failed;
    std::vector<std::pair<std::string, uint32_t>> free;
    char drive;   // 0: no path
  } rows[] = {
      {"first present", Drive('C') | Drive('D'), all, 0, {}, 'C'},
      {"record disk mask", Drive('C') | Drive('D'), Drive('D'), 0, {}, 'D'},
      {"only present drives", Drive('E'), all, 0, {}, 'E'},
      {"failed drive skipped", Drive('C') | Drive('D'), all, Drive('C'), {}, 'D'},
      {"200 MB is not enough", Drive('C') | Drive('D'), all, 0, {{"C:\\", 200}, {"D:\\", 201}}, 'D'},
      {"no drive with room", Drive('C') | Drive('D'), all, 0, {{"C:\\", 10}, {"D:\\", 200}}, 0},
      {"A, B and Z never", Drive('A') | Drive('B') | Drive('Z'), all, 0, {}, 0},
      {"nothing allowed", Drive('C'), 0, 0, {}, 0},
  };
  for (const Row& r : rows) {
    SnapshotFixture f(r.present, r.mask, r.failed, r.free);
    std::string path = MakeSnapshotPath(f.seams, "10.0.0.5", 0);
    if (!r.drive) {
      EXPECT_EQ("", path) << r.what;
      EXPECT_TRUE(f.created.empty()) << r.what;
    } else {
      ASSERT_FALSE(path.empty()) << r.what;
      EXPECT_EQ(r.drive, path[0]) << r.what;
    }
  }
}

TEST(SnapshotPath, ExactPathAndFoldersForAFixedTime) {
  SnapshotFixture f(Drive('C'), 0xFFFFFFFFu, 0, {});
  EXPECT_EQ("C:\\TQX PictureData\\20261209\\192.168.1.10\\01\\01-20261209-080503-0042.bmp",
            MakeSnapshotPath(f.seams, "192.168.1.10", 0));
  std::vector<std::string> levels = {"C:\\TQX PictureData", "C:\\TQX PictureData\\20261209",
                                     "C:\\TQX PictureData\\20261209\\192.168.1.10",
                                     "C:\\TQX PictureData\\20261209\\192.168.1.10\\01"};
  EXPECT_EQ(levels, f.created);
  f.created.clear();
  EXPECT_EQ("C:\\TQX PictureData\\20261209\\cam.example\\16\\16-20261209-080503-0042.bmp",
            MakeSnapshotPath(f.seams, "cam.example", 15));
}

TEST(SnapshotPath, AddressBecomesOneSafeFolder) {
  for (const char* address : {"..\\..\\Windows", "../../etc", "a\\b/c", "..", "C:\\x", ""}) {
    SnapshotFixture f(Drive('C'), 0xFFFFFFFFu, 0, {});
    std::string path = MakeSnapshotPath(f.seams, address, 0);
    ASSERT_EQ(4u, f.created.size()) << address;
    const std::string prefix = "C:\\TQX PictureData\\20261209\\";
    const std::string& device = f.created[2];
    ASSERT_EQ(0u, device.find(prefix)) << address;
    std::string component = device.substr(prefix.size());
    EXPECT_FALSE(component.empty()) << address;
    EXPECT_EQ(std::string::npos, component.find_first_of("\\/:")) << address << " -> " << component;
    EXPECT_EQ(std::string::npos, component.find("..")) << address << " -> " << component;
    EXPECT_EQ(device + "\\01", f.created[3]);
    EXPECT_EQ(0u, path.find(f.created[3])) << address;
  }
}

TEST(SnapshotPath, FolderThatCannotBeMadeGivesNoPath) {
  SnapshotFixture f(Drive('C'), 0xFFFFFFFFu, 0, {});
  f.failCreate = true;
  EXPECT_EQ("", MakeSnapshotPath(f.seams, "10.0.0.5", 0));
  SnapshotFixture g(Drive('C'), 0xFFFFFFFFu, 0, {});
  EXPECT_EQ("", MakeSnapshotPath(g.seams, "10.0.0.5", -1));
}

// ------------------------------------------------------------- channel slots

TEST(ChannelTable, AssignFindAndFree) {
  auto image = std::make_unique<SystemConfigImage>();
  auto table = std::make_unique<ChannelTable>();
  DeviceRecord* a = &image->devices[0];
  DeviceRecord* b = &image->devices[3];
  EXPECT_EQ(0, table->Assign(a, 0));
  EXPECT_EQ(1, table->Assign(a, 1));
  EXPECT_EQ(0, table->Assign(a, 0));   // already held
  EXPECT_EQ(2, table->Assign(b, 0));
  EXPECT_EQ(3, table->UsedCount());
  EXPECT_EQ(1, table->Find(a, 1));
  EXPECT_EQ(-1, table->Find(b, 1));
  EXPECT_EQ(-1, table->Assign(nullptr, 0));
  // A freed slot below others: the used count drops, the span does not.
  (*table)[0].Clear();
  EXPECT_EQ(2, table->CountUsed());
  EXPECT_EQ(3, table->SlotSpan());
  (*table)[2].Clear();
  table->CountUsed();
  EXPECT_EQ(2, table->SlotSpan());
  EXPECT_EQ(0, table->Assign(a, 0));
  EXPECT_EQ(2, table->Assign(b, 0));
  (*table)[1].Clear();
  EXPECT_FALSE((*table)[1].InUse());
  EXPECT_EQ(-1, (*table)[1].channel.load());
  EXPECT_EQ(-1, (*table)[1].window.load());
  EXPECT_EQ(1, table->Assign(b, 5));   // the first free slot again
  for (int ch = 10; ch < 100; ++ch) table->Assign(a, ch);
  EXPECT_EQ(64, table->CountUsed());
  EXPECT_EQ(-1, table->Assign(b, 7));
  EXPECT_EQ(nullptr, table->At(64));
  EXPECT_EQ(nullptr, table->At(-1));
  EXPECT_EQ(5, table->IndexOf(table->At(5)));
  EXPECT_EQ(-1, table->IndexOf(a));
}

TEST(WindowList, EntriesPositionAndRemoval) {
  WindowList w;
  EXPECT_EQ(-1, w.CurrentSlot());   // position -1: no entry is read
  EXPECT_TRUE(w.Add(4));
  EXPECT_TRUE(w.Add(9));
  EXPECT_TRUE(w.Add(4));
  EXPECT_TRUE(w.Add(2));
  EXPECT_FALSE(w.Add(64));
  EXPECT_FALSE(w.Add(-1));
  EXPECT_EQ(-1, w.CurrentSlot());
  w.position = 1;
  EXPECT_EQ(9, w.CurrentSlot());
  w.position = 7;
  EXPECT_EQ(-1, w.CurrentSlot());
  EXPECT_TRUE(w.Remove(4));   // every entry of 4; later ones move up
  EXPECT_EQ(2, w.Count());
  EXPECT_EQ(9, w.At(0));
  EXPECT_EQ(2, w.At(1));
  EXPECT_EQ(-1, w.At(2));
  EXPECT_FALSE(w.Remove(4));
  for (int i = 0; i < 70; ++i) w.Add(i % 64);
  EXPECT_EQ(64, w.Count());
}

TEST(LiveState, SlotsAndListsRoundTripThroughTheImage) {
  auto image = std::make_unique<SystemConfigImage>();
  auto table = std::make_unique<ChannelTable>();
  auto windows = std::make_unique<WindowListModel>();
  int s0 = table->Assign(&image->devices[2], 3);
  int s1 = table->Assign(&image->devices[35], 0);
  (*table)[s0].manualRecord = 1;
  (*table)[s0].recording = 1;
  (*table)[s1].manualAlarm = 1;
  (*table)[s1].alarmFlags = ChannelSlot::kAlarmMotion;
  for (int i = 0; i < 64; ++i) (*windows)[0].Add(i);
  (*windows)[1].Add(s1);
  (*windows)[1].position = 0;
  (*windows)[1].showsChannel = 1;
  (*windows)[1].pollingPaused = 1;
  table->SaveTo(*image);
  windows->SaveTo(*image);
  EXPECT_EQ(3u, image->channels[s0].deviceRef);   // record index + 1
  EXPECT_EQ(36u, image->channels[s1].deviceRef);
  EXPECT_EQ(0u, image->channels[5].deviceRef);
  EXPECT_EQ(64u, image->windows[0].count);
  EXPECT_EQ(1u, image->windows[1].count);
  EXPECT_EQ(0u, image->windows[2].count);
  EXPECT_EQ(1u, image->windows[1].showsChannel);

  auto table2 = std::make_unique<ChannelTable>();
  auto windows2 = std::make_unique<WindowListModel>();
  image->channels[7].deviceRef = 99;   // a broken entry names no device
  table2->RestoreFrom(*image);
  windows2->RestoreFrom(*image);
  EXPECT_EQ(&image->devices[2], (*table2)[s0].device.load());
  EXPECT_EQ(3, (*table2)[s0].channel.load());
  EXPECT_EQ(1u, (*table2)[s0].manualRecord.load());
  EXPECT_EQ(0u, (*table2)[s0].recording.load());
  EXPECT_EQ(&image->devices[35], (*table2)[s1].device.load());
  EXPECT_EQ(1u, (*table2)[s1].manualAlarm.load());
  EXPECT_FALSE((*table2)[7].InUse());
  EXPECT_EQ(2, table2->UsedCount());
  EXPECT_EQ(64, (*windows2)[0].Count());
  EXPECT_EQ(s1, (*windows2)[1].CurrentSlot());
  EXPECT_EQ(0u, (*windows2)[1].showsChannel.load());   // never restored
  EXPECT_EQ(1u, (*windows2)[1].pollingPaused.load());
  EXPECT_EQ(0, windows2->FindWindowOf(s1));   // the first window that lists it
  (*windows2)[0].Remove(s1);
  EXPECT_EQ(1, windows2->FindWindowOf(s1));
  EXPECT_EQ(-1, windows2->CurrentSlot(36));
}

}  // namespace
