// Writes the seeds of a fuzz target from the fixtures: sessions of RTSP
// replies and interleaved RTP cut by the device simulator's packetiser,
// record files of both layouts built from the H.264 clips and the tone,
// frame-builder scripts, voice frames of every codec type made by the
// encoder, configuration images, skin bitmaps, and the UDP command
// channel's requests (the client's builders) and replies (the device
// simulator's responder), remote playback sessions, stored plans and map
// files.
//   fuzz_seeds TARGET DIR
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Packetizer.h"
#include "RecordFormat.h"
#include "RecordFrameBuilder.h"
#include "UdpResponder.h"
#include "annexb.h"
#include "config_image.h"
#include "player_core.h"
#include "udp_packets.h"
#include "voice_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string g_dir;
int g_count = 0;

void Write(const Bytes& b) {
    char name[64];
    std::snprintf(name, sizeof name, "/seed%03d", ++g_count);
    FILE* f = std::fopen((g_dir + name).c_str(), "wb");
    if (!f || std::fwrite(b.data(), 1, b.size(), f) != b.size()) {
        std::perror(name);
        std::exit(1);
    }
    std::fclose(f);
}

Bytes Fixture(const char* name) {
    return testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name);
}

std::vector<Bytes> Units(const char* clip, size_t most) {
    auto units = testsupport::SplitAccessUnits(Fixture(clip));
    if (units.size() > most) units.resize(most);
    return units;
}

void Append(Bytes& to, const std::string& s) { to.insert(to.end(), s.begin(), s.end()); }

// ---------------------------------------------------------------- RTSP
Bytes Replies(bool audio) {
    Bytes b;
    std::string sdp = "v=0\r\no=- 0 0 IN IP4 169.254.10.2\r\ns=Device\r\nt=0 0\r\n";
    if (audio)
        sdp += "m=audio 0 RTP/AVP 8\r\na=rtpmap:8 PCMA/8000\r\na=control:track1\r\n";
    else
        sdp += "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\na=framesize:96 704-576\r\n"
               "a=framerate:25\r\na=control:track1\r\n";
    Append(b, "RTSP/1.0 200 OK\r\nCSeq: 0\r\nPublic: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n\r\n");
    Append(b, "RTSP/1.0 200 OK\r\nCSeq: 1\r\nContent-Type: application/sdp\r\nContent-Length: " +
                  std::to_string(sdp.size()) + "\r\n\r\n" + sdp);
    Append(b, "RTSP/1.0 200 OK\r\nCSeq: 2\r\nTransport: RTP/AVP/TCP;unicast;interleaved=0-1\r\n"
              "Session: 12345678\r\n\r\n");
    Append(b, "RTSP/1.0 200 OK\r\nCSeq: 3\r\nSession: 12345678\r\n"
              "RTP-Info: url=rtsp://169.254.10.2:554/ch01_00.h264;seq=0;rtptime=0\r\n\r\n");
    return b;
}

Bytes Rtp(const char* clip, devsim::Packetization mode, size_t maxPayload, size_t limit) {
    Bytes out;
    uint16_t seq = 0;
    uint32_t ts = 0;
    for (const Bytes& unit : Units(clip, 40)) {
        auto nals = devsim::SplitNalUnits(unit.data(), unit.size());
        for (size_t i = 0; i < nals.size(); ++i) {
            std::vector<devsim::Payload> payloads;
            devsim::PacketizeNal(nals[i], i + 1 == nals.size(), mode, maxPayload, payloads);
            for (const auto& p : payloads)
                devsim::AppendInterleavedRtp(out, 0, p.marker, 96, seq++, ts, 0x1234, p.bytes.data(),
                                             p.bytes.size());
        }
        ts += 3600;
        if (out.size() > limit) break;
    }
    return out;
}

