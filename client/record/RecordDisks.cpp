#include "RecordDisks.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace record {
namespace {

std::string DriveRoot(int bit) {
    char root[4] = {char('A' + bit), ':', '\\', '\0'};
    return root;
}

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// One file of a tree; read-only and system files get a second try.
bool DeleteOneFile(const std::string& path, const std::function<void(const std::string&)>& log,
                   const std::function<std::string(const char*)>& translate) {
    if (DeleteFileA(path.c_str()))
        return true;
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    if (DeleteFileA(path.c_str()))
        return true;
    DWORD err = GetLastError();
    if (err != 0 && log) {
        char code[16];
        std::snprintf(code, sizeof code, "%lu", static_cast<unsigned long>(err));
        log(path + " " + translate("Delete File Error:") + " " + code);
    }
    return false;
}

}  // namespace

uint32_t GetDiskFreeMB(const char* root) {
    ULARGE_INTEGER avail, total, free;
    if (!root || !GetDiskFreeSpaceExA(root, &avail, &total, &free))
        return 0;
    uint64_t mb = avail.QuadPart >> 20;
    return mb > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(mb);
}

bool DeleteFolderTree(const std::string& path, const std::function<void(const std::string&)>& log,
                      const std::function<std::string(const char*)>& translateIn) {
    std::function<std::string(const char*)> translate =
        translateIn ? translateIn : [](const char* s) { return std::string(s); };
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((path + "\\*.*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (IsDots(fd.cFileName))
                continue;
            std::string child = path + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    // A link to a folder elsewhere: remove the link, never what it points to.
                    RemoveDirectoryA(child.c_str());
                    continue;
                }
                DeleteFolderTree(child, log, translate);
            } else {
                DeleteOneFile(child, log, translate);
            }
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    if (RemoveDirectoryA(path.c_str()))
        return true;
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    if (RemoveDirectoryA(path.c_str()))
        return true;
    DWORD err = GetLastError();
    if (err != 0 && log) {
        char code[16];
        std::snprintf(code, sizeof code, "%lu", static_cast<unsigned long>(err));
        log(path + " " + translate("Delete Record Folder Error:") + " " + code);
    }
    return false;
}

CRecordDisks::CRecordDisks(RecordDiskSeams seams) : seams_(std::move(seams)) {}

uint32_t CRecordDisks::LogicalDrives() const {
    return seams_.logicalDrives ? seams_.logicalDrives() : uint32_t(GetLogicalDrives());
}

uint32_t CRecordDisks::FreeMB(const std::string& root) const {
    return seams_.freeMB ? seams_.freeMB(root) : GetDiskFreeMB(root.c_str());
}

LocalTime CRecordDisks::Now() const {
    if (seams_.now)
        return seams_.now();
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

void CRecordDisks::Log(const std::string& line) const {
    if (seams_.localLog)
        seams_.localLog(line);
}

std::string CRecordDisks::Tr(const char* english) const {
    return seams_.translate ? seams_.translate(english) : std::string(english);
}

void CRecordDisks::MarkDriveFailed(const std::string& root) {
    if (root.empty())
        return;
    char letter = root[0];
    if (letter >= 'a' && letter <= 'z')
        letter = char(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z')
        return;
    failedDiskMask_.fetch_or(1u << (letter - 'A'));
}

uint32_t CRecordDisks::CandidateDrives() const {
    const uint32_t cToY = ((1u << 25) - 1) & ~3u;  // bits 2..24
    return LogicalDrives() & recordDiskMask_ & ~failedDiskMask_.load() & cToY;
}

bool CRecordDisks::MakeRecordFilePath(std::string& path, const std::string& address, int channelIndex,
                                      const std::string& channelName, int recordType) {
    path.clear();
    if (channelIndex < 0 || (recordType != kRecordNormal && recordType != kRecordAlarm))
        return false;
    const uint32_t drives = CandidateDrives();
    std::string root;
    for (int bit = 2; bit <= 24 && root.empty(); ++bit) {
        if ((drives >> bit & 1) && FreeMB(DriveRoot(bit)) > kRecordDiskMinFreeMB)
            root = DriveRoot(bit);
    }
    if (root.empty())
        return false;
    const LocalTime t = Now();
    const std::string recordFolder = RecordFolderPath(root);
    const std::string dateFolder = DateFolderPath(recordFolder, t);
    const std::string deviceFolder = DeviceFolderPath(dateFolder, address);
    const std::string channelFolder = ChannelFolderPath(deviceFolder, channelIndex);
    // Creation errors show when the file is created.
    for (const std::string* dir : {&recordFolder, &dateFolder, &deviceFolder, &channelFolder})
        CreateDirectoryA(dir->c_str(), nullptr);
    // A file of the same second (a quick restart) keeps its bytes: the new one
    // gets a name of its own.
    for (int copy = 0; copy < 100; ++copy) {
        std::string name = RecordFileName(channelFolder, channelIndex, recordType, t, channelName, copy);
        if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() != ERROR_ACCESS_DENIED) {
            path = name;
            return true;
        }
    }
    return false;
}

std::vector<RecordFolderEntry> CRecordDisks::FindRecordFolders() const {
    std::vector<RecordFolderEntry> list;
    const uint32_t drives = CandidateDrives();
    for (int bit = 2; bit <= 24; ++bit) {
        if (!(drives >> bit & 1))
            continue;
        const std::string root = DriveRoot(bit);
        const std::string recordFolder = RecordFolderPath(root);
        WIN32_FIND_DATAA fd;
        HANDLE find = FindFirstFileA((recordFolder + "\\*.*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(fd.cFileName) ||
                !IsDateFolderName(fd.cFileName))
                continue;
            uint64_t created = uint64_t(fd.ftCreationTime.dwHighDateTime) << 32 |
                               fd.ftCreationTime.dwLowDateTime;
            list.push_back({root, fd.cFileName, recordFolder + "\\" + fd.cFileName, created});
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    // Oldest day first; the same day on several drives in creation order.
    std::stable_sort(list.begin(), list.end(), [](const RecordFolderEntry& a, const RecordFolderEntry& b) {
        if (a.name != b.name)
            return a.name < b.name;
        return a.creationTime < b.creationTime;
    });
    return list;
}

bool CRecordDisks::CleanUpRecordDisk() {
    const std::vector<RecordFolderEntry> folders = FindRecordFolders();
    auto log = [this](const std::string& line) { Log(line); };
    auto tr = [this](const char* s) { return Tr(s); };
    for (const RecordFolderEntry& e : folders) {
        // The day goes whole, its snapshots with it: the disk is a ring.
        if (DeleteFolderTree(e.path, log, tr)) {
            Log(Tr("Disk Clean Up! Delete Record Folder:") + " " + e.path);
        } else if (seams_.saveLocalLog) {
            seams_.saveLocalLog(seams_.appDir + "error.log");
        }
        if (FreeMB(e.root) > kRecordDiskMinFreeMB)
            return true;
    }
    return false;
}

}  // namespace record
