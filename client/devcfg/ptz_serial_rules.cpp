#include "ptz_serial_rules.h"

#include "config_blocks.h"

namespace devcfg {

PtzSerialValues LoadPtzSerial(const uint8_t* part) {
  PtzSerialValues v{};
  for (int f = 0; f < kPtzProtocol; ++f) v.index[f] = int32_t(GetU32(part + 4 * f));
  v.index[kPtzProtocol] = part[24];
  v.address = part[25];
  return v;
}

void StorePtzSerial(uint8_t* part, const PtzSerialValues& v) {
  for (int f = 0; f < kPtzProtocol; ++f) PutU32(part + 4 * f, uint32_t(v.index[f]));
  part[24] = uint8_t(v.index[kPtzProtocol]);
  part[25] = v.address;
}

std::vector<std::string> ParsePtzProtocolList(const uint8_t* list, size_t size) {
  std::vector<std::string> names;
  if (!list || size <= kPtzListCountAt) return names;
  const size_t room = size > kPtzListNamesAt ? (size - kPtzListNamesAt) / kPtzListNameSize : 0;
  const size_t count = list[kPtzListCountAt] < room ? list[kPtzListCountAt] : room;
  for (size_t k = 0; k < count; ++k)
    names.push_back(FieldText(reinterpret_cast<const char*>(list + kPtzListNamesAt + k * kPtzListNameSize),
                              kPtzListNameSize - 1));
  return names;
}

}  // namespace devcfg
