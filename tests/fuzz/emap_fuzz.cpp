// libFuzzer target over EMAP.INI: the walk of LoadMaps over arbitrary
// sections, the icon lists of the map it picks and the map canvas's use of
// them, then a save of what was loaded and a second load.
//
// Input: the number of sections (1..6), the section whose picture name is
// looked up, the reference and present canvas sizes and a drag point
// (words), then the values of each section ("id", "picturename", "camer",
// "probe" in turn) separated by 0 bytes; a value missing at the end leaves
// its key out. A value starting with 1 and a count byte is the rest of it
// repeated (count + 1) * 64 times, capped at 16 KB: values far over the
// 10,000 bytes an ini read once held.
//
// Properties: each value is read as its own bytes (heap copies of exactly
// their size); an entry with too few fields is skipped and every other
// entry becomes one icon with its numbers, kind and map id; positions are
// within kMaxIconPosition; the canvas places, hits, draws and drags every
// icon in range; a save of what was loaded loads back to the same icons.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "emap_file.h"
#include "fuzz_input.h"
#include "map_canvas.h"

namespace {

using namespace emap;

const char* const kKeys[] = {"id", "picturename", "camer", "probe"};

std::string Value(const uint8_t* p, size_t n) {
    if (n >= 2 && p[0] == 1) {
        // Whole pieces while under 16 KB, at most (count + 1) * 64 of them,
        // copied by doubling.
        const size_t times = (size_t(p[1]) + 1) * 64, piece = n - 2;
        if (!piece) return std::string();
        size_t pieces = (16 * 1024 + piece - 1) / piece;
        if (pieces > times) pieces = times;
        std::string v(pieces * piece, '\0');
        std::memcpy(&v[0], p + 2, piece);
        for (size_t done = piece; done < v.size(); done *= 2)
            std::memcpy(&v[done], v.data(), std::min(done, v.size() - done));
        return v;
    }
    fuzz::Exact copy(p, n);
    return std::string(reinterpret_cast<const char*>(copy.data()), copy.size());
}

// Entries of a list with at least need nonempty fields, as the parser must count them.
size_t CountEntries(const std::string& text, size_t need) {
    size_t count = 0, fields = 0, field = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '|';
        if (c != ',' && c != '|') {
            ++field;
            continue;
        }
        if (field) ++fields;
        field = 0;
        if (c == '|') {
            if (fields >= need) ++count;
            fields = 0;
        }
    }
    return count;
}

bool InRange(int v) { return v >= -kMaxIconPosition && v <= kMaxIconPosition; }

// list: the icons of this kind that LoadMaps took from text. roundTrip: the
// list is also written back and read again (done here only for lists no save
// below takes through the same round trip).
void CheckList(const std::string& text, int kind, int mapId, const std::vector<MapIconEntry>& list, bool roundTrip) {
    if (list.size() > CountEntries(text, kind == kIconCamera ? 4 : 3)) fuzz::Fail("entry with too few fields taken");
    for (const MapIconEntry& e : list) {
        if (e.kind != kind || e.mapId != mapId || e.removed || e.selected) fuzz::Fail("entry fields");
        if (!InRange(e.left) || !InRange(e.top)) fuzz::Fail("position out of range", e.left, e.top);
        if (e.right != e.left + kIconSize || e.bottom != e.top + kIconSize) fuzz::Fail("icon square");
        if (kind == kIconProbe && e.device != kProbeDevice) fuzz::Fail("probe device");
    }
    if (!roundTrip) return;
    // Written back and read again: the same entries.
    MapIcons icons;
    icons.Reserve(list.size());
    for (const MapIconEntry& e : list) icons.Append(e);
    std::vector<MapIconEntry> again = ParseIconList(FormatIconList(icons, kind), kind, mapId);
    if (again.size() != list.size()) fuzz::Fail("list round trip count", long(list.size()), long(again.size()));
    for (size_t i = 0; i < list.size(); ++i)
        if (again[i].left != list[i].left || again[i].top != list[i].top || again[i].channel != list[i].channel ||
            again[i].device != list[i].device)
            fuzz::Fail("list round trip", long(i));
}

bool SameIcons(const MapIcons& a, const MapIcons& b) {
    if (a.save.size() != b.save.size()) return false;
    for (size_t i = 0; i < a.save.size(); ++i) {
        const MapIconEntry &x = a.save[i], &y = b.save[i];
        if (x.kind != y.kind || x.left != y.left || x.top != y.top || x.channel != y.channel || x.device != y.device ||
            x.mapId != y.mapId)
            return false;
    }
    return true;
}

