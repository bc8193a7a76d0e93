// The video-output card's session: the process-wide connected flag, the
// feed (shell::CCardFeed) with each assigned quarter filled from its
// window's current picture, and the one lock that the feed, the card
// dialog's DisConnect and the shutdown share.
//
// Portable: no Windows headers; the card library is reached through
// ICardLibrary.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "card_output.h"
#include "stream_core.h"

namespace card {

// The card library's calls (Mirelle's KD27_*); the feed's two are the
// shell's ICardOutputs.
class ICardLibrary : public shell::ICardOutputs {
public:
  virtual int InitCards() = 0;
  virtual void SetVideoStandard(int standard) = 0;
  virtual int GetChannels() = 0;
  virtual int GetDSPs() = 0;
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

// Quarter q of a card picture from the window's current picture; FALSE
// when the window has none.
bool FillQuarter(uint8_t* picture, int quarter, int window, IWindowPictures& source);
// The feed's assignments: per output, the window each quarter shows now.
std::vector<shell::CardOutputAssignment> FeedAssignments(const CardOutputModel& model);

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
  bool FeedOn() const { return m_feed.Mode() == 1; }
  // Whether window w is assigned to the card (any thread, no lock).
  bool OnCard(int window) const {
    return window >= 0 && window < kWindows && ((m_onCard.load() >> window) & 1) != 0;
  }
  // The assignments the feed shows (a copy of the dialog's model).
  void SetModel(const CardOutputModel& model);
  CardOutputModel Model() const;
  // Blanks quarter q of output o's picture.
  void ClearQuadrant(int output, int quarter);

  // One feed run (every 40 ms on the media timer's worker): every output
  // with a window assigned gets its picture. Returns the outputs fed.
  int RunFeed(IWindowPictures& source);
  // The picture last composed for an output (tests, window pictures).
  std::vector<uint8_t> Picture(int output) const;

private:
  ICardLibrary& m_library;
  mutable std::mutex m_lock;
  bool m_connected = false;
  int m_outputs = 0;
  CardOutputModel m_model;
  mutable shell::CCardFeed m_feed;
  std::atomic<uint64_t> m_onCard{0};
};

}  // namespace card
