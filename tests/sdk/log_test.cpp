#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Log.h"
#include "wait_until.h"

namespace {

std::string ReadAll(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buf[65536];
    DWORD n;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return out;
}

std::vector<std::string> ListFiles(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(f, &fd));
    FindClose(f);
    return names;
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        dir_ = std::string(tmp) + "orvik_log_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& n : ListFiles(dir_)) DeleteFileA((dir_ + "\\" + n).c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    void SetSwitch(const char* value) {
        WritePrivateProfileStringA("Public", "OutputLog", value, (dir_ + "\\Orvik.ini").c_str());
    }
    std::string dir_;
};

}  // namespace

TEST(LogFormat, PrefixAndBackupNames) {
    SYSTEMTIME t = {};
    t.wYear = 2011;
    t.wMonth = 4;
    t.wDay = 11;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 7;
    // 时间:2011年04月11日09时05分07秒 in GBK, then one blank.
    EXPECT_EQ(CLog::TimePrefix(t),
              "\xCA\xB1\xBC\xE4:2011\xC4\xEA" "04\xD4\xC2" "11\xC8\xD5" "09\xCA\xB1" "05\xB7\xD6"
              "07\xC3\xEB ");
    EXPECT_EQ(CLog::BackupName(t), "\\VBX3720N_Sdk_2011-04-11_09-05-07.log.bak");
}

TEST_F(LogTest, LinesReachTheFile) {
    SetSwitch("1");
    auto log = std::make_unique<CLog>(dir_);
    EXPECT_EQ(log->WriteLog("first line"), 1);
    EXPECT_EQ(log->WriteLog("second line"), 1);
    EXPECT_EQ(log->WriteLog(""), 0);
    EXPECT_EQ(log->WriteLog(nullptr), 0);
    std::string path = dir_ + "\\Orvik.log";
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(path).find("second line\n") != std::string::npos; },
                          5000));
    std::string text = ReadAll(path);
    size_t first = text.find("first line\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(first, text.find("second line\n"));
    EXPECT_EQ(text.compare(0, 5, "\xCA\xB1\xBC\xE4:"), 0);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 2u) << "the empty line was logged";
}

TEST_F(LogTest, SwitchOffQueuesNothingAndIsReread) {
    SetSwitch("0");
    auto log = std::make_unique<CLog>(dir_);
    EXPECT_EQ(log->WriteLog("while off"), 0);
    SetSwitch("1");
    // The switch is re-read every fifth pass of the writer.
    ASSERT_TRUE(WaitUntil([&] { return log->WriteLog("now on") == 1; }, 5000));
    log.reset();  // destruction drains the ring before the file closes
    std::string text = ReadAll(dir_ + "\\Orvik.log");
    EXPECT_EQ(text.find("while off"), std::string::npos);
    EXPECT_NE(text.find("now on\n"), std::string::npos);
}

TEST_F(LogTest, NoIniMeansOff) {
    auto log = std::make_unique<CLog>(dir_);
    EXPECT_FALSE(log->Enabled());
    EXPECT_EQ(log->WriteLog("line"), 0);
}

// The file changes whenever the limit would be passed; several changes in
// one second find the dated name taken. Every line must survive in one of
// the files, exactly once.
TEST_F(LogTest, ChangeOfFileKeepsEveryLine) {
    SetSwitch("1");
    constexpr int kLines = 1200;
    auto log = std::make_unique<CLog>(dir_, 4096);
    for (int i = 0; i < kLines; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "line %05d", i);
        ASSERT_EQ(log->WriteLog(line), 1);
        if (i % 150 == 149) Sleep(350);  // the writer takes the ring in time
    }
    log.reset();
    std::map<std::string, int> seen;
    bool continued = false, backup = false;
    for (const std::string& name : ListFiles(dir_)) {
        if (name == "VBX3720N_V_Sdk.log") continued = true;
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".log.bak") == 0) backup = true;
        std::string text = ReadAll(dir_ + "\\" + name);
        for (size_t p = text.find("line "); p != std::string::npos; p = text.find("line ", p + 1))
            ++seen[text.substr(p, 10)];
    }
    EXPECT_TRUE(continued);
    EXPECT_TRUE(backup);
    ASSERT_EQ(seen.size(), size_t(kLines));
    for (auto& [line, count] : seen) EXPECT_EQ(count, 1) << line;
}

TEST_F(LogTest, ChangesFileOnlyPastTheLimit) {
    SetSwitch("1");
    auto log = std::make_unique<CLog>(dir_, 1 << 20);
    for (int i = 0; i < 50; ++i) log->WriteLog("a short line");
    log.reset();
    auto names = ListFiles(dir_);
    for (const std::string& n : names) EXPECT_NE(n, "VBX3720N_V_Sdk.log");
}
