// Live streams end to end: the simulated device on a loopback address, the
// SDK through its exports, the deliveries checked against the clips.
#include <gtest/gtest.h>

#include "stream_fixture.h"
// after windows.h
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "annexb.h"

using namespace streamtest;

namespace {

const auto* g_env = ::testing::AddGlobalTestEnvironment(new SdkSession);

int g_nextHost = 2;
std::string NextHost() { return "127.0.3." + std::to_string(g_nextHost++); }

std::unique_ptr<devsim::Simulator> Start(devsim::Config c) {
    if (c.address == "127.0.0.1") c.address = NextHost();
    if (c.mainClip.empty()) c.mainClip = Data("d1.264");
    if (c.subClip.empty()) c.subClip = Data("cif_aud.264");
    if (c.audioFile.empty()) c.audioFile = Data(c.audioCodec == 2 ? "tone.pcmu" : "tone.pcma");
    auto sim = std::make_unique<devsim::Simulator>(c);
    if (!sim->Start()) return nullptr;
    return sim;
}

struct Session {
    int id = 0;
    explicit Session(devsim::Simulator& sim) {
        id = NET_Login(Params(sim.config().address, sim.Port()));
    }
    ~Session() {
        if (id > 0) NET_LogOut(id);
    }
};

bool Has(const std::vector<std::string>& requests, const char* method) {
    for (auto& r : requests)
        if (r.compare(0, std::strlen(method), method) == 0) return true;
    return false;
}

}  // namespace

class EndToEnd : public ::testing::TestWithParam<devsim::Packetization> {};

// Main and sub streams of one channel; the payload limit forces fragments.
TEST_P(EndToEnd, UnitsArriveWhole) {
    devsim::Config c;
    c.mode = GetParam();
    c.maxPayload = 500;
    c.fullSpeed = true;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    Session s(*sim);
    ASSERT_GT(s.id, 0);
    Collector got;
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    ASSERT_EQ(NET_StartSubStream(s.id, 0, Collector::Callback, &got), 1);
    size_t mainUnits = sim->Units(false).size(), subUnits = sim->Units(true).size();
    EXPECT_TRUE(WaitUntil([&] {
        return got.Count(0) > mainUnits + 5 && got.Count(1) > subUnits + 5;
    }, 30000)) << got.Count(0) << " main, " << got.Count(1) << " sub";
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
    EXPECT_EQ(NET_StopSubStream(s.id, 0), 1);
    auto main = got.Of(0), sub = got.Of(1);
    EXPECT_GT(ExpectUnitsInOrder(main, sim->Units(false), "main"), mainUnits);
    EXPECT_GT(ExpectUnitsInOrder(sub, sim->Units(true), "sub"), subUnits);
    for (auto& d : main) EXPECT_EQ(d.codec, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, EndToEnd,
                         ::testing::Values(devsim::Packetization::Device,
                                           devsim::Packetization::Standard));

// Audio arrives under the main-stream registration, one payload per packet,
// with the codec that the session description named.
TEST(Streams, AudioWithItsCodec) {
    for (int codec : {1, 2}) {
        devsim::Config c;
        c.audioCodec = codec;
        auto sim = Start(c);
        ASSERT_TRUE(sim);
        Session s(*sim);
        Collector got;
        ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
        ASSERT_EQ(NET_OpenSound(s.id, 0), 1);
        ASSERT_TRUE(WaitUntil([&] { return got.Count(3) >= 10; }, 10000));
        EXPECT_EQ(NET_GetAudioEncode(s.id, 0), codec);
        EXPECT_EQ(NET_CloseSound(s.id, 0), 1);
        EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
        auto tone = testsupport::ReadFileBytes(Data(codec == 2 ? "tone.pcmu" : "tone.pcma"));
        auto audio = got.Of(3);
        for (size_t i = 0; i < audio.size(); ++i) {
            EXPECT_EQ(audio[i].codec, codec);
            ASSERT_EQ(audio[i].data.size(), 320u);
            EXPECT_TRUE(std::equal(audio[i].data.begin(), audio[i].data.end(),
                                   tone.begin() + long((i % (tone.size() / 320)) * 320)))
                << "payload " << i;
        }
    }
}

// Audio without a registration under the channel's main key is dropped.
TEST(Streams, AudioWithoutRegistrationIsDropped) {
    auto sim = Start(devsim::Config());
    ASSERT_TRUE(sim);
    Session s(*sim);
    ASSERT_EQ(NET_OpenSound(s.id, 1), 1);
    ASSERT_TRUE(WaitUntil([&] { return sim->stats().unitsSent > 5; }, 5000));
    EXPECT_EQ(NET_CloseSound(s.id, 1), 1);
}

namespace {
struct FaultCase {
    const char* name;
    unsigned faults;
    bool delivers;
    const char* lastStep;  // the last request the device receives
};
}  // namespace

// Replies and framing the session must cope with, and replies that stop it.
TEST(Streams, DeviceFaults) {
    const FaultCase cases[] = {
        {"401 to DESCRIBE", devsim::kUnauthorized, false, "DESCRIBE"},
        {"SETUP reply without Session", devsim::kNoSession, false, "SETUP"},
        {"PLAY reply without RTP-Info", devsim::kNoRtpInfo, false, "PLAY"},
        {"replies in pieces", devsim::kSplitReply, true, "PLAY"},
        {"RTP with the PLAY reply", devsim::kRtpWithPlayReply, true, "PLAY"},
        {"pieces, then RTP with the PLAY reply", devsim::kSplitReply | devsim::kRtpWithPlayReply,
         true, "PLAY"},
        {"RTP-Info before Session", devsim::kRtpInfoFirst, true, "PLAY"},
        {"RTCP between RTP", devsim::kRtcp, true, "PLAY"},
        {"stray bytes between packets", devsim::kGarbage, true, "PLAY"},
    };
    for (const FaultCase& fc : cases) {
        SCOPED_TRACE(fc.name);
        devsim::Config c;
        c.faults = fc.faults;
        c.fullSpeed = true;
        c.maxPayload = 700;
        auto sim = Start(c);
        ASSERT_TRUE(sim);
        Session s(*sim);
        Collector got;
        ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
        size_t units = sim->Units(false).size();
        if (fc.delivers) {
            EXPECT_TRUE(WaitUntil([&] { return got.Count(0) > units + 2; }, 20000));
        } else {
            WaitUntil([&] { return Has(sim->Requests(), fc.lastStep); }, 5000);
            Sleep(700);
        }
        EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
        auto requests = sim->Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().substr(0, requests.back().find(' ')), fc.lastStep);
        if (fc.delivers) {
            EXPECT_GT(ExpectUnitsInOrder(got.Of(0), sim->Units(false), fc.name), units);
        } else {
            EXPECT_EQ(got.Count(0), 0u);
        }
    }
}

