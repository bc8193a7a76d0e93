// The voice codec and deinterlacer as Orvik.dll and Quillon.dll export them:
// names, stdcall argument sizes and each build's behaviour through the DLL.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "process_kit.h"
#include "qv_deinterlace.h"

namespace {

using testsupport::ProcEntry;

using Reset = int(__stdcall*)(void*, int);
using SdkEncode = int(__stdcall*)(void*, const short*, unsigned char*, int);
using SdkDecode = int(__stdcall*)(void*, const unsigned char*, short*, int*);
using PlayerEncode = int(__stdcall*)(void*, const short*, unsigned char*, int, int);
using PlayerDecode = int(__stdcall*)(void*, const unsigned char*, short*, int, int*);
using TransReset = int(__stdcall*)(void*, int);
using TransFrame = int(__stdcall*)(void*, unsigned char*);
using VoiceVersion = int(__stdcall*)(char*);
using InitDi = int(__stdcall*)(void**, qvDEINTERLACE_PARA_S);
using RunDi = int(__stdcall*)(void*, qvDEINTERLACE_FRAME_S, unsigned char*, unsigned char*, unsigned char*,
                              qvPIC_TYPE_E);
using ReleaseDi = int(__stdcall*)(void*);
using DiVersion = int(__stdcall*)(char**);

struct Library {
    HMODULE h;
    explicit Library(const char* name) : h(LoadLibraryA(name)) {}
    ~Library() {
        if (h) FreeLibrary(h);
    }
};

std::vector<short> Tone(int n) {
    std::vector<short> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) s[size_t(i)] = short((i % 16 - 8) * 1500);
    return s;
}

// The deinterlacer of either library: one frame through the DLL.
void CheckDeinterlacer(HMODULE dll) {
    auto init = ProcEntry<InitDi>(dll, "QV_InitDeinterlace");
    auto run = ProcEntry<RunDi>(dll, "QV_Deinterlace");
    auto release = ProcEntry<ReleaseDi>(dll, "QV_ReleaseDeinterlace");
    auto version = ProcEntry<DiVersion>(dll, "QV_GetVersion");
    ASSERT_TRUE(init && run && release && version);
    void* h = nullptr;
    EXPECT_EQ(-2, init(&h, {127, 4, 127, 64, 127, 64}));
    ASSERT_EQ(0, init(&h, {128, 4, 128, 64, 128, 64}));
    std::vector<unsigned char> y(128 * 4, 90), u(64 * 2, 70), v(64 * 2, 60);
    std::vector<unsigned char> oy(128 * 8, 0), ou(64 * 4, 0), ov(64 * 4, 0);
    qvDEINTERLACE_FRAME_S frame{oy.data(), ou.data(), ov.data()};
    EXPECT_EQ(0, run(h, frame, y.data(), u.data(), v.data(), QV_PIC_FIELD_HISTORY));
    EXPECT_EQ(-4, run(h, frame, y.data(), u.data(), v.data(), qvPIC_TYPE_E(3)));
    EXPECT_EQ(0, run(h, frame, y.data(), u.data(), v.data(), QV_PIC_FIELD_OUTPUT));
    EXPECT_EQ(std::vector<unsigned char>(oy.size(), 90), oy);
    EXPECT_EQ(std::vector<unsigned char>(ou.size(), 70), ou);
    EXPECT_EQ(0, release(h));
    char buf[16] = {};
    char* p = buf;
    EXPECT_EQ(0, version(&p));
    EXPECT_STREQ("1.1.0.0", buf);
}

TEST(VoiceDll, OrvikExportsTheSdkBuild) {
    Library dll("Orvik.dll");
    ASSERT_NE(nullptr, dll.h);
    auto encReset = ProcEntry<Reset>(dll.h, "QV_VOICE_EncReset");
    auto decReset = ProcEntry<Reset>(dll.h, "QV_VOICE_DecReset");
    auto encode = ProcEntry<SdkEncode>(dll.h, "QV_VOICE_EncodeFrame");
    auto decode = ProcEntry<SdkDecode>(dll.h, "QV_VOICE_DecodeFrame");
    auto transReset = ProcEntry<TransReset>(dll.h, "QV_VOICE_TransCodeReset");
    auto transFrame = ProcEntry<TransFrame>(dll.h, "QV_VOICE_TransCodeFrame");
    auto version = ProcEntry<VoiceVersion>(dll.h, "QV_VOICE_GetVersion");
    ASSERT_TRUE(encReset && decReset && encode && decode && transReset && transFrame && version);

    alignas(8) unsigned char enc[2048], dec[2048], trans[4096];
    ASSERT_EQ(0, encReset(enc, 6));
    ASSERT_EQ(0, decReset(dec, 6));
    const auto s = Tone(160);
    unsigned char frame[514];
    ASSERT_EQ(0, encode(enc, s.data(), frame, 160));
    EXPECT_EQ(40, frame[2]);
    short pcm[488];
    int n = 0;
    ASSERT_EQ(0, decode(dec, frame, pcm, &n));
    EXPECT_EQ(160, n);
    EXPECT_EQ(int(0xA1220001), encReset(enc, 8));
    EXPECT_EQ(int(0xA1220002), encode(enc, s.data(), frame, 0));
    ASSERT_EQ(0, transReset(trans, 97));
    EXPECT_EQ(int(0xA1221002), transReset(trans, 101));
    ASSERT_EQ(0, encReset(enc, 65));
    ASSERT_EQ(0, encode(enc, s.data(), frame, 160));
    const unsigned char first = frame[4];
    ASSERT_EQ(0, transFrame(trans, frame));
    EXPECT_EQ(first, frame[5]);
    char buf[64];
    ASSERT_EQ(0, version(buf));
    EXPECT_STREQ("QV_VOICE_VERSION=Qv7702_VOICELIB_V1.0.0.0", buf);
    CheckDeinterlacer(dll.h);
}

TEST(VoiceDll, QuillonExportsThePlayerBuild) {
    Library dll("Quillon.dll");
    ASSERT_NE(nullptr, dll.h);
    auto encReset = ProcEntry<Reset>(dll.h, "QV_VOICE_EncReset");
    auto decReset = ProcEntry<Reset>(dll.h, "QV_VOICE_DecReset");
    auto encode = ProcEntry<PlayerEncode>(dll.h, "QV_VOICE_EncodeFrame");
    auto decode = ProcEntry<PlayerDecode>(dll.h, "QV_VOICE_DecodeFrame");
    ASSERT_TRUE(encReset && decReset && encode && decode);
    EXPECT_EQ(nullptr, GetProcAddress(dll.h, "QV_VOICE_TransCodeFrame"));
    EXPECT_EQ(nullptr, GetProcAddress(dll.h, "QV_VOICE_GetVersion"));

    alignas(8) unsigned char enc[2048], dec[2048];
    ASSERT_EQ(0, encReset(enc, 6));
    ASSERT_EQ(0, decReset(dec, 6));
    const auto s = Tone(480);
    unsigned char frame[514];
    ASSERT_EQ(0, encode(enc, s.data(), frame, 480, 6));
    EXPECT_EQ(120, frame[2]);
    short pcm[960];
    int n = 0;
    ASSERT_EQ(0, decode(dec, frame, pcm, 6, &n));
    EXPECT_EQ(480, n);
    EXPECT_EQ(int(0xA1222001), encReset(enc, 65));
    EXPECT_EQ(int(0xA1222011), decReset(dec, 68));
    EXPECT_EQ(int(0xA1222002), encode(enc, s.data(), frame, 482, 6));
    CheckDeinterlacer(dll.h);
}

}  // namespace
