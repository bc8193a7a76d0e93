// The arithmetic of the playback window: where its nine panes go in each
// layout, the control bar's status texts, a record's length from its file
// times, and where a snapshot taken from playback is written. No window code
// here, so every rule is reachable without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "RecordFormat.h"

namespace record {

constexpr int kPlaybackPanes = 9;
constexpr int kPaneChannelBase = 36;   // a busy pane's channel id: after the 36 monitor windows
constexpr int kRemotePanesPerDevice = 4;

// Layouts of the panel: one window, four, six (one large and five small) and
// nine.
enum PlaybackLayout { kLayoutSingle = 1, kLayoutFour = 2, kLayoutNine = 3, kLayoutSix = 7 };
bool IsPlaybackLayout(int layout);

struct PaneRect {
    int left, top, right, bottom;
};
struct PaneLayout {
    bool shown[kPlaybackPanes];
    PaneRect rect[kPlaybackPanes];   // meaningful where shown
};

// The panes' places in the panel's client area (left, top, right, bottom):
// the bottom 25 pixels hold the button strip, the rest less a 1-pixel edge is
// shared out. The single view shows currentPane only. All divisions are
// integer divisions; an unknown layout shows nothing.
PaneLayout ComputePaneLayout(int layout, int currentPane, const PaneRect& client);

// ------------------------------------------------------ control bar status
// Pane states as the panel reports them.
enum PaneState { kPanePlaying = 0, kPanePaused = 1, kPaneStopped = 2 };

// "Play Time:" followed by " hh:mm:ss", the label alone when stopped.
std::string PlayTimeText(const std::string& label, int state, uint32_t seconds);
// "Play Speed:" followed by "  1/4 X" .. "  4 X" for levels -2..2, the label
// alone when stopped (or for a level outside -2..2).
std::string PlaySpeedText(const std::string& label, int state, int level);

// Seconds from a record file's creation to its last change, by time of day
// (whole days are not counted). A file written across midnight changes at
// an earlier time of day than it was created: a day is added so the length
// never goes negative.
uint32_t RecordSecondsBetween(const LocalTime& created, const LocalTime& modified);

// Seconds from a remote record's begin to its end; 0 when the end does not
// lie after the begin. Dates are compared as calendar days.
uint32_t RemoteRecordSeconds(const LocalTime& begin, const LocalTime& end);

// -------------------------------------------------------- snapshot path
using shell::kSnapshotDriveMinFreeMB;
using shell::ChooseSnapshotDrive;

// The folders of a playback snapshot under root, outermost first:
// "C:\TQX RecordData", its date folder, and "TQX PictureData" below it.
struct SnapshotFolders {
    std::string levels[3];
};
SnapshotFolders PlaybackSnapshotFolders(const std::string& root, const LocalTime& t);
// "<folder>\yyyymmdd-hhmmss-tttt.bmp", tttt the tick count modulo 1000.
std::string PlaybackSnapshotFile(const std::string& folder, const LocalTime& t, uint32_t tickCount);

}  // namespace record
