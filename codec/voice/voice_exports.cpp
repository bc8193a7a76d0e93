// The exported QV_VOICE_* calls of one build (see qv_voice.h); the build is
// chosen by QV_VOICE_PLAYER_BUILD and differs only in its profile and in
// where the codec type comes from.
#include "qv_voice.h"

#include <cstring>

#include "voice_codec.h"

namespace {

#ifdef QV_VOICE_PLAYER_BUILD
const qv::VoiceProfile& kProfile = qv::kPlayerVoiceProfile;
#else
const qv::VoiceProfile& kProfile = qv::kSdkVoiceProfile;
#endif

static_assert(QV_VOICE_STATE_SIZE == qv::kVoiceStateBytes, "state size");
static_assert(QV_VOICE_MAX_DECODE_SAMPLES == qv::kVoiceMaxDecodeSamples, "decode size");
static_assert(QV_VOICE_MAX_FRAME_BYTES == qv::kVoiceMaxFrameBytes, "frame size");

int Reset(void* state, int type, bool decoder) {
    if (!state) return kProfile.Error(qv::kVoiceNullState);
    qv::VoiceState s;
    const int rc = qv::VoiceReset(kProfile, s, type, decoder);
    qv::StoreVoiceState(state, s);  // an unknown type is stored too
    return rc;
}

// typeArg < 0: the type the state was reset with.
int Encode(void* state, const short* samples, unsigned char* frame, int count, int typeArg) {
    if (!state) return kProfile.Error(qv::kVoiceNullState);
    if (!samples) return kProfile.Error(qv::kVoiceNullInput);
    if (!frame) return kProfile.Error(qv::kVoiceNullOutput);
    qv::VoiceState s = qv::LoadVoiceState(state);
    const int rc = qv::VoiceEncode(kProfile, s, typeArg < 0 ? s.type : typeArg, samples, count, frame);
    if (rc == 0) qv::StoreVoiceState(state, s);
    return rc;
}

int Decode(void* state, const unsigned char* frame, short* samples, int* count, int typeArg) {
    if (count) *count = 0;
    if (!state) return kProfile.Error(qv::kVoiceNullState);
    if (!frame) return kProfile.Error(qv::kVoiceNullInput);
    if (!samples || !count) return kProfile.Error(qv::kVoiceNullOutput);
    qv::VoiceState s = qv::LoadVoiceState(state);
    const int rc = qv::VoiceDecode(kProfile, s, typeArg < 0 ? s.type : typeArg, frame, samples, count);
    if (rc == 0) qv::StoreVoiceState(state, s);
    return rc;
}

}  // namespace

extern "C" {

int QV_API QV_VOICE_EncReset(void* state, int type) { return Reset(state, type, false); }

int QV_API QV_VOICE_DecReset(void* state, int type) { return Reset(state, type, true); }

#ifdef QV_VOICE_PLAYER_BUILD

int QV_API QV_VOICE_EncodeFrame(void* state, const short* samples, unsigned char* frame, int count,
                                int type) {
    // A negative type would mean "the state's"; the player always names one.
    return Encode(state, samples, frame, count, type < 0 ? 0 : type);
}

int QV_API QV_VOICE_DecodeFrame(void* state, const unsigned char* frame, short* samples, int type,
                                int* count) {
    return Decode(state, frame, samples, count, type < 0 ? 0 : type);
}

#else

int QV_API QV_VOICE_GetVersion(char* buffer) {
    static const char kVersion[] = "QV_VOICE_VERSION=Qv7702_VOICELIB_V1.0.0.0";
    if (!buffer) return -1;
    std::memcpy(buffer, kVersion, sizeof kVersion);
    return 0;
}

int QV_API QV_VOICE_EncodeFrame(void* state, const short* samples, unsigned char* frame, int count) {
    return Encode(state, samples, frame, count, -1);
}

int QV_API QV_VOICE_DecodeFrame(void* state, const unsigned char* frame, short* samples, int* count) {
    return Decode(state, frame, samples, count, -1);
}

int QV_API QV_VOICE_TransCodeReset(void* state, int type) {
    return qv::VoiceTransCodeReset(kProfile, state, type);
}

int QV_API QV_VOICE_TransCodeFrame(void* state, unsigned char* frame) {
    return qv::VoiceTransCodeFrame(kProfile, state, frame);
}

#endif

}  // extern "C"
