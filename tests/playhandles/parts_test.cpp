// The access-unit cutter, the ring of access units and the overlay
// geometry of a play handle.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "annexb.h"
#include "media/RingBufferH264.h"
#include "media/SDKObject.h"
#include "qv_bitstream.h"

using Bytes = std::vector<uint8_t>;

namespace {

// Feeds pushes through a gather buffer the way a play handle does and
// returns the units cut.
std::vector<Bytes> CutPushes(const std::vector<Bytes>& pushes) {
    Bytes gather(1 << 20), au(1 << 20);
    int held = 0;
    std::vector<Bytes> out;
    for (const Bytes& p : pushes) {
        std::memcpy(gather.data() + held, p.data(), p.size());
        held += int(p.size());
        QV_BITSTREAM s{gather.data(), gather.data() + held, gather.data(), au.data(), 0, 0};
        int consumed = 0;
        while (qvdec::LoadAccessUnit(&s) == 0) {
            out.emplace_back(au.begin(), au.begin() + s.auLength);
            consumed += s.used;
        }
        EXPECT_EQ(s.cursor - gather.data(), consumed);
        held -= consumed;
        std::memmove(gather.data(), gather.data() + consumed, size_t(held));
    }
    return out;
}

Bytes Nal(int type, bool fourByte, std::initializer_list<uint8_t> body) {
    Bytes b = fourByte ? Bytes{0, 0, 0, 1} : Bytes{0, 0, 1};
    b.push_back(uint8_t(0x60 | type));
    b.insert(b.end(), body);
    return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

}  // namespace

// A stream of units: [AUD SPS PPS SEI IDR] [P P(second slice)] [SPS PPS IDR] [AUD P] [P] and a
// trailing P that only completes when the next unit starts.
TEST(Cutter, TableOfSplitPushes) {
    const Bytes u0 = Cat({Nal(9, true, {0x10}), Nal(7, true, {0x42, 0, 0x1e}), Nal(8, false, {0xce}),
                          Nal(6, false, {5, 1, 0xff}), Nal(5, false, {0x88, 1, 2, 3})});
    const Bytes u1 = Cat({Nal(1, true, {0x9a, 7, 7}), Nal(1, false, {0x20, 8, 8})});  // 2nd slice: first_mb != 0
    const Bytes u2 = Cat({Nal(7, false, {0x42, 0, 0x1e}), Nal(8, true, {0xce}), Nal(5, true, {0x88, 9})});
    const Bytes u3 = Cat({Nal(9, false, {0x30}), Nal(1, false, {0x9a, 0, 0, 0, 5})});
    const Bytes u4 = Nal(1, true, {0x9a, 4});
    const Bytes tail = Nal(1, true, {0x9a, 6});
    const Bytes garbage = {0x12, 0x34};
    const Bytes all = Cat({garbage, u0, u1, u2, u3, u4, tail});
    const std::vector<Bytes> want = {u0, u1, u2, u3, u4};

    struct Case {
        const char* name;
        std::vector<size_t> cuts;  // offsets where one push ends and the next begins
    };
    std::vector<Case> cases = {
        {"whole", {}},
        {"byte by byte", {}},
        {"inside a 4-byte start code", {garbage.size() + u0.size() + 2}},
        {"after 00 00 of a 3-byte start code", {garbage.size() + 8 + 2}},
        {"between header and first_mb byte", {garbage.size() + u0.size() + 5}},
        {"every 7 bytes", {}},
    };
    for (size_t i = 1; i < all.size(); ++i) cases[1].cuts.push_back(i);
    for (size_t i = 7; i < all.size(); i += 7) cases[5].cuts.push_back(i);
    for (const Case& c : cases) {
        std::vector<Bytes> pushes;
        size_t from = 0;
        for (size_t cut : c.cuts) {
            pushes.emplace_back(all.begin() + long(from), all.begin() + long(cut));
            from = cut;
        }
        pushes.emplace_back(all.begin() + long(from), all.end());
        EXPECT_EQ(CutPushes(pushes), want) << c.name;
    }
}

TEST(Cutter, IncompleteAndBadStates) {
    Bytes only = Nal(5, true, {0x88, 1, 2});
    Bytes au(64);
    QV_BITSTREAM s{only.data(), only.data() + only.size(), only.data(), au.data(), 0, 0};
    EXPECT_NE(qvdec::LoadAccessUnit(&s), 0);  // no next unit yet: it waits
    EXPECT_EQ(s.cursor, only.data());
    Bytes none = {1, 2, 3, 4, 5};
    s = QV_BITSTREAM{none.data(), none.data() + none.size(), none.data(), au.data(), 0, 0};
    EXPECT_NE(qvdec::LoadAccessUnit(&s), 0);
    EXPECT_EQ(qvdec::LoadAccessUnit(nullptr), -1);
    s = QV_BITSTREAM{none.data(), none.data() + 2, none.data() + 3, au.data(), 0, 0};
    EXPECT_EQ(qvdec::LoadAccessUnit(&s), -1);  // cursor beyond end
}

// The fixtures cut the same as the test kit's splitter.
TEST(Cutter, FixturesMatchReferenceSplit) {
    for (const char* name : {"cif_aud", "cif_noaud"}) {
        Bytes s = testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name + ".264");
        ASSERT_FALSE(s.empty());
        std::vector<Bytes> want = testsupport::SplitAccessUnits(s);
        want.pop_back();  // the last unit has no successor to complete it
        std::vector<Bytes> pushes;
        for (size_t i = 0; i < s.size(); i += 1000) pushes.emplace_back(s.begin() + long(i), s.begin() + long(std::min(s.size(), i + 1000)));
        EXPECT_EQ(CutPushes(pushes), want) << name;
    }
}

