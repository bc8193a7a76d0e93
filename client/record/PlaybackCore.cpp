#include "PlaybackCore.h"

#include <cstdio>

namespace record {

bool IsPlaybackLayout(int layout) {
    return layout == kLayoutSingle || layout == kLayoutFour || layout == kLayoutNine || layout == kLayoutSix;
}

PaneLayout ComputePaneLayout(int layout, int currentPane, const PaneRect& client) {
    PaneLayout out{};
    const int left = client.left + 1, top = client.top + 1;
    const int right = client.right - 1, bottom = client.bottom - 25 - 1;
    const int W = right - left, H = bottom - top;
    auto place = [&](int k, int l, int t, int r, int b) {
        out.shown[k] = true;
        out.rect[k] = PaneRect{l, t, r, b};
    };
    auto grid = [&](int columns, int count) {
        const int cw = (W - (columns - 1)) / columns, ch = (H - (columns - 1)) / columns;
        for (int k = 0; k < count; ++k) {
            const int x = left + (cw + 1) * (k % columns), y = top + (ch + 1) * (k / columns);
            place(k, x, y, x + cw, y + ch);
        }
    };
    switch (layout) {
        case kLayoutSingle:
            if (currentPane < 0 || currentPane >= kPlaybackPanes) currentPane = 0;
            place(currentPane, left, top, right, bottom);
            break;
        case kLayoutFour:
            grid(2, 4);
            break;
        case kLayoutNine:
            grid(3, 9);
            break;
        case kLayoutSix: {
            const int cw = (W - 2) / 3, ch = (H - 2) / 3;
            place(0, left, top, left + 2 * cw + 1, top + 2 * ch + 1);
            place(1, left + 2 * cw + 2, top, left + 3 * cw + 2, top + ch);
            place(2, left + 2 * cw + 2, top + ch + 1, left + 3 * cw + 2, top + 2 * ch + 1);
            for (int k = 3; k < 6; ++k) {
                const int x = left + (cw + 1) * (k - 3);
                place(k, x, top + 2 * ch + 2, x + cw, top + 3 * ch + 2);
            }
            break;
        }
        default:
            break;
    }
    return out;
}

std::string PlayTimeText(const std::string& label, int state, uint32_t seconds) {
    if (state == kPaneStopped) return label;
    char buf[48];
    std::snprintf(buf, sizeof buf, " %02u:%02u:%02u", unsigned(seconds / 3600), unsigned(seconds / 60 % 60),
                  unsigned(seconds % 60));
    return label + buf;
}

std::string PlaySpeedText(const std::string& label, int state, int level) {
    static const char* const kSpeeds[] = {"  1/4 X", "  1/2 X", "  1 X", "  2 X", "  4 X"};
    if (state == kPaneStopped || level < -2 || level > 2) return label;
    return label + kSpeeds[level + 2];
}

namespace {
int SecondsOfDay(const LocalTime& t) { return t.hour * 3600 + t.minute * 60 + t.second; }

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
}  // namespace

uint32_t RecordSecondsBetween(const LocalTime& created, const LocalTime& modified) {
    int seconds = SecondsOfDay(modified) - SecondsOfDay(created);
    if (seconds < 0) seconds += 24 * 3600;
    return uint32_t(seconds);
}

uint32_t RemoteRecordSeconds(const LocalTime& begin, const LocalTime& end) {
    const int64_t b = DaysFromCivil(begin.year, begin.month, begin.day) * 86400 + SecondsOfDay(begin);
    const int64_t e = DaysFromCivil(end.year, end.month, end.day) * 86400 + SecondsOfDay(end);
    if (e <= b) return 0;
    const int64_t d = e - b;
    return d > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(d);
}

SnapshotFolders PlaybackSnapshotFolders(const std::string& root, const LocalTime& t) {
    SnapshotFolders f;
    f.levels[0] = RecordFolderPath(root);
    f.levels[1] = DateFolderPath(f.levels[0], t);
    f.levels[2] = f.levels[1] + "\\" + kPictureFolderName;
    return f;
}

std::string PlaybackSnapshotFile(const std::string& folder, const LocalTime& t, uint32_t tickCount) {
    char name[64];
    std::snprintf(name, sizeof name, "\\%d%02d%02d-%02d%02d%02d-%04u.%s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, unsigned(tickCount % 1000), "bmp");
    return folder + name;
}

}  // namespace record
