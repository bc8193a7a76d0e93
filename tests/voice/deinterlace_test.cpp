// Deinterlacer (QV_*Deinterlace) on small synthetic fields.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "qv_deinterlace.h"

namespace {

qvDEINTERLACE_PARA_S Para(int w, int fh, int pad = 0) {
    return {w, fh, w + pad, w / 2 + pad, w + 2 * pad, w / 2 + 2 * pad};
}

// One input field and an output frame, with the strides of the parameters.
struct Pictures {
    qvDEINTERLACE_PARA_S p;
    std::vector<uint8_t> fy, fu, fv;  // field
    std::vector<uint8_t> oy, ou, ov;  // frame
    explicit Pictures(const qvDEINTERLACE_PARA_S& para) : p(para) {
        fy.assign(size_t(p.fieldHeight * p.fieldLumaStride), 0);
        fu.assign(size_t((p.fieldHeight + 1) / 2 * p.fieldChromaStride), 0);
        fv = fu;
        oy.assign(size_t(2 * p.fieldHeight * p.frameLumaStride), 0xEE);
        ou.assign(size_t(p.fieldHeight * p.frameChromaStride), 0xEE);
        ov = ou;
    }
    uint8_t& In(int line, int x) { return fy[size_t(line * p.fieldLumaStride + x)]; }
    uint8_t Out(int line, int x) const { return oy[size_t(line * p.frameLumaStride + x)]; }
    void Fill(uint8_t v) {
        for (int k = 0; k < p.fieldHeight; ++k) std::memset(&In(k, 0), v, size_t(p.width));
    }
    qvDEINTERLACE_FRAME_S Frame() { return {oy.data(), ou.data(), ov.data()}; }
    int Feed(void* h, int type) {
        return QV_Deinterlace(h, Frame(), fy.data(), fu.data(), fv.data(), qvPIC_TYPE_E(type));
    }
};

struct Handle {
    void* h = nullptr;
    explicit Handle(const qvDEINTERLACE_PARA_S& p) { EXPECT_EQ(0, QV_InitDeinterlace(&h, p)); }
    ~Handle() {
        if (h) QV_ReleaseDeinterlace(h);
    }
};

TEST(Deinterlace, ParameterRules) {
    const struct {
        const char* what;
        qvDEINTERLACE_PARA_S p;
        int want;
    } cases[] = {
        {"width 127", {127, 4, 127, 63, 127, 63}, -2},
        {"minimum", {128, 4, 128, 64, 128, 64}, 0},
        {"field height 3", {128, 3, 128, 64, 128, 64}, -2},
        {"field luma stride", {128, 4, 127, 64, 128, 64}, -2},
        {"field chroma stride", {128, 4, 128, 63, 128, 64}, -2},
        {"frame luma stride", {128, 4, 128, 64, 127, 64}, -2},
        {"frame chroma stride", {128, 4, 128, 64, 128, 63}, -2},
        {"negative height", {128, -4, 128, 64, 128, 64}, -2},
        {"odd width and height", {129, 5, 129, 64, 129, 64}, 0},
        {"beyond memory", {65536, 65536, 65536, 32768, 65536, 32768}, -1},
    };
    for (const auto& c : cases) {
        void* h = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.want, QV_InitDeinterlace(&h, c.p)) << c.what;
        if (c.want == 0) {
            EXPECT_NE(nullptr, h) << c.what;
            EXPECT_EQ(0, QV_ReleaseDeinterlace(h));
        } else {
            EXPECT_EQ(nullptr, h) << c.what;
        }
    }
    EXPECT_EQ(-3, QV_InitDeinterlace(nullptr, Para(128, 4)));
    EXPECT_EQ(-3, QV_ReleaseDeinterlace(nullptr));
}

TEST(Deinterlace, CallErrorsChangeNothing) {
    const auto p = Para(128, 4);
    Handle a(p), b(p);
    Pictures pa(p), pb(p);
    uint8_t x[1] = {0};
    EXPECT_EQ(-3, QV_Deinterlace(nullptr, pa.Frame(), pa.fy.data(), pa.fu.data(), pa.fv.data(), qvPIC_TYPE_E(2)));
    EXPECT_EQ(-3, QV_Deinterlace(a.h, {nullptr, x, x}, pa.fy.data(), pa.fu.data(), pa.fv.data(), qvPIC_TYPE_E(2)));
    EXPECT_EQ(-3, QV_Deinterlace(a.h, pa.Frame(), pa.fy.data(), nullptr, pa.fv.data(), qvPIC_TYPE_E(1)));
    for (int type : {0, 3, -1}) {
        pa.Fill(uint8_t(40 + type));
        EXPECT_EQ(-4, pa.Feed(a.h, type));
    }
    EXPECT_EQ(std::vector<uint8_t>(pa.oy.size(), 0xEE), pa.oy) << "no output written";
    // Both contexts have seen the same valid fields: same frames.
    for (int i = 0; i < 3; ++i) {
        pa.Fill(uint8_t(60 * i + 10));
        pb.Fill(uint8_t(60 * i + 10));
        ASSERT_EQ(0, pa.Feed(a.h, 2));
        ASSERT_EQ(0, pb.Feed(b.h, 2));
        EXPECT_EQ(pb.oy, pa.oy);
    }
}

