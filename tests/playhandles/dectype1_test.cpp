// Decoder type 1 (the chip maker's decoder in qv_h264dec.dll) behind a play
// handle: the pushed fixtures decode to the reference pictures in both of
// its modes, single fields are deinterlaced, and closing, NET_Cleanup and
// process exit free everything.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "annexb.h"
#include "core/Orvik.h"
#include "ffmpeg_api.h"
#include "md5.h"
#include "media/SDKObject.h"
#include "media/SDKObjectManager.h"
#include "process_kit.h"
#include "qv_deinterlace.h"
#include "window_helpers.h"

using Bytes = std::vector<uint8_t>;
using testsupport::ReadFileBytes;
using testsupport::SplitAccessUnits;
using namespace playtest;

namespace {

Bytes Fixture(const std::string& name) { return ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name); }

struct I420 {
    int w = 0, h = 0;
    Bytes data;
};

// Every picture of the stream as I420, decoded with ffmpeg_api (the decoder
// of type 3), each checked against the fixture's framemd5 list.
std::vector<I420> ReferencePictures(const std::string& name) {
    const Bytes s = Fixture(name + ".264");
    const std::vector<std::string> md5s = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/" + name +
                                                                     ".framemd5");
    std::vector<I420> out;
    intptr_t dec = ffmpeg_h264_init();
    std::vector<Bytes> units = SplitAccessUnits(s);
    units.push_back({0, 0, 0, 1, 0x09, 0xF0});  // ends the last picture
    for (const Bytes& u : units) {
        int got = 0;
        FfmpegPicture p{};
        ffmpeg_h264_decode(dec, const_cast<uint8_t*>(u.data()), int(u.size()), &got, &p);
        if (!got) continue;
        I420 f;
        f.w = p.width, f.h = p.height;
        f.data.assign(p.y, p.y + size_t(p.width) * p.height * 3 / 2);
        out.push_back(std::move(f));
    }
    ffmpeg_h264_Release(dec);
    EXPECT_EQ(out.size(), md5s.size()) << name;
    for (size_t i = 0; i < out.size() && i < md5s.size(); ++i)
        EXPECT_EQ(testsupport::Md5Hex(out[i].data.data(), out[i].data.size()), md5s[i]) << name << " picture " << i;
    return out;
}

// The pixels of a 24-bit snapshot of an I420 picture, written out here from
// the conversion's integer tables (bottom-up B, G, R rows).
Bytes BmpPixels(const I420& f) {
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    const int w = f.w, h = f.h;
    const uint8_t *Y = f.data.data(), *U = Y + w * h, *V = U + (w / 2) * (h / 2);
    Bytes out(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int yy = Y[y * w + x], u = U[(y / 2) * (w / 2) + x / 2], v = V[(y / 2) * (w / 2) + x / 2];
            const int r = clamp((11644 * yy + 15938 * v - 2221300) / 10000);
            const int b = clamp((11644 * yy + 20238 * u - 2771300) / 10000);
            const int g = clamp((19837 * yy - 311710 - 5094 * r - 1942 * b) / 10000);
            uint8_t* d = &out[(size_t(h - 1 - y) * w + x) * 3];
            d[0] = uint8_t(b), d[1] = uint8_t(g), d[2] = uint8_t(r);
        }
    return out;
}

