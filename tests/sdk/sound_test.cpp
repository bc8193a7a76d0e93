// Sound and talkback exports through the DLL: results, error codes and the
// shared player's start count (the runner's ALSA null device).
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <vector>

#include "core/Orvik.h"
#include "wait_until.h"

namespace {

int Login(const char* address) {
    NET_LOGIN_PARAMS p = {};
    p.address = address;
    p.port = 36688;
    return NET_Login(p);
}

constexpr int kUnchanged = -1000;
constexpr int kAny = -1001;

// Leaves a code in SdkError that no case below expects.
void Prime() { NET_Login(NET_LOGIN_PARAMS{}); }  // null address: 17

struct Case {
    const char* name;
    std::function<int()> call;
    int result;
    int sdkError;     // kUnchanged: still the primed 17
    int threadError;  // kAny: not checked
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prime();
        ASSERT_EQ(NET_GetLastError(), 17);
        SetLastError(0);
        EXPECT_EQ(c.call(), c.result);
        DWORD thread = GetLastError();
        EXPECT_EQ(NET_GetLastError(), c.sdkError == kUnchanged ? 17 : c.sdkError);
        if (c.threadError != kAny) {
            EXPECT_EQ(int(thread), c.threadError);
        }
    }
}

std::atomic<int> g_blocks{0};
std::atomic<int> g_badBlocks{0};
void CALLBACK OnCapture(const char* data, int length, int user) {
    // Two G.711 frames of 480 samples: {00 01 F0 00} + 480 bytes, twice.
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    bool ok = user == 42 && length == 968 && p[0] == 0 && p[1] == 1 && p[2] == 240 &&
              p[484] == 0 && p[485] == 1 && p[486] == 240;
    (ok ? g_blocks : g_badBlocks)++;
}

TEST(SoundExports, PlayerStartsAreCountedAndFailedStartsAreNot) {
    unsigned char pcma[320];
    for (auto& b : pcma) b = 0xD5;
    RunCases({
        {"decode with the player closed", [&] { return NET_AudioDecode(pcma, 320, 1); }, 1,
         kUnchanged, kAny},
        {"stop with nothing started", [] { return NET_AudioPlayStop(); }, 1, kUnchanged, kAny},
        {"first start", [] { return NET_AudioPlayStart(); }, 1, kUnchanged, kAny},
        {"second start", [] { return NET_AudioPlayStart(); }, 0, 61, kAny},
        {"decode A-law", [&] { return NET_AudioDecode(pcma, 320, 1); }, 1, kUnchanged, kAny},
        {"decode type 3 as A-law", [&] { return NET_AudioDecode(pcma, 100, 3); }, 1, kUnchanged,
         kAny},
        {"decode mu-law", [&] { return NET_AudioDecode(pcma, 320, 2); }, 1, kUnchanged, kAny},
        {"decode too large", [&] { return NET_AudioDecode(pcma, 4093, 1); }, 1, kUnchanged, kAny},
        {"decode null", [] { return NET_AudioDecode(nullptr, 10, 1); }, 1, kUnchanged, kAny},
        // The refused second start did not count: one stop closes the player,
        // so the next start opens it afresh (1, not 61).
        {"stop", [] { return NET_AudioPlayStop(); }, 1, kUnchanged, kAny},
        {"start after the close", [] { return NET_AudioPlayStart(); }, 1, kUnchanged, kAny},
        {"stop again", [] { return NET_AudioPlayStop(); }, 1, kUnchanged, kAny},
        {"stop below zero", [] { return NET_AudioPlayStop(); }, 1, kUnchanged, kAny},
        {"start once more", [] { return NET_AudioPlayStart(); }, 1, kUnchanged, kAny},
        {"final stop", [] { return NET_AudioPlayStop(); }, 1, kUnchanged, kAny},
    });
}

TEST(SoundExports, DecodeOfTheLargestPayloadIsSafe) {
    ASSERT_EQ(NET_AudioPlayStart(), 1);
    std::vector<unsigned char> big(4092, 0x2A);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(NET_AudioDecode(big.data(), 4092, i & 1 ? 2 : 1), 1);
    EXPECT_EQ(NET_AudioPlayStop(), 1);
}

