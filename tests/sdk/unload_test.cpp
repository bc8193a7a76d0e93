// NET_Cleanup and unloading the library end every thread the SDK started.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/Orvik.h"
#include "process_kit.h"
#include "wait_until.h"

using testsupport::ThreadCount;

TEST(SdkUnload, CleanupAndFreeLibraryEndEveryThread) {
    int before = ThreadCount();
    ASSERT_GT(before, 0);
    for (int round = 0; round < 2; ++round) {
        HMODULE dll = LoadLibraryA("Orvik.dll");
        ASSERT_NE(dll, nullptr);
        auto init = testsupport::ProcEntry<int(WINAPI*)()>(dll, "NET_Init");
        auto cleanup = testsupport::ProcEntry<int(WINAPI*)()>(dll, "NET_Cleanup");
        auto setMsg = testsupport::ProcEntry<int(WINAPI*)(NET_RcfgMsgCallback, void*)>(dll, "NET_SetRcfgMsgCallBack");
        auto login = testsupport::ProcEntry<int(WINAPI*)(NET_LOGIN_PARAMS)>(dll, "NET_Login");
        ASSERT_TRUE(init && cleanup && setMsg && login);
        ASSERT_EQ(init(), 1);
        ASSERT_EQ(setMsg(nullptr, nullptr), 1);
        NET_LOGIN_PARAMS p = {};
        p.address = "127.0.12.1";
        p.port = 36688;
        EXPECT_GT(login(p), 0);
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        int workers = 2 * int(si.dwNumberOfProcessors) + 2;
        // workers, the message thread and the log writer
        EXPECT_GE(ThreadCount(), before + workers + 1);
        EXPECT_EQ(cleanup(), 1);
        ASSERT_TRUE(FreeLibrary(dll));
        EXPECT_EQ(GetModuleHandleA("Orvik.dll"), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == before; }, 5000))
            << "threads before " << before << ", after " << ThreadCount();
    }
}
