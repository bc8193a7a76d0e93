// EMAP.INI: icon lists, the start map, reading a map's icons and saving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emap_file.h"

using namespace emap;

namespace {

MemoryMapIni TwoMaps() {
  MemoryMapIni ini;
  ini.Write("EMap0", "id", "0");
  ini.Write("EMap1", "id", "7");
  ini.Write("EMap1", "picturename", "floor.bmp");
  ini.Write("EMap1", "camer", "10,20,3,5|50,60,1,5");
  ini.Write("EMap1", "probe", "100,110,2");
  ini.Write("EMap2", "id", "8");
  ini.Write("EMap2", "picturename", "C:\\maps\\yard.jpg");
  ini.Write("EMap2", "camer", "1,2,4,9");
  return ini;
}

}  // namespace

TEST(EmapFile, IconListsRoundTrip) {
  struct Case {
    const char* what;
    const char* camer;
    const char* probe;
    int cameras, probes;
  };
  const Case cases[] = {
      {"two cameras and a probe", "10,20,3,5|50,60,1,5", "7,8,2", 2, 1},
      {"no cameras", "", "7,8,2", 0, 1},
      {"nothing", "", "", 0, 0},
      {"negative and large positions", "-4,-5,16,123456", "0,0,1", 1, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    MapIcons icons;
    for (const MapIconEntry& e : ParseIconList(k.camer, kIconCamera, 7)) icons.Append(e);
    for (const MapIconEntry& e : ParseIconList(k.probe, kIconProbe, 7)) icons.Append(e);
    int cameras = 0;
    for (const MapIconEntry& e : icons.work) cameras += e.kind == kIconCamera;
    EXPECT_EQ(k.cameras, cameras);
    EXPECT_EQ(k.cameras + k.probes, icons.Size());
    EXPECT_EQ(k.camer, FormatIconList(icons, kIconCamera));
    EXPECT_EQ(k.probe, FormatIconList(icons, kIconProbe));
  }
}

TEST(EmapFile, EntriesAreReadFieldByField) {
  std::vector<MapIconEntry> c = ParseIconList("10,20,3,5", kIconCamera, 7);
  ASSERT_EQ(1u, c.size());
  EXPECT_EQ((std::vector<int>{0, 0, 1, 10, 20, 42, 52, 3, 7, 5}),
            (std::vector<int>{c[0].selected, c[0].removed, c[0].kind, c[0].left, c[0].top, c[0].right, c[0].bottom,
                              c[0].channel, c[0].mapId, c[0].device}));
  std::vector<MapIconEntry> p = ParseIconList("1,2,9", kIconProbe, 7);
  ASSERT_EQ(1u, p.size());
  EXPECT_EQ(kProbeDevice, p[0].device);
  EXPECT_EQ(9, p[0].channel);
}

TEST(EmapFile, ShortOrFarEntriesAreSkippedAndJunkReadsAsZero) {
  struct Case {
    const char* text;
    int kind;
    size_t count;
  };
  const Case cases[] = {
      {"10,20,3", kIconCamera, 0},             // a camera needs four fields
      {"10,20,3|1,2,3,4", kIconCamera, 1},
      {"||1,2,3,4||", kIconCamera, 1},         // empty parts dropped
      {"1,2", kIconProbe, 0},
      {"0", kIconCamera, 0},                   // the default of a missing key
      {"a,b,c,d", kIconCamera, 1},
      {"2147483647,10,1,1", kIconCamera, 0},   // its square would not fit an int
      {"10,99999999999,1,1", kIconCamera, 0},
      {"-1000001,5,2", kIconProbe, 0},
      {"1000000,-1000000,2", kIconProbe, 1},   // the farthest kept
      {"1,2,3,4|2147483647,0,1,1|5,6,7,8", kIconCamera, 2},
      {"1,,2,,3,4", kIconCamera, 1},           // empty fields dropped too
      {",5,6,7,", kIconProbe, 1},
      {"1,2,,|3,4", kIconCamera, 0},           // fields do not run into the next entry
      {"1,2,3,4,5,6", kIconCamera, 1},         // fields past the fourth ignored
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    std::vector<MapIconEntry> list = ParseIconList(k.text, k.kind, 1);
    EXPECT_EQ(k.count, list.size());
    for (const MapIconEntry& e : list) EXPECT_EQ(e.left + kIconSize, e.right);
  }
  std::vector<MapIconEntry> junk = ParseIconList("a,b,c,d", kIconCamera, 1);
  EXPECT_EQ(0, junk[0].left);
  EXPECT_EQ(0, junk[0].channel);
  std::vector<MapIconEntry> gaps = ParseIconList(",1,,2,,,3,4,9|5", kIconCamera, 1);
  ASSERT_EQ(1u, gaps.size());
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), (std::vector<int>{gaps[0].left, gaps[0].top, gaps[0].channel, gaps[0].device}));
}