// ---- ring ----

namespace {
Bytes Unit(int n, uint8_t v) { return Bytes(size_t(n), v); }
}  // namespace

TEST(Ring, LapEndGapAndOrder) {
    CRingBufferH264 ring(1000);
    ASSERT_TRUE(ring.Valid());
    Bytes out(2000);
    int len = 0;
    uint32_t tag = 0;
    // Three 300-byte units fill the first lap (3 x 308 = 924; a fourth needs 1236 > 1000).
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ring.RBWrite(Unit(300, uint8_t(i)).data(), 300, uint32_t(i)));
    // The fourth starts a new lap, which must stay 128 bytes short of the reader at 0.
    EXPECT_FALSE(ring.RBWrite(Unit(300, 9).data(), 300, 9));
    ASSERT_EQ(ring.RBRead(out.data(), int(out.size()), &len, &tag), 1);
    EXPECT_EQ(len, 300);
    EXPECT_EQ(tag, 0u);
    // Reader at 308: a 200-byte unit at 0 ends at 208 + 128 = 336 > 308: refused;
    // 150 bytes: 0 + 150 + 128 = 278 <= 308: taken.
    EXPECT_FALSE(ring.RBWrite(Unit(200, 7).data(), 200, 7));
    EXPECT_TRUE(ring.RBWrite(Unit(150, 5).data(), 150, 5));
    for (int want : {1, 2}) {
        ASSERT_EQ(ring.RBRead(out.data(), int(out.size()), &len, &tag), 1);
        EXPECT_EQ(len, 300);
        EXPECT_EQ(out[0], want);
    }
    // The zero length word sends the reader back to the start.
    ASSERT_EQ(ring.RBRead(out.data(), int(out.size()), &len, &tag), 1);
    EXPECT_EQ(len, 150);
    EXPECT_EQ(out[149], 5);
    EXPECT_EQ(ring.RBRead(out.data(), int(out.size()), &len, &tag), 0);
    EXPECT_EQ(ring.Count(), 0);
}

TEST(Ring, OversizedRecordIsDroppedNotCopied) {
    CRingBufferH264 ring(4096);
    ASSERT_TRUE(ring.RBWrite(Unit(1000, 1).data(), 1000, 0));
    ASSERT_TRUE(ring.RBWrite(Unit(10, 2).data(), 10, 0));
    Bytes out(600, 0xee);
    int len = 0;
    ASSERT_EQ(ring.RBRead(out.data(), 500, &len, nullptr), 1);
    EXPECT_EQ(len, -1);
    EXPECT_EQ(out[500], 0xee);  // nothing written past the buffer
    ASSERT_EQ(ring.RBRead(out.data(), 500, &len, nullptr), 1);
    EXPECT_EQ(len, 10);
    // A unit bigger than the ring itself is refused, and the ring is left usable.
    EXPECT_FALSE(ring.RBWrite(Unit(5000, 3).data(), 5000, 0));
    EXPECT_TRUE(ring.RBWrite(Unit(10, 4).data(), 10, 0));
    ring.Reset();
    EXPECT_EQ(ring.RBRead(out.data(), 500, &len, nullptr), 0);
}

