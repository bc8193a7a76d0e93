#include "service_rules.h"

#include "config_blocks.h"

namespace devcfg {

bool ParsePort(const char* text, uint32_t* port) {
  int value = 0;
  if (!ParseBoundedNumber(text, 65535, &value)) return false;
  if (port) *port = uint32_t(value);
  return true;
}

bool ParseDeviceId(const char* text, uint32_t* id) {
  if (!text) return false;
  while (*text == ' ') ++text;
  if (!*text) return false;
  uint64_t n = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    n = n * 10 + uint64_t(*text - '0');
    if (n > 0xFFFFFFFFull) return false;
  }
  while (*text == ' ') ++text;
  if (*text) return false;
  if (id) *id = uint32_t(n);
  return true;
}

bool MailInputAccepted(const MailInput& in) {
  if (in.user.empty() || in.password.empty() || in.sender.empty() || in.subject.empty()) return false;
  bool any = false;
  for (const std::string& r : in.receivers) {
    if (r.empty()) continue;
    any = true;
    if (r.size() < 3 || r.find('@') == std::string::npos) return false;
  }
  return any;
}

}  // namespace devcfg
