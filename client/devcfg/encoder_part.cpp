#include "encoder_part.h"

#include "config_blocks.h"

namespace devcfg {

EncoderValues LoadEncoderPart(const uint8_t* p) {
  EncoderValues v;
  v.resolution = GetU32(p) == 8 ? 1 : 0;
  v.iInterval = p[4];
  v.frameRate = p[5];
  v.mode = GetU32(p + 6) == 1 ? 1 : 0;
  v.quality = p[10];
  v.bitRate = GetU16(p + 11);
  return v;
}

void StoreEncoderPart(uint8_t* p, const EncoderValues& v) {
  PutU32(p, v.resolution > 0 ? 8 : 4);
  p[4] = uint8_t(v.iInterval);
  p[5] = uint8_t(v.frameRate);
  if (v.mode >= 0) PutU32(p + 6, uint32_t(v.mode));
  if (v.quality >= 0) p[10] = uint8_t(v.quality);
  PutU16(p + 11, uint32_t(v.bitRate));
}

int DefaultEncoderBitRate(int mode, int resolution) {
  const bool qcif = resolution > 0;
  if (mode == 1) return qcif ? 100 : 300;
  return qcif ? 64 : 200;
}

}  // namespace devcfg
