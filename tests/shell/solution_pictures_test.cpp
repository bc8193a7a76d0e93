// The default interface solution beside the program: every picture its ini
// files name exists as a 24-bit BMP, is as large as the rectangles cut from
// it, and every button cut from it shows something (a glyph or a name) in
// four states that differ.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string SolutionFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of("\\/") + 1) + "Language\\English\\";
}

std::string Ini(const std::string& file, const char* section, const std::string& key) {
  char buf[512] = {};
  ::GetPrivateProfileStringA(section, key.c_str(), "", buf, sizeof buf, (SolutionFolder() + file).c_str());
  return buf;
}

int IniInt(const std::string& file, const char* section, const char* key) {
  return int(::GetPrivateProfileIntA(section, key, -1, (SolutionFolder() + file).c_str()));
}

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

Rect ParseRect(const std::string& text) {
  Rect r;
  std::sscanf(text.c_str(), "%d , %d , %d , %d", &r.left, &r.top, &r.right, &r.bottom);
  return r;
}

// The "<name>_Position" keys of a section, in file order.
std::vector<std::pair<std::string, Rect>> Positions(const std::string& file, const char* section) {
  std::vector<char> buf(32768);
  DWORD n = ::GetPrivateProfileSectionA(section, buf.data(), DWORD(buf.size()), (SolutionFolder() + file).c_str());
  std::vector<std::pair<std::string, Rect>> out;
  for (const char* p = buf.data(); p < buf.data() + n && *p; p += std::strlen(p) + 1) {
    std::string line(p);
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    const std::string tail = "_Position";
    if (key.size() > tail.size() && key.compare(key.size() - tail.size(), tail.size(), tail) == 0)
      out.push_back({key.substr(0, key.size() - tail.size()), ParseRect(line.substr(eq + 1))});
  }
  return out;
}

// A 24-bit BMP read from its bytes.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

bool ReadBmp(const std::string& path, Picture& pic, std::string& why) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    why = "missing";
    return false;
  }
  std::vector<uint8_t> b;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + got);
  std::fclose(f);
  auto u16 = [&](size_t o) { return unsigned(b[o] | b[o + 1] << 8); };
  auto u32 = [&](size_t o) { return uint32_t(b[o] | b[o + 1] << 8 | b[o + 2] << 16 | uint32_t(b[o + 3]) << 24); };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || u32(14) != 40) {
    why = "not a version-3 BMP";
    return false;
  }
  int w = int(u32(18)), h = int(u32(22));
  if (u16(28) != 24 || u32(30) != 0 || w <= 0 || h <= 0) {
    why = "not an uncompressed bottom-up 24-bit BMP";
    return false;
  }
  size_t offset = u32(10), stride = (size_t(w) * 3 + 3) & ~size_t(3);
  if (b.size() < offset + stride * h) {
    why = "short";
    return false;
  }
  pic.width = w;
  pic.height = h;
  pic.pixels.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &b[offset + stride * (h - 1 - y)];
    for (int x = 0; x < w; ++x)
      pic.pixels[size_t(y) * w + x] = uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
  }
  return true;
}

int Spread(uint32_t a, uint32_t b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
  return d;
}

// True when the rectangle, 3 pixels in from its edges, is one colour or a
// blend along one axis: every row (or every column) of one colour.
bool Plain(const Picture& p, Rect r) {
  r.left += 3;
  r.top += 3;
  r.right -= 3;
  r.bottom -= 3;
  if (r.Width() <= 0 || r.Height() <= 0) return true;
  auto uniform = [&](bool rows) {
    int outer = rows ? r.Height() : r.Width(), inner = rows ? r.Width() : r.Height();
    for (int i = 0; i < outer; ++i) {
      uint32_t first = rows ? p.At(r.left, r.top + i) : p.At(r.left + i, r.top);
      for (int j = 1; j < inner; ++j) {
        uint32_t c = rows ? p.At(r.left + j, r.top + i) : p.At(r.left + i, r.top + j);
        if (Spread(c, first) > 6) return false;
      }
    }
    return true;
  };
  return uniform(true) || uniform(false);
}

