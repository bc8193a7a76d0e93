// The library-wide play scheduler: one periodic 2 ms multimedia timer that
// runs up to 64 periodic entries.
#include "player_win.h"

namespace quillon {

CTimerScheduler& Scheduler() {
    static CTimerScheduler s;
    return s;
}

bool CTimerScheduler::Start() {
    if (m_timer) return true;
    TIMECAPS tc;
    if (timeGetDevCaps(&tc, sizeof tc) != TIMERR_NOERROR) return false;
    UINT res = tc.wPeriodMin < 1 ? 1 : tc.wPeriodMin;
    if (res > tc.wPeriodMax) res = tc.wPeriodMax;
    if (timeBeginPeriod(res) != TIMERR_NOERROR) return false;
    m_resolution = res;
    m_timer = timeSetEvent(kPeriod, 1, TimerProc, DWORD_PTR(this), TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    if (!m_timer) {
        timeEndPeriod(m_resolution);
        m_resolution = 0;
        return false;
    }
    return true;
}

void CTimerScheduler::Stop() {
    if (m_timer) {
        timeKillEvent(m_timer);
        m_timer = 0;
    }
    if (m_resolution) {
        timeEndPeriod(m_resolution);
        m_resolution = 0;
    }
    CGuard g(m_lock);
    for (Entry& e : m_entries) e = Entry{};
}

void CALLBACK CTimerScheduler::TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<CTimerScheduler*>(user)->Tick();
}

void CTimerScheduler::Tick() {
    m_time = m_time + kPeriod;
    const uint32_t now = m_time;
    CGuard g(m_lock);
    for (Entry& e : m_entries) {
        if (!e.inUse || now - e.lastRun < uint32_t(e.interval)) continue;
        e.cb(e.object);
        e.lastRun = now;
    }
}

int CTimerScheduler::Add(int intervalMs, Callback cb, void* object) {
    if (!cb || intervalMs <= 0) return -1;
    CGuard g(m_lock);
    for (int i = 0; i < kEntries; ++i) {
        Entry& e = m_entries[i];
        if (e.inUse) continue;
        e.inUse = true;
        e.interval = intervalMs;
        e.cb = cb;
        e.object = object;
        e.lastRun = m_time;
        return i;
    }
    return -1;
}

void CTimerScheduler::Remove(int index) {
    if (index < 0 || index >= kEntries) return;
    CGuard g(m_lock);
    m_entries[index] = Entry{};
}

int CTimerScheduler::InUse() {
    CGuard g(m_lock);
    int n = 0;
    for (const Entry& e : m_entries) n += e.inUse;
    return n;
}

}  // namespace quillon
