#include "local_settings_rules.h"

#include "channel_blocks.h"

namespace shell {

namespace {

// Digits only, at most maxDigits of them; -1 otherwise (empty gives -2).
long ParseDigits(const std::string& text, size_t maxDigits) {
  if (text.empty()) return -2;
  if (text.size() > maxDigits) return -1;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

int ParseServerPort(const std::string& text) {
  long v = ParseDigits(text, kServerPortChars);
  if (v == -2) return kDefaultDevicePort;
  return v < 0 || v > 65535 ? -1 : int(v);
}

int ParseChannelCount(const std::string& text) {
  long v = ParseDigits(text, kServerChannelChars);
  if (v == -2 || v == 0) return 1;
  return v < 0 || v > kMaxDeviceChannels ? -1 : int(v);
}

ServerEntryError CheckServerEntry(const ServerEntryText& e) {
  if (e.address.empty() || e.serverName.empty() || e.userName.empty() || e.password.empty())
    return ServerEntryError::EmptyField;
  if (e.address.find_first_of(kBadAddressChars) != std::string::npos) return ServerEntryError::BadAddress;
  if (e.address.size() > size_t(kServerAddressChars) || e.serverName.size() > size_t(kServerNameChars) ||
      e.userName.size() > size_t(kServerLoginChars) || e.password.size() > size_t(kServerLoginChars))
    return ServerEntryError::TooLong;
  if (ParseServerPort(e.port) < 0) return ServerEntryError::BadPort;
  if (ParseChannelCount(e.channels) < 0) return ServerEntryError::BadChannelCount;
  return ServerEntryError::None;
}

}  // namespace shell