void CheckCanvas(const MapIcons& loaded, int refW, int refH, int w, int h, int dragX, int dragY) {
    // A canvas first shown at the reference size (Reset keeps the size it has).
    std::unique_ptr<MapCanvas> canvas(new MapCanvas);
    canvas->SetDisplaySize(refW, refH);
    canvas->AddLoaded(loaded);
    canvas->SetDisplaySize(w, h);
    // A reference with a zero side waits for the next size.
    if (refW <= 0 || refH <= 0) {
        refW = w;
        refH = h;
    }
    // Every icon is placed; the first ones and the last are hit and drawn
    // (hit tests scan the list, so checking all would be quadratic).
    const int n = canvas->icons.Size();
    for (int i = 0; i < n; ++i) {
        const MapIconEntry& e = canvas->icons.work[size_t(i)];
        if (e.left != ScaleRound(loaded.save[size_t(i)].left, w, refW) ||
            e.top != ScaleRound(loaded.save[size_t(i)].top, h, refH) ||
            e.right != e.left + kIconSize || e.bottom != e.top + kIconSize)
            fuzz::Fail("placed icon", e.left, e.top);
    }
    for (int i = 0; i < n; i = i < 32 || i == n - 1 ? i + 1 : n - 1) {
        const MapIconEntry& e = canvas->icons.work[size_t(i)];
        int hit = canvas->HitTest(e.left, e.top);
        if (hit < 0 || hit > i || !canvas->icons.work[size_t(hit)].Contains(e.left, e.top)) fuzz::Fail("hit test", i, hit);
        int state = canvas->StateOf(i);
        if (state < kStateCameraPicked || state > kStateProbe) fuzz::Fail("state", state);
        int device = 0, channel = 0;
        if (canvas->VideoAt(e.left, e.top, device, channel) && (channel < 0 || channel > 0xFFFE))
            fuzz::Fail("video channel", channel);
    }
    for (int c = -1; c <= kAlarmChannels; ++c) {
        int i = canvas->AlarmCamera(c);
        if (i >= 0 && (canvas->icons.work[size_t(i)].kind != kIconCamera || canvas->icons.work[size_t(i)].channel != c + 1))
            fuzz::Fail("alarm camera", c, i);
    }
    if (canvas->icons.Size()) {
        canvas->Press(canvas->icons.work[0].left, canvas->icons.work[0].top);
        if (canvas->DragTo(dragX, dragY)) {
            const MapIconEntry& s = canvas->icons.save[size_t(canvas->picked)];
            if (!InRange(s.left) || !InRange(s.top)) fuzz::Fail("dragged position", s.left, s.top);
        }
        canvas->Release();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int sections = 1 + in.Byte() % 6;
    const int lookup = in.Byte() % sections;
    const int refW = int(in.Word() % 4097), refH = int(in.Word() % 4097);
    const int w = int(in.Word() % 4097), h = int(in.Word() % 4097);
    const int dragX = int(in.Word()) - 256, dragY = int(in.Word()) - 256;

    MemoryMapIni ini;
    for (int n = 0; n < sections && in.Left(); ++n)
        for (const char* key : kKeys) {
            if (!in.Left()) break;
            const uint8_t* rest = in.Rest();
            const uint8_t* end = static_cast<const uint8_t*>(std::memchr(rest, 0, in.Left()));
            const uint8_t* p;
            size_t k = in.Take(end ? size_t(end - rest) : in.Left(), &p);
            ini.Write(MapSection(n), key, Value(p, k));
            in.Byte();   // the separator
        }

    const std::string picture = ini.Read(MapSection(lookup), "picturename", "");
    MapIcons loaded;
    const int added = LoadMaps(ini, picture, loaded);
    if (added != loaded.Size() || loaded.work.size() != loaded.save.size()) fuzz::Fail("loaded count", added);

    // The section LoadMaps must have picked: the first matching one of the walk.
    int found = -1;
    for (int n = 0; n < sections; ++n) {
        const std::string s = MapSection(n);
        if (ToInt(ini.Read(s, "id", "-1")) == -1) break;
        if (ini.Read(s, "picturename", "") == picture) {
            found = n;
            break;
        }
    }
    if (found < 0) {
        if (added) fuzz::Fail("icons of no map");
        return 0;
    }
    const std::string s = MapSection(found);
    const int id = ToInt(ini.Read(s, "id", "-1"));
    const std::string camer = ini.Read(s, "camer", "0"), probe = ini.Read(s, "probe", "0");
    std::vector<MapIconEntry> lists[2];
    lists[0].reserve(loaded.work.size());
    lists[1].reserve(loaded.work.size());
    for (const MapIconEntry& e : loaded.work) {
        if (e.kind != kIconCamera && e.kind != kIconProbe) fuzz::Fail("kind", e.kind);
        lists[e.kind - 1].push_back(e);
    }
    // The save walk stops at the first id 0, so a map of id 0 is never
    // saved: its lists go through the round trip here, any other map's
    // through the save at the end.
    CheckList(camer, kIconCamera, id, lists[0], id == 0);
    CheckList(probe, kIconProbe, id, lists[1], id == 0);
    int cameras = 0;
    for (const MapIconEntry& e : loaded.work) {
        if (e.mapId != id) fuzz::Fail("map id", e.mapId, id);
        if (e.kind == kIconCamera && cameras++ != int(&e - loaded.work.data())) fuzz::Fail("cameras first");
    }

    CheckCanvas(loaded, refW, refH, w, h, dragX, dragY);

    // A save of what was loaded, into a file holding just this map, loads
    // back to the same icons.
    if (id != 0) {
        MemoryMapIni out;
        out.Write(MapSection(0), "id", "0");
        out.Write(MapSection(0), "picturename", picture + "\x01");   // the root never matches
        out.Write(MapSection(1), "id", std::to_string(id));
        MapEntry displayed;
        displayed.id = uint32_t(id);
        displayed.pictureName = picture;
        if (!SaveMaps(out, "C:\\prog", displayed, loaded, nullptr)) fuzz::Fail("save found no map");
        MapIcons back;
        LoadMaps(out, picture, back);
        if (!SameIcons(loaded, back)) fuzz::Fail("save and load round trip", loaded.Size(), back.Size());
    }
    return 0;
}
