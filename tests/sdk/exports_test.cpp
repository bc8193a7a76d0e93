// The NET_* boundary through the DLL's import library: results, SdkError
// and the per-thread last error of every export's checks; logins and the
// device table; the message socket.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Orvik.h"
#include "wait_until.h"

namespace {

NET_LOGIN_PARAMS Params(const char* address, unsigned short port = 36688) {
    NET_LOGIN_PARAMS p = {};
    p.address = address;
    p.port = port;
    return p;
}

int Login(const char* address) { return NET_Login(Params(address)); }

void CALLBACK IgnoreStream(unsigned char*, int, int, int, void*) {}

constexpr int kUnchanged = -1000;
constexpr int kAny = -1001;

struct Case {
    const char* name;
    std::function<int()> call;
    int result;
    int sdkError;     // kUnchanged: NET_GetLastError keeps its earlier value
    int threadError;  // kAny: not checked
};

// Leaves a known code in SdkError: 6, or 17 when the case itself expects 6.
int Prime(int avoid) {
    if (avoid == NET_ERR_BAD_ID) {
        NET_Login(Params(nullptr));
        return NET_ERR_NULL_ARG;
    }
    NET_LogOut(0);
    return NET_ERR_BAD_ID;
}

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        int primed = Prime(c.sdkError);
        SetLastError(0);
        int r = c.call();
        DWORD threadError = GetLastError();
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_EQ(NET_GetLastError(), c.sdkError == kUnchanged ? primed : c.sdkError) << c.name;
        if (c.threadError != kAny) {
            EXPECT_EQ(int(threadError), c.threadError) << c.name;
        }
    }
}

}  // namespace

// Runs first: nothing is initialised and nobody has logged in yet.
TEST(SdkExports, BeforeInit) {
    EXPECT_EQ(NET_GetSDKVersions(), 180);
    EXPECT_EQ(NET_SetInfoCallBack(nullptr, nullptr), 0);
    EXPECT_EQ(NET_GetLastError(), NET_ERR_NOT_INIT);
    NET_LogOut(0);
    EXPECT_EQ(NET_SetRcfgMsgCallBack(nullptr, nullptr), 0);
    EXPECT_EQ(NET_GetLastError(), NET_ERR_NOT_INIT);
    // Logins do not need NET_Init; ids start at 1.
    EXPECT_EQ(Login("127.0.9.1"), 1);
    EXPECT_EQ(Login("127.0.9.2"), 2);
    EXPECT_EQ(NET_LogOut(1), 1);
    EXPECT_EQ(NET_LogOut(2), 1);
}

TEST(SdkExports, InitAndVersion) {
    ASSERT_EQ(NET_Init(), 1);
    EXPECT_EQ(NET_Init(), 1);
    EXPECT_EQ(NET_GetSDKVersions(), 180);
    EXPECT_EQ(NET_SetInfoCallBack(nullptr, nullptr), 1);
}