TEST(EmapFile, StartMap) {
  MemoryMapIni ini = TwoMaps();
  StartMap m = ReadStartMap(ini, "C:\\prog\\");
  EXPECT_TRUE(m.present);
  EXPECT_EQ(7, m.id);
  EXPECT_EQ("C:\\prog\\floor.bmp", m.picturePath);

  MemoryMapIni none;
  none.Write("EMap0", "id", "0");
  EXPECT_FALSE(ReadStartMap(none, "C:\\prog\\").present);
  EXPECT_EQ("C:\\maps\\yard.jpg", MapPicturePath("C:\\prog", "C:\\maps\\yard.jpg"));
  EXPECT_EQ("C:\\prog\\a.bmp", MapPicturePath("C:\\prog", "a.bmp"));
}

TEST(EmapFile, LoadMapsPicksTheSectionByExactPictureName) {
  MemoryMapIni ini = TwoMaps();
  struct Case {
    const char* picture;
    int icons;
  };
  const Case cases[] = {{"floor.bmp", 3}, {"C:\\maps\\yard.jpg", 1}, {"FLOOR.BMP", 0}, {"other.bmp", 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.picture);
    MapIcons icons;
    EXPECT_EQ(k.icons, LoadMaps(ini, k.picture, icons));
    EXPECT_EQ(k.icons, icons.Size());
  }
  MapIcons icons;
  LoadMaps(ini, "floor.bmp", icons);
  EXPECT_EQ(kIconCamera, icons.work[0].kind);  // cameras first
  EXPECT_EQ(kIconProbe, icons.work[2].kind);
  EXPECT_EQ(7, icons.work[2].mapId);

  // A missing section ends the walk: later sections are not reached.
  ini.sections.erase("EMap1");
  MapIcons after;
  EXPECT_EQ(0, LoadMaps(ini, "C:\\maps\\yard.jpg", after));
}

TEST(EmapFile, SaveWritesOnlyTheDisplayedMapFromLiveIcons) {
  MemoryMapIni ini = TwoMaps();
  MapIcons icons;
  LoadMaps(ini, "floor.bmp", icons);
  icons.work[0].removed = 1;                       // first camera deleted
  MapIconEntry added = ParseIconList("5,6,16,2", kIconCamera, 7)[0];
  icons.Append(added);
  MapEntry m{7, "floor.bmp", 0};
  ASSERT_TRUE(SaveMaps(ini, "C:\\prog", m, icons, nullptr));
  EXPECT_EQ("50,60,1,5|5,6,16,2", ini.Read("EMap1", "camer", "?"));
  EXPECT_EQ("100,110,2", ini.Read("EMap1", "probe", "?"));
  EXPECT_EQ("1,2,4,9", ini.Read("EMap2", "camer", "?"));  // other maps keep theirs
  EXPECT_FALSE(ini.Has("EMap0", "camer"));

  // Positions come from the saved list, numbers from the working list.
  icons.work[1].MoveTo(999, 999);
  icons.work[1].channel = 4;
  SaveMaps(ini, "C:\\prog", m, icons, nullptr);
  EXPECT_EQ("50,60,4,5|5,6,16,2", ini.Read("EMap1", "camer", "?"));

  // No section with the id (and the walk stops at the first id 0).
  ini.Write("EMap2", "id", "0");
  MapEntry yard{8, "C:\\maps\\yard.jpg", 0};
  EXPECT_FALSE(SaveMaps(ini, "C:\\prog", yard, icons, nullptr));
}

TEST(EmapFile, DeletingAMapDeletesOnlyItsOwnPicture) {
  struct Case {
    const char* picture;
    const char* deleted;   // empty: nothing deleted
  };
  const Case cases[] = {
      {"floor.bmp", "C:\\prog\\floor.bmp"},
      {"C:\\maps\\yard.jpg", ""},
      {"..\\up.bmp", ""},
      {"sub/in.bmp", ""},
      {"..", ""},
      {"", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.picture);
    MemoryMapIni ini = TwoMaps();
    ini.Write("EMap1", "picturename", k.picture);
    MapIcons icons;
    MapEntry m{7, k.picture, 1};
    std::vector<std::string> deleted;
    ASSERT_TRUE(SaveMaps(ini, "C:\\prog", m, icons, [&](const std::string& p) { deleted.push_back(p); }));
    EXPECT_EQ("", ini.Read("EMap1", "picturename", "?"));
    EXPECT_EQ("", ini.Read("EMap1", "camer", "?"));
    if (*k.deleted)
      EXPECT_EQ(std::vector<std::string>{k.deleted}, deleted);
    else
      EXPECT_TRUE(deleted.empty());
  }
}
