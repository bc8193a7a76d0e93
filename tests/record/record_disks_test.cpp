// Record disks under Wine: drives P:, Q: and R: are temporary folders (see
// record-drives); free space, the drive list and the clock are injected.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "RecordDisks.h"

using namespace record;

namespace {

uint32_t Bit(char letter) { return 1u << (letter - 'A'); }
std::string Root(char letter) { return std::string(1, letter) + ":\\"; }

bool IsDir(const std::string& p) {
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(const std::string& p) {
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates every folder of a path below its drive root.
void MakeDirs(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void MakeFile(const std::string& path, DWORD attrs = FILE_ATTRIBUTE_NORMAL) {
    MakeDirs(path.substr(0, path.rfind('\\')));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    DWORD n;
    WriteFile(h, "RIMF", 4, &n, nullptr);
    CloseHandle(h);
    if (attrs != FILE_ATTRIBUTE_NORMAL)
        SetFileAttributesA(path.c_str(), attrs);
}

// A recording of one device channel in a date folder.
void MakeRecording(char drive, const char* date) {
    MakeFile(Root(drive) + "TQX RecordData\\" + date + "\\10.0.0.7\\01\\01-1-" + date + "-101010-Gate.264");
}

class RecordDisks : public ::testing::Test {
protected:
    void SetUp() override {
        for (char d : std::string("PQR")) {
            ASSERT_TRUE(IsDir(Root(d))) << "drive " << d
                                        << ": is not mapped; run through ctest (record-drives fixture)";
            Wipe(d);
        }
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        appDir = std::string(tmp) + "selvane_record_app\\";
        DeleteFolderTree(appDir.substr(0, appDir.size() - 1), nullptr, nullptr);
        CreateDirectoryA(appDir.c_str(), nullptr);
    }
    void TearDown() override {
        for (char d : std::string("PQR"))
            Wipe(d);
        DeleteFolderTree(appDir.substr(0, appDir.size() - 1), nullptr, nullptr);
    }
    static void Wipe(char d) {
        for (const char* top : {"TQX RecordData", "Other"})
            if (IsDir(Root(d) + top))
                DeleteFolderTree(Root(d) + top, nullptr, nullptr);
    }

    RecordDiskSeams Seams() {
        RecordDiskSeams s;
        s.logicalDrives = [this] { return drives; };
        s.freeMB = [this](const std::string& root) {
            if (freeFn)
                return freeFn(root);
            auto it = freeMB.find(root[0]);
            return it == freeMB.end() ? 0u : it->second;
        };
        s.now = [] { return LocalTime{2026, 12, 9, 8, 5, 3}; };
        s.localLog = [this](const std::string& line) { log.push_back(line); };
        s.saveLocalLog = [this](const std::string& path) {
            std::ofstream f(path.c_str(), std::ios::binary | std::ios::trunc);
            for (const std::string& l : log)
                f << l << "\r\n";
            return bool(f);
        };
        s.appDir = appDir;
        return s;
    }

    int CleanUpLines() const {
        int n = 0;
        for (const std::string& l : log)
            n += l.rfind("Disk Clean Up! Delete Record Folder:", 0) == 0;
        return n;
    }

    uint32_t drives = Bit('C') | Bit('P') | Bit('Q') | Bit('R') | Bit('Z');
    std::map<char, uint32_t> freeMB;
    std::function<uint32_t(const std::string&)> freeFn;
    std::vector<std::string> log;
    std::string appDir;
};

TEST_F(RecordDisks, DriveChoiceThresholdAndMasks) {
    struct Case {
        const char* what;
        uint32_t p, q, r;      // MiB free
        uint32_t recordMask;
        const char* failed;    // roots given up by the writer
        char expect;           // 0: no drive
    } cases[] = {
        {"500 is not enough, 501 is", 500, 501, 0, 0xFFFFFFFF, "", 'Q'},
        {"first drive with room", 501, 501, 501, 0xFFFFFFFF, "", 'P'},
        {"every drive at 500", 500, 500, 500, 0xFFFFFFFF, "", 0},
        {"unreadable free space counts as 0", 0, 0, 100000, 0xFFFFFFFF, "", 'R'},
        {"record-disk mask leaves P out", 9999, 9999, 9999, ~Bit('P'), "", 'Q'},
        {"record-disk mask 0", 9999, 9999, 9999, 0, "", 0},
        {"failed drive is not chosen", 9999, 9999, 9999, 0xFFFFFFFF, "p:\\", 'Q'},
        {"every drive failed", 9999, 9999, 9999, 0xFFFFFFFF, "P:\\Q:\\R:\\", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freeMB = {{'C', 0}, {'P', c.p}, {'Q', c.q}, {'R', c.r}, {'Z', 1000000}};
        CRecordDisks disks(Seams());
        disks.SetRecordDiskMask(c.recordMask);
        for (const char* f = c.failed; *f; f += 3)
            disks.MarkDriveFailed(std::string(f, 3));
        std::string path = "stale";
        bool ok = disks.MakeRecordFilePath(path, "10.0.0.7", 0, "Gate", kRecordNormal);
        if (!c.expect) {
            EXPECT_FALSE(ok);
            EXPECT_EQ("", path);
            continue;
        }
        ASSERT_TRUE(ok);
        std::string folder = Root(c.expect) + "TQX RecordData\\20261209\\10.0.0.7\\01";
        EXPECT_EQ(folder + "\\01-1-20261209-080503-Gate.264", path);
        EXPECT_TRUE(IsDir(folder));
        Wipe(c.expect);
    }
}

TEST_F(RecordDisks, NeverDrivesAtoBorZ) {
    drives = Bit('A') | Bit('B') | Bit('Z');
    freeMB = {{'A', 100000}, {'B', 100000}, {'Z', 100000}};
    CRecordDisks disks(Seams());
    std::string path;
    EXPECT_FALSE(disks.MakeRecordFilePath(path, "10.0.0.7", 0, "Gate", kRecordNormal));
    EXPECT_EQ(0u, disks.CandidateDrives());
    EXPECT_FALSE(disks.CleanUpRecordDisk());
}

TEST_F(RecordDisks, BadArgumentsGiveNoPath) {
    freeMB = {{'P', 9999}};
    CRecordDisks disks(Seams());
    std::string path = "x";
    EXPECT_FALSE(disks.MakeRecordFilePath(path, "10.0.0.7", -1, "Gate", kRecordNormal));
    EXPECT_EQ("", path);
    EXPECT_FALSE(disks.MakeRecordFilePath(path, "10.0.0.7", 0, "Gate", 3));
    EXPECT_TRUE(disks.MakeRecordFilePath(path, "10.0.0.7", 0, "Gate", kRecordAlarm));
    EXPECT_EQ("P:\\TQX RecordData\\20261209\\10.0.0.7\\01\\01-2-20261209-080503-Gate.264", path);
}

TEST_F(RecordDisks, SameSecondRestartGetsItsOwnName) {
    freeMB = {{'P', 9999}};
    CRecordDisks disks(Seams());
    const std::string folder = "P:\\TQX RecordData\\20261209\\cam.example.com\\03\\";
    std::string names[3];
    for (std::string& name : names) {
        ASSERT_TRUE(disks.MakeRecordFilePath(name, "cam.example.com", 2, "Yard", kRecordNormal));
        MakeFile(name);
    }
    EXPECT_EQ(folder + "03-1-20261209-080503-Yard.264", names[0]);
    EXPECT_EQ(folder + "03-1-20261209-080503-Yard(2).264", names[1]);
    EXPECT_EQ(folder + "03-1-20261209-080503-Yard(3).264", names[2]);
}

TEST_F(RecordDisks, HostileNamesStayInsideTheRecordFolder) {
    freeMB = {{'P', 9999}};
    CRecordDisks disks(Seams());
    const char* addresses[] = {"..\\..\\evil", "..", "a:b", "C:\\Windows", "/etc/x", "CON", "", "dev. "};
    const char* names[] = {"..\\..\\x", "a/b", "...", "ok", "*?<>|\"", "\\\\server\\share"};
    const std::string base = "P:\\TQX RecordData\\20261209\\";
    for (const char* a : addresses) {
        for (const char* n : names) {
            std::string path;
            ASSERT_TRUE(disks.MakeRecordFilePath(path, a, 0, n, kRecordNormal)) << a << " " << n;
            char full[MAX_PATH];
            ASSERT_NE(0u, GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr));
            EXPECT_EQ(path, std::string(full)) << a << " " << n;
            EXPECT_EQ(0u, path.rfind(base, 0)) << path;
            // Exactly device folder, channel folder and file below the date folder.
            std::string rest = path.substr(base.size());
            EXPECT_EQ(2, std::count(rest.begin(), rest.end(), '\\')) << path;
            EXPECT_EQ(std::string::npos, rest.find("..")) << path;
            EXPECT_TRUE(IsDir(path.substr(0, path.rfind('\\')))) << path;
        }
    }
    EXPECT_FALSE(IsDir("P:\\evil"));
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\evil"));
}

TEST_F(RecordDisks, FindsDateFoldersOldestFirst) {
    MakeRecording('P', "20261205");
    MakeRecording('Q', "20261203");
    MakeRecording('P', "20261201");
    MakeRecording('R', "20261130");
    MakeDirs("P:\\TQX RecordData\\Backup");
    CRecordDisks disks(Seams());
    disks.MarkDriveFailed("R:\\");
    std::vector<RecordFolderEntry> found = disks.FindRecordFolders();
    std::vector<std::string> paths;
    for (const RecordFolderEntry& e : found) {
        paths.push_back(e.path);
        EXPECT_EQ(e.path, e.root + "TQX RecordData\\" + e.name);
    }
    EXPECT_EQ((std::vector<std::string>{"P:\\TQX RecordData\\20261201", "Q:\\TQX RecordData\\20261203",
                                        "P:\\TQX RecordData\\20261205"}),
              paths);
}

TEST_F(RecordDisks, CleanUpDeletesOldestAcrossDrivesUntilThereIsRoom) {
    MakeRecording('P', "20261201");
    MakeRecording('P', "20261205");
    MakeRecording('Q', "20261203");
    MakeFile("Q:\\TQX RecordData\\20261203\\10.0.0.8\\02\\02-2-20261203-000001-Door.264");
    // Room appears on a drive after two folders are gone.
    freeFn = [this](const std::string&) { return CleanUpLines() >= 2 ? 600u : 100u; };
    CRecordDisks disks(Seams());
    EXPECT_TRUE(disks.CleanUpRecordDisk());
    EXPECT_EQ((std::vector<std::string>{"Disk Clean Up! Delete Record Folder: P:\\TQX RecordData\\20261201",
                                        "Disk Clean Up! Delete Record Folder: Q:\\TQX RecordData\\20261203"}),
              log);
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\20261201"));
    EXPECT_FALSE(IsDir("Q:\\TQX RecordData\\20261203"));
    EXPECT_TRUE(IsDir("P:\\TQX RecordData\\20261205\\10.0.0.7\\01"));
    EXPECT_FALSE(IsFile(appDir + "error.log"));
}

// A date folder goes whole, its snapshots with it; what is not a date folder
// of the record folder stays.
TEST_F(RecordDisks, CleanUpTakesWholeDateFoldersAndLeavesOtherFoldersAlone) {
    MakeRecording('P', "20261102");
    MakeFile("P:\\TQX RecordData\\20261102\\TQX PictureData\\10.0.0.7-01-080000.bmp");
    MakeFile("P:\\TQX RecordData\\Backup\\keep.264");
    MakeFile("P:\\TQX RecordData\\2026120\\keep.264");
    MakeFile("P:\\TQX RecordData\\20261301\\keep.264");
    MakeFile("P:\\TQX RecordData\\20261103");  // a file, not a folder
    MakeFile("P:\\Other\\20261101\\keep.264");
    MakeRecording('Q', "20261001");            // on a drive the writer gave up
    CRecordDisks disks(Seams());
    disks.MarkDriveFailed("Q:\\");
    EXPECT_FALSE(disks.CleanUpRecordDisk());   // never room: every date folder is tried
    EXPECT_EQ(1, CleanUpLines());
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\20261102"));
    EXPECT_TRUE(IsFile("P:\\TQX RecordData\\Backup\\keep.264"));
    EXPECT_TRUE(IsFile("P:\\TQX RecordData\\2026120\\keep.264"));
    EXPECT_TRUE(IsFile("P:\\TQX RecordData\\20261301\\keep.264"));
    EXPECT_TRUE(IsFile("P:\\TQX RecordData\\20261103"));
    EXPECT_TRUE(IsFile("P:\\Other\\20261101\\keep.264"));
    EXPECT_TRUE(IsDir("Q:\\TQX RecordData\\20261001\\10.0.0.7\\01"));
    // Nothing left to give.
    EXPECT_FALSE(disks.CleanUpRecordDisk());
    EXPECT_EQ(1, CleanUpLines());
}

// Pictures only in the oldest day: that day goes and makes the room.
TEST_F(RecordDisks, PictureOnlyDateFolderMakesRoom) {
    MakeFile("P:\\TQX RecordData\\20261101\\TQX PictureData\\10.0.0.7-01-080000.bmp");
    MakeRecording('P', "20261102");
    freeFn = [this](const std::string&) { return CleanUpLines() >= 1 ? 501u : 0u; };
    CRecordDisks disks(Seams());
    EXPECT_TRUE(disks.CleanUpRecordDisk());
    EXPECT_EQ((std::vector<std::string>{"Disk Clean Up! Delete Record Folder: P:\\TQX RecordData\\20261101"}), log);
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\20261101"));
    EXPECT_TRUE(IsDir("P:\\TQX RecordData\\20261102\\10.0.0.7\\01"));
}

TEST_F(RecordDisks, EmptyDateFolderIsRemoved) {
    MakeDirs("P:\\TQX RecordData\\20261130");
    CRecordDisks disks(Seams());
    EXPECT_FALSE(disks.CleanUpRecordDisk());
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\20261130"));
    EXPECT_EQ(1, CleanUpLines());
}

TEST_F(RecordDisks, ReadOnlyFileInADateFolderIsDeleted) {
    MakeRecording('P', "20261201");
    MakeFile("P:\\TQX RecordData\\20261201\\10.0.0.7\\01\\locked.264", FILE_ATTRIBUTE_READONLY);
    MakeFile("P:\\TQX RecordData\\20261201\\notes.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    freeFn = [this](const std::string&) { return CleanUpLines() >= 1 ? 501u : 0u; };
    CRecordDisks disks(Seams());
    EXPECT_TRUE(disks.CleanUpRecordDisk());
    EXPECT_FALSE(IsDir("P:\\TQX RecordData\\20261201"));
    EXPECT_EQ(1u, log.size());
    EXPECT_FALSE(IsFile(appDir + "error.log"));
}

TEST_F(RecordDisks, FileBeingRecordedIsLoggedToErrorLogAndCleanUpMovesOn) {
    MakeRecording('P', "20261201");
    MakeRecording('Q', "20261202");
    const std::string busy = "P:\\TQX RecordData\\20261201\\10.0.0.7\\01\\01-1-20261201-101010-Gate.264";
    HANDLE h = CreateFileA(busy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    freeFn = [this](const std::string& root) { return root == "Q:\\" && CleanUpLines() >= 1 ? 900u : 10u; };
    CRecordDisks disks(Seams());
    EXPECT_TRUE(disks.CleanUpRecordDisk());
    CloseHandle(h);

    std::string fileError = busy + " Delete File Error: 32";  // ERROR_SHARING_VIOLATION
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(fileError, log[0]);
    EXPECT_EQ(0u, log[1].rfind("P:\\TQX RecordData\\20261201\\10.0.0.7\\01 Delete Record Folder Error: ", 0))
        << log[1];
    EXPECT_EQ("Disk Clean Up! Delete Record Folder: Q:\\TQX RecordData\\20261202", log.back());
    EXPECT_TRUE(IsFile(busy));
    EXPECT_FALSE(IsDir("Q:\\TQX RecordData\\20261202"));

    // error.log holds the local log as it was when the folder could not go.
    std::ifstream f((appDir + "error.log").c_str(), std::ios::binary);
    ASSERT_TRUE(f) << "no error.log";
    std::stringstream text;
    text << f.rdbuf();
    EXPECT_NE(std::string::npos, text.str().find(fileError + "\r\n")) << text.str();
    EXPECT_EQ(std::string::npos, text.str().find("Q:\\")) << text.str();
}

TEST_F(RecordDisks, TranslatedTexts) {
    MakeRecording('P', "20261201");
    RecordDiskSeams s = Seams();
    s.translate = [](const char* english) { return std::string("<") + english + ">"; };
    CRecordDisks disks(s);
    EXPECT_FALSE(disks.CleanUpRecordDisk());
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("<Disk Clean Up! Delete Record Folder:> P:\\TQX RecordData\\20261201", log[0]);
}

TEST(RecordDiskSystem, FreeSpaceAndDrivesOfTheSystem) {
    EXPECT_GT(GetDiskFreeMB("P:\\"), 0u);
    EXPECT_GT(GetDiskFreeMB("C:\\"), 0u);
    EXPECT_EQ(0u, GetDiskFreeMB("J:\\"));
    EXPECT_EQ(0u, GetDiskFreeMB(nullptr));
    // Without seams the system's drive list is used (Wine's server may not
    // list drives mapped after it started); Z: is never a candidate.
    CRecordDisks disks;
    uint32_t c = disks.CandidateDrives();
    EXPECT_EQ(Bit('C'), c & Bit('C'));
    EXPECT_EQ(0u, c & (Bit('A') | Bit('B') | Bit('Z')));
}

}  // namespace
