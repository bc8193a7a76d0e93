#include "emap_file.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

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

int ToInt(const std::string& text) { return ToInt(text.data(), text.size()); }

int ToInt(const char* text, size_t size) {
  size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < size && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
  }
  return int(negative ? -v : v);
}

std::vector<MapIconEntry> ParseIconList(const std::string& text, int kind, int mapId) {
  // One pass over the text, fields taken in place: a list may hold
  // thousands of entries.
  std::vector<MapIconEntry> out;
  const size_t need = kind == kIconCamera ? 4 : 3;
  const char* p = text.data();
  const size_t n = text.size();
  // An entry takes at least a digit and a separator per field.
  out.reserve((n + 1) / (2 * need));
  size_t start = 0;
  while (start <= n) {
    size_t end = text.find('|', start);
    if (end == std::string::npos) end = n;
    // The entry's first nonempty fields; empty ones are dropped.
    const char* field[4];
    size_t length[4];
    size_t fields = 0;
    for (size_t f = start; f <= end && fields < need;) {
      const void* comma = std::memchr(p + f, ',', end - f);
      const size_t c = comma ? size_t(static_cast<const char*>(comma) - p) : end;
      if (c > f) {
        field[fields] = p + f;
        length[fields++] = c - f;
      }
      f = c + 1;
    }
    start = end + 1;
    if (fields < need) continue;
    const int x = ToInt(field[0], length[0]), y = ToInt(field[1], length[1]);
    if (x < -kMaxIconPosition || x > kMaxIconPosition || y < -kMaxIconPosition || y > kMaxIconPosition) continue;
    MapIconEntry e;
    e.kind = kind;
    e.MoveTo(x, y);
    e.channel = ToInt(field[2], length[2]);
    e.mapId = mapId;
    e.device = kind == kIconCamera ? ToInt(field[3], length[3]) : kProbeDevice;
    out.push_back(e);
  }
  return out;
}

namespace {

void AppendNumber(std::string& text, int v) {
  char digits[16];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v);
  text.append(digits, r.ptr);
}

}  // namespace

std::string FormatIconList(const MapIcons& icons, int kind) {
  std::string text;
  for (size_t i = 0; i < icons.work.size() && i < icons.save.size(); ++i) {
    const MapIconEntry& w = icons.work[i];
    if (!w.Live() || w.kind != kind) continue;
    const MapIconEntry& s = icons.save[i];
    if (!text.empty()) text += '|';
    AppendNumber(text, s.left);
    text += ',';
    AppendNumber(text, s.top);
    text += ',';
    AppendNumber(text, w.channel);
    if (kind == kIconCamera) {
      text += ',';
      AppendNumber(text, w.device);
    }
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
    const std::vector<MapIconEntry> cameras = ParseIconList(ini.Read(s, "camer", "0"), kIconCamera, id);
    const std::vector<MapIconEntry> probes = ParseIconList(ini.Read(s, "probe", "0"), kIconProbe, id);
    icons.Reserve(icons.work.size() + cameras.size() + probes.size());
    for (const MapIconEntry& e : cameras) icons.Append(e);
    for (const MapIconEntry& e : probes) icons.Append(e);
    return int(cameras.size() + probes.size());
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
