#include "system_rules.h"

namespace devcfg {

bool PortsAccepted(uint32_t tcp, uint32_t http) {
  auto reserved = [](uint32_t p) { return p == 36788 || p == 36888 || p == 36681; };
  if (tcp == 0 || http == 0 || tcp > 65535 || http > 65535) return false;
  if (reserved(tcp) || reserved(http)) return false;
  return tcp != http;
}

}  // namespace devcfg