TEST(SdkExports, ChecksResultsAndErrorCodes) {
    ASSERT_EQ(NET_Init(), 1);
    int known = Login("127.0.9.10");
    ASSERT_GT(known, 0);
    const int unknown = 99999;
    unsigned char bytes[4] = {0, 0, 0, 1};
    char talk[8] = {};
    const int none = 0;
    std::vector<Case> cases = {
        {"LogOut 0", [] { return NET_LogOut(0); }, 0, 6, kAny},
        {"LogOut unknown", [&] { return NET_LogOut(unknown); }, 0, 45, kAny},
        {"Login null address", [] { return NET_Login(Params(nullptr)); }, 0, 17, kAny},
        {"Login not an address", [] { return NET_Login(Params("camera.local")); }, 0, 17, kAny},
        {"StartRealPlay 0", [] { return NET_StartRealPlay(0, 0, IgnoreStream, nullptr); }, 0, 6,
         kAny},
        {"StartRealPlay unknown",
         [&] { return NET_StartRealPlay(unknown, 0, IgnoreStream, nullptr); }, 0, kUnchanged, 45},
        {"StartSubStream 0", [] { return NET_StartSubStream(0, 0, IgnoreStream, nullptr); }, 0,
         17, kAny},
        {"StartSubStream unknown",
         [&] { return NET_StartSubStream(unknown, 0, IgnoreStream, nullptr); }, 0, kUnchanged,
         45},
        {"StopRealPlay 0", [] { return NET_StopRealPlay(0, 0); }, 0, 17, kAny},
        // The registration of "StartRealPlay unknown" stayed: removed here.
        {"StopRealPlay unknown, registered", [&] { return NET_StopRealPlay(unknown, 0); }, 0,
         kUnchanged, 45},
        {"StopRealPlay unknown, not registered", [&] { return NET_StopRealPlay(unknown, 5); }, 0,
         47, 45},
        {"StopSubStream 0", [] { return NET_StopSubStream(0, 0); }, 0, 17, kAny},
        {"StopSubStream unknown, registered", [&] { return NET_StopSubStream(unknown, 0); }, 0,
         kUnchanged, 45},
        {"StopSubStream unknown, not registered", [&] { return NET_StopSubStream(unknown, 5); },
         0, 47, 45},
        {"OpenSound 0", [] { return NET_OpenSound(0, 0); }, 0, 6, kAny},
        {"OpenSound unknown", [&] { return NET_OpenSound(unknown, 0); }, 0, kUnchanged, 45},
        {"CloseSound 0", [] { return NET_CloseSound(0, 0); }, 0, 17, kAny},
        {"CloseSound unknown", [&] { return NET_CloseSound(unknown, 0); }, 0, kUnchanged, 45},
        {"GetAudioEncode 0", [] { return NET_GetAudioEncode(0, 0); }, 0, 6, kAny},
        {"GetAudioEncode unknown", [&] { return NET_GetAudioEncode(unknown, 0); }, 0,
         kUnchanged, 45},
        {"GetAudioEncode known, no audio yet", [&] { return NET_GetAudioEncode(known, 0); }, 1,
         kUnchanged, kAny},
        {"StartTalkback id 0", [] { return NET_StartTalkback(0, 1, 0); }, 0, 6, kAny},
        {"StartTalkback channel -1", [&] { return NET_StartTalkback(known, -1, 0); }, 0, 6, kAny},
        {"StartTalkback unknown", [&] { return NET_StartTalkback(unknown, 1, 0); }, 0, 45, kAny},
        // The talk session of the unknown id was recorded before the look-up.
        {"StopTalkback unknown, recorded", [&] { return NET_StopTalkback(unknown); }, 0, 45,
         kAny},
        {"StopTalkback no session", [] { return NET_StopTalkback(4321); }, 0, 47, kAny},
        {"StopTalkback negative", [] { return NET_StopTalkback(-1); }, 0, 6, kAny},
        {"StartTalkback known", [&] { return NET_StartTalkback(known, 1, 7); }, 1, kUnchanged,
         kAny},
        {"StopTalkback known", [&] { return NET_StopTalkback(known); }, 1, kUnchanged, kAny},
        {"TalkSendData negative", [&] { return NET_TalkSendData(-1, talk, 8); }, 0, 6, kAny},
        {"TalkSendData 0", [&] { return NET_TalkSendData(0, talk, 8); }, 0, 45, kAny},
        {"TalkSendData unknown", [&] { return NET_TalkSendData(unknown, talk, 8); }, 0, 45,
         kAny},
        {"TalkSendData known", [&] { return NET_TalkSendData(known, talk, 77); }, 77,
         kUnchanged, kAny},
        {"AudioDecode", [&] { return NET_AudioDecode(bytes, 4, 3); }, 1, kUnchanged, kAny},
        {"CreateRealPlayHandle null", [] { return NET_CreateRealPlayHandle(nullptr); }, 0,
         kUnchanged, kAny},
        {"PlayVideoStream length 0", [&] { return NET_PlayVideoStream(unknown, bytes, 0); }, 50,
         kUnchanged, kAny},
        {"PlayVideoStream null data", [&] { return NET_PlayVideoStream(unknown, nullptr, 4); },
         50, kUnchanged, kAny},
        {"PlayVideoStream unknown", [&] { return NET_PlayVideoStream(unknown, bytes, 4); }, 47,
         kUnchanged, kAny},
        {"CloseRealPlayHandle unknown", [&] { return NET_CloseRealPlayHandle(unknown); }, 47,
         kUnchanged, kAny},
        {"StopPlayVideoStream unknown", [&] { return NET_StopPlayVideoStream(unknown); }, 47,
         kUnchanged, kAny},
        {"OverlayMdCoverRgn unknown",
         [&] {
             return NET_OverlayMdCoverRgn(unknown, none, none, none, none, none, none, none, none,
                                          none, none, none, none, none, none, none, none, none,
                                          none, none, none, none, none, none);
         },
         47, kUnchanged, kAny},
        {"Snapshot unknown", [&] { return NET_Snapshot(unknown, "x.bmp"); }, 47, kUnchanged,
         kAny},
    };
    RunCases(cases);
    EXPECT_EQ(NET_LogOut(known), 1);
}

