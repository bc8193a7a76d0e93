// The simulated video-output card behind Mirelle.dll: a number of analogue
// outputs, each showing the last 704 x 576 YUV 4:2:0 picture it was given.
// It checks how the card library is called and records it: one log line per
// call (errors start with "ERROR"), and each output's latest picture in a
// file of its own, rewritten whenever the picture changes.
//
// Portable: no Windows headers. Not locked: the exports hold one lock.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mirelle {

constexpr int kPictureWidth = 704;
constexpr int kPictureHeight = 576;
constexpr int kPictureBytes = kPictureWidth * kPictureHeight * 3 / 2;

struct CardConfig {
  int outputs = -1;     // -1: no card installed, the init fails
  int dsps = 0;
  std::string folder;   // where the log and the pictures go; empty: nowhere
};

class CardSim {
public:
  explicit CardSim(CardConfig config);
  ~CardSim();
  CardSim(const CardSim&) = delete;
  CardSim& operator=(const CardSim&) = delete;

  int InitCards();
  void SetVideoStandard(int standard);
  int GetChannels();
  int GetDSPs();
  int OpenChannel(int channel);
  int InputData(int channel, const uint8_t* picture, int width, int height, int flag);
  int CloseChannel(int channel);
  int ClearVideoOutput(int channel);
  void ReleaseCards();

  // What was recorded so far.
  const std::vector<std::string>& Log() const { return m_log; }
  int Errors() const { return m_errors; }
  // The output's latest picture (empty: none since the init or the clear).
  const std::vector<uint8_t>& Picture(int channel) const;
  // Where an output's picture file goes: "<folder>/output<N>.yuv".
  static std::string PicturePath(const std::string& folder, int channel);
  static std::string LogPath(const std::string& folder);

private:
  bool Running(const char* call);
  bool ValidChannel(const char* call, int channel);
  void Line(const std::string& text);
  void Error(const char* call, const std::string& why);
  void WritePicture(int channel);
  void RemovePicture(int channel);

  CardConfig m_config;
  bool m_running = false;
  std::vector<bool> m_open;
  std::vector<std::vector<uint8_t>> m_pictures;
  std::vector<std::string> m_log;
  int m_errors = 0;
  FILE* m_logFile = nullptr;
};

// The card's configuration: the environment (MIRELLE_OUTPUTS, MIRELLE_DSPS,
// MIRELLE_FOLDER) wins over the ini text given ([Card] Outputs, DSPs,
// Folder). A value that is not a whole number counts as missing.
CardConfig ParseCardConfig(const std::string& iniText, const char* envOutputs, const char* envDsps,
                           const char* envFolder);

}  // namespace mirelle
