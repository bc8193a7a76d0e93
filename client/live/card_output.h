// The video-output card's assignments as the "Output analogue" dialog keeps
// them: the card's outputs, four positions each, the monitor windows
// assigned to each position, the 16-entry rotation table and each window's
// CardAssignment; and the card picture's quarters filled from the windows'
// pictures. The dialog's tree only shows this model.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <vector>

#include "stream_core.h"

namespace card {

constexpr int kMaxOutputs = 4;       // outputs the dialog offers (16 rotation entries)
constexpr int kPositions = shell::kCardQuarters;
constexpr int kRotationSlots = kMaxOutputs * kPositions;
constexpr int kWindows = 36;
constexpr int kPictureWidth = shell::kCardWidth, kPictureHeight = shell::kCardHeight;
constexpr int kQuarterWidth = kPictureWidth / 2, kQuarterHeight = kPictureHeight / 2;
constexpr int kPictureBytes = shell::kCardPictureSize;

// One monitor window's place on the card: output (0-based), whether that
// output shows several positions (1) and the position (1..4); -1 none.
struct CardAssignment {
  int output = -1;
  int multiPosition = -1;
  int position = -1;
  bool operator==(const CardAssignment& o) const {
    return output == o.output && multiPosition == o.multiPosition && position == o.position;
  }
};

class CardOutputModel {
public:
  CardOutputModel();
  // Connected with this many outputs (at most kMaxOutputs are offered):
  // every position empty, rotation -1, every window unassigned.
  void Reset(int outputs);
  int Outputs() const { return m_outputs; }

  // Windows of a position (position 1..4), in the order they were added.
  const std::vector<int>& Windows(int output, int position) const;
  int CountChildItems(int output, int position) const { return int(Windows(output, position).size()); }
  // 1 as soon as two positions of the output have windows, else 0.
  int HasMultipleAssignedPositions(int output) const;

  // Puts window (0..35) on a position. A window already on another
  // position moves (it is never on two); FALSE when nothing changes or the
  // arguments are out of range.
  bool Assign(int output, int position, int window);
  // Takes the window off its position; FALSE when it had none.
  bool Remove(int window);
  const CardAssignment& Assignment(int window) const;

  // One rotation step (timer 14001): each position with windows moves its
  // slot to the next window, from -1 to the first, after the last to the
  // first; a slot whose window left the position starts again at the first.
  void Rotate();
  int RotationSlot(int k) const { return k >= 0 && k < kRotationSlots ? m_rotation[k] : -1; }
  // The window a quarter (0..3 = position 1..4) shows now: the rotation's
  // window while it is on the position, else the position's first; -1 none.
  int QuarterWindow(int output, int quarter) const;

private:
  void UpdateMultiFlags(int output);
  int m_outputs = 0;
  std::vector<int> m_positions[kMaxOutputs][kPositions];
  int m_rotation[kRotationSlots];
  CardAssignment m_assign[kWindows];
};

// The number of a window in an item or row text: the first of "01", "02",
// .. "36" (tried in that order) found in the text; 0 when none.
int WindowNumberInText(const char* text);

// A decoded 4:2:0 picture with its planes' strides.
struct PictureView {
  const uint8_t* y = nullptr;
  const uint8_t* u = nullptr;
  const uint8_t* v = nullptr;
  int width = 0, height = 0;
  int strideY = 0, strideU = 0, strideV = 0;
};
// A contiguous 4:2:0 picture of width x height without padding.
PictureView ContiguousPicture(const uint8_t* data, int width, int height);

// Quarter q of a 704 x 576 card picture (column q % 2, row q / 2) from a
// picture of any size, scaled to 352 x 288 (area average when shrinking,
// nearest pixel when growing). A quarter outside 0..3 or an empty picture
// changes nothing; FALSE then.
bool ScaleIntoQuarter(uint8_t* cardPicture, int quarter, const PictureView& source);
// The same scaling into a contiguous 352 x 288 picture of its own.
bool ScaleToQuarterPicture(std::vector<uint8_t>& out, const PictureView& source);

}  // namespace card