TEST(SdkExports, LoginIdsCountUpAndAreNotReused) {
    int a = Login("127.0.10.1");
    int b = Login("127.0.10.2");
    ASSERT_GT(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(NET_LogOut(a), 1);
    EXPECT_EQ(NET_LogOut(a), 0);
    EXPECT_EQ(NET_GetLastError(), 45);
    int c = Login("127.0.10.1");
    EXPECT_EQ(c, b + 1);
    EXPECT_EQ(NET_LogOut(b), 1);
    EXPECT_EQ(NET_LogOut(c), 1);
}

TEST(SdkExports, LoginToSameAddressReplacesTheConnection) {
    int first = Login("127.0.11.1");
    int second = NET_Login(Params("127.0.11.1", 554));
    ASSERT_GT(first, 0);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(NET_TalkSendData(first, "x", 1), 0);
    EXPECT_EQ(NET_GetLastError(), 45);
    EXPECT_EQ(NET_LogOut(first), 0);
    EXPECT_EQ(NET_GetLastError(), 45);
    EXPECT_EQ(NET_TalkSendData(second, "x", 1), 1);
    EXPECT_EQ(NET_LogOut(second), 1);
}

// 10,000 devices fill the table; the next address fails with 7, uses up an
// id, and leaves every entry in place. A login to an address in the full
// table still replaces that entry.
TEST(SdkExports, FullTable) {
    ASSERT_EQ(NET_Cleanup(), 1);  // an empty table
    std::vector<int> ids;
    char text[32];
    for (int i = 0; i < 10000; ++i) {
        wsprintfA(text, "127.1.%d.%d", i / 250, i % 250 + 1);
        int id = Login(text);
        ASSERT_GT(id, 0) << text;
        if (!ids.empty()) {
            ASSERT_EQ(id, ids.back() + 1);
        }
        ids.push_back(id);
    }
    EXPECT_EQ(Login("127.2.0.1"), 0);
    EXPECT_EQ(NET_GetLastError(), NET_ERR_TABLE_FULL);
    for (size_t i = 0; i < ids.size(); i += 97)
        EXPECT_EQ(NET_TalkSendData(ids[i], "x", 3), 3) << ids[i];
    EXPECT_EQ(NET_TalkSendData(ids.back(), "x", 3), 3);
    int again = Login("127.1.0.1");
    EXPECT_EQ(again, ids.back() + 2) << "the refused login used up an id";
    EXPECT_EQ(NET_TalkSendData(ids.front(), "x", 3), 0);
    EXPECT_EQ(NET_Cleanup(), 1);
    EXPECT_EQ(NET_TalkSendData(again, "x", 3), 0) << "clean-up deletes every connection";
    EXPECT_EQ(NET_Init(), 1);
}

// After a clean-up, NET_Init starts the server again instead of reporting
// success without one; the callback registrations work again.
TEST(SdkExports, InitAfterCleanupRestartsTheServer) {
    ASSERT_EQ(NET_Init(), 1);
    ASSERT_EQ(NET_Cleanup(), 1);
    EXPECT_EQ(NET_SetInfoCallBack(nullptr, nullptr), 0);
    EXPECT_EQ(NET_GetLastError(), NET_ERR_NOT_INIT);
    ASSERT_EQ(NET_Init(), 1);
    EXPECT_EQ(NET_SetInfoCallBack(nullptr, nullptr), 1);
}

namespace {
struct Received {
    volatile LONG count = 0;
    volatile LONG sixteen = 0;
    volatile LONG seventeen = 0;
    sockaddr_in from = {};
} g_received;

void CALLBACK OnMessage(unsigned char* data, int length, const void* from) {
    if (length == 16) InterlockedIncrement(&g_received.sixteen);
    if (length == 17 && data[0] == 'M') {
        g_received.from = *static_cast<const sockaddr_in*>(from);
        InterlockedIncrement(&g_received.seventeen);
    }
    InterlockedIncrement(&g_received.count);
}
}  // namespace

// The message socket on port 8001: datagrams longer than 16 bytes reach
// the callback. Registering twice keeps the one bound socket.
TEST(SdkExports, MessageSocket) {
    ASSERT_EQ(NET_Init(), 1);
    ASSERT_EQ(NET_SetRcfgMsgCallBack(OnMessage, nullptr), 1);
    ASSERT_EQ(NET_SetRcfgMsgCallBack(OnMessage, nullptr), 1);
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(8001);
    char msg[17];
    memset(msg, 'M', sizeof msg);
    // The message thread starts reading 3 s after the first registration.
    bool got = WaitUntil(
        [&] {
            sendto(s, msg, 16, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            sendto(s, msg, 17, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            Sleep(200);
            return g_received.seventeen > 0;
        },
        10000);
    closesocket(s);
    EXPECT_TRUE(got);
    EXPECT_EQ(g_received.sixteen, 0);
    EXPECT_EQ(g_received.from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(NET_Cleanup(), 1);
    EXPECT_EQ(NET_Init(), 1);
}