TEST(SoundExports, OpenAndCloseSound) {
    const int id = Login("127.0.8.1");  // nothing listens there
    ASSERT_GT(id, 0);
    RunCases({
        {"open, id 0", [] { return NET_OpenSound(0, 1); }, 0, 6, kAny},
        {"open, unknown id", [] { return NET_OpenSound(999, 1); }, 0, kUnchanged, 45},
        {"close, id 0", [] { return NET_CloseSound(0, 1); }, 0, 17, kAny},
        {"close, unknown id", [] { return NET_CloseSound(999, 1); }, 0, kUnchanged, 45},
    });
    // The stream cannot open: the call fails with the stream's code and the
    // player start it made is given back.
    Prime();
    EXPECT_EQ(NET_OpenSound(id, 1), 0);
    EXPECT_NE(NET_GetLastError(), 17);
    EXPECT_EQ(NET_AudioPlayStart(), 1) << "the player was left started";
    EXPECT_EQ(NET_CloseSound(id, 1), 1);  // releases the start above
    EXPECT_EQ(NET_AudioPlayStart(), 1) << "the close did not release the player";
    EXPECT_EQ(NET_AudioPlayStop(), 1);
    EXPECT_EQ(NET_LogOut(id), 1);
}

TEST(SoundExports, TalkbackResults) {
    const int id = Login("127.0.8.2");
    ASSERT_GT(id, 0);
    char data[8] = {};
    RunCases({
        {"start, id 0", [] { return NET_StartTalkback(0, 1, 0); }, 0, 6, kAny},
        {"start, negative channel", [&] { return NET_StartTalkback(id, -1, 0); }, 0, 6, kAny},
        {"start, unknown id", [] { return NET_StartTalkback(999, 1, 0); }, 0, 45, kAny},
        {"stop, unknown id with a session", [] { return NET_StopTalkback(999); }, 0, 45, kAny},
        {"stop, unknown id, no session", [] { return NET_StopTalkback(999); }, 0, 47, kAny},
        {"stop, negative id", [] { return NET_StopTalkback(-1); }, 0, 6, kAny},
        {"start, channel 0", [&] { return NET_StartTalkback(id, 0, 0); }, 1, kUnchanged, kAny},
        {"send, negative id", [&] { return NET_TalkSendData(-1, data, 8); }, 0, 6, kAny},
        {"send, id 0", [&] { return NET_TalkSendData(0, data, 8); }, 0, 45, kAny},
        {"send, known id", [&] { return NET_TalkSendData(id, data, 8); }, 8, kUnchanged, kAny},
        {"capture without a function", [] { return NET_SoundCaptureStart(nullptr, 0); }, 57,
         kUnchanged, kAny},
        {"stop", [&] { return NET_StopTalkback(id); }, 1, kUnchanged, kAny},
        {"stop again", [&] { return NET_StopTalkback(id); }, 0, 47, kAny},
    });
    EXPECT_EQ(NET_LogOut(id), 1);
}

TEST(SoundExports, CaptureSendsEncodedVoiceAndStopsWithTalkback) {
    const int id = Login("127.0.8.3");
    ASSERT_GT(id, 0);
    ASSERT_EQ(NET_StartTalkback(id, 1, 0), 1);
    ASSERT_EQ(NET_SoundCaptureStart(OnCapture, 42), 0);
    EXPECT_EQ(NET_SoundCaptureStart(OnCapture, 42), 57) << "capture already runs";
    EXPECT_TRUE(WaitUntil([] { return g_blocks >= 3; }, 5000));
    DWORD t0 = GetTickCount();
    EXPECT_EQ(NET_StopTalkback(id), 1);
    EXPECT_LT(GetTickCount() - t0, 2000u);
    int n = g_blocks;
    Sleep(300);
    EXPECT_EQ(g_blocks, n) << "capture still running after the stop";
    EXPECT_EQ(g_badBlocks, 0);
    // Capture can start again after a stop.
    ASSERT_EQ(NET_StartTalkback(id, 1, 0), 1);
    ASSERT_EQ(NET_SoundCaptureStart(OnCapture, 42), 0);
    EXPECT_EQ(NET_StopTalkback(id), 1);
    EXPECT_EQ(NET_LogOut(id), 1);
}

}  // namespace
