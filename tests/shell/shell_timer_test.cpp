// The media timer and the alarm sound.
#include <gtest/gtest.h>

#include "alarm_sound.h"
#include "helpers.h"
#include "media_timer.h"
#include "shell_fixture.h"

#include <atomic>
#include <vector>

namespace {

struct Counter {
  std::atomic<int> runs{0};
  std::atomic<UINT> slot{999};
};

void CALLBACK CountTask(UINT slot, UINT, DWORD_PTR ctx, DWORD_PTR, DWORD_PTR) {
  auto* c = reinterpret_cast<Counter*>(ctx);
  c->slot = slot;
  ++c->runs;
}

bool WaitFor(const std::function<bool()>& cond, DWORD ms) {
  DWORD start = ::GetTickCount();
  while (!cond()) {
    if (::GetTickCount() - start >= ms) return false;
    ::Sleep(5);
  }
  return true;
}

TEST(MediaTimer, SlotTable) {
  CMediaTimer t;
  Counter c;
  std::vector<int> slots;
  for (int i = 0; i < 64; ++i) slots.push_back(t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(i, slots[size_t(i)]);
  EXPECT_EQ(-1, t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));   // the 65th
  t.RemoveTask(10);
  t.RemoveTask(10);   // a free slot: nothing changes
  t.RemoveTask(-1);
  t.RemoveTask(64);
  EXPECT_EQ(10, t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));
  EXPECT_EQ(-1, t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));
  EXPECT_EQ(0, c.runs.load());   // nothing runs before Start
}

TEST(MediaTimer, TaskRunsAtAboutItsInterval) {
  CMediaTimer t;
  Counter c;
  ASSERT_EQ(0, t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));
  ASSERT_TRUE(t.Start(5));
  EXPECT_TRUE(WaitFor([&] { return c.runs >= 1; }, 3000));
  // The first run comes after 40 ms of ticks, not at once.
  EXPECT_GE(t.ElapsedMs(), 40u);
  ::Sleep(800);
  t.Stop();
  UINT elapsed = t.ElapsedMs();
  int runs = c.runs;
  EXPECT_EQ(0u, c.slot.load());
  // Loose: runs follow the clock of the ticks (about elapsed / 40).
  EXPECT_GE(runs, int(elapsed / 40) / 3);
  EXPECT_LE(runs, int(elapsed / 40) + 2);
  // After Stop nothing moves and the slots are clear.
  ::Sleep(100);
  EXPECT_EQ(elapsed, t.ElapsedMs());
  EXPECT_EQ(runs, c.runs.load());
  EXPECT_EQ(0, t.AddTask(40, &CountTask, reinterpret_cast<DWORD_PTR>(&c)));
}

TEST(MediaTimer, StopRightAfterStartIsNotLost) {
  for (int i = 0; i < 5; ++i) {
    CMediaTimer t;
    ASSERT_TRUE(t.Start(5));
    DWORD t0 = ::GetTickCount();
    t.Stop();
    EXPECT_FALSE(t.IsRunning()) << i;   // the worker saw the Stop and ended
    EXPECT_LT(::GetTickCount() - t0, 1000u) << i;
  }
}

TEST(MediaTimer, SecondStartReplacesTheFirstTimer) {
  CMediaTimer t;
  ASSERT_TRUE(t.Start(5));
  ASSERT_TRUE(t.Start(5));
  ::Sleep(200);
  t.Stop();
  UINT e = t.ElapsedMs();
  ::Sleep(150);
  EXPECT_EQ(e, t.ElapsedMs());   // no forgotten timer keeps ticking
  // At one tick per 5 ms, two live timers would have counted double.
  EXPECT_LE(e, 200u * 2 - 50);
}

void CALLBACK SlowTask(UINT, UINT, DWORD_PTR ctx, DWORD_PTR, DWORD_PTR) {
  ::Sleep(1500);   // longer than Stop waits
  ++*reinterpret_cast<std::atomic<int>*>(ctx);
}

TEST(MediaTimer, DestructorWaitsForABusyWorker) {
  std::atomic<int> finished{0};
  {
    CMediaTimer t;
    t.AddTask(5, &SlowTask, reinterpret_cast<DWORD_PTR>(&finished));
    ASSERT_TRUE(t.Start(5));
    ::Sleep(100);
  }
  EXPECT_GE(finished.load(), 1);   // the callback completed before the object went
}

// ------------------------------------------------------------ alarm sound
void WriteWave(const char* path, int ms) {
  int samples = 8000 * ms / 1000;
  std::vector<unsigned char> f(44 + samples * 2, 0);
  auto put32 = [&](size_t at, uint32_t v) { memcpy(&f[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { memcpy(&f[at], &v, 2); };
  memcpy(&f[0], "RIFF", 4);
  put32(4, uint32_t(f.size() - 8));
  memcpy(&f[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 1);
  put32(24, 8000);
  put32(28, 16000);
  put16(32, 2);
  put16(34, 16);
  memcpy(&f[36], "data", 4);
  put32(40, uint32_t(samples * 2));
  ScratchDir::Write(path, f.data(), f.size());
}

TEST(AlarmSound, OneAtATimeAndMissingFiles) {
  ASSERT_TRUE(WaitFor([] { return AlarmSoundsPlaying() == 0; }, 1000));
  // A missing file without beep: nothing.
  EXPECT_FALSE(PlayAlarmSound("C:\\no\\such\\Alarm.wav", 1, FALSE));
  EXPECT_EQ(0, AlarmSoundsPlaying());
  // A relative name is looked up beside the program.
  CString local = GetModuleDirectory() + "shell_timer_alarm.wav";
  WriteWave(local, 100);
  EXPECT_TRUE(PlayAlarmSound("shell_timer_alarm.wav", 1, FALSE));
  EXPECT_EQ(1, AlarmSoundsPlaying());
  // While it plays, later requests are dropped, beep or not.
  EXPECT_FALSE(PlayAlarmSound(local, 1, FALSE));
  EXPECT_FALSE(PlayAlarmSound("C:\\no\\such\\Alarm.wav", 1, TRUE));
  EXPECT_TRUE(WaitFor([] { return AlarmSoundsPlaying() == 0; }, 8000));
  // A missing file with beep still sounds.
  EXPECT_TRUE(PlayAlarmSound("C:\\no\\such\\Alarm.wav", 0, TRUE));
  EXPECT_TRUE(WaitFor([] { return AlarmSoundsPlaying() == 0; }, 8000));
  ::DeleteFileA(local);
}

TEST(AlarmSound, UnplayableFileEndsAtOnce) {
  ScratchDir dir("alarm");
  CString bad = dir / "broken.wav";
  ScratchDir::WriteText(bad, "this is not a wave file");
  DWORD t0 = ::GetTickCount();
  PlaySoundFor(bad, 3000);
  EXPECT_LT(::GetTickCount() - t0, 1500u);   // no busy loop until the time runs out
}

}  // namespace
