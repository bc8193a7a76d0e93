#include "voice_codec.h"

#include <cstring>

#include "g711.h"

namespace qv {

const VoiceProfile kSdkVoiceProfile{0xA1220000u, false};
const VoiceProfile kPlayerVoiceProfile{0xA1222000u, true};

namespace {

bool IsG711(int t) { return t == kAlaw || t == kUlaw || t == kAlawSwapped || t == kUlawSwapped; }
bool IsIma(int t) { return t == kImaDvi || t == kImaBlock || t == kImaRaw; }
bool IsG726Lsb(int t) { return t >= kG726_16 && t <= kG726_40; }
bool IsG726Msb(int t) { return t >= kG726_16Msb && t <= kG726_40Msb; }
bool IsG726Packed(int t) { return IsG726Lsb(t) || IsG726Msb(t); }
bool IsAlaw(int t) { return t == kAlaw || t == kAlawSwapped; }

// Code word size of a G.726 type.
int G726Bits(int t) {
    if (t == kG726_16Words) return 2;
    return 2 + (IsG726Lsb(t) ? t - kG726_16 : t - kG726_16Msb);
}

// Packs code words of a fixed size into bytes, either from the least
// significant bit of each byte upwards or from the most significant bit
// downwards. Bits past the last code word are zero.
class BitWriter {
public:
    BitWriter(uint8_t* out, int bytes, bool msbFirst) : out_(out), bytes_(bytes), msb_(msbFirst) {
        std::memset(out, 0, size_t(bytes));
    }
    void Put(unsigned code, int bits) {
        for (int i = 0; i < bits; ++i) {
            // MSB order sends the code's most significant bit first.
            unsigned bit = msb_ ? (code >> (bits - 1 - i)) & 1 : (code >> i) & 1;
            const int byte = pos_ >> 3;
            if (byte >= bytes_) return;
            const int shift = msb_ ? 7 - (pos_ & 7) : pos_ & 7;
            out_[byte] = uint8_t(out_[byte] | (bit << shift));
            ++pos_;
        }
    }

private:
    uint8_t* out_;
    int bytes_;
    bool msb_;
    int pos_ = 0;
};

class BitReader {
public:
    BitReader(const uint8_t* in, int bytes, bool msbFirst) : in_(in), bytes_(bytes), msb_(msbFirst) {}
    unsigned Get(int bits) {
        unsigned code = 0;
        for (int i = 0; i < bits; ++i) {
            const int byte = pos_ >> 3;
            unsigned bit = 0;
            if (byte < bytes_) bit = (in_[byte] >> (msb_ ? 7 - (pos_ & 7) : pos_ & 7)) & 1;
            ++pos_;
            code = msb_ ? (code << 1) | bit : code | (bit << i);
        }
        return code;
    }

private:
    const uint8_t* in_;
    int bytes_;
    bool msb_;
    int pos_ = 0;
};

void PutI16(uint8_t* p, int16_t v) {
    p[0] = uint8_t(uint16_t(v) & 0xFF);
    p[1] = uint8_t(uint16_t(v) >> 8);
}

int16_t GetI16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

void WriteHeader(uint8_t* frame, int words) {
    frame[0] = 0x00;
    frame[1] = 0x01;
    frame[2] = uint8_t(words);
    frame[3] = 0;
}

// Encodes with state s (a working copy); returns the payload length in
// words. Every codec codes exactly the samples its payload carries, so that
// a decoder that runs on from frame to frame stays in step with the encoder.
int EncodePayload(VoiceState& s, int type, const int16_t* in, int n, uint8_t* payload) {
    if (IsG711(type)) {
        const int words = n / 2;
        const bool swapped = type == kAlawSwapped || type == kUlawSwapped;
        for (int i = 0; i < words; ++i) {
            uint8_t c0 = IsAlaw(type) ? AlawEncode(in[2 * i]) : UlawEncode(in[2 * i]);
            uint8_t c1 = IsAlaw(type) ? AlawEncode(in[2 * i + 1]) : UlawEncode(in[2 * i + 1]);
            payload[2 * i] = swapped ? c1 : c0;
            payload[2 * i + 1] = swapped ? c0 : c1;
        }
        return words;
    }
    if (type == kImaDvi || type == kImaRaw) {
        uint8_t* p = payload;
        if (type == kImaDvi) {
            PutI16(p, s.ima.predicted);
            p[2] = s.ima.stepIndex;
            p[3] = 0;
            p += 4;
        }
        const int bytes = (n / 4) * 2;
        for (int i = 0; i < bytes; ++i) {
            uint8_t hi = ImaEncode(s.ima, in[2 * i]);
            uint8_t lo = ImaEncode(s.ima, in[2 * i + 1]);
            p[i] = uint8_t((hi << 4) | lo);
        }
        return n / 4 + (type == kImaDvi ? 2 : 0);
    }
    if (type == kImaBlock) {
        s.ima.predicted = in[0];
        PutI16(payload, in[0]);
        payload[2] = s.ima.stepIndex;
        payload[3] = 0;
        const int bytes = ((n - 1) / 4) * 2;
        for (int i = 0; i < bytes; ++i) {
            uint8_t first = ImaEncode(s.ima, in[1 + 2 * i]);
            uint8_t second = ImaEncode(s.ima, in[2 + 2 * i]);
            payload[4 + i] = uint8_t(first | (second << 4));
        }
        return (n - 1) / 4 + 2;
    }
    if (type == kG726_16Words) {
        const int words = n / 8;
        for (int w = 0; w < words; ++w) {
            unsigned v = 0;
            for (int k = 0; k < 8; ++k) v = (v << 2) | G726Encode(s.g726, in[8 * w + k]);
            payload[2 * w] = uint8_t(v & 0xFF);
            payload[2 * w + 1] = uint8_t(v >> 8);
        }
        return words;
    }
    // G.726 with bit packing.
    const int bits = G726Bits(type);
    const int even = n & ~1;
    const int words = even * bits / 16;
    const int codes = words * 16 / bits;
    BitWriter out(payload, 2 * words, IsG726Msb(type));
    for (int i = 0; i < codes; ++i) out.Put(G726Encode(s.g726, in[i]), bits);
    return words;
}

// Length rule of a frame for decoding; returns the sample count or -1.
int DecodedSamples(int type, int words) {
    if (IsG711(type)) return (words <= 240 && (2 * words) % 80 == 0) ? 2 * words : -1;
    if (IsIma(type)) {
        if (words > 122) return -1;
        if (type == kImaRaw) return 4 * words;
        if (words < 2) return -1;  // no room for the block header
        return type == kImaDvi ? 4 * words - 8 : 4 * (words - 2) + 1;
    }
    const int bits = G726Bits(type);
    const int limit = type == kG726_16Words ? 60 : 30 * bits;
    const int samples = words * 16 / bits;
    return (words <= limit && samples % 80 == 0) ? samples : -1;
}

void DecodePayload(VoiceState& s, int type, const uint8_t* payload, int words, int16_t* out) {
    if (IsG711(type)) {
        const bool swapped = type == kAlawSwapped || type == kUlawSwapped;
        for (int i = 0; i < words; ++i) {
            uint8_t c0 = payload[2 * i + (swapped ? 1 : 0)];
            uint8_t c1 = payload[2 * i + (swapped ? 0 : 1)];
            out[2 * i] = IsAlaw(type) ? AlawDecode(c0) : UlawDecode(c0);
            out[2 * i + 1] = IsAlaw(type) ? AlawDecode(c1) : UlawDecode(c1);
        }
        return;
    }
    if (type == kImaDvi || type == kImaRaw) {
        const uint8_t* p = payload;
        int bytes = 2 * words;
        if (type == kImaDvi) {
            s.ima.predicted = GetI16(p);
            s.ima.stepIndex = p[2] > kImaMaxStepIndex ? kImaMaxStepIndex : p[2];
            p += 4;
            bytes -= 4;
        }
        for (int i = 0; i < bytes; ++i) {
            out[2 * i] = ImaDecode(s.ima, uint8_t(p[i] >> 4));
            out[2 * i + 1] = ImaDecode(s.ima, uint8_t(p[i] & 15));
        }
        return;
    }
    if (type == kImaBlock) {
        s.ima.predicted = GetI16(payload);
        s.ima.stepIndex = payload[2] > kImaMaxStepIndex ? kImaMaxStepIndex : payload[2];
        out[0] = s.ima.predicted;
        const int bytes = 2 * (words - 2);
        for (int i = 0; i < bytes; ++i) {
            out[1 + 2 * i] = ImaDecode(s.ima, uint8_t(payload[4 + i] & 15));
            out[2 + 2 * i] = ImaDecode(s.ima, uint8_t(payload[4 + i] >> 4));
        }
        return;
    }
    if (type == kG726_16Words) {
        for (int w = 0; w < words; ++w) {
            const unsigned v = unsigned(payload[2 * w]) | (unsigned(payload[2 * w + 1]) << 8);
            for (int k = 0; k < 8; ++k) out[8 * w + k] = G726Decode(s.g726, uint8_t((v >> (14 - 2 * k)) & 3));
        }
        return;
    }
    const int bits = G726Bits(type);
    const int samples = words * 16 / bits;
    BitReader in(payload, 2 * words, IsG726Msb(type));
    for (int i = 0; i < samples; ++i) out[i] = G726Decode(s.g726, uint8_t(in.Get(bits)));
}

}  // namespace

bool VoiceProfile::Knows(int t) const {
    if ((t >= kAlaw && t <= kG726_40) || (t >= kImaBlock && t <= kG726_40Msb)) return true;
    return !playerTypesOnly && t >= kAlawSwapped && t <= kG726_16Words;
}

VoiceState LoadVoiceState(const void* memory) {
    VoiceState s;
    std::memcpy(&s, memory, sizeof s);
    return s;
}

void StoreVoiceState(void* memory, const VoiceState& s) { std::memcpy(memory, &s, sizeof s); }

int VoiceReset(const VoiceProfile& p, VoiceState& s, int type, bool decoder) {
    s = VoiceState{};
    s.type = uint16_t(type);
    if (!p.Knows(type)) return p.Error(decoder ? kVoiceDecUnknownType : kVoiceEncUnknownType);
    if (IsG726Packed(type) || type == kG726_16Words) G726Reset(s.g726, G726Bits(type));
    return 0;
}

int VoiceEncode(const VoiceProfile& p, VoiceState& s, int type, const int16_t* samples, int count,
                uint8_t* frame) {
    if (count < 1 || count > kVoiceMaxEncodeSamples) return p.Error(kVoiceEncBadCount);
    if (!p.Knows(type)) return p.Error(kVoiceEncUnknownType);
    VoiceState work = s;
    work.type = uint16_t(type);
    if ((IsG726Packed(type) || type == kG726_16Words) && work.g726.bits != G726Bits(type)) {
        // A state reset for another code size: code with this type's size.
        work.g726.bits = uint8_t(G726Bits(type));
    }
    const int words = EncodePayload(work, type, samples, count, frame + kVoiceFrameHeaderBytes);
    WriteHeader(frame, words);
    s = work;
    return 0;
}

int VoiceDecode(const VoiceProfile& p, VoiceState& s, int type, const uint8_t* frame,
                int16_t* samples, int* count) {
    if (!p.Knows(type)) return p.Error(kVoiceDecUnknownType);
    if ((frame[1] & 3) != 1) return p.Error(kVoiceDecBadHeader);
    const int words = frame[2];
    if (words == 0) return p.Error(kVoiceDecBadLength);
    const int n = DecodedSamples(type, words);
    if (n < 0) return p.Error(kVoiceDecBadLength);
    VoiceState work = s;
    work.type = uint16_t(type);
    if ((IsG726Packed(type) || type == kG726_16Words) && work.g726.bits != G726Bits(type))
        work.g726.bits = uint8_t(G726Bits(type));
    DecodePayload(work, type, frame + kVoiceFrameHeaderBytes, words, samples);
    s = work;
    *count = n;
    return 0;
}

int VoiceTransCodeReset(const VoiceProfile& p, void* state, int type) {
    if (!state) return p.Error(kVoiceNullTranscoder);
    if (type < 97 || type > 100) return p.Error(kVoiceBadTranscodeType);
    VoiceState enc, dec;
    VoiceReset(p, enc, type - 96, false);
    VoiceReset(p, dec, type - 96 + 64, true);
    StoreVoiceState(state, enc);
    StoreVoiceState(static_cast<uint8_t*>(state) + kTranscoderDecoderOffset, dec);
    return 0;
}

int VoiceTransCodeFrame(const VoiceProfile& p, void* state, uint8_t* frame) {
    if (!state) return p.Error(kVoiceNullTranscoder);
    if (!frame) return p.Error(kVoiceNullInput);
    uint8_t* decMemory = static_cast<uint8_t*>(state) + kTranscoderDecoderOffset;
    VoiceState enc = LoadVoiceState(state);
    VoiceState dec = LoadVoiceState(decMemory);
    const int encType = enc.type;
    if (encType < kAlaw || encType > kG726_16 || dec.type != encType + 64)
        return p.Error(kVoiceBadTranscodeType);
    if ((frame[1] & 3) != 1) return p.Error(kVoiceDecBadHeader);

    if (encType == kAlaw || encType == kUlaw) {
        // The pair order is all that differs.
        const int words = frame[2];
        for (int i = 0; i < words; ++i) {
            uint8_t* w = frame + kVoiceFrameHeaderBytes + 2 * i;
            const uint8_t t = w[0];
            w[0] = w[1];
            w[1] = t;
        }
        return 0;
    }

    int16_t pcm[kVoiceMaxDecodeSamples];
    int n = 0;
    int rc = VoiceDecode(p, dec, dec.type, frame, pcm, &n);
    if (rc != 0) return rc;
    uint8_t out[kVoiceMaxFrameBytes];
    rc = VoiceEncode(p, enc, encType, pcm, n, out);
    if (rc != 0) return rc;
    std::memcpy(frame, out, size_t(VoiceFrameBytes(out)));
    StoreVoiceState(state, enc);
    StoreVoiceState(decMemory, dec);
    return 0;
}

}  // namespace qv