// A session id longer than 16 characters goes into PLAY cut to 16.
TEST(Streams, LongSessionIdIsCut) {
    devsim::Config c;
    c.faults = devsim::kLongSession;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    Session s(*sim);
    Collector got;
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    ASSERT_TRUE(WaitUntil([&] { return !sim->PlaySessions().empty(); }, 5000));
    EXPECT_EQ(sim->PlaySessions()[0], "0123456789ABCDEF");
    EXPECT_TRUE(WaitUntil([&] { return got.Count(0) > 2; }, 5000));
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
}

TEST(Streams, ConnectTimeOutGives4) {
    devsim::Config c;
    c.faults = devsim::kNoAnswer;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    Session s(*sim);
    Collector got;
    DWORD t0 = GetTickCount();
    EXPECT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 0);
    DWORD took = GetTickCount() - t0;
    EXPECT_EQ(NET_GetLastError(), 4);
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 5000u);
    // The failed main-stream start removed its registration.
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
    EXPECT_EQ(NET_GetLastError(), 47);
}

// The device closes mid-stream; the stream can be started again.
TEST(Streams, DeviceClosesMidStream) {
    devsim::Config c;
    c.faults = devsim::kCloseMidStream;
    c.faultAfterUnits = 8;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    Session s(*sim);
    Collector got;
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    ASSERT_TRUE(WaitUntil([&] { return sim->stats().openConnections == 0 && got.Count(0) >= 8; }, 10000));
    Sleep(200);
    size_t before = got.Count(0);
    EXPECT_EQ(before, 8u) << "units 0-6 and the empty first one";
    EXPECT_EQ(ExpectUnitsInOrder(got.Of(0), sim->Units(false), "before the close"), 7u);
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
    got.Clear();
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    EXPECT_TRUE(WaitUntil([&] { return got.Count(0) >= 8; }, 10000));
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
}