// Mean difference of two pictures over a rectangle.
double MeanDifference(const Picture& a, const Picture& b, const Rect& r) {
  double sum = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) sum += Spread(a.At(x, y), b.At(x, y));
  return sum / std::max(1, r.Width() * r.Height());
}

// One set of four state pictures and the buttons cut from them.
struct ButtonSet {
  const char* name;
  const char* picturesFile;     // the file naming the pictures
  const char* picturesSection;
  const char* positionsFile;    // the file placing the buttons
  const char* positionsSection;
  bool glyphs;                  // the pictures carry the buttons' glyphs or names
};

const ButtonSet kSets[] = {
    {"tool bar", "Config.ini", "ToolBarSettings", "top_config.ini", "MainButtons", true},
    {"PTZ panel", "Config.ini", "PtzDlgExSettings", "PTZ_config.ini", "MainButtons", true},
    {"colour panel", "Config.ini", "ColorDlgSettings", "color_config.ini", "MainButtons", true},
    {"plan panel", "Config.ini", "PlanDlgSettings", "Plan_config.ini", "MainButtons", true},
    {"device panel", "device_config.ini", "DeviceDlgSettings", "device_config.ini", "MainButtons", true},
    {"player bar", "Config.ini", "PlayerSettings", "player_config.ini", "MainButtons", true},
    // The status bar's kind and command buttons draw their own captions
    // (texts of the language file): their faces only need to differ.
    {"status bar", "Config.ini", "SystemStatusBar", "Config.ini", "SystemStatusBar", false},
};
const char* const kStateKeys[4] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable"};

TEST(DefaultSolution, EveryButtonPictureIsLargeEnoughAndShowsItsButtonInFourStates) {
  for (const ButtonSet& set : kSets) {
    SCOPED_TRACE(set.name);
    Picture pics[4];
    for (int s = 0; s < 4; ++s) {
      std::string file = Ini(set.picturesFile, set.picturesSection, kStateKeys[s]);
      ASSERT_FALSE(file.empty()) << kStateKeys[s];
      std::string why;
      ASSERT_TRUE(ReadBmp(SolutionFolder() + file, pics[s], why)) << file << ": " << why;
    }
    // The status bar's rectangles are in main-window coordinates.
    Rect origin;
    if (std::string(set.positionsSection) == "SystemStatusBar")
      origin = ParseRect(Ini(set.picturesFile, set.picturesSection, "InMainWnd_Region"));
    auto buttons = Positions(set.positionsFile, set.positionsSection);
    ASSERT_FALSE(buttons.empty());
    int checked = 0;
    for (auto& [key, pos] : buttons) {
      // Channel lamps take the program's own lamp pictures.
      if (key.compare(0, 2, "Ch") == 0 && std::isdigit(static_cast<unsigned char>(key[2]))) continue;
      SCOPED_TRACE(key);
      Rect r{pos.left - origin.left, pos.top - origin.top, pos.right - origin.left, pos.bottom - origin.top};
      ASSERT_GT(r.Width(), 0);
      ASSERT_GT(r.Height(), 0);
      for (int s = 0; s < 4; ++s) {
        ASSERT_GE(r.left, 0);
        ASSERT_GE(r.top, 0);
        ASSERT_LE(r.right, pics[s].width) << kStateKeys[s] << " is too narrow";
        ASSERT_LE(r.bottom, pics[s].height) << kStateKeys[s] << " is too low";
        if (set.glyphs) EXPECT_FALSE(Plain(pics[s], r)) << kStateKeys[s] << ": nothing but a face";
      }
      // Up, over, down and disabled tell themselves apart.
      for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
          EXPECT_GT(MeanDifference(pics[a], pics[b], r), 4.0) << kStateKeys[a] << " looks like " << kStateKeys[b];
      ++checked;
    }
    EXPECT_GT(checked, 0);
  }
}

