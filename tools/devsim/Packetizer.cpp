#include "Packetizer.h"

namespace devsim {

std::vector<std::vector<uint8_t>> SplitNalUnits(const uint8_t* s, size_t n) {
    std::vector<std::vector<uint8_t>> units;
    std::vector<size_t> begins, ends;
    for (size_t i = 0; i + 3 <= n; ++i) {
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
            size_t sc = i > 0 && s[i - 1] == 0 ? i - 1 : i;
            if (!begins.empty()) ends.push_back(sc);
            begins.push_back(i + 3);
            i += 2;
        }
    }
    ends.push_back(n);
    for (size_t k = 0; k < begins.size(); ++k) {
        size_t e = ends[k];
        while (e > begins[k] && s[e - 1] == 0 && k + 1 < begins.size()) --e;  // trailing zeros
        if (e > begins[k]) units.emplace_back(s + begins[k], s + e);
    }
    return units;
}

void PacketizeNal(const std::vector<uint8_t>& nal, bool lastOfUnit, Packetization mode,
                  size_t maxPayload, std::vector<Payload>& out) {
    if (nal.empty()) return;
    const uint8_t h = nal[0];
    const int type = h & 0x1F;
    if (mode == Packetization::Device) {
        bool withStartCode = type == 7 || type == 8 || nal.size() < 2 || nal[1] == 0;
        size_t whole = nal.size() + (withStartCode ? 4 : 0);
        if (whole <= maxPayload) {
            Payload p{{}, true};
            if (withStartCode) p.bytes = {0, 0, 0, 1};
            p.bytes.insert(p.bytes.end(), nal.begin(), nal.end());
            out.push_back(std::move(p));
            return;
        }
        // Fragments: the first carries "00 01" and the NAL header after its
        // indicator and header, standing in for a 4-byte start code.
        const uint8_t ind = uint8_t((h & 0x60) | 28);
        size_t pos = 1;
        bool first = true;
        while (pos < nal.size()) {
            Payload p{{ind, uint8_t(h & 0x1F)}, false};
            if (first) {
                p.bytes[1] |= 0x80;
                p.bytes.push_back(0);
                p.bytes.push_back(1);
                p.bytes.push_back(h);
            }
            size_t room = maxPayload - p.bytes.size();
            size_t take = nal.size() - pos < room ? nal.size() - pos : room;
            p.bytes.insert(p.bytes.end(), nal.begin() + long(pos), nal.begin() + long(pos + take));
            pos += take;
            if (pos == nal.size()) {
                p.bytes[1] |= 0x40;
                p.marker = true;
            }
            first = false;
            out.push_back(std::move(p));
        }
        return;
    }
    if (nal.size() <= maxPayload) {
        out.push_back(Payload{nal, lastOfUnit});
        return;
    }
    const uint8_t ind = uint8_t((h & 0x60) | 28);
    size_t pos = 1;
    bool first = true;
    while (pos < nal.size()) {
        Payload p{{ind, uint8_t(h & 0x1F)}, false};
        if (first) p.bytes[1] |= 0x80;
        size_t room = maxPayload - 2;
        size_t take = nal.size() - pos < room ? nal.size() - pos : room;
        p.bytes.insert(p.bytes.end(), nal.begin() + long(pos), nal.begin() + long(pos + take));
        pos += take;
        if (pos == nal.size()) {
            p.bytes[1] |= 0x40;
            p.marker = lastOfUnit;
        }
        first = false;
        out.push_back(std::move(p));
    }
}

void AppendInterleavedRtp(std::vector<uint8_t>& out, int channel, bool marker, uint8_t payloadType,
                          uint16_t sequence, uint32_t timestamp, uint32_t ssrc,
                          const uint8_t* payload, size_t size) {
    size_t length = 12 + size;
    const uint8_t head[16] = {'$', uint8_t(channel), uint8_t(length >> 8), uint8_t(length),
                              0x80, uint8_t((marker ? 0x80 : 0) | (payloadType & 0x7F)),
                              uint8_t(sequence >> 8), uint8_t(sequence),
                              uint8_t(timestamp >> 24), uint8_t(timestamp >> 16),
                              uint8_t(timestamp >> 8), uint8_t(timestamp),
                              uint8_t(ssrc >> 24), uint8_t(ssrc >> 16), uint8_t(ssrc >> 8),
                              uint8_t(ssrc)};
    out.insert(out.end(), head, head + 16);
    out.insert(out.end(), payload, payload + size);
}

}  // namespace devsim
