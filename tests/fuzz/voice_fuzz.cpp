// libFuzzer target over the voice codec's decoding of arbitrary frames, in
// the rules of both library builds (the SDK's: every type, transcodes; the
// player's: types 1-7 and 35-39), and of the player's sound channel, which
// cuts its bytes into frames of the size the first header gives.
//
// Input: the build (bit 0) and transcoding (bit 1), the index of the codec
// type, then frames one after another, each as long as its header says.
//
// Properties: a decode never gives more samples than the output holds
// (kVoiceMaxDecodeSamples, in a block of exactly that size) and gives none
// on failure; a failed decode leaves the state as it was; a frame is only
// read, and never past the length its header gives; a transcoded frame
// stays within the room a frame needs.
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "player_core.h"
#include "voice_codec.h"

namespace {

const int kTypes[] = {1, 2, 3, 4, 5, 6, 7, 35, 36, 37, 38, 39, 65, 66, 67, 68, 0, 8, 34, 40, 64, 69, 97, 255};
constexpr int kTypeCount = int(sizeof kTypes / sizeof *kTypes);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t flags = in.Byte();
    const qv::VoiceProfile& profile = (flags & 1) ? qv::kPlayerVoiceProfile : qv::kSdkVoiceProfile;
    const int type = kTypes[in.Byte() % kTypeCount];

    std::unique_ptr<int16_t[]> samples(new int16_t[qv::kVoiceMaxDecodeSamples]);
    // The player's sound channel: the bytes cut into frames of the size the
    // first header gives, the type taken from that size; a frame whose own
    // header gives another size is not decoded.
    {
        fuzz::Exact all(in.Rest(), in.Left());
        const uint32_t length = uint32_t(all.size());
        const uint32_t frameSize = quillon::VoiceFrameSize(all.data(), length);
        if (frameSize && length % frameSize == 0) {
            const int t = quillon::VoiceTypeOfSize(frameSize);
            qv::VoiceState s;
            qv::VoiceReset(qv::kPlayerVoiceProfile, s, t, true);
            for (uint32_t at = 0; t && at < length && at < 64 * frameSize; at += frameSize) {
                // Each frame in a block of its slot's size.
                if (quillon::VoiceFrameSize(all.data() + at, frameSize) != frameSize) continue;
                fuzz::Exact frame(all.data() + at, frameSize);
                int count = 0;
                if (qv::VoiceDecode(qv::kPlayerVoiceProfile, s, t, frame.data(), samples.get(), &count) == 0 &&
                    (count < 0 || count > qv::kVoiceMaxDecodeSamples))
                    fuzz::Fail("samples", count);
            }
        }
    }

    qv::VoiceState state;
    qv::VoiceReset(profile, state, type, true);
    const bool transcode = (flags & 2) && !profile.playerTypesOnly;
    alignas(8) uint8_t transcoder[qv::kTranscoderDecoderOffset + qv::kVoiceStateBytes];
    if (transcode) qv::VoiceTransCodeReset(profile, transcoder, 97 + (in.Byte() & 3));
    for (int frames = 0; frames < 64 && in.Left() >= 4; ++frames) {
        const size_t bytes = size_t(qv::kVoiceFrameHeaderBytes) + 2 * in.Rest()[2];
        if (bytes > in.Left()) break;
        const uint8_t* p;
        in.Take(bytes, &p);
        fuzz::Exact frame(p, bytes);
        const qv::VoiceState before = state;
        int count = -1;
        int rc = qv::VoiceDecode(profile, state, type, frame.data(), samples.get(), &count);
        if (std::memcmp(frame.data(), p, bytes)) fuzz::Fail("decode wrote into the frame");
        if (rc == 0) {
            if (count < 0 || count > qv::kVoiceMaxDecodeSamples) fuzz::Fail("samples", count);
        } else {
            if (count != -1) fuzz::Fail("count set by a failed decode", count);
            if (std::memcmp(&before, &state, sizeof state)) fuzz::Fail("state moved by a failed decode");
        }
        if (transcode) {
            // In place, in a frame of the room a frame needs.
            std::unique_ptr<uint8_t[]> room(new uint8_t[qv::kVoiceMaxFrameBytes]);
            std::memcpy(room.get(), p, bytes);
            if (qv::VoiceTransCodeFrame(profile, transcoder, room.get()) == 0 &&
                qv::VoiceFrameBytes(room.get()) > qv::kVoiceMaxFrameBytes)
                fuzz::Fail("transcoded frame too long");
        }
    }
    return 0;
}
