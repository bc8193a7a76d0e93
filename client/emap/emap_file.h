// EMAP.INI: the electronic maps, their pictures and the camera and probe
// icons placed on them. Sections "EMap<n>" with keys "id", "name", "pid",
// "pictureid", "picturename", "camer" ("x,y,channel,device|...") and
// "probe" ("x,y,probe|...").
//
// Portable: no Windows headers. The file is reached through IMapIni, which
// the dialog backs with the platform's private-profile calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace emap {

enum { kIconCamera = 1, kIconProbe = 2 };
constexpr int kIconSize = 32;
constexpr int kProbeDevice = 3000;   // a probe's device field; never saved
// The farthest an icon's x or y may lie from the picture's origin, either
// way; an entry placed farther is dropped on reading.
constexpr int kMaxIconPosition = 1000000;

struct MapIconEntry {
  int32_t selected = 0;
  int32_t removed = 0;
  int32_t kind = kIconCamera;
  int32_t left = 0, top = 0, right = kIconSize, bottom = kIconSize;
  int32_t channel = 0;    // camera: channel 1..16; probe: probe number from 1
  int32_t mapId = 0;
  int32_t device = 0;     // camera: the device's login id; probe: kProbeDevice

  bool Live() const { return removed == 0; }
  void MoveTo(int x, int y) {
    left = x;
    top = y;
    right = x + kIconSize;
    bottom = y + kIconSize;
  }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct MapEntry {
  uint32_t id = 0;
  std::string pictureName;
  uint32_t removed = 0;
};

// The icons of the displayed map: the working list (drawing, picking,
// removal, numbers) and the saved positions, appended to together.
struct MapIcons {
  std::vector<MapIconEntry> work;
  std::vector<MapIconEntry> save;
  void Append(const MapIconEntry& e) {
    work.push_back(e);
    save.push_back(e);
  }
  void Reserve(size_t n) {
    work.reserve(n);
    save.reserve(n);
  }
  void Clear() {
    work.clear();
    save.clear();
  }
  int Size() const { return int(work.size()); }
};

// Access to the map file, one value at a time; a value is read whole,
// whatever its length.
class IMapIni {
public:
  virtual ~IMapIni() = default;
  virtual std::string Read(const std::string& section, const std::string& key, const std::string& def) = 0;
  virtual void Write(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// An ini held in memory (tests, tools).
class MemoryMapIni : public IMapIni {
public:
  std::string Read(const std::string& section, const std::string& key, const std::string& def) override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;
  bool Has(const std::string& section, const std::string& key) const;
  std::map<std::string, std::map<std::string, std::string>> sections;
};

std::string MapSection(int n);   // "EMap<n>"
// A plain decimal conversion: leading blanks, a sign and digits; anything
// else reads as 0 (as atoi).
int ToInt(const std::string& text);
int ToInt(const char* text, size_t size);

// One icon list into entries of this kind on this map. Empty parts are
// dropped; an entry with fewer fields than its kind needs, or with x or y
// beyond kMaxIconPosition, is skipped.
std::vector<MapIconEntry> ParseIconList(const std::string& text, int kind, int mapId);
// The live icons of one kind as an icon list: positions from the saved
// list, numbers from the working list.
std::string FormatIconList(const MapIcons& icons, int kind);

// The start map, section "EMap1".
struct StartMap {
  bool present = false;      // the section's id did not read -1
  int id = -1;
  std::string name;
  int pid = 0;
  int pictureId = -1;
  std::string pictureName;   // as written in the file
  std::string picturePath;   // the name in the program folder, or the full path
};
StartMap ReadStartMap(IMapIni& ini, const std::string& programFolder);

// The path of a map picture: a name with a colon is a full path and used
// unchanged, any other name is in the program folder.
std::string MapPicturePath(const std::string& programFolder, const std::string& pictureName);

// Appends the icons of the first map whose "picturename" equals pictureName
// exactly (cameras first); the walk over "EMap0", "EMap1", ... ends at the
// first section whose id reads -1. Returns the number of icons appended.
int LoadMaps(IMapIni& ini, const std::string& pictureName, MapIcons& icons);

// Writes the displayed map's picture name and icon lists into its section
// (found among "EMap1", "EMap2", ... up to the first whose id reads 0). A
// removed map's picture name is emptied and its picture file handed to
// deleteFile when the client may delete it (see OwnMapPicture). Returns
// FALSE when no section holds the map's id.
bool SaveMaps(IMapIni& ini, const std::string& programFolder, const MapEntry& displayed, const MapIcons& icons,
              const std::function<void(const std::string& path)>& deleteFile);

// The picture file a removed map may take with it: only a plain file name
// in the program folder; empty for a full path, a name with a folder part,
// "." or "..", or an empty name.
std::string OwnMapPicture(const std::string& programFolder, const std::string& pictureName);

}  // namespace emap