// Many laps with a reader that lags: every unit read is whole and in order.
TEST(Ring, ManyLapsKeepOrder) {
    CRingBufferH264 ring(5000);
    Bytes out(5000);
    int next = 0, expect = 0;
    for (int round = 0; round < 400; ++round) {
        int n = 50 + (round * 37) % 700;
        Bytes u = Unit(n, uint8_t(next));
        if (ring.RBWrite(u.data(), n, uint32_t(next))) ++next;
        if (round % 3 != 0) {
            int len = 0;
            uint32_t tag = 0;
            if (ring.RBRead(out.data(), int(out.size()), &len, &tag)) {
                ASSERT_EQ(int(tag), expect);
                ASSERT_EQ(out[0], uint8_t(expect));
                ASSERT_EQ(out[size_t(len) - 1], uint8_t(expect));
                ++expect;
            }
        }
    }
    EXPECT_GT(next, 100);
}

// ---- overlay geometry ----

namespace {
OverlayFields Fields(std::vector<int32_t> w) {
    OverlayRegionBlock b{};
    for (size_t i = 0; i < w.size(); ++i) b.words[i] = w[i];
    return ParseOverlay(b);
}
std::vector<int32_t> Cover(int refW, int refH, int flag, int x, int y, int cw, int ch) {
    std::vector<int32_t> w(23, 0);
    w[0] = refW, w[1] = refH;
    w[18] = flag | (x << 16);
    w[19] = y | (cw << 16);
    w[20] = ch;
    return w;
}
}  // namespace

TEST(Overlay, CoverRectangleTable) {
    struct Case {
        std::vector<int32_t> w;
        int W, H;
        bool drawn;
        OverlayRect r;
    } cases[] = {
        {Cover(704, 576, 1, 176, 144, 352, 288), 352, 288, true, {88, 72, 264, 216}},
        {Cover(352, 288, 1, 10, 20, 30, 40), 352, 288, true, {10, 20, 40, 60}},
        {Cover(352, 288, 0, 10, 20, 30, 40), 352, 288, false, {}},
        {Cover(352, 288, 1, 10, 20, 0, 40), 352, 288, false, {}},    // width 0
        {Cover(0, 288, 1, 10, 20, 30, 40), 352, 288, false, {}},     // reference width 0
        {Cover(352, -5, 1, 10, 20, 30, 40), 352, 288, false, {}},    // negative reference height
        {Cover(100000, 288, 1, 1, 1, 1, 1), 352, 288, false, {}},    // scales to nothing
    };
    for (const Case& c : cases) {
        OverlayRect r{};
        bool drawn = CoverRect(Fields(c.w), c.W, c.H, &r);
        EXPECT_EQ(drawn, c.drawn) << c.w[0] << "x" << c.w[1];
        if (drawn && c.drawn) {
            EXPECT_EQ(r.left, c.r.left);
            EXPECT_EQ(r.top, c.r.top);
            EXPECT_EQ(r.right, c.r.right);
            EXPECT_EQ(r.bottom, c.r.bottom);
        }
    }
}

TEST(Overlay, GridMasks) {
    std::vector<int32_t> w(23, 0);
    w[2] = 1;
    for (int r = 0; r < 15; ++r) w[3 + r] = 0xFFFFF;  // all cells set: nothing drawn
    OverlayRect cells[300];
    EXPECT_EQ(GridCells(Fields(w), 352, 288, cells), 0);
    w[3 + 4] = 0;  // row 4: all 20 outlined
    w[3 + 9] = 0xFFFFF & ~(1 << 19);  // row 9: only the last column
    ASSERT_EQ(GridCells(Fields(w), 352, 288, cells), 21);
    EXPECT_EQ(cells[0].left, 0);
    EXPECT_EQ(cells[0].top, 4 * 19);
    EXPECT_EQ(cells[19].right, 20 * 17);
    EXPECT_EQ(cells[20].left, 19 * 17);
    EXPECT_EQ(cells[20].top, 9 * 19);
    w[2] = 0;
    EXPECT_EQ(GridCells(Fields(w), 352, 288, cells), 0);
    w[2] = 1;
    w[3] = 0;
    EXPECT_EQ(GridCells(Fields(w), 10, 10, cells), 41);  // tiny windows: zero-sized cells, no fault
}
