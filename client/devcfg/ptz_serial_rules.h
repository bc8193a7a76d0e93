// The PTZ serial part of a channel block (26 bytes at 512) and the device's
// list of PTZ protocol names. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config_blocks.h"

namespace devcfg {

// The combos' list indexes, in the part's order: COM port, baud rate, data
// bits, stop bits, parity, flow control (u32 each), then the protocol (u8).
enum PtzField { kPtzCom, kPtzBaud, kPtzDataBits, kPtzStopBits, kPtzParity, kPtzFlow, kPtzProtocol, kPtzFields };

struct PtzSerialValues {
  int32_t index[kPtzFields];
  uint8_t address;  // decoder address 0..255
};
PtzSerialValues LoadPtzSerial(const uint8_t* part);
void StorePtzSerial(uint8_t* part, const PtzSerialValues& v);

// What a combo's selection saves: the shown index, or, when the combo shows
// none (the loaded value was not one of its entries), the value as loaded.
inline int32_t KeptIndex(int shown, int32_t loaded) { return shown >= 0 ? shown : loaded; }

// The protocol names of a PTZ list buffer of size bytes: count at byte 12,
// name k the NUL-terminated text at 13 + 48 k. Each name is read within its
// 48 bytes and at most 47 characters; the count is held to the names that
// lie wholly inside the buffer.
constexpr size_t kPtzListCountAt = 12, kPtzListNamesAt = 13, kPtzListNameSize = 48;
std::vector<std::string> ParsePtzProtocolList(const uint8_t* list, size_t size);

}  // namespace devcfg
