// The rules behind the local settings dialogs and the server entry: spin
// values and their fall-backs, the record-disk mask as drive rows, and the
// checks of a server entry. No window code here.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

// A spin's typed value: kept inside lo..hi, else the fixed fall-back.
inline int SpinValueOr(bool parsed, int typed, int lo, int hi, int fallback) {
  return parsed && typed >= lo && typed <= hi ? typed : fallback;
}

// Record disks: row i of the drive list is letter 'C' + i, bit i + 2 of the mask.
constexpr int kDiskRows = 24;
inline bool DiskRowTicked(uint32_t mask, int row) { return row >= 0 && row < kDiskRows && (mask >> (row + 2) & 1); }
// The mask of the ticked rows (bit i of rowBits = row i ticked).
inline uint32_t DiskMaskFromRows(uint32_t rowBits) { return (rowBits & ((1u << kDiskRows) - 1)) << 2; }

// The polling interval the dialog stores: the spin's position raised to 5.
inline int PollIntervalFromSpin(int position) { return position < 5 ? 5 : position > 300 ? 300 : position; }

// The server entry's fields as typed.
struct ServerEntryText {
  std::string address, serverName, userName, password, port, channels;
};

// Field sizes of the entry (characters, NUL not counted).
constexpr int kServerAddressChars = 63;
constexpr int kServerNameChars = 32;
constexpr int kServerLoginChars = 16;
constexpr int kServerPortChars = 5;
constexpr int kServerChannelChars = 2;
constexpr int kDefaultDevicePort = 36688;

enum class ServerEntryError {
  None,
  EmptyField,        // "Value can not be empty!"
  BadAddress,        // one of \ / : * ? " < > |
  TooLong,           // a text longer than its field
  BadPort,           // not a number of 0..65535
  BadChannelCount,   // more channels than a device's blocks hold
};
// The characters an address may not hold, in the order the prompt lists them.
constexpr char kBadAddressChars[] = "\\/:*?\"<>|";
ServerEntryError CheckServerEntry(const ServerEntryText& entry);
// The port text as a number; an empty text is 36688. -1 when it is not a
// number of 0..65535.
int ParseServerPort(const std::string& text);
// The channel text as a count: empty or 0 gives 1; -1 above kMaxDeviceChannels
// or when not a number.
int ParseChannelCount(const std::string& text);

}  // namespace shell
