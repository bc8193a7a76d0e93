#include "video_param_part.h"

#include <cstring>

#include "config_blocks.h"

namespace devcfg {

VideoParamValues LoadVideoParamPart(const uint8_t* b) {
  VideoParamValues v;
  v.name = FieldText(reinterpret_cast<const char*>(b), 33);
  if (v.name.size() > size_t(kVideoNameChars)) v.name.resize(kVideoNameChars);
  v.showName = b[33] != 0;
  v.nameX = GetU16(b + 34);
  v.nameY = GetU16(b + 36);
  v.showTime = b[38] != 0;
  v.timeX = GetU16(b + 39);
  v.timeY = GetU16(b + 41);
  v.shelter = b[43] != 0;
  v.shelterX = GetU16(b + 44);
  v.shelterY = GetU16(b + 46);
  v.shelterW = GetU16(b + 48);
  v.shelterH = GetU16(b + 50);
  switch (GetU32(b + 52)) {
    case 2: v.resolution = 1; break;
    case 4: v.resolution = 2; break;
    case 8: v.resolution = 3; break;
    default: v.resolution = 0; break;
  }
  v.iInterval = b[56];
  v.frameRate = b[57];
  v.mode = GetU32(b + 58) == 1 ? 1 : 0;
  v.quality = b[62];
  v.bitRate = GetU16(b + 63);
  v.luminance = b[65];
  v.contrast = b[66];
  v.saturation = b[67];
  v.hue = b[68];
  v.offset = b[69];
  return v;
}

void StoreVideoParamPart(uint8_t* b, const VideoParamValues& v) {
  std::memset(b, 0, 33);
  std::memcpy(b, v.name.data(), v.name.size() < size_t(kVideoNameChars) ? v.name.size() : size_t(kVideoNameChars));
  b[33] = v.showName ? 1 : 0;
  PutU16(b + 34, uint32_t(v.nameX));
  PutU16(b + 36, uint32_t(v.nameY));
  b[38] = v.showTime ? 1 : 0;
  PutU16(b + 39, uint32_t(v.timeX));
  PutU16(b + 41, uint32_t(v.timeY));
  b[43] = v.shelter ? 1 : 0;
  PutU16(b + 44, uint32_t(v.shelterX));
  PutU16(b + 46, uint32_t(v.shelterY));
  PutU16(b + 48, uint32_t(v.shelterW));
  PutU16(b + 50, uint32_t(v.shelterH));
  const int resolution = v.resolution >= 0 && v.resolution < 4 ? v.resolution : 0;
  PutU32(b + 52, 1u << resolution);
  b[56] = uint8_t(v.iInterval);
  b[57] = uint8_t(v.frameRate);
  if (v.mode >= 0) PutU32(b + 58, uint32_t(v.mode));
  if (v.quality >= 0) b[62] = uint8_t(v.quality);
  PutU16(b + 63, uint32_t(v.bitRate));
  b[65] = uint8_t(v.luminance);
  b[66] = uint8_t(v.contrast);
  b[67] = uint8_t(v.saturation);
  b[68] = uint8_t(v.hue);
  b[69] = uint8_t(v.offset);
}

int VariableModeRate(int resolution, int quality) {
  static const int kRates[4][6] = {{1000, 700, 550, 450, 420, 400},
                                   {500, 350, 275, 225, 210, 200},
                                   {180, 126, 99, 81, 76, 72},
                                   {60, 42, 33, 27, 25, 24}};
  if (resolution < 0 || resolution > 3 || quality < 0 || quality > 5) return -1;
  return kRates[resolution][quality];
}

int DefaultVideoBitRate(int mode, int resolution) {
  static const int kVariable[4] = {2000, 1000, 600, 150}, kConstant[4] = {1500, 700, 500, 100};
  const int r = resolution >= 0 && resolution < 4 ? resolution : 0;
  return mode == 1 ? kVariable[r] : kConstant[r];
}

}  // namespace devcfg
