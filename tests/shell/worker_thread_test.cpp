// Worker threads that their owner waits for before freeing what they use.
#include <gtest/gtest.h>

#include "worker_thread.h"

namespace {

struct Blocked {
  HANDLE wake = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  volatile LONG left = 0;
  ~Blocked() { ::CloseHandle(wake); }
  static UINT Proc(LPVOID p) {
    auto* b = static_cast<Blocked*>(p);
    ::WaitForSingleObject(b->wake, 60000);   // a call that ignores the stop flag
    ::Sleep(200);
    ::InterlockedExchange(&b->left, 1);
    return 0;
  }
};

TEST(WorkerThread, AThreadStillBlockedIsNudgedAndWaitedForUntilItLeaves) {
  Blocked b;
  CWorkerThread t;
  ASSERT_TRUE(t.Start(&Blocked::Proc, &b));
  EXPECT_TRUE(t.IsRunning());
  bool nudged = false;
  EXPECT_FALSE(t.Join(100, [&] {
    nudged = true;
    ::SetEvent(b.wake);
  }));
  EXPECT_TRUE(nudged);
  EXPECT_EQ(1, b.left);   // Join returned only after the thread had left
  EXPECT_FALSE(t.IsStarted());
  // A thread that leaves in time is not nudged.
  Blocked quick;
  ::SetEvent(quick.wake);
  ASSERT_TRUE(t.Start(&Blocked::Proc, &quick));
  EXPECT_TRUE(t.Join(10000, [] { ADD_FAILURE() << "nudged"; }));
  EXPECT_EQ(1, quick.left);
}

}  // namespace
