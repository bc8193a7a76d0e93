// The map canvas: picking, dragging, adding, deleting, scaling, alarms and
// the video a double click opens.
#include <gtest/gtest.h>

#include "map_canvas.h"

using namespace emap;

namespace {

MapCanvas ThreeIcons() {
  MemoryMapIni ini;
  ini.Write("EMap0", "id", "0");
  ini.Write("EMap1", "id", "7");
  ini.Write("EMap1", "picturename", "floor.bmp");
  ini.Write("EMap1", "camer", "10,20,3,5|20,30,1,5");   // overlapping squares
  ini.Write("EMap1", "probe", "200,100,2");
  MapIcons loaded;
  LoadMaps(ini, "floor.bmp", loaded);
  MapCanvas c;
  c.SetDisplaySize(400, 300);
  c.AddLoaded(loaded);
  return c;
}

}  // namespace

TEST(MapCanvas, ClicksPickTheFirstIconInListOrder) {
  struct Case {
    int x, y, picked, state;
  };
  const Case cases[] = {
      {11, 21, 0, kStateCameraPicked},   // only the first camera
      {25, 35, 0, kStateCameraPicked},   // both: the earlier one
      {45, 55, 1, kStateCameraPicked},   // only the second
      {210, 110, 2, kStateProbePicked},
      {300, 250, -1, 0},                 // empty canvas
  };
  for (const Case& k : cases) {
    MapCanvas c = ThreeIcons();
    EXPECT_EQ(k.picked, c.Press(k.x, k.y)) << k.x;
    if (k.picked >= 0) {
      EXPECT_EQ(k.state, c.StateOf(k.picked));
      for (int i = 0; i < 3; ++i) {
        if (i != k.picked) {
          EXPECT_EQ(0, c.icons.work[size_t(i)].selected);
        }
      }
    }
    c.Release();
  }
}

TEST(MapCanvas, CtrlDragMovesInsideTheCanvasAndTheSaveFollows) {
  MapCanvas c = ThreeIcons();
  ASSERT_EQ(2, c.Press(210, 110));
  EXPECT_TRUE(c.DragTo(50, 60));
  EXPECT_FALSE(c.DragTo(400, 10));   // outside: stays
  EXPECT_TRUE(c.Release());          // repaint
  EXPECT_EQ(50, c.icons.work[2].left);
  EXPECT_EQ(92, c.icons.work[2].bottom);
  EXPECT_EQ("50,60,2", FormatIconList(c.icons, kIconProbe));
  EXPECT_FALSE(c.Release());
}

TEST(MapCanvas, IconsScaleWithTheCanvasAndSaveInTheFirstArea) {
  MapCanvas c = ThreeIcons();
  c.SetDisplaySize(800, 450);   // twice as wide, 1.5 times as high
  EXPECT_EQ(20, c.icons.work[0].left);
  EXPECT_EQ(30, c.icons.work[0].top);
  EXPECT_EQ(45, c.icons.work[1].top);  // 30 * 1.5
  c.Press(21, 31);
  c.DragTo(101, 151);
  c.Release();
  // 101 / 2 = 50.5 and 151 / 1.5 = 100.67, rounded half up.
  EXPECT_EQ("51,101,3,5|20,30,1,5", FormatIconList(c.icons, kIconCamera));
  c.SetDisplaySize(400, 300);
  EXPECT_EQ(51, c.icons.work[0].left);
}

TEST(MapCanvas, DroppedCameraOnceAndAgainAfterItsDeletion) {
  MapCanvas c = ThreeIcons();
  const int channel = 4, device = 9;
  ASSERT_FALSE(c.HasCamera(channel, device));
  int i = c.Add(kIconCamera, 100, 100, channel, device, 7);
  EXPECT_EQ(3, i);
  EXPECT_TRUE(c.HasCamera(channel, device));
  EXPECT_FALSE(c.HasCamera(channel, 8));

  c.Press(101, 101);
  c.Release();
  EXPECT_EQ(-1, c.Picked(kIconProbe));
  EXPECT_FALSE(c.DeletePicked(kIconProbe));
  EXPECT_TRUE(c.DeletePicked(kIconCamera));
  EXPECT_FALSE(c.HasCamera(channel, device));  // may be dropped again
  EXPECT_EQ(-1, c.HitTest(101, 101));
  EXPECT_EQ("10,20,3,5|20,30,1,5", FormatIconList(c.icons, kIconCamera));
}