void RtspSeeds() {
    const uint8_t unitLimits[] = {0, 8, 255};
    int k = 0;
    for (auto mode : {devsim::Packetization::Device, devsim::Packetization::Standard}) {
        for (size_t maxPayload : {size_t(1400), size_t(200)}) {
            Bytes stream = Rtp(k % 2 ? "crop_24x18.264" : "cif_noaud.264", mode, maxPayload, 20000);
            for (int flags = 0; flags < 2; ++flags) {
                Bytes seed = {uint8_t(flags), uint8_t(17 * ++k), uint8_t(k), unitLimits[k % 3]};
                if (flags == 0) {
                    Bytes r = Replies(false);
                    seed.insert(seed.end(), r.begin(), r.end());
                }
                seed.insert(seed.end(), stream.begin(), stream.end());
                Write(seed);
            }
        }
    }
    // Audio: PCMA payloads on channel 0, and RTCP-like packets on channel 1.
    Bytes tone = Fixture("tone.pcma");
    Bytes seed = {0, 5, 9, 255};
    Bytes r = Replies(true);
    seed.insert(seed.end(), r.begin(), r.end());
    for (int i = 0; i < 20; ++i) {
        devsim::AppendInterleavedRtp(seed, i % 5 == 4 ? 1 : 0, true, 8, uint16_t(i), uint32_t(i * 320), 0x99,
                                     tone.data() + 320 * i, 320);
    }
    Write(seed);
}

// ---------------------------------------------------------------- record files
Bytes ClientRecordFile(const char* clip, size_t limit, bool withAudio) {
    Bytes file(record::kRecordFileHeaderSize);
    record::StoreRecordFileHeader(record::MakeRecordFileHeader(false), file.data());
    Bytes tone = Fixture("tone.pcma");
    record::CRecordFrameBuilder builder;
    uint32_t number = 0;
    size_t toneAt = 0;
    for (const Bytes& unit : Units(clip, 60)) {
        if (withAudio) {
            for (int i = 0; i < 2 && toneAt + 320 <= tone.size(); ++i, toneAt += 320)
                builder.AddAudio(tone.data() + toneAt, 320);
        }
        if (builder.AddVideo(unit.data(), unit.size()) != record::BuildResult::FrameBuilt) continue;
        Bytes frame(builder.Frame(), builder.Frame() + builder.FrameSize());
        record::RecordFrameHeader h = record::LoadRecordFrameHeader(frame.data());
        h.frameNumber = ++number;
        record::StoreRecordFrameHeader(h, frame.data());
        file.insert(file.end(), frame.begin(), frame.end());
        builder.Restart(withAudio ? record::kAudioPcma : record::kAudioNone);
        if (file.size() > limit) break;
    }
    return file;
}

Bytes PlayerRecordFile(const char* clip, size_t limit, bool withAudio) {
    Bytes file(32);
    record::RecordFileHeader h = record::MakeRecordFileHeader(false);
    h.hasAudio = withAudio;
    record::StoreRecordFileHeader(h, file.data());
    Bytes tone = Fixture("tone.pcma");
    uint32_t number = 0;
    for (const Bytes& unit : Units(clip, 60)) {
        const uint32_t audio = withAudio ? 320 : 0;
        const bool key = record::IsKeyFrameUnit(unit.data(), unit.size());
        quillon::PlayerFrameHeader fh{quillon::kFrameSync,
                                      quillon::MakeFrameInfo(key ? 1 : 0, uint32_t(unit.size()), audio),
                                      ++number, 0};
        uint8_t raw[16];
        quillon::StoreFrameHeader(fh, raw);
        file.insert(file.end(), raw, raw + 16);
        file.insert(file.end(), unit.begin(), unit.end());
        file.insert(file.end(), tone.begin(), tone.begin() + audio);
        if (file.size() > limit) break;
    }
    return file;
}

void RecordFileSeeds() {
    Write(ClientRecordFile("cif_aud.264", 40000, true));
    Write(ClientRecordFile("crop_24x18.264", 40000, false));
    Write(ClientRecordFile("d1.264", 60000, true));
}

void PlayerReaderSeeds() {
    int k = 0;
    for (const char* clip : {"cif_aud.264", "crop_24x18.264", "d1.264"}) {
        Bytes f = PlayerRecordFile(clip, 50000, k != 1);
        Bytes seed = {uint8_t(k), uint8_t(k * 3 + 1), uint8_t(200 * k)};
        seed.insert(seed.end(), f.begin(), f.end());
        Write(seed);
        ++k;
    }
}

