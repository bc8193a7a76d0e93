// How the simulated devices cut H.264 NAL units into RTP payloads. Pure
// functions over byte buffers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devsim {

enum class Packetization {
    Device,    // the devices' own: every single NAL unit and last fragment
               // marked, fragments carry a start code, SPS/PPS a start code
    Standard,  // RFC 6184 non-interleaved: single NAL units and FU-A, the
               // marker only on an access unit's last packet
};

struct Payload {
    std::vector<uint8_t> bytes;
    bool marker;
};

// The NAL units of an Annex-B access unit, without their start codes.
std::vector<std::vector<uint8_t>> SplitNalUnits(const uint8_t* data, size_t size);

// Appends the RTP payloads of one NAL unit. maxPayload >= 3.
void PacketizeNal(const std::vector<uint8_t>& nal, bool lastOfUnit, Packetization mode,
                  size_t maxPayload, std::vector<Payload>& out);

// RTP packet: 12-byte header and payload, framed as interleaved channel ch.
void AppendInterleavedRtp(std::vector<uint8_t>& out, int channel, bool marker, uint8_t payloadType,
                          uint16_t sequence, uint32_t timestamp, uint32_t ssrc,
                          const uint8_t* payload, size_t size);

}  // namespace devsim
