// The encoding controls the encoder and video parameters pages share: the
// bit-rate mode and quality combos, the bit-rate label, the spins with
// their edits and the 352 x 288 area framed by a static.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "AreaSelectCtrl.h"

struct EncodingControls {
  CComboBox resolution, mode, quality;
  CSpinButtonCtrl intervalSpin, frameSpin;

  // Subclasses and fills the combos (resolution items as given) and sets
  // the spins' buddies and ranges.
  void Attach(CWnd* page, const char* const* resolutions, int resolutionCount, int frameRateMax);
  // Quality enabled and "Max Bit Rate" for variable, disabled and "Bit
  // Rate" for constant.
  void ShowMode(CWnd* page, bool variable);
};

// Creates area (id 1225, 352 x 288, black) at the top-left of static
// frameId and makes the static its 1-pixel frame.
void CreateFramedArea(CWnd* page, int frameId, CAreaSelectCtrl& area);

// A number edit held inside min..max when it loses focus: a value below
// takes min, above takes max (nothing typed takes min).
struct EditLimits {
  int id, min, max;
};
// For an EN_KILLFOCUS of an edit in the table: clamps it; the id, or 0
// when the command is not one of them.
int ClampEditOnLeave(CWnd* page, WPARAM w, const EditLimits* table, size_t count);
