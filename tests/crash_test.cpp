// A crashing program under the runner ends at once with its exception code:
// the crash debugger is off in both registry views, and crashes of every kind
// (the emulator can turn a fault into an illegal instruction) end the process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct RegText {
    bool found = false;
    std::string value;
};

RegText ReadAeDebug(REGSAM view, const char* name) {
    RegText r;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", 0,
                      KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return r;
    char buf[512] = {};
    DWORD size = sizeof buf - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        r.found = true;
        r.value = buf;
    }
    RegCloseKey(key);
    return r;
}

TEST(CrashRunner, DebuggerIsOffInBothRegistryViews) {
    for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
        SCOPED_TRACE(view == KEY_WOW64_32KEY ? "32-bit view" : "64-bit view");
        const RegText debugger = ReadAeDebug(view, "Debugger");
        const RegText autostart = ReadAeDebug(view, "Auto");
        EXPECT_TRUE(debugger.found);
        EXPECT_EQ(debugger.value, "");
        EXPECT_EQ(autostart.value, "1");
    }
}

std::string CrashProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of("\\/") + 1) + "crash_on_purpose.exe";
}

struct Outcome {
    bool started = false;
    bool ended = false;
    DWORD code = 0;
    DWORD ms = 0;
};

// Runs the crash program and waits a bounded time; a process still running
// then (a debugger attached, a dialog up) is ended and reported as hung.
Outcome RunCrash(const char* how, DWORD limitMs) {
    Outcome o;
    std::string cmd = "\"" + CrashProgram() + "\" " + how;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const DWORD t0 = GetTickCount();
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return o;
    o.started = true;
    o.ended = WaitForSingleObject(pi.hProcess, limitMs) == WAIT_OBJECT_0;
    o.ms = GetTickCount() - t0;
    if (!o.ended) TerminateProcess(pi.hProcess, 1);
    GetExitCodeProcess(pi.hProcess, &o.code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return o;
}

TEST(CrashRunner, EveryKindOfCrashEndsAtOnceWithItsCode) {
    struct Case {
        const char* how;
        DWORD code;
    };
    const Case cases[] = {
        {"access", DWORD(EXCEPTION_ACCESS_VIOLATION)},
        {"illegal", DWORD(EXCEPTION_ILLEGAL_INSTRUCTION)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        const Outcome o = RunCrash(c.how, 30000);
        ASSERT_TRUE(o.started) << "cannot start " << CrashProgram();
        ASSERT_TRUE(o.ended) << "still running after 30 s: a debugger or dialog holds it";
        EXPECT_EQ(o.code, c.code) << std::hex << o.code;
    }
}

}  // namespace