TEST(MapCanvas, ConfigureNeedsAPickedIconOfTheKind) {
  MapCanvas c = ThreeIcons();
  EXPECT_FALSE(c.ConfigurePicked(kIconCamera, 12));
  c.Press(45, 55);
  c.Release();
  EXPECT_FALSE(c.ConfigurePicked(kIconProbe, 12));
  EXPECT_TRUE(c.ConfigurePicked(kIconCamera, 12));
  EXPECT_EQ("10,20,3,5|20,30,12,5", FormatIconList(c.icons, kIconCamera));
}

TEST(MapCanvas, AlarmsAndVideoUseOneBasedCameraChannels) {
  MapCanvas c = ThreeIcons();
  EXPECT_EQ(0, c.AlarmCamera(2));    // channel index 2 is camera channel 3
  EXPECT_EQ(1, c.AlarmCamera(0));
  EXPECT_EQ(-1, c.AlarmCamera(5));
  EXPECT_EQ(-1, c.AlarmCamera(16));  // ignored
  EXPECT_EQ(-1, c.AlarmCamera(-1));
  c.alarm[2] = true;
  EXPECT_EQ(kStateCameraAlarm, c.StateOf(0));
  EXPECT_EQ(kStateCamera, c.StateOf(1));
  EXPECT_EQ(kStateProbe, c.StateOf(2));

  int device = 0, channel = 0;
  ASSERT_TRUE(c.VideoAt(45, 55, device, channel));
  EXPECT_EQ(5, device);
  EXPECT_EQ(0, channel);
  EXPECT_FALSE(c.VideoAt(210, 110, device, channel));  // a probe
  EXPECT_FALSE(c.VideoAt(300, 250, device, channel));  // nothing
}

TEST(MapCanvas, FarIconsOnATinyReferenceStayWithinRange) {
  // Shown first in a 1 x 1 area, then in a large one: the scaled positions
  // are held within kMaxScaled instead of overflowing.
  MemoryMapIni ini;
  ini.Write("EMap0", "id", "0");
  ini.Write("EMap1", "id", "7");
  ini.Write("EMap1", "picturename", "far.bmp");
  ini.Write("EMap1", "camer", "1000000,-1000000,3,5");
  MapIcons loaded;
  ASSERT_EQ(1, LoadMaps(ini, "far.bmp", loaded));
  MapCanvas c;
  c.SetDisplaySize(1, 1);
  c.AddLoaded(loaded);
  c.SetDisplaySize(4000, 3000);
  const MapIconEntry& e = c.icons.work[0];
  EXPECT_EQ(kMaxScaled, e.left);
  EXPECT_EQ(-kMaxScaled, e.top);
  EXPECT_EQ(kMaxScaled + kIconSize, e.right);
  EXPECT_EQ(0, c.HitTest(kMaxScaled, -kMaxScaled));
  EXPECT_EQ(1000000, c.icons.save[0].left);   // the saved position is kept
  struct Case {
    int a, b, c, want;
  };
  const Case cases[] = {{3, 5, 2, 8}, {-3, 5, 2, -7}, {2147483647, 4000, 1, kMaxScaled},
                        {-2147483647, 4000, 1, -kMaxScaled}, {9, 9, 0, 9}};
  for (const Case& k : cases) EXPECT_EQ(k.want, ScaleRound(k.a, k.b, k.c)) << k.a << " " << k.b << " " << k.c;
}
