#include "emap_file.h"

#include <cstdlib>

namespace emap {

std::string MemoryMapIni::Read(const std::string& section, const std::string& key, const std::string& def) {
  auto s = sections.find(section);
  if (s == sections.end()) return def;
  auto k = s->second.find(key);
  return k == s->second.end() ? def : k->second;
}

void MemoryMapIni::Write(const std::string& section, const std::string& key, const std::string& value) {
  sections[section][key] = value;
}

bool MemoryMapIni::Has(const std::string& section, const std::string& key) const {
  auto s = sections.find(section);
  return s != sections.end() && s->second.count(key) != 0;
}

std::string MapSection(int n) { return "EMap" + std::to_string(n); }

int ToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
  }
  return int(negative ? -v : v);
}

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(sep, start);
    std::string part = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
    if (!part.empty()) parts.push_back(part);
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

std::vector<MapIconEntry> ParseIconList(const std::string& text, int kind, int mapId) {
  std::vector<MapIconEntry> out;
  const size_t need = kind == kIconCamera ? 4 : 3;
  for (const std::string& entry : Split(text, '|')) {
    std::vector<std::string> f = Split(entry, ',');
    if (f.size() < need) continue;
    const int x = ToInt(f[0]), y = ToInt(f[1]);
    if (x < -kMaxIconPosition || x > kMaxIconPosition || y < -kMaxIconPosition || y > kMaxIconPosition) continue;
    MapIconEntry e;
    e.kind = kind;
    e.MoveTo(x, y);
    e.channel = ToInt(f[2]);
    e.mapId = mapId;
    e.device = kind == kIconCamera ? ToInt(f[3]) : kProbeDevice;
    out.push_back(e);
  }
  return out;
}

std::string FormatIconList(const MapIcons& icons, int kind) {
  std::string text;
  for (size_t i = 0; i < icons.work.size() && i < icons.save.size(); ++i) {
    const MapIconEntry& w = icons.work[i];
    if (!w.Live() || w.kind != kind) continue;
    const MapIconEntry& s = icons.save[i];
    if (!text.empty()) text += '|';
    text += std::to_string(s.left) + ',' + std::to_string(s.top) + ',' + std::to_string(w.channel);
    if (kind == kIconCamera) text += ',' + std::to_string(w.device);
  }
  return text;
}

std::string MapPicturePath(const std::string& programFolder, const std::string& pictureName) {
  if (pictureName.find(':') != std::string::npos) return pictureName;
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + pictureName;
}

StartMap ReadStartMap(IMapIni& ini, const std::string& programFolder) {
  StartMap m;
  const std::string s = MapSection(1);
  m.id = ToInt(ini.Read(s, "id", "-1"));
  m.present = m.id != -1;
  m.name = ini.Read(s, "name", "0");
  m.pid = ToInt(ini.Read(s, "pid", "0"));
  m.pictureId = ToInt(ini.Read(s, "pictureid", "-1"));
  m.pictureName = ini.Read(s, "picturename", "");
  m.picturePath = MapPicturePath(programFolder, m.pictureName);
  return m;
}

int LoadMaps(IMapIni& ini, const std::string& pictureName, MapIcons& icons) {
  // Bounded: a file holds far fewer maps than this.
  for (int n = 0; n < 100000; ++n) {
    const std::string s = MapSection(n);
    int id = ToInt(ini.Read(s, "id", "-1"));
    if (id == -1) return 0;
    if (ini.Read(s, "picturename", "") != pictureName) continue;
    int added = 0;
    for (const MapIconEntry& e : ParseIconList(ini.Read(s, "camer", "0"), kIconCamera, id)) {
      icons.Append(e);
      ++added;
    }
    for (const MapIconEntry& e : ParseIconList(ini.Read(s, "probe", "0"), kIconProbe, id)) {
      icons.Append(e);
      ++added;
    }
    return added;
  }
  return 0;
}

bool SaveMaps(IMapIni& ini, const std::string& programFolder, const MapEntry& displayed, const MapIcons& icons,
              const std::function<void(const std::string& path)>& deleteFile) {
  for (int n = 1; n < 100000; ++n) {
    const std::string s = MapSection(n);
    int id = ToInt(ini.Read(s, "id", "0"));
    if (id == 0) return false;
    if (uint32_t(id) != displayed.id) continue;
    if (!displayed.removed) {
      ini.Write(s, "picturename", displayed.pictureName);
    } else {
      ini.Write(s, "picturename", "");
      std::string own = OwnMapPicture(programFolder, displayed.pictureName);
      if (!own.empty() && deleteFile) deleteFile(own);
    }
    ini.Write(s, "camer", FormatIconList(icons, kIconCamera));
    ini.Write(s, "probe", FormatIconList(icons, kIconProbe));
    return true;
  }
  return false;
}

std::string OwnMapPicture(const std::string& programFolder, const std::string& pictureName) {
  if (pictureName.empty() || pictureName == "." || pictureName == "..") return std::string();
  if (pictureName.find_first_of(":\\/") != std::string::npos) return std::string();
  return MapPicturePath(programFolder, pictureName);
}

}  // namespace emap
