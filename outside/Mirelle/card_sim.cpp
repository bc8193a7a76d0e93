#include "card_sim.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace mirelle {

namespace {

std::string Num(int v) { return std::to_string(v); }

bool ParseInt(const std::string& text, int& out) {
  size_t b = text.find_first_not_of(" \t");
  size_t e = text.find_last_not_of(" \t\r");
  if (b == std::string::npos) return false;
  std::string t = text.substr(b, e - b + 1);
  char* end = nullptr;
  long v = std::strtol(t.c_str(), &end, 10);
  if (end == t.c_str() || *end != '\0' || v < -1 || v > 64) return false;
  out = int(v);
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  size_t e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

CardConfig ParseCardConfig(const std::string& iniText, const char* envOutputs, const char* envDsps,
                           const char* envFolder) {
  CardConfig c;
  std::istringstream in(iniText);
  std::string line, section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = Trim(line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || section != "Card") continue;
    std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
    if (key == "Outputs") ParseInt(value, c.outputs);
    else if (key == "DSPs") ParseInt(value, c.dsps);
    else if (key == "Folder") c.folder = value;
  }
  if (envOutputs && *envOutputs) ParseInt(envOutputs, c.outputs);
  if (envDsps && *envDsps) ParseInt(envDsps, c.dsps);
  if (envFolder && *envFolder) c.folder = envFolder;
  return c;
}

CardSim::CardSim(CardConfig config) : m_config(std::move(config)) {
  if (!m_config.folder.empty()) m_logFile = std::fopen(LogPath(m_config.folder).c_str(), "ab");
}

CardSim::~CardSim() {
  if (m_logFile) std::fclose(m_logFile);
}

std::string CardSim::PicturePath(const std::string& folder, int channel) {
  return folder + "/output" + Num(channel) + ".yuv";
}

std::string CardSim::LogPath(const std::string& folder) { return folder + "/Mirelle.log"; }

void CardSim::Line(const std::string& text) {
  m_log.push_back(text);
  if (m_logFile) {
    std::fputs(text.c_str(), m_logFile);
    std::fputc('\n', m_logFile);
    std::fflush(m_logFile);
  }
}

void CardSim::Error(const char* call, const std::string& why) {
  ++m_errors;
  Line(std::string("ERROR ") + call + ": " + why);
}

bool CardSim::Running(const char* call) {
  if (m_running) return true;
  Error(call, "card not initialised");
  return false;
}

bool CardSim::ValidChannel(const char* call, int channel) {
  if (channel >= 0 && channel < int(m_open.size())) return true;
  Error(call, "bad channel " + Num(channel));
  return false;
}

int CardSim::InitCards() {
  if (m_running) {
    Error("InitCards", "cards already running");
    return 0;
  }
  if (m_config.outputs < 0) {
    Line("InitCards -> 0");
    return 0;
  }
  m_running = true;
  m_open.assign(size_t(m_config.outputs), false);
  m_pictures.assign(size_t(m_config.outputs), std::vector<uint8_t>());
  for (int c = 0; c < m_config.outputs; ++c) RemovePicture(c);
  Line("InitCards -> 1");
  return 1;
}

void CardSim::SetVideoStandard(int standard) {
  if (!Running("SetVideoStandard")) return;
  if (standard != 0 && standard != 1) {
    Error("SetVideoStandard", "unknown standard " + Num(standard));
    return;
  }
  Line("SetVideoStandard " + Num(standard));
}

int CardSim::GetChannels() {
  if (!Running("GetChannels")) return 0;
  Line("GetChannels -> " + Num(int(m_open.size())));
  return int(m_open.size());
}

int CardSim::GetDSPs() {
  if (!Running("GetDSPs")) return 0;
  Line("GetDSPs -> " + Num(m_config.dsps));
  return m_config.dsps;
}

int CardSim::OpenChannel(int channel) {
  if (!Running("OpenChannel") || !ValidChannel("OpenChannel", channel)) return 0;
  // The feed opens its outputs again before every picture: only the first
  // open of a closed output is worth a line.
  if (!m_open[size_t(channel)]) Line("OpenChannel " + Num(channel));
  m_open[size_t(channel)] = true;
  return 1;
}

int CardSim::InputData(int channel, const uint8_t* picture, int width, int height, int flag) {
  if (!Running("InputData") || !ValidChannel("InputData", channel)) return 0;
  if (!m_open[size_t(channel)]) {
    Error("InputData", "channel " + Num(channel) + " not open");
    return 0;
  }
  if (!picture) {
    Error("InputData", "null picture");
    return 0;
  }
  if (width != kPictureWidth || height != kPictureHeight) {
    Error("InputData", "size " + Num(width) + "x" + Num(height));
    return 0;
  }
  std::vector<uint8_t>& kept = m_pictures[size_t(channel)];
  if (kept.size() == size_t(kPictureBytes) && std::memcmp(kept.data(), picture, size_t(kPictureBytes)) == 0)
    return 1;
  kept.assign(picture, picture + kPictureBytes);
  Line("InputData " + Num(channel) + " new picture");
  WritePicture(channel);
  return 1;
}

int CardSim::CloseChannel(int channel) {
  if (!Running("CloseChannel") || !ValidChannel("CloseChannel", channel)) return 0;
  m_open[size_t(channel)] = false;
  Line("CloseChannel " + Num(channel));
  return 1;
}

int CardSim::ClearVideoOutput(int channel) {
  if (!Running("ClearVideoOutput") || !ValidChannel("ClearVideoOutput", channel)) return 0;
  m_pictures[size_t(channel)].clear();
  RemovePicture(channel);
  Line("ClearVideoOutput " + Num(channel));
  return 1;
}

void CardSim::ReleaseCards() {
  if (!Running("ReleaseCards")) return;
  m_running = false;
  m_open.clear();
  Line("ReleaseCards");
}

const std::vector<uint8_t>& CardSim::Picture(int channel) const {
  static const std::vector<uint8_t> none;
  return channel >= 0 && channel < int(m_pictures.size()) ? m_pictures[size_t(channel)] : none;
}

void CardSim::WritePicture(int channel) {
  if (m_config.folder.empty()) return;
  // Written beside and renamed, so a reader never sees half a picture.
  std::string path = PicturePath(m_config.folder, channel), temp = path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    Error("InputData", "cannot write " + temp);
    return;
  }
  const std::vector<uint8_t>& p = m_pictures[size_t(channel)];
  size_t n = std::fwrite(p.data(), 1, p.size(), f);
  std::fclose(f);
  std::remove(path.c_str());
  if (n != p.size() || std::rename(temp.c_str(), path.c_str()) != 0) Error("InputData", "cannot write " + path);
}

void CardSim::RemovePicture(int channel) {
  if (!m_config.folder.empty()) std::remove(PicturePath(m_config.folder, channel).c_str());
}

}  // namespace mirelle
