// The map canvas's logic: the displayed map's icons, picking, dragging,
// adding, configuring and deleting them, the drawing state of each, and the
// camera a click or an alarm concerns. The dialog only draws what this says.
//
// Icon positions: the saved list holds them in the display area the map
// was first shown in (the reference size); the working list holds them in
// the canvas as it is now, scaled with round half up.
//
// Portable: no Windows headers.
#pragma once

#include "emap_file.h"

namespace emap {

// Bitmaps an icon is drawn with.
enum IconState { kStateCameraPicked = 3, kStateCamera = 4, kStateCameraAlarm = 5, kStateProbePicked = 6,
                 kStateProbe = 7 };
constexpr int kAlarmChannels = 16;

class MapCanvas {
public:
  MapIcons icons;
  int picked = -1;             // index of the picked icon, -1 none
  bool pickedFlag = false;     // the button is down on the picked icon
  bool repaintPending = false;
  bool alarm[kAlarmChannels] = {};

  // The canvas size now; the first size set after Reset is the reference.
  void SetDisplaySize(int width, int height);
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // A new map: icons, picking and the reference size forgotten.
  void Reset();
  // Appends loaded icons (saved positions) and places them in the canvas.
  void AddLoaded(const MapIcons& loaded);

  // The first live icon containing the point (kind 0: any kind); -1 none.
  int HitTest(int x, int y, int kind = 0) const;
  // Button down: without a press in progress the icon under the point
  // becomes the picked one (none when the point hits nothing). Returns the
  // picked index.
  int Press(int x, int y);
  // Ctrl-drag: the picked icon's top-left goes to the point when that lies
  // inside the canvas. TRUE when it moved.
  bool DragTo(int x, int y);
  // Button up: TRUE when the canvas needs a repaint.
  bool Release();

  // A new icon at canvas point (x, y); returns its index.
  int Add(int kind, int x, int y, int number, int device, int mapId);
  // A live camera of this channel and device is on the map.
  bool HasCamera(int channel, int device) const;
  // The picked live icon of this kind, -1 none.
  int Picked(int kind) const;
  bool DeletePicked(int kind);
  bool ConfigurePicked(int kind, int number);

  // The bitmap state of an icon.
  int StateOf(int index) const;
  // The first live camera showing this alarm channel (0..15: icon channel
  // channelIndex + 1); -1 for none or a channel outside 0..15.
  int AlarmCamera(int channelIndex) const;
  // The video a double click opens: TRUE with the camera's device and its
  // 0-based channel when the point is on a live camera.
  bool VideoAt(int x, int y, int& device, int& channel) const;

private:
  int ToCanvas(int v, int ref, int now) const;
  void Place(int index);
  int m_width = 0, m_height = 0;
  int m_refWidth = 0, m_refHeight = 0;
};

// Round half up of a * b / c for c > 0 (a * b may be negative), held
// within +-kMaxScaled so that an icon's square always fits an int.
constexpr int kMaxScaled = 1 << 30;
int ScaleRound(int a, int b, int c);

}  // namespace emap
