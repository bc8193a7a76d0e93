// The send ring against fake senders: ordering across the wrap, short sends,
// would-block, chunk sizes and the full-ring rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "send_ring.h"

using tarrow::SendRing;

namespace {

// A fake socket send: takes at most the next scripted count per call
// (negative = would block), recording every call and the bytes taken.
struct FakeSend {
    std::vector<int> script;  // per call; past the end: take everything
    size_t call = 0;
    std::vector<int> offered;
    std::vector<uint8_t> wire;
    int operator()(const uint8_t* p, int n) {
        offered.push_back(n);
        int take = call < script.size() ? script[call] : n;
        ++call;
        if (take < 0) return -1;
        if (take > n) take = n;
        wire.insert(wire.end(), p, p + take);
        return take;
    }
};

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t((i * 131u + seed * 7u) >> 1);
    return v;
}

// Moves the ring's positions to `at` without leaving data queued.
void Rotate(SendRing& ring, uint32_t at) {
    std::vector<uint8_t> filler(at);
    ASSERT_TRUE(ring.Push(filler.data(), at));
    FakeSend drain;
    ASSERT_EQ(ring.Flush(drain), 0);
    ASSERT_EQ(ring.Used(), 0u);
    ASSERT_EQ(ring.ReadPos(), at);
}

}  // namespace

TEST(SendRing, OneByteAlwaysStaysFree) {
    SendRing ring;
    ring.Prepare(0x8000);
    std::vector<uint8_t> big(0x8000);
    EXPECT_FALSE(ring.Push(big.data(), 0x8000));
    EXPECT_EQ(ring.Used(), 0u);
    EXPECT_TRUE(ring.Push(big.data(), 0x7FFF));
    EXPECT_EQ(ring.Used(), 0x7FFFu);
    EXPECT_EQ(ring.Free(), 1u);
    EXPECT_FALSE(ring.Push(big.data(), 1));  // nothing partial is queued
    EXPECT_EQ(ring.Used(), 0x7FFFu);
}

TEST(SendRing, PushNeedsABuffer) {
    SendRing ring;
    uint8_t b = 1;
    EXPECT_FALSE(ring.Push(&b, 1));
}

TEST(SendRing, ChunksAreAtMost1024AndStopAtTheEnd) {
    SendRing ring;
    ring.Prepare(4096);
    Rotate(ring, 3000);
    auto data = Pattern(3000, 1);
    ASSERT_TRUE(ring.Push(data.data(), 3000));  // 1096 bytes to the end, 1904 wrapped
    FakeSend fake;
    EXPECT_EQ(ring.Flush(fake), 0);
    EXPECT_EQ(fake.offered, (std::vector<int>{1024, 72, 1024, 880}));
    EXPECT_EQ(fake.wire, data);
}

// The table: where the ring starts, how much is queued, what the socket takes
// per call. Whatever the short counts, the bytes leave in order, none twice,
// none skipped, and a refusal keeps the rest queued for later.
struct ShortCase {
    const char* name;
    uint32_t start, length;
    std::vector<int> script;
};

class SendRingShort : public ::testing::TestWithParam<ShortCase> {};

TEST_P(SendRingShort, BytesLeaveInOrderExactlyOnce) {
    const ShortCase& c = GetParam();
    SendRing ring;
    ring.Prepare(4096);
    Rotate(ring, c.start);
    auto data = Pattern(c.length, c.start);
    ASSERT_TRUE(ring.Push(data.data(), c.length));

    FakeSend fake;
    fake.script = c.script;
    std::vector<uint8_t> wire;
    for (int round = 0; round < 100 && ring.Used(); ++round) {
        int r = ring.Flush(fake);
        EXPECT_EQ(ring.Used() == 0, r == 0);
        // Everything not sent is still queued.
        ASSERT_EQ(fake.wire.size() + ring.Used(), c.length);
    }
    ASSERT_EQ(ring.Used(), 0u);
    EXPECT_EQ(fake.wire, data);
    for (int n : fake.offered) EXPECT_LE(n, 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendRingShort,
    ::testing::Values(
        // The first piece of a wrapped chunk goes out short: the rest of it
        // follows, then the wrapped piece.
        ShortCase{"ShortFirstPieceOfWrap", 4000, 500, {30, 10}},
        ShortCase{"ShortThenWouldBlockAtWrap", 4000, 500, {30, -1, 20, -1}},
        ShortCase{"WouldBlockFirst", 4000, 500, {-1}},
        ShortCase{"ShortSecondPiece", 4000, 500, {96, 100, -1}},
        ShortCase{"OneByteAtATime", 4090, 40, std::vector<int>(40, 1)},
        ShortCase{"LongUnwrapped", 0, 4000, {1000, 5, -1, 1024, 3, -1}},
        ShortCase{"WrapAtExactEnd", 3072, 1024, {512, -1}},
        ShortCase{"AlmostFull", 2048, 4095, {700, 700, -1, 1, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendRing, NothingTakenEndsTheFlush) {
    SendRing ring;
    ring.Prepare(4096);
    uint8_t b[10] = {};
    ASSERT_TRUE(ring.Push(b, 10));
    int calls = 0;
    EXPECT_LT(ring.Flush([&](const uint8_t*, int) { ++calls; return 0; }), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ring.Used(), 10u);
}

TEST(SendRing, PushWrapsAndKeepsOrderWithInterleavedFlushes) {
    SendRing ring;
    ring.Prepare(1500);
    FakeSend fake;
    fake.script = {};
    std::vector<uint8_t> sent;
    uint32_t seed = 0;
    // Pushes of odd sizes, flushes that take 333 bytes at a time.
    for (int i = 0; i < 60; ++i) {
        auto d = Pattern(100 + (i * 37) % 400, ++seed);
        if (ring.Push(d.data(), uint32_t(d.size()))) sent.insert(sent.end(), d.begin(), d.end());
        FakeSend* f = &fake;
        int budget = 333;
        ring.Flush([&](const uint8_t* p, int n) {
            if (!budget) return -1;
            int t = n < budget ? n : budget;
            budget -= t;
            return (*f)(p, t);
        });
    }
    ring.Flush(fake);
    EXPECT_EQ(fake.wire, sent);
}

TEST(SendRing, PrepareEmptiesAndKeepsTheBuffer) {
    SendRing ring;
    ring.Prepare(0x8000);
    uint8_t b[100] = {};
    ASSERT_TRUE(ring.Push(b, 100));
    ring.Prepare(0x8000);
    EXPECT_EQ(ring.Used(), 0u);
    EXPECT_EQ(ring.Size(), 0x8000u);
}