TEST(Deinterlace, FirstFieldEntersTheHistoryAndShapesTheFrame) {
    const auto p = Para(130, 6, 8);  // padded strides
    Handle h(p);
    Pictures pic(p);
    for (int k = 0; k < p.fieldHeight; ++k) {
        for (int x = 0; x < p.width; ++x) pic.In(k, x) = uint8_t(20 * k + (x & 7));
    }
    for (int c = 0; c < 3; ++c) {
        std::memset(&pic.fu[size_t(c * p.fieldChromaStride)], 10 + c, size_t(p.width / 2));
        std::memset(&pic.fv[size_t(c * p.fieldChromaStride)], 50 + c, size_t(p.width / 2));
    }
    ASSERT_EQ(0, pic.Feed(h.h, 1));
    EXPECT_EQ(std::vector<uint8_t>(pic.oy.size(), 0xEE), pic.oy) << "type 1 writes no frame";

    // The second field, of other content, and its frame.
    const auto first = pic.fy;
    pic.Fill(200);
    std::memset(pic.fu.data(), 99, pic.fu.size());
    ASSERT_EQ(0, pic.Feed(h.h, 2));
    const int fh = p.fieldHeight;
    for (int k = 0; k < fh; ++k)
        for (int x = 0; x < p.width; ++x) ASSERT_EQ(first[size_t(k * p.fieldLumaStride + x)], pic.Out(2 * k, x));
    for (int x = 0; x < p.width; ++x) {
        EXPECT_EQ(pic.Out(0, x), pic.Out(1, x));                    // line 1 repeats line 0
        EXPECT_EQ(pic.Out(2 * fh - 2, x), pic.Out(2 * fh - 1, x));  // the last repeats its neighbour
    }
    for (int k = 1; k <= fh - 2; ++k) {
        const int line = 2 * k + 1;
        for (int x : {0, 1, p.width - 2, p.width - 1}) EXPECT_EQ(pic.Out(2 * k, x), pic.Out(line, x));
    }
    // Chroma of the first field, each line twice; padding untouched.
    for (int j = 0; j < fh; ++j) {
        for (int x = 0; x < p.width / 2; ++x) {
            EXPECT_EQ(10 + j / 2, pic.ou[size_t(j * p.frameChromaStride + x)]);
            EXPECT_EQ(50 + j / 2, pic.ov[size_t(j * p.frameChromaStride + x)]);
        }
        EXPECT_EQ(0xEE, pic.ou[size_t(j * p.frameChromaStride + p.width / 2)]);
    }
    for (int line = 0; line < 2 * fh; ++line)
        for (int x = p.width; x < p.frameLumaStride; ++x) ASSERT_EQ(0xEE, pic.Out(line, x));
}

TEST(Deinterlace, MovingPixelsFollowTheEdgeDirection) {
    // Field lines alternate between an edge at x = 10 and one at x = 8: a
    // diagonal edge. The missing lines must put it half way (from x = 9),
    // where a vertical average would give a grey 100 at x = 8 and 9.
    const auto p = Para(128, 6);
    Handle h(p);
    Pictures pic(p);
    for (int k = 0; k < p.fieldHeight; ++k)
        for (int x = 0; x < p.width; ++x) pic.In(k, x) = x >= (k % 2 ? 8 : 10) ? 200 : 0;
    ASSERT_EQ(0, pic.Feed(h.h, 1));
    ASSERT_EQ(0, pic.Feed(h.h, 2));
    for (int k = 1; k <= p.fieldHeight - 2; ++k) {
        SCOPED_TRACE(k);
        const int line = 2 * k + 1;
        EXPECT_EQ(0, pic.Out(line, 4));
        EXPECT_EQ(0, pic.Out(line, 8));
        EXPECT_EQ(200, pic.Out(line, 9));
        EXPECT_EQ(200, pic.Out(line, 20));
    }
}

TEST(Deinterlace, StillPicturesWeaveFromTheEighthFrame) {
    // Top fields 100, bottom fields 160: interpolating gives the previous
    // field's value, weaving the newer field's.
    const auto p = Para(128, 5);
    Handle h(p);
    Pictures pic(p);
    const uint8_t top = 100, bottom = 160;
    int n = 0;
    auto feed = [&](int type) {
        pic.Fill(n % 2 ? bottom : top);
        ++n;
        return pic.Feed(h.h, type);
    };
    // Fill the history with the two fields first.
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, feed(1));
    auto oddLine = [&](int line) {
        for (int x = 3; x < p.width - 3; ++x)
            if (pic.Out(line, x) != pic.Out(line, 2)) return -1;
        return int(pic.Out(line, 2));
    };
    for (int call = 1; call <= 10; ++call) {
        ASSERT_EQ(0, feed(2));
        // n fields fed: F0 is field n - 1, F1 field n - 2.
        const uint8_t previous = (n % 2) ? bottom : top;
        const uint8_t newer = (n % 2) ? top : bottom;
        ASSERT_NE(previous, newer);
        const int want = call < 8 ? previous : newer;
        for (int k = 1; k <= p.fieldHeight - 2; ++k) EXPECT_EQ(want, oddLine(2 * k + 1)) << "call " << call;
        EXPECT_EQ(previous, pic.Out(2, 0)) << "even lines are the previous field";
    }
    // One moving field brings interpolation back at once.
    pic.Fill(30);
    ++n;
    ASSERT_EQ(0, pic.Feed(h.h, 2));
    for (int k = 1; k <= p.fieldHeight - 2; ++k) EXPECT_EQ(int(n % 2 ? bottom : top), oddLine(2 * k + 1));
}

TEST(Deinterlace, Version) {
    char buf[16];
    char* pbuf = buf;
    EXPECT_EQ(0, QV_GetVersion(&pbuf));
    EXPECT_STREQ("1.1.0.0", buf);
    EXPECT_EQ(-3, QV_GetVersion(nullptr));
    char* none = nullptr;
    EXPECT_EQ(-3, QV_GetVersion(&none));
}

}  // namespace