// ---------------------------------------------------------------- frame builder
void Op(Bytes& s, uint8_t op, const uint8_t* p, size_t n) {
    s.push_back(op);
    s.push_back(uint8_t(n));
    s.push_back(uint8_t(n >> 8));
    s.insert(s.end(), p, p + n);
}

void RecordFrameSeeds() {
    Bytes tone = Fixture("tone.pcmu");
    for (const char* clip : {"cif_aud.264", "crop_24x18.264"}) {
        Bytes s = {record::kAudioPcmu};
        size_t at = 0;
        for (const Bytes& unit : Units(clip, 12)) {
            Op(s, 1, tone.data() + at, 160);
            at += 160;
            Op(s, 0, unit.data(), unit.size() < 0xFFFF ? unit.size() : 0xFFFF);
            uint8_t restart = record::kAudioPcmu;
            Op(s, 2, &restart, 1);
        }
        Write(s);
    }
    // Large units and audio from the pool, and restarts of the audio.
    Bytes s = {0};
    const uint8_t big[] = {0, 0, 0, 1, 0x67, 0x42};
    Op(s, 4 | 1, big, 6);
    Op(s, 4 | 0, big, 6);
    Op(s, 1, big, 6);
    Write(s);
    // Names: addresses and channel names.
    for (const char* name : {"192.168.1.20", "Channel-1", "CON", "lpt1.txt", "a..b", "Gate: north?", "x. ",
                             "com\xB9", "COM0"}) {
        Bytes n = {0};
        Op(n, 3, reinterpret_cast<const uint8_t*>(name), std::strlen(name));
        Write(n);
    }
}

// ---------------------------------------------------------------- voice
void VoiceSeeds() {
    Bytes input = Fixture("voice/input.s16");
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 35, 36, 37, 38, 39, 65, 66, 67, 68};
    for (size_t t = 0; t < sizeof types / sizeof *types; ++t) {
        for (int build = 0; build < 2; ++build) {
            const qv::VoiceProfile& profile = build ? qv::kPlayerVoiceProfile : qv::kSdkVoiceProfile;
            if (!profile.Knows(types[t])) continue;
            qv::VoiceState s;
            qv::VoiceReset(profile, s, types[t], false);
            Bytes seed = {uint8_t(build), uint8_t(t)};
            for (int f = 0; f < 6; ++f) {
                uint8_t frame[qv::kVoiceMaxFrameBytes];
                const int16_t* samples = reinterpret_cast<const int16_t*>(input.data()) + 160 * f;
                const int count = types[t] == 35 ? 161 : 160;
                if (qv::VoiceEncode(profile, s, types[t], samples, count, frame) != 0) break;
                seed.insert(seed.end(), frame, frame + qv::VoiceFrameBytes(frame));
            }
            Write(seed);
        }
    }
}

// ---------------------------------------------------------------- configuration
void ConfigSeeds() {
    auto sys = std::make_unique<shell::SystemConfigImage>();
    shell::ResetSysConfig(*sys);
    sys->splitLayout = 3;
    shell::DeviceRecord& d = sys->devices[0];
    d.inUse = 1;
    std::strcpy(d.address, "169.254.10.2");
    std::strcpy(d.serverName, "Gate");
    std::strcpy(d.userName, "admin");
    d.channelCount = 16;
    sys->channels[0].deviceRef = 1;
    sys->windows[0].count = 2;
    sys->windows[0].slots[1] = 1;
    Bytes a = {0};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(sys.get());
    a.insert(a.end(), p, p + sizeof *sys);
    Write(a);
    Bytes wrong = {2};
    wrong.insert(wrong.end(), p, p + 4000);
    Write(wrong);

    auto plans = std::make_unique<shell::PlanImage>();
    std::memset(plans.get(), 0, sizeof *plans);
    shell::PlanSlot& slot = plans->slots[0];
    slot.used = 1;
    slot.layoutKind = 4;
    std::strcpy(slot.date, "2026-12-10");
    std::strcpy(slot.userName, "admin");
    std::strcpy(slot.name, "Night");
    slot.windows[0].used = 1;
    slot.windows[0].channels[0].used = 1;
    std::strcpy(slot.windows[0].channels[0].address, "169.254.10.2");
    Bytes b = {1};
    const uint8_t* q = reinterpret_cast<const uint8_t*>(&plans->slots[0]);
    b.insert(b.end(), q, q + sizeof slot);
    Write(b);
}