TEST(DefaultSolution, PanelsToolBarAndSwitchPicturesCoverTheSizesTheirIniGives) {
  struct Need {
    const char* file;
    const char* section;
    int width, height;
  };
  const int sideWidth = IniInt("Config.ini", "LeftDlgs", "Width");
  const Need needs[] = {
      {"Config.ini", "ToolBarSettings", IniInt("Config.ini", "ToolBarSettings", "Width"),
       IniInt("Config.ini", "ToolBarSettings", "Height")},
      {"Config.ini", "PtzDlgExSettings", sideWidth, IniInt("PTZ_config.ini", "MainSettings", "NormalHeight")},
      {"Config.ini", "ColorDlgSettings", sideWidth, IniInt("color_config.ini", "MainSettings", "NormalHeight")},
      {"Config.ini", "PlanDlgSettings", sideWidth, IniInt("Plan_config.ini", "MainSettings", "NormalHeight")},
      {"Config.ini", "SwitchModeDlgSettings", IniInt("Config.ini", "SwitchModeDlgSettings", "Width"),
       IniInt("Config.ini", "SwitchModeDlgSettings", "Height")},
      {"device_config.ini", "DeviceDlgSettings", sideWidth, IniInt("Config.ini", "LeftDlgs", "Height")},
  };
  for (const Need& n : needs) {
    SCOPED_TRACE(n.section);
    ASSERT_GT(n.width, 0);
    ASSERT_GT(n.height, 0);
    for (const char* key : kStateKeys) {
      std::string file = Ini(n.file, n.section, key);
      Picture p;
      std::string why;
      ASSERT_TRUE(ReadBmp(SolutionFolder() + file, p, why)) << key << " " << file << ": " << why;
      EXPECT_GE(p.width, n.width) << file;
      EXPECT_GE(p.height, n.height) << file;
      if (std::string(n.section) == "SwitchModeDlgSettings")
        EXPECT_FALSE(Plain(p, Rect{0, 0, p.width, p.height})) << file;
    }
  }
}

TEST(DefaultSolution, TitleLogoBannerSplashAndBackgroundsAreThere) {
  struct Single {
    std::string file;
    bool marked;  // carries the mark and the product name
  };
  const Single singles[] = {
      {Ini("Config.ini", "TopLogSettings", "Image"), true},
      {Ini("Config.ini", "TopLogSettings", "Logo"), true},
      {Ini("Config.ini", "MainSettings", "Log_Image"), true},
      {"StartLogo.bmp", true},
      {Ini("Config.ini", "PlayerSettings", "BackImage_Fill"), false},
      {Ini("Config.ini", "SystemStatusBar", "BackImage_Fill"), false},
      {Ini("device_config.ini", "DeviceDlgSettings", "BackImage_Background"), false},
      {Ini("Config.ini", "LoginDlgSettings", "BackImage_Up"), false},
      {Ini("Config.ini", "LoginDlgSettings", "BackImage_Over"), false},
      {Ini("Config.ini", "LoginDlgSettings", "BackImage_Down"), false},
      {Ini("Config.ini", "LoginDlgSettings", "BackImage_Disable"), false},
  };
  for (const Single& s : singles) {
    SCOPED_TRACE(s.file);
    ASSERT_FALSE(s.file.empty());
    Picture p;
    std::string why;
    ASSERT_TRUE(ReadBmp(SolutionFolder() + s.file, p, why)) << why;
    if (s.marked) EXPECT_FALSE(Plain(p, Rect{0, 0, p.width, p.height}));
  }
  // The title strip is at least as high as the top buttons reach.
  Picture title;
  std::string why;
  ASSERT_TRUE(ReadBmp(SolutionFolder() + Ini("Config.ini", "TopLogSettings", "Image"), title, why));
  for (auto& [key, pos] : Positions("top_config.ini", "MainButtons")) EXPECT_LE(pos.bottom, title.height) << key;
}

}  // namespace
