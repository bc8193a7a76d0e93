#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "core/RWLock.h"
#include "wait_until.h"

namespace {

struct Worker {
    HANDLE thread = nullptr;
    ~Worker() {
        if (thread) {
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
    }
};

template <class Fn>
DWORD WINAPI RunFn(LPVOID p) {
    (*static_cast<Fn*>(p))();
    return 0;
}

template <class Fn>
HANDLE Spawn(Fn* fn) {
    return CreateThread(nullptr, 0, RunFn<Fn>, fn, 0, nullptr);
}

struct Probe {
    CRWLock lock;
    volatile LONG readersIn = 0;
    volatile LONG writersIn = 0;
    volatile LONG violations = 0;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Probe() { CloseHandle(release); }
};

}  // namespace

TEST(RWLock, WriterWithoutReadersEntersAtOnce) {
    CRWLock lock;
    lock.LockWrite();
    lock.UnlockWrite();
    lock.LockRead();
    lock.LockRead();  // two readers of one thread share it while no writer waits
    lock.UnlockRead();
    lock.UnlockRead();
    lock.LockWrite();
    lock.UnlockWrite();
}

// Two readers inside; a writer arrives and waits; a reader that comes after
// the writer waits until the writer has left.
TEST(RWLock, WaitingWriterKeepsNewReadersOut) {
    CRWLock lock;
    HANDLE releaseReaders = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE releaseWriter = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG readersIn = 0, writerIn = 0, lateReaderIn = 0;

    auto reader = [&] {
        lock.LockRead();
        InterlockedIncrement(&readersIn);
        WaitForSingleObject(releaseReaders, 10000);
        InterlockedDecrement(&readersIn);
        lock.UnlockRead();
    };
    auto writer = [&] {
        lock.LockWrite();
        InterlockedExchange(&writerIn, 1);
        WaitForSingleObject(releaseWriter, 10000);
        InterlockedExchange(&writerIn, 0);
        lock.UnlockWrite();
    };
    auto lateReader = [&] {
        lock.LockRead();
        InterlockedExchange(&lateReaderIn, 1);
        lock.UnlockRead();
    };
    Worker r1, r2, w, r3;
    r1.thread = Spawn(&reader);
    r2.thread = Spawn(&reader);
    ASSERT_TRUE(WaitUntil([&] { return readersIn == 2; }, 5000));
    w.thread = Spawn(&writer);
    Sleep(200);
    EXPECT_EQ(writerIn, 0) << "the writer entered while readers were inside";
    r3.thread = Spawn(&lateReader);
    Sleep(200);
    EXPECT_EQ(lateReaderIn, 0) << "a new reader passed a waiting writer";
    SetEvent(releaseReaders);
    ASSERT_TRUE(WaitUntil([&] { return writerIn == 1; }, 5000));
    Sleep(100);
    EXPECT_EQ(lateReaderIn, 0) << "a reader entered while the writer held the lock";
    SetEvent(releaseWriter);
    EXPECT_TRUE(WaitUntil([&] { return lateReaderIn == 1; }, 5000));
    CloseHandle(releaseReaders);
    CloseHandle(releaseWriter);
}

// The lock passes from a writer to a waiting writer before waiting readers.
TEST(RWLock, LockPassesFromWriterToWriter) {
    CRWLock lock;
    volatile LONG order = 0, secondWriterAt = 0, readerAt = 0;
    lock.LockWrite();
    auto writer2 = [&] {
        lock.LockWrite();
        secondWriterAt = InterlockedIncrement(&order);
        Sleep(100);
        lock.UnlockWrite();
    };
    auto reader = [&] {
        lock.LockRead();
        readerAt = InterlockedIncrement(&order);
        lock.UnlockRead();
    };
    Worker w2, r;
    w2.thread = Spawn(&writer2);
    Sleep(100);  // the writer waits first
    r.thread = Spawn(&reader);
    Sleep(100);
    lock.UnlockWrite();
    ASSERT_TRUE(WaitUntil([&] { return readerAt != 0; }, 5000));
    EXPECT_EQ(secondWriterAt, 1);
    EXPECT_EQ(readerAt, 2);
}

// Many readers and writers: a writer is always alone, readers never meet a
// writer, and a value pair written by writers is never seen half-written.
TEST(RWLock, StressWriterIsExclusive) {
    Probe p;
    constexpr int kIterations = 3000;
    volatile LONG a = 0, b = 0;
    auto reader = [&] {
        for (int i = 0; i < kIterations; ++i) {
            p.lock.LockRead();
            InterlockedIncrement(&p.readersIn);
            if (p.writersIn != 0 || a != b) InterlockedIncrement(&p.violations);
            if (i % 64 == 0) Sleep(0);
            InterlockedDecrement(&p.readersIn);
            p.lock.UnlockRead();
        }
    };
    auto writer = [&] {
        for (int i = 0; i < kIterations; ++i) {
            p.lock.LockWrite();
            if (InterlockedIncrement(&p.writersIn) != 1 || p.readersIn != 0)
                InterlockedIncrement(&p.violations);
            a = a + 1;
            if (i % 16 == 0) Sleep(0);
            b = b + 1;
            InterlockedDecrement(&p.writersIn);
            p.lock.UnlockWrite();
        }
    };
    std::vector<HANDLE> threads;
    for (int i = 0; i < 6; ++i) threads.push_back(Spawn(&reader));
    for (int i = 0; i < 4; ++i) threads.push_back(Spawn(&writer));
    DWORD r = WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, 90000);
    for (HANDLE h : threads) CloseHandle(h);
    ASSERT_EQ(r, WAIT_OBJECT_0) << "lock stalled";
    EXPECT_EQ(p.violations, 0);
    EXPECT_EQ(a, 4 * kIterations);
    EXPECT_EQ(b, 4 * kIterations);
}