// ---------------------------------------------------------------- skin bitmaps
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A packed DIB: the information header, colour table or masks, and bits.
Bytes Dib(int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t colours, const Bytes& pixels) {
    Bytes b(40);
    Put32(b, 0, 40);
    Put32(b, 4, uint32_t(w));
    Put32(b, 8, uint32_t(h));
    b[12] = 1;
    b[14] = uint8_t(bits);
    Put32(b, 16, compression);
    Put32(b, 20, compression == 1 || compression == 2 ? uint32_t(pixels.size()) : 0);
    Put32(b, 32, colours);
    size_t table = bits <= 8 ? 4 * (colours ? colours : 1u << bits) : compression == 3 ? 12 : 0;
    for (size_t i = 0; i < table; ++i) b.push_back(uint8_t(i * 37));
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

void DibSeeds() {
    Write(Dib(13, 7, 24, 0, 0, Bytes(40 * 7, 0x30)));
    Write(Dib(8, -4, 8, 0, 2, Bytes(8 * 4, 1)));
    Write(Dib(4, 4, 8, 1, 2, Bytes{4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1}));
    Write(Dib(8, 2, 4, 2, 16, Bytes{8, 0x12, 0, 0, 8, 0x34, 0, 1}));
    Write(Dib(32, 3, 1, 0, 0, Bytes(4 * 3, 0xA5)));
    Write(Dib(5, 5, 16, 3, 0, Bytes(12 * 5, 0x7C)));
    Write(Dib(3, -3, 32, 0, 0, Bytes(12 * 3, 0x80)));
}

// The client's requests, one of each kind, with the blocks a device holds.
std::vector<Bytes> UdpRequests(const devsim::UdpResponder& r) {
    std::vector<Bytes> q = {shell::BuildRegionGet(0), shell::BuildRegionGet(3), shell::BuildSensorGet(1),
                            shell::BuildStreamGet(), shell::BuildNetworkGet(), shell::BuildItemListGet(),
                            shell::BuildReboot(), shell::BuildStreamStarted(2, 1),
                            shell::BuildRecordSearch(1, 0, 1000, 5000), shell::BuildRecordSearch(2, 0xFF, 0, 0xFFFFFFFFu),
                            shell::BuildPtz(shell::UDPPTZ_SET_PRESET, 1, 7)};
    Bytes region = r.RegionBlock(0, 1), sensor = r.SensorBlock(0, 2), stream = r.StreamBlock(0),
          network = r.NetworkBlock(0);
    region[8] ^= 0x55;
    stream[22] = 12;
    network[104] = 'w';
    q.push_back(shell::BuildRegionSet(region.data()));
    q.push_back(shell::BuildSensorSet(sensor.data()));
    q.push_back(shell::BuildStreamSet(stream.data()));
    q.push_back(shell::BuildNetworkSet(network.data()));
    return q;
}

devsim::UdpResponder SeedResponder() {
    devsim::UdpResponder r({0xA9FE0102u, 0xA9FE0103u}, 4);
    for (uint32_t i = 0; i < 130; ++i) r.AddRecordTime(0, {uint8_t(1 + i % 2), uint8_t(i % 3), 1000 + 60 * i, 1030 + 60 * i});
    return r;
}

// Datagrams a device sends, each behind the control byte.
void UdpSeeds() {
    devsim::UdpResponder r = SeedResponder();
    int k = 0;
    auto put = [&](const Bytes& dg) {
        Bytes seed = {uint8_t(k++ * 37)};
        seed.insert(seed.end(), dg.begin(), dg.end());
        Write(seed);
    };
    put(r.Announcement(0));
    put(devsim::UdpResponder::AlarmReport(1, 2, 1));
    for (const Bytes& q : UdpRequests(r))
        for (const devsim::UdpOut& o : r.Receive(0, 0xA9FE0101u, 8001, q.data(), q.size())) put(o.bytes);
}

// Request sequences: control byte, record times, then length-prefixed datagrams.
void DevsimUdpSeeds() {
    devsim::UdpResponder r = SeedResponder();
    const std::vector<Bytes> q = UdpRequests(r);
    const uint8_t controls[] = {0x60, 0x61, 0x20 | devsim::kUdpOtherAddress, 0x04, 0xE0 | devsim::kUdpType66};
    for (uint8_t c : controls) {
        Bytes seed = {c, 3};
        for (int i = 0; i < 3; ++i) {
            const uint8_t t[10] = {uint8_t(1 + i % 2), uint8_t(i), 0, 0, uint8_t(i), 0, 0, 0, uint8_t(i + 1), 0};
            seed.insert(seed.end(), t, t + 10);
        }
        for (const Bytes& d : q) {
            seed.push_back(uint8_t(d.size()));
            seed.insert(seed.end(), d.begin(), d.end());
        }
        Write(seed);
    }
}

// A remote record's times, the file asked for, then the device's open reply,
// data in pieces and progress reports for it.
void RemotePlaySeeds() {
    auto u16 = [](Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](Bytes& b, uint32_t v) { u16(b, v & 0xFFFF); u16(b, v >> 16); };
    const std::string names[] = {"ch01_20261210_081500.264", "A.264", std::string(64, 'n')};
    for (int k = 0; k < 3; ++k) {
        Bytes seed;
        const int times[] = {2026, 12, 10, 8, 15, 0, 2026, 12, 10 + k, 9 - k, 5, 30};
        for (int t : times) u16(seed, uint32_t(t));
        seed.push_back(uint8_t(names[k].size()));
        seed.insert(seed.end(), names[k].begin(), names[k].end());
        auto message = [&](uint8_t code, const Bytes& m) {
            seed.push_back(code);
            u16(seed, uint32_t(m.size()));
            seed.insert(seed.end(), m.begin(), m.end());
        };
        Bytes open(81, 0);
        std::memcpy(&open[8], names[k].data(), names[k].size() < 65 ? names[k].size() : 64);
        open[77] = uint8_t(7 + k);
        message(0, open);
        for (uint32_t piece = 0; piece < 4; ++piece) {
            Bytes data;
            u32(data, 0);
            u32(data, 16 + 100 * piece);
            u32(data, uint32_t(7 + k));
            u32(data, piece / 2);
            for (uint32_t i = 0; i < 100 * piece; ++i) data.push_back(uint8_t(i * 13));
            message(1, data);
        }
        Bytes progress;
        u32(progress, 0);
        u32(progress, 20);
        u32(progress, uint32_t(7 + k));
        u32(progress, 61);
        u32(progress, 250);
        message(2, progress);
        Write(seed);
    }
}

// A preview plan slot in use with channels in some windows, one not
// playable, and schedules with edits.
void PlansSeeds() {
    for (int k = 0; k < 2; ++k) {
        std::unique_ptr<shell::PlanSlot> slot(new shell::PlanSlot());
        std::memset(slot.get(), 0, sizeof *slot);
        slot->used = 1;
        slot->layoutKind = k ? 11u : 3u;
        std::strcpy(slot->date, "2026-12-10");
        std::strcpy(slot->userName, "admin");
        std::strcpy(slot->name, "Lobby");
        for (int w = 0; w < 36; w += 5) {
            slot->windows[w].used = 1;
            slot->windows[w].record = uint8_t(w % 2);
            for (int c = 0; c < 20; c += 1 + w % 3) {
                slot->windows[w].channels[c].used = 1;
                slot->windows[w].channels[c].channel = uint32_t(c % 4);
                std::snprintf(slot->windows[w].channels[c].address, 64, "169.254.1.%d", 2 + c);
            }
        }
        Bytes seed = {0};
        const uint8_t* b = reinterpret_cast<const uint8_t*>(slot.get());
        seed.insert(seed.end(), b, b + sizeof *slot);
        Write(seed);
    }
    for (int k = 0; k < 2; ++k) {
        Bytes seed = {1, uint8_t(5 + k)};
        for (int day = 0; day < 7; ++day)
            for (int e = 0; e < 4; ++e) {
                const uint8_t entry[8] = {uint8_t(e < day % 5), uint8_t(e * 6), 0, uint8_t(e * 6 + 5), 30, 1, 0, 0};
                seed.insert(seed.end(), entry, entry + 8);
            }
        const uint8_t ops[] = {0, uint8_t(5 + k), 2, 1, 0,  1, uint8_t(5 + k), 3, 0, 0x7F,
                               2, uint8_t(5 + k), 0, 3, 0x55, 0, 200, 2, 1, 0};
        seed.insert(seed.end(), ops, ops + sizeof ops);
        Write(seed);
    }
}

// ---------------------------------------------------------------- EMAP.INI
// Map files of a root and maps below it, with icon lists short and long
// (one far over 10,000 bytes), short entries, junk and a far position.
void EmapSeeds() {
    struct Section {
        const char* id;
        const char* picture;
        std::string camer, probe;
    };
    std::string many;
    for (int i = 0; i < 600; ++i) many += (i ? "|" : "") + std::to_string(i * 7 % 800) + "," + std::to_string(i * 3 % 600) + "," + std::to_string(1 + i % 16) + ",5";
    const std::vector<std::vector<Section>> files = {
        {{"0", "", "0", "0"}, {"7", "floor.bmp", "10,20,3,5|50,60,1,5", "7,8,2"}, {"9", "yard.jpg", "1,2,4,9", ""}},
        {{"0", "", "", ""}, {"3", "C:\\maps\\yard.jpg", "||1,2,3,4||10,20,3|a,b,c,d", "1,2|-5,+6,1"}},
        {{"0", "", "", ""}, {"4", "big.bmp", many, "5,5,1|9,9,2"}},
        {{"0", "", "", ""}, {"5", "far.bmp", "2147483647,10,1,1|10,-99999999,2,1", "1000000,-1000000,3"}},
        {{"0", "", "", ""}, {"-1", "gone.bmp", "1,2,3,4", ""}, {"6", "gone.bmp", "1,2,3,4", ""}},
    };
    for (size_t k = 0; k < files.size(); ++k) {
        const auto& f = files[k];
        // Sections, the looked-up section, sizes (reference, now) and a drag point.
        Bytes seed = {uint8_t(f.size() - 1), uint8_t(f.size() > 1 ? 1 : 0), 0x20, 3, 0x58, 2, 0x40, 6, 0x84, 3,
                      uint8_t(0x20 + k), 1, 0x80, 1};
        for (const Section& s : f)
            for (const std::string& v : {std::string(s.id), std::string(s.picture), s.camer, s.probe}) {
                Append(seed, v);
                seed.push_back(0);
            }
        Write(seed);
    }
    // A value repeated past 10,000 bytes: "1,2,3,4|" 200 * 64 times.
    Bytes seed = {1, 1, 0x20, 3, 0x58, 2, 0x20, 3, 0x58, 2, 0, 1, 0, 1};
    for (const char* v : {"0", "", "", ""}) {
        Append(seed, v);
        seed.push_back(0);
    }
    Append(seed, "8");
    seed.push_back(0);
    Append(seed, "rep.bmp");
    seed.push_back(0);
    seed.push_back(1);
    seed.push_back(199);
    Append(seed, "1,2,3,4|");
    seed.push_back(0);
    Append(seed, "3,4,5");
    Write(seed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds TARGET DIR\n");
        return 2;
    }
    const std::string target = argv[1];
    g_dir = argv[2];
    if (target == "rtsp_fuzz") RtspSeeds();
    else if (target == "record_file_fuzz") RecordFileSeeds();
    else if (target == "record_frames_fuzz") RecordFrameSeeds();
    else if (target == "player_reader_fuzz") PlayerReaderSeeds();
    else if (target == "voice_fuzz") VoiceSeeds();
    else if (target == "config_fuzz") ConfigSeeds();
    else if (target == "dib_fuzz") DibSeeds();
    else if (target == "udp_fuzz") UdpSeeds();
    else if (target == "plans_fuzz") PlansSeeds();
    else if (target == "remote_play_fuzz") RemotePlaySeeds();
    else if (target == "devsim_udp_fuzz") DevsimUdpSeeds();
    else if (target == "emap_fuzz") EmapSeeds();
    else {
        std::fprintf(stderr, "fuzz_seeds: no seeds for %s\n", target.c_str());
        return 1;
    }
    return 0;
}