// A stream cut into its access units, pushed into a handle unit range by
// unit range in blocks of an odd size that ignore the unit boundaries.
class Feeder {
public:
    Feeder(int handle, const Bytes& s, size_t block) : hd_(handle), s_(s), block_(block) {
        size_t at = 0;
        for (const Bytes& u : SplitAccessUnits(s)) {
            starts_.push_back(at);
            at += u.size();
        }
        starts_.push_back(at);
    }
    size_t Units() const { return starts_.size() - 1; }
    // Pushes everything up to the end of unit n.
    void PushThrough(size_t n) {
        const size_t end = starts_[n + 1];
        while (pos_ < end) {
            const size_t len = std::min(block_, end - pos_);
            ASSERT_EQ(NET_PlayVideoStream(hd_, const_cast<uint8_t*>(s_.data()) + pos_, int(len)), 0);
            pos_ += len;
        }
    }
    // Waits until the decode thread has taken n units.
    bool WaitDecoded(size_t n) {
        return WaitFor([&] { return SdkObjects().DecodedUnits(hd_) >= long(n); }, 60000);
    }
    // Asks for a snapshot of the next picture into path, pushes through
    // unit n and waits until n units are decoded and the file is written.
    bool SnapshotAfter(size_t n, const std::string& path) {
        std::remove(path.c_str());
        if (NET_Snapshot(hd_, path.c_str()) != 0) return false;
        PushThrough(n);
        if (!WaitDecoded(n)) return false;
        if (!WaitFor([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000)) return false;
        Sleep(50);  // the writer closes the file just after creating it
        return true;
    }

private:
    int hd_;
    const Bytes& s_;
    size_t block_;
    size_t pos_ = 0;
    std::vector<size_t> starts_;
};

// Mean absolute difference per channel between the window and a snapshot
// of the same size (away from the edges).
double WindowError(HWND wnd, const Bytes& bmp, int w, int h) {
    int W, H;
    std::vector<uint32_t> px = ReadWindow(wnd, &W, &H);
    if (W != w || H != h) return 1e9;
    double diff = 0;
    int n = 0;
    for (int y = 8; y < h - 8; y += 3)
        for (int x = 8; x < w - 8; x += 3) {
            const uint8_t* d = &bmp[(size_t(h - 1 - y) * w + x) * 3];
            const uint32_t p = px[size_t(y) * W + x];
            diff += std::abs(int(p >> 16 & 255) - d[2]) + std::abs(int(p >> 8 & 255) - d[1]) +
                    std::abs(int(p & 255) - d[0]);
            n += 3;
        }
    return diff / n;
}

Bytes SnapshotPixels(const std::string& path, int w, int h) {
    Bytes bmp = ReadFileBytes(path);
    EXPECT_EQ(bmp.size(), size_t(54 + w * h * 3)) << path;
    if (bmp.size() != size_t(54 + w * h * 3)) return {};
    return Bytes(bmp.begin() + 54, bmp.end());
}

struct Case {
    const char* fixture;
    int accessUnitMode;
    size_t block;
};

class TypeOne : public ::testing::TestWithParam<Case> {};

// In access-unit mode the unit's own picture comes out at once. In NAL
// mode the decoder takes bytes as they come: it holds the last NAL unit of
// each call until the next start code, and ends a picture when the next
// picture's first slice is complete, so the picture of unit k comes out
// with unit k + 2. A snapshot requested before unit k is decoded therefore
// holds picture k, or k - 2. Two snapshots: just after the second IDR, and the last unit
// that the stream's bytes complete.
TEST_P(TypeOne, PicturesEqualTheReference) {
    const Case c = GetParam();
    const std::vector<I420> ref = ReferencePictures(c.fixture);
    ASSERT_EQ(ref.size(), 50u);
    const int w = ref[0].w, h = ref[0].h;
    ASSERT_EQ(w, 352);
    ASSERT_EQ(h, 288);
    const Bytes s = Fixture(std::string(c.fixture) + ".264");
    HWND wnd = MakeWindow(w, h);
    const int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    ASSERT_EQ(SdkObjects().RestartDecode(hd, 1, c.accessUnitMode), 0);
    Feeder feed(hd, s, c.block);
    const size_t units = feed.Units();
    ASSERT_EQ(units, 50u);
    const int lag = c.accessUnitMode ? 0 : 2;
    const std::string shot = TempFile("dectype1_shot.bmp");
    for (size_t k : {size_t(27), units - 2}) {
        // Units 0..k-1 decoded, unit k held until the next one starts.
        feed.PushThrough(k);
        ASSERT_TRUE(feed.WaitDecoded(k)) << SdkObjects().DecodedUnits(hd) << " of " << k;
        ASSERT_TRUE(feed.SnapshotAfter(k + 1, shot));
        const Bytes pixels = SnapshotPixels(shot, w, h);
        const size_t expect = k - lag;
        EXPECT_TRUE(pixels == BmpPixels(ref[expect])) << "snapshot before unit " << k << " is not picture " << expect;
        if (k == units - 2) {
            // The window shows the same picture (scaled and converted by the
            // display, so loosely).
            double err = WindowError(wnd, pixels, w, h);
            std::printf("%s mode %d: window error %.2f\n", c.fixture, c.accessUnitMode, err);
            EXPECT_LT(err, 12.0);
        }
    }
    std::remove(shot.c_str());
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    DestroyWindow(wnd);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TypeOne,
                         ::testing::Values(Case{"cif_aud", 1, 3001}, Case{"cif_noaud", 1, 1021},
                                           Case{"cif_aud", 0, 4093}, Case{"cif_noaud", 0, 777}),
                         [](const ::testing::TestParamInfo<Case>& i) {
                             return std::string(i.param.fixture) + (i.param.accessUnitMode ? "_Au" : "_Nalu");
                         });

// A stream whose chip-maker SEI marks its pictures as single fields: each
// picture goes through the deinterlacer and comes out twice as high; the
// deinterlacer gives the field before the one just decoded.
TEST(TypeOneFields, FieldsAreDeinterlaced) {
    const std::vector<I420> ref = ReferencePictures("cif_aud");
    ASSERT_EQ(ref.size(), 50u);
    const int w = 352, fh = 288, h = 2 * fh;
    // The reference: the same deinterlacer fed the reference pictures.
    void* di = nullptr;
    ASSERT_EQ(QV_InitDeinterlace(&di, qvDEINTERLACE_PARA_S{w, fh, w, w / 2, w, w / 2}), 0);
    std::vector<I420> frames;
    for (const I420& f : ref) {
        I420 o;
        o.w = w, o.h = h;
        o.data.assign(size_t(w) * h * 3 / 2, 128);
        uint8_t* y = o.data.data();
        uint8_t* u = y + w * h;
        uint8_t* v = u + (w / 2) * (h / 2);
        uint8_t* in = const_cast<uint8_t*>(f.data.data());
        ASSERT_EQ(QV_Deinterlace(di, qvDEINTERLACE_FRAME_S{y, u, v}, in, in + w * fh, in + w * fh * 5 / 4,
                                 QV_PIC_FIELD_OUTPUT),
                  0);
        frames.push_back(std::move(o));
    }
    QV_ReleaseDeinterlace(di);

    // The fixture with the field mark after the first unit's delimiter.
    const Bytes clip = Fixture("cif_aud.264");
    std::vector<Bytes> units = SplitAccessUnits(clip);
    ASSERT_EQ(units[0][4] & 0x1F, 9);
    const uint8_t sei[] = {0, 0, 0, 1, 0x06, 0xE0, 0x01, 0x01, 0x80};
    units[0].insert(units[0].begin() + 6, sei, sei + sizeof sei);
    Bytes s;
    for (const Bytes& u : units) s.insert(s.end(), u.begin(), u.end());

    HWND wnd = MakeWindow(w, fh);
    const int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    ASSERT_EQ(SdkObjects().RestartDecode(hd, 1, 1), 0);
    Feeder feed(hd, s, 2111);
    const std::string shot = TempFile("dectype1_field.bmp");
    const size_t k = 10;
    feed.PushThrough(k);
    ASSERT_TRUE(feed.WaitDecoded(k));
    ASSERT_TRUE(feed.SnapshotAfter(k + 1, shot));
    const Bytes pixels = SnapshotPixels(shot, w, h);
    EXPECT_TRUE(pixels == BmpPixels(frames[k])) << "field snapshot is not the deinterlaced picture " << k - 1;
    std::remove(shot.c_str());
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    DestroyWindow(wnd);
}

// The seam's own results: unknown handle, unknown decoder type (the handle
// is left stopped and the next feed starts it again with type 3).
TEST(TypeOneSeam, Results) {
    HWND wnd = MakeWindow(64, 48);
    EXPECT_EQ(SdkObjects().RestartDecode(987654, 1, 1), 47);
    const int hd = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(hd, 0);
    uint8_t aud[] = {0, 0, 0, 1, 9, 0xF0};
    EXPECT_EQ(SdkObjects().RestartDecode(hd, 7, 1), -2);
    EXPECT_EQ(NET_PlayVideoStream(hd, aud, int(sizeof aud)), 0);
    {
        CReadGuard g(SdkObjects().PlayHandleLock());
        CSDKObject* obj = SdkObjects().FindObject(hd);
        ASSERT_NE(obj, nullptr);
        EXPECT_TRUE(obj->Running());
        EXPECT_EQ(obj->DecoderType(), 3);
    }
    EXPECT_EQ(SdkObjects().RestartDecode(hd, 1, 0), 0);
    {
        CReadGuard g(SdkObjects().PlayHandleLock());
        EXPECT_EQ(SdkObjects().FindObject(hd)->DecoderType(), 1);
    }
    EXPECT_EQ(NET_CloseRealPlayHandle(hd), 0);
    EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    DestroyWindow(wnd);
}

// Address space in use by the process.
SIZE_T UsedAddressSpace() {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatusEx(&ms);
    return SIZE_T(ms.ullTotalVirtual - ms.ullAvailVirtual);
}

// Opens a type-1 handle on the window and feeds it the first units of
// the clip; returns the handle.
int OpenFedTypeOne(HWND wnd, const Bytes& s, size_t units) {
    const int hd = NET_CreateRealPlayHandle(wnd);
    EXPECT_GT(hd, 0);
    EXPECT_EQ(SdkObjects().RestartDecode(hd, 1, 1), 0);
    Feeder feed(hd, s, 1500);
    feed.PushThrough(units);
    EXPECT_TRUE(feed.WaitDecoded(units));
    return hd;
}

// Closing a type-1 handle, and NET_Cleanup with type-1 handles still
// open, give back the decoders, their pictures, surfaces and threads:
// rounds of open, feed and close leave the address space where it was.
TEST(TypeOneLifetime, CloseAndCleanupFreeEverything) {
    const Bytes s = Fixture("cif_noaud.264");
    HWND wnd = MakeWindow(352, 288);
    ASSERT_EQ(NET_Init(), 1);
    // A first round of two makes what lives for the process (DirectDraw,
    // the heap's room for two decoders).
    const int w0 = OpenFedTypeOne(wnd, s, 5);
    NET_CloseRealPlayHandle(OpenFedTypeOne(wnd, s, 5));
    NET_CloseRealPlayHandle(w0);
    const SIZE_T mem0 = UsedAddressSpace();
    for (int round = 0; round < 4; ++round) {
        const int a = OpenFedTypeOne(wnd, s, 5);
        const int b = OpenFedTypeOne(wnd, s, 5);
        if (round % 2 == 0) {
            EXPECT_EQ(NET_CloseRealPlayHandle(a), 0);
            EXPECT_EQ(NET_CloseRealPlayHandle(b), 0);
        } else {
            const DWORD t0 = GetTickCount();
            EXPECT_EQ(NET_Cleanup(), 1);
            EXPECT_LT(GetTickCount() - t0, 3000u);
            EXPECT_EQ(NET_CloseRealPlayHandle(a), 47);
            ASSERT_EQ(NET_Init(), 1);
        }
        EXPECT_EQ(CSDKObject::LiveObjects(), 0);
    }
    // One handle holds about 15 MiB of buffers and a decoder of several
    // MiB: a handle left behind in any of the eight would show. The stacks
    // of threads that have ended (the completion-port workers after
    // NET_Cleanup) are given back by the system a little later, so the
    // figure is allowed a few seconds to settle.
    auto grown = [&] { return double(UsedAddressSpace()) - double(mem0); };
    WaitFor([&] { return grown() < 8.0 * 1048576.0; }, 5000);
    std::printf("address space after 8 type-1 handles: %+.1f MiB\n", grown() / 1048576.0);
    EXPECT_LT(grown(), 8.0 * 1048576.0);
    EXPECT_EQ(NET_Cleanup(), 1);
    DestroyWindow(wnd);
}

}  // namespace

