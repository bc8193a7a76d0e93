// Datagrams of the UDP command channel written out byte by byte for tests:
// the 16-byte header {1, type, command, channel, param, 8 x 0, flag, u16 LE
// length} and a payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace udptest {

using Bytes = std::vector<uint8_t>;

inline Bytes Datagram(uint8_t type, uint8_t command, uint8_t channel, uint8_t param, uint16_t length,
                      const Bytes& payload = {}, uint8_t flag = 0) {
  Bytes b(16, 0);
  b[0] = 1;
  b[1] = type;
  b[2] = command;
  b[3] = channel;
  b[4] = param;
  b[13] = flag;
  b[14] = uint8_t(length);
  b[15] = uint8_t(length >> 8);
  for (uint8_t x : payload) b.push_back(x);
  return b;
}

inline uint16_t LengthField(const Bytes& b) { return uint16_t(b[14] | b[15] << 8); }

}  // namespace udptest
