// The live streams' bookkeeping that the SDK's threads and the media timer
// share with the UI thread: what each monitor window plays (published as one
// atomic word), the restarts of silent streams queued off the UI thread, and
// the video-output card's quarter feed. No window or SDK code here.
//
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace shell {

// What one monitor window plays: the slot it shows (-1 none), the play
// handle of the stream it shows (0 none) and whether that is the main stream.
struct PlayRoute {
  int slot = -1;
  int handle = 0;
  bool mainStream = false;
};

// A window's route as one atomic word: the UI thread publishes a whole route,
// a stream thread reads a whole one, never half of an old and half of a new.
class PlayRouteCell {
public:
  void Publish(const PlayRoute& route);
  PlayRoute Read() const;

private:
  std::atomic<uint64_t> m_word{Pack(PlayRoute())};
  static uint64_t Pack(const PlayRoute& r);
};

// Which handle a delivery plays into: the window's handle when the window
// shows this slot's stream of this kind (main: the main stream; sub: the
// sub stream), else 0.
int RouteHandleFor(const PlayRoute& route, int slot, bool mainStream);

// Restarts of silent streams, run on a thread of their own so that a dead
// device (each start waits up to a second for its connection) never holds
// up the UI thread. A stream already waiting for its restart is not queued
// twice.
class CStreamRestarter {
public:
  using RestartFn = std::function<void(int slot, int kind)>;  // kind 0 main, 1 sub
  explicit CStreamRestarter(RestartFn restart);
  ~CStreamRestarter();  // Stop
  CStreamRestarter(const CStreamRestarter&) = delete;
  CStreamRestarter& operator=(const CStreamRestarter&) = delete;

  // FALSE when the slot or kind is out of range, the stream is already
  // queued, or the restarter has stopped.
  bool Queue(int slot, int kind);
  // Ends the thread after the restart it is running; queued ones are dropped.
  void Stop();
  int Pending() const;

private:
  void Loop();
  RestartFn m_restart;
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::vector<int> m_queue;  // slot * 2 + kind
  uint8_t m_queued[128] = {};
  bool m_stop = false;
  std::thread m_thread;
};

// The video-output card: pictures of 704 x 576 planar YUV 4:2:0, one per
// output, each made of four 352 x 288 quarters (quarter q at column q % 2,
// row q / 2), each quarter showing one monitor window.
constexpr int kCardWidth = 704;
constexpr int kCardHeight = 576;
constexpr int kCardPictureSize = kCardWidth * kCardHeight * 3 / 2;
constexpr int kCardQuarters = 4;
constexpr int kCardMaxOutputs = 16;

// Quarter q of a card picture to black (luma 0, both chroma planes 128).
// Quarters outside 0..3 change nothing.
void ClearCardQuadrant(uint8_t* picture, int quarter);

// The monitor windows assigned to one output's quarters; -1 none.
struct CardOutputAssignment {
  int window[kCardQuarters] = {-1, -1, -1, -1};
  int AssignedCount() const;
};

// One output to feed in a run: the quarters to blank first and the window
// of each assigned quarter.
struct CardFeedStep {
  int output;
  bool clear[kCardQuarters];
  int window[kCardQuarters];
};

// Fills quarter q of an output's picture with a window's current picture;
// FALSE when the window has none (the quarter is then blanked).
using CardQuarterFill = std::function<bool(uint8_t* picture, int quarter, int window)>;

// The outputs a run feeds: every output (at most outputCount, at most
// kCardMaxOutputs) with at least one window assigned, with its unassigned
// quarters to blank.
std::vector<CardFeedStep> PlanCardFeed(const std::vector<CardOutputAssignment>& outputs, int outputCount);

// What the feed needs of the card library (KD27_OpenChannel, KD27_InputData).
class ICardOutputs {
public:
  virtual ~ICardOutputs() = default;
  virtual void OpenChannel(int output) = 0;
  virtual void InputData(int output, const uint8_t* picture, int width, int height, int flag) = 0;
};

// The feed of the card outputs, run every 40 ms on the media timer's worker
// while its mode is 1. It works on its own copy of the assignments, set by
// the UI thread, never on the controls that show them.
class CCardFeed {
public:
  CCardFeed();
  void SetMode(int mode) { m_mode = mode; }
  int Mode() const { return m_mode; }
  // The card's outputs and their assignments, as the card dialog holds them.
  void SetAssignments(const std::vector<CardOutputAssignment>& outputs, int outputCount);
  // One run: nothing unless the card is ready and the mode is 1. Assigned
  // quarters take their windows' pictures through fill. Returns the number
  // of outputs fed.
  int Run(ICardOutputs& card, bool cardReady, const CardQuarterFill& fill = nullptr);
  // An output's picture, which the card code fills quarter by quarter;
  // null outside 0..kCardMaxOutputs-1.
  uint8_t* Picture(int output);

private:
  std::atomic<int> m_mode{0};
  std::mutex m_lock;  // assignments and pictures
  std::vector<CardOutputAssignment> m_outputs;
  int m_outputCount = 0;
  std::vector<std::vector<uint8_t>> m_pictures;
};

}  // namespace shell
