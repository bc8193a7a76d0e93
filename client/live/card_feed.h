// The video-output card's session and picture feed: the process-wide
// connected flag and the one lock that the feed, the card dialog's
// DisConnect and the shutdown share, and the composition of each output's
// 704 x 576 picture from its windows' current pictures.
//
// Portable: no Windows headers; the card library is reached through
// ICardLibrary.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "card_output.h"

namespace card {

// The card library's calls (Mirelle's KD27_*).
class ICardLibrary {
public:
  virtual ~ICardLibrary() = default;
  virtual int InitCards() = 0;
  virtual void SetVideoStandard(int standard) = 0;
  virtual int GetChannels() = 0;
  virtual int GetDSPs() = 0;
  virtual void OpenChannel(int output) = 0;
  virtual void InputData(int output, const uint8_t* picture, int width, int height, int flag) = 0;
  virtual void CloseChannel(int output) = 0;
  virtual void ClearVideoOutput(int output) = 0;
  virtual void ReleaseCards() = 0;
};

// The monitor windows' current pictures, as the card decodes them.
class IWindowPictures {
public:
  virtual ~IWindowPictures() = default;
  // A copy of the window's latest picture (contiguous 4:2:0); FALSE when
  // it has none.
  virtual bool CopyPicture(int window, std::vector<uint8_t>& picture, int& width, int& height) = 0;
};

// Quarter q of a card picture to black (luma 0, chroma 128).
void BlankQuarter(uint8_t* picture, int quarter);

// One output's picture: each quarter from the window the model shows there
// now, black where no window is assigned or the window has no picture yet.
void ComposeOutput(uint8_t* picture, const CardOutputModel& model, int output, IWindowPictures& source);

// The card session: connected flag, feed switch and the pictures. Every
// card call made through it runs under its one lock, so DisConnect and the
// shutdown never release the card while a feed run is using it.
class CCardSession {
public:
  explicit CCardSession(ICardLibrary& library) : m_library(library) {}

  // Connect card: FALSE when the init fails. outputs and dsps as the card
  // reports them.
  bool Connect(int& outputs, int& dsps);
  bool Connected() const;
  // Stops the feed, closes and clears every output and releases the card.
  // Nothing when not connected.
  void Disconnect(int outputs);
  // Closes and clears one output (the feed opens it again).
  void ResetOutput(int output);

  void SetFeed(bool on);
  bool FeedOn() const;
  // The assignments the feed shows (a copy of the dialog's model).
  void SetModel(const CardOutputModel& model);
  CardOutputModel Model() const;
  // Blanks quarter q of output o's picture.
  void ClearQuadrant(int output, int quarter);

  // One feed run (every 40 ms): every output with a window assigned gets
  // its composed picture. Returns the outputs fed.
  int RunFeed(IWindowPictures& source);
  // The picture last composed for an output (tests, window pictures).
  std::vector<uint8_t> Picture(int output) const;

private:
  std::vector<uint8_t>& PictureLocked(int output);
  ICardLibrary& m_library;
  mutable std::mutex m_lock;
  bool m_connected = false;
  bool m_feed = false;
  int m_outputs = 0;
  CardOutputModel m_model;
  std::vector<uint8_t> m_pictures[kMaxOutputs];
};

}  // namespace card