// A start on an open slot (the client's watchdog) ends the old session: its
// socket is closed and the new session's units arrive unmixed.
TEST(Streams, StartOnOpenSlotReplacesTheSession) {
    devsim::Config c;
    c.fullSpeed = true;
    c.maxPayload = 600;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    Session s(*sim);
    Collector got;
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    ASSERT_TRUE(WaitUntil([&] { return got.Count(0) > 10; }, 10000));
    EXPECT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    ASSERT_TRUE(WaitUntil([&] { return sim->stats().openConnections == 1; }, 5000))
        << "the old connection stayed open";
    got.Clear();
    size_t units = sim->Units(false).size();
    ASSERT_TRUE(WaitUntil([&] { return got.Count(0) > 2 * units; }, 20000));
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
    // The collection began in the middle of the new session: find unit 0.
    auto all = got.Of(0);
    size_t start = 0;
    while (start < all.size() && Nals(all[start].data) != Nals(sim->Units(false)[0])) ++start;
    ASSERT_LT(start, all.size());
    std::vector<Delivery> tail(all.begin() + long(start) - 1 + (start == 0), all.end());
    if (start == 0) tail.insert(tail.begin(), Delivery{0, 0, {}});
    tail[0].data.clear();
    EXPECT_GT(ExpectUnitsInOrder(tail, sim->Units(false), "after the restart"), units);
}

// A unit above 0x1F0000 bytes is dropped whole and never delivered cut.
TEST(Streams, OversizedUnitIsDroppedWhole) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string path = std::string(tmp) + "orvik_big_" + std::to_string(GetCurrentProcessId()) + ".264";
    Bytes clip;
    auto nal = [&](std::initializer_list<uint8_t> head, size_t fill, uint8_t value) {
        clip.insert(clip.end(), {0, 0, 0, 1});
        clip.insert(clip.end(), head);
        clip.insert(clip.end(), fill, value);
    };
    nal({0x67, 0x42, 0x00, 0x1E}, 4, 0x11);
    nal({0x68, 0xCE, 0x38, 0x80}, 0, 0);
    nal({0x65, 0x88}, 300, 0x22);
    nal({0x41, 0x9A}, 0x1F0000 + 500, 0x55);  // the oversized unit
    nal({0x41, 0x9A}, 400, 0x33);
    nal({0x41, 0x9A}, 500, 0x44);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(clip.data()), std::streamsize(clip.size()));
    }
    devsim::Config c;
    c.mainClip = path;
    c.maxPayload = 1400;
    c.fullSpeed = true;
    auto sim = Start(c);
    ASSERT_TRUE(sim);
    ASSERT_EQ(sim->Units(false).size(), 4u);
    Session s(*sim);
    Collector got;
    ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1);
    EXPECT_TRUE(WaitUntil([&] { return got.Count(0) >= 10; }, 60000));
    EXPECT_EQ(NET_StopRealPlay(s.id, 0), 1);
    DeleteFileA(path.c_str());
    auto all = got.Of(0);
    ASSERT_GE(all.size(), 4u);
    EXPECT_TRUE(all[0].data.empty());
    const auto& units = sim->Units(false);
    // Units 0, 2, 3, 0, 2, 3, ...: the big one (1) never appears.
    size_t order[] = {0, 2, 3};
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_EQ(Nals(all[i].data), Nals(units[order[(i - 1) % 3]])) << "delivery " << i << ", "
                                                                      << all[i].data.size() << " bytes";
}

namespace {
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return pmc.PrivateUsage;
}
DWORD Handles() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}
}  // namespace

// Stopping and starting a stream 200 times leaves handles and memory flat.
TEST(Streams, RestartsLeaveHandlesAndMemoryFlat) {
    auto sim = Start(devsim::Config());
    ASSERT_TRUE(sim);
    Session s(*sim);
    Collector got;
    auto cycle = [&](int i) {
        ASSERT_EQ(NET_StartRealPlay(s.id, 0, Collector::Callback, &got), 1) << i;
        if (i % 25 == 0) {
            got.Clear();
            ASSERT_TRUE(WaitUntil([&] { return got.Count(0) >= 2; }, 5000)) << i;
        }
        ASSERT_EQ(NET_StopRealPlay(s.id, 0), 1) << i;
    };
    for (int i = 0; i < 20; ++i) cycle(i);
    Sleep(300);
    DWORD handles = Handles();
    size_t memory = PrivateBytes();
    for (int i = 20; i < 200; ++i) cycle(i);
    ASSERT_TRUE(WaitUntil([&] { return sim->stats().openConnections == 0; }, 5000));
    Sleep(300);
    EXPECT_LE(Handles(), handles + 8) << "handles before " << handles;
    EXPECT_LE(PrivateBytes(), memory + 3 * 1024 * 1024) << "private bytes before " << memory;
}