// Process exit with a type-1 handle still open and decoding: run as a
// child process (this program with --exit-with-open-handle), which must end
// by itself, in time, with status 0.
static int ExitWithOpenHandle() {
    const Bytes s = Fixture("cif_aud.264");
    HWND wnd = MakeWindow(352, 288);
    NET_Init();
    OpenFedTypeOne(wnd, s, 8);
    // Still fed while the process ends.
    NET_PlayVideoStream(1, const_cast<uint8_t*>(s.data()), int(s.size()));
    std::printf("child: leaving with %ld play handle(s)\n", CSDKObject::LiveObjects());
    std::fflush(stdout);
    return 0;
}

TEST(TypeOneLifetime, ProcessExitWithOpenHandleEnds) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = std::string("\"") + self + "\" --exit-with-open-handle";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    const DWORD r = WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    if (r != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(r, WAIT_OBJECT_0) << "the process did not end";
    EXPECT_EQ(code, 0u);
}

using testsupport::ThreadCount;

// The SDK as a DLL (the probe, linked from Orvik's libraries) unloaded
// with two type-1 handles open and decoding, after NET_Cleanup or without
// it. Under the loader lock no thread can end: waiting for the decode
// threads' ends cost 2 s a handle, and for the completion-port workers'
// half a second each, after which they were terminated and their stacks
// lost. Now the unload ends quickly, every thread it started is gone, and
// rounds of it leave the address space where it was.
TEST(TypeOneLifetime, UnloadWithOpenHandlesEnds) {
    const Bytes s = Fixture("cif_aud.264");
    HWND wnd = MakeWindow(352, 288);
    const int threads0 = ThreadCount();
    const int kRounds = 7;
    SIZE_T mem0 = 0, memEnd = SIZE_T(-1);
    for (int round = 0; round < kRounds; ++round) {
        HMODULE dll = LoadLibraryA("playhandle_type1_probe.dll");
        ASSERT_NE(dll, nullptr);
        auto init = testsupport::ProcEntry<int (*)()>(dll, "ProbeInit");
        auto cleanup = testsupport::ProcEntry<int (*)()>(dll, "ProbeCleanup");
        auto open = testsupport::ProcEntry<int (*)(HWND, int, int)>(dll, "ProbeOpen");
        auto push = testsupport::ProcEntry<int (*)(int, const unsigned char*, int)>(dll, "ProbePush");
        auto decoded = testsupport::ProcEntry<long (*)(int)>(dll, "ProbeDecodedUnits");
        auto live = testsupport::ProcEntry<long (*)()>(dll, "ProbeLiveObjects");
        ASSERT_TRUE(init && cleanup && open && push && decoded && live);
        ASSERT_EQ(init(), 1);
        int hds[2];
        for (int& hd : hds) {
            hd = open(wnd, 1, 1);
            ASSERT_GT(hd, 0);
            for (size_t i = 0; i < s.size(); i += 1777) push(hd, s.data() + i, int(std::min<size_t>(1777, s.size() - i)));
        }
        for (int hd : hds) ASSERT_TRUE(WaitFor([&] { return decoded(hd) >= 10; }, 60000));
        EXPECT_EQ(live(), 2);
        const DWORD t0 = GetTickCount();
        if (round % 2) {
            EXPECT_EQ(cleanup(), 1);
        }
        EXPECT_TRUE(FreeLibrary(dll));
        const DWORD spent = GetTickCount() - t0;
        std::printf("round %d: %s unload in %lu ms\n", round, round % 2 ? "NET_Cleanup and" : "plain",
                    (unsigned long)spent);
        EXPECT_LT(spent, 2500u);
        EXPECT_EQ(GetModuleHandleA("playhandle_type1_probe.dll"), nullptr);
        EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threads0; }, 5000))
            << "threads before " << threads0 << ", after " << ThreadCount();
        // Wine frees the stacks of ended threads lazily: the figure after
        // one round wanders by a few MiB, so the lower of the last two counts.
        const SIZE_T mem = UsedAddressSpace();
        if (round == 0) mem0 = mem;
        if (round >= kRounds - 2) memEnd = std::min(memEnd, mem);
    }
    const double grew = double(memEnd) - double(mem0);
    std::printf("address space after %d more unloads: %+.1f MiB\n", kRounds - 1, grew / 1048576.0);
    // A handle left behind is about 20 MiB, the workers' stacks 18 MiB.
    EXPECT_LT(grew, 10.0 * 1048576.0);
    DestroyWindow(wnd);
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--exit-with-open-handle") return ExitWithOpenHandle();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
