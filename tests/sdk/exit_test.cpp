// A program that ends while the SDK is busy ends at once: a play handle
// decoding into a window and drawing, and the sound player fed, from threads
// still running when main returns. The process runs as a child of this test,
// several times over (the hang it guards against came with the timing of
// the other threads' deaths, in about one exit in five).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "annexb.h"
#include "core/Orvik.h"

namespace {

constexpr char kChildVar[] = "SELVANE_SDK_EXIT_CHILD";

std::vector<unsigned char> g_stream;
int g_handle = 0;

DWORD WINAPI FeedVideo(void*) {
    for (;;) {
        for (size_t at = 0; at < g_stream.size(); at += 2048) {
            const size_t n = g_stream.size() - at < 2048 ? g_stream.size() - at : 2048;
            NET_PlayVideoStream(g_handle, g_stream.data() + at, int(n));
            Sleep(1);
        }
    }
}

DWORD WINAPI FeedSound(void*) {
    unsigned char block[320];
    for (int i = 0; i < 320; ++i) block[i] = static_cast<unsigned char>(i * 37);
    for (;;) {
        NET_AudioDecode(block, int(sizeof block), 1);
        Sleep(5);
    }
}

}  // namespace

// The child: busy when it returns from main.
TEST(SdkProcessExit, Child) {
    if (!std::getenv(kChildVar)) GTEST_SKIP() << "run by EndsWhileDecodingAndPlayingSound";
    g_stream = testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_noaud.264");
    ASSERT_FALSE(g_stream.empty());
    HWND wnd = ::CreateWindowA("STATIC", "exit", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 360, 300, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    g_handle = NET_CreateRealPlayHandle(wnd);
    ASSERT_GT(g_handle, 0);
    ASSERT_EQ(NET_AudioPlayStart(), 1);
    ASSERT_NE(::CreateThread(nullptr, 0, FeedVideo, nullptr, 0, nullptr), nullptr);
    ASSERT_NE(::CreateThread(nullptr, 0, FeedSound, nullptr, 0, nullptr), nullptr);
    const DWORD t0 = ::GetTickCount();
    while (::GetTickCount() - t0 < 1200) {
        MSG m;
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
        ::Sleep(10);
    }
}

TEST(SdkProcessExit, EndsWhileDecodingAndPlayingSound) {
    if (std::getenv(kChildVar)) GTEST_SKIP();
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ::SetEnvironmentVariableA(kChildVar, "1");
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE(run);
        std::string cmd = std::string("\"") + exe + "\" --gtest_filter=SdkProcessExit.Child --gtest_brief=1";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        const bool ended = ::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
        DWORD code = 0;
        if (!ended) {
            ::TerminateProcess(pi.hProcess, 9);
            ::WaitForSingleObject(pi.hProcess, 10000);
        }
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        ASSERT_TRUE(ended) << "the process did not end within 30 s of its start";
        EXPECT_EQ(code, 0u);
    }
    ::SetEnvironmentVariableA(kChildVar, nullptr);
}
