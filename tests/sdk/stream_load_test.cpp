// Load: 36 simulated devices on distinct loopback addresses, each with a
// main and a sub stream at the clips' frame rate, for 20 seconds. Every
// delivered unit is checked against the clip, in order.
#include <gtest/gtest.h>

#include <memory>

#include "stream_fixture.h"

using namespace streamtest;

namespace {

struct Checker {
    std::vector<std::vector<Bytes>> expected;  // NAL units of each clip unit
    size_t next = 0;
    bool first = true;
    volatile LONG good = 0, bad = 0, firstNotEmpty = 0;

    static void CALLBACK On(unsigned char* data, int length, int, int, void* user) {
        auto* c = static_cast<Checker*>(user);
        if (c->first) {
            c->first = false;
            if (length != 0) InterlockedIncrement(&c->firstNotEmpty);
            return;
        }
        Bytes unit(data, data + length);
        if (Nals(unit) == c->expected[c->next % c->expected.size()])
            InterlockedIncrement(&c->good);
        else
            InterlockedIncrement(&c->bad);
        ++c->next;
    }
};

std::vector<std::vector<Bytes>> Expected(const std::vector<Bytes>& units) {
    std::vector<std::vector<Bytes>> out;
    for (const Bytes& u : units) out.push_back(Nals(u));
    return out;
}

}  // namespace

TEST(StreamLoad, ThirtySixDevicesTwentySeconds) {
    constexpr int kDevices = 36;
    constexpr DWORD kRunMs = 20000;
    ASSERT_EQ(NET_Init(), 1);
    std::vector<std::unique_ptr<devsim::Simulator>> sims;
    std::vector<int> ids;
    std::vector<std::unique_ptr<Checker>> checkers;
    for (int i = 0; i < kDevices; ++i) {
        devsim::Config c;
        c.address = "127.0.4." + std::to_string(i + 2);
        c.mainClip = Data("d1.264");
        c.subClip = Data("cif_aud.264");
        c.mode = i % 2 ? devsim::Packetization::Standard : devsim::Packetization::Device;
        c.maxPayload = 1400;
        sims.push_back(std::make_unique<devsim::Simulator>(c));
        ASSERT_TRUE(sims.back()->Start()) << c.address;
        int id = NET_Login(Params(c.address, sims.back()->Port()));
        ASSERT_GT(id, 0);
        ids.push_back(id);
    }
    for (int i = 0; i < kDevices; ++i) {
        for (int sub = 0; sub < 2; ++sub) {
            auto ck = std::make_unique<Checker>();
            ck->expected = Expected(sims[i]->Units(sub != 0));
            if (sub)
                ASSERT_EQ(NET_StartSubStream(ids[i], 0, Checker::On, ck.get()), 1);
            else
                ASSERT_EQ(NET_StartRealPlay(ids[i], 0, Checker::On, ck.get()), 1);
            checkers.push_back(std::move(ck));
        }
    }
    Sleep(kRunMs);
    // The devices stop first; what they sent is still received and delivered.
    for (auto& s : sims) s->Stop();
    Sleep(1500);
    for (int i = 0; i < kDevices; ++i) {
        EXPECT_EQ(NET_StopRealPlay(ids[i], 0), 1);
        EXPECT_EQ(NET_StopSubStream(ids[i], 0), 1);
    }
    long good = 0;
    unsigned long long sent = 0;
    for (size_t k = 0; k < checkers.size(); ++k) {
        const Checker& c = *checkers[k];
        EXPECT_EQ(c.bad, 0) << "stream " << k;
        EXPECT_EQ(c.firstNotEmpty, 0) << "stream " << k;
        good += c.good;
    }
    for (auto& s : sims) sent += s->stats().unitsSent;
    for (int id : ids) NET_LogOut(id);
    NET_Cleanup();
    // Each stream delivers everything sent but the unit still gathering.
    EXPECT_GE(good + long(checkers.size()), long(sent) - long(checkers.size()))
        << good << " units delivered intact of " << sent << " sent";
    std::printf("load: %ld units intact, %llu sent, %d streams\n", good, sent, int(checkers.size()));
}
