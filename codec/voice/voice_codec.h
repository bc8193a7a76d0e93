// The voice codec behind the QV_VOICE_* exports: voice frames of G.711,
// IMA ADPCM and G.726 code words, their codec states, and the transcodes.
// Pure functions over caller memory; no globals, no locks.
//
// The library is built twice from this code: the SDK's build (every codec
// type, transcodes, errors 0xA1220xxx) and the player's build (codec types
// 1-7 and 35-39 only, errors 0xA1222xxx). A VoiceProfile carries the
// difference.
#pragma once
#include <cstddef>
#include <cstdint>

#include "g726.h"
#include "ima_adpcm.h"

namespace qv {

// Error codes, without the build's base.
enum VoiceErrorCode : uint32_t {
    kVoiceEncUnknownType = 0x001,
    kVoiceEncBadCount = 0x002,
    kVoiceDecUnknownType = 0x011,
    kVoiceDecBadLength = 0x012,
    kVoiceDecBadHeader = 0x013,
    kVoiceNullState = 0x101,
    kVoiceNullInput = 0x102,
    kVoiceNullOutput = 0x103,
    kVoiceNullTranscoder = 0x1001,
    kVoiceBadTranscodeType = 0x1002,
};

struct VoiceProfile {
    uint32_t errorBase;
    bool playerTypesOnly;  // only types 1-7 and 35-39

    int Error(uint32_t code) const { return int(errorBase | code); }
    bool Knows(int type) const;
};

extern const VoiceProfile kSdkVoiceProfile;     // 0xA1220xxx, every type
extern const VoiceProfile kPlayerVoiceProfile;  // 0xA1222xxx, types 1-7 and 35-39

// Codec types.
enum VoiceType : int {
    kAlaw = 1, kUlaw = 2, kImaDvi = 3, kG726_16 = 4, kG726_24 = 5, kG726_32 = 6, kG726_40 = 7,
    kImaBlock = 35, kG726_16Msb = 36, kG726_24Msb = 37, kG726_32Msb = 38, kG726_40Msb = 39,
    kAlawSwapped = 65, kUlawSwapped = 66, kImaRaw = 67, kG726_16Words = 68,
};

constexpr int kVoiceMaxEncodeSamples = 481;
constexpr int kVoiceMaxDecodeSamples = 488;  // type 67 at its longest frame
constexpr int kVoiceFrameHeaderBytes = 4;
constexpr int kVoiceMaxFrameBytes = kVoiceFrameHeaderBytes + 2 * 255;
constexpr size_t kVoiceStateBytes = 2048;  // what a caller allocates for one state
constexpr size_t kTranscoderDecoderOffset = 2048;

// The codec state as it lies at the start of the caller's state memory.
struct VoiceState {
    uint16_t type;
    uint16_t reserved;
    ImaState ima;
    G726State g726;
};
static_assert(sizeof(VoiceState) <= kVoiceStateBytes, "state must fit the caller's memory");

VoiceState LoadVoiceState(const void* memory);
void StoreVoiceState(void* memory, const VoiceState& s);

// Resets s for the type. Returns 0, or the unknown-type code (encoder or
// decoder) with the type stored all the same.
int VoiceReset(const VoiceProfile& p, VoiceState& s, int type, bool decoder);

// Encodes count samples (1-481) with the given type (the state's, or the
// caller's in the player's build) into frame, which needs room for
// kVoiceMaxFrameBytes. The state advances only on success.
int VoiceEncode(const VoiceProfile& p, VoiceState& s, int type, const int16_t* samples, int count,
                uint8_t* frame);

// Decodes one frame into samples (room for kVoiceMaxDecodeSamples) and sets
// *count. The frame is only read. The state advances only on success.
int VoiceDecode(const VoiceProfile& p, VoiceState& s, int type, const uint8_t* frame,
                int16_t* samples, int* count);

// Transcodes over a transcoder state (encoder at the start, decoder
// kTranscoderDecoderOffset bytes on).
int VoiceTransCodeReset(const VoiceProfile& p, void* state, int type);
int VoiceTransCodeFrame(const VoiceProfile& p, void* state, uint8_t* frame);

// Size in bytes of a frame (header included) as its header tells.
inline int VoiceFrameBytes(const uint8_t* frame) { return kVoiceFrameHeaderBytes + 2 * frame[2]; }

}  // namespace qv
