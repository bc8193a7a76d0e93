// The "Record Playback" window in a real session: its pages and their
// places, the source tree from a configuration with gaps and devices without
// channel blocks, the local search over record folders on drive R: (type
// boxes, exact device and channel filters, the 30 KB floor, the sort), the
// remote search's request and the rows of its replies, Esc, the copy of a
// local record and the download of a remote one with a test feeder.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RecordPlaybackDlg.h"
#include "app_services.h"
#include "app_state.h"
#include "channel_blocks.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "playback_gui.h"
#include "helpers.h"
#include "language.h"
#include "record_file_fixture.h"

using namespace record;

namespace {

const char kRoot[] = "R:\\TQX RecordData";
constexpr uint32_t kDriveR = 1u << ('R' - 'A');

using playgui::UseDefaultSolution;

// Local standard time of a day of the test month (November 2026).
time_t At(int day, int hour, int minute = 0, int second = 0, int isDst = 0) {
    tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 10;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = isDst;
    return mktime(&t);
}

FILETIME FileTimeOf(time_t t) {
    const uint64_t v = uint64_t(int64_t(t) * 10000000 + 116444736000000000LL);
    return FILETIME{DWORD(v), DWORD(v >> 32)};
}

// Sets a file's or folder's times. (Wine reports the earlier of a file's
// change and write times as its creation time, so the write time is the one
// that holds.)
void SetTimes(const std::string& path, time_t created, time_t written) {
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    const FILETIME c = FileTimeOf(created), w = FileTimeOf(written);
    ::SetFileTime(h, &c, &w, &w);
    ::CloseHandle(h);
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> b(size);
    for (size_t i = 0; i < size; ++i) b[i] = uint8_t(i * 31 + seed + (i >> 12));
    return b;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD done = 0;
    ::WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    ::CloseHandle(f);
}

std::vector<uint8_t> ReadBytes(const std::string& path) { return testsupport::ReadFileBytes(path); }

// One record file of the tree: the writer's layout below a date folder.
struct TreeFile {
    const char* dateFolder;
    const char* device;
    const char* channel;
    const char* name;
    size_t size;
    time_t time;
};

// Record folders on R: made as the writer lays them down, with their times;
// the folders get theirs last (adding entries changes a folder's times).
void MakeRecordTree(const std::vector<TreeFile>& files, const std::vector<std::pair<const char*, time_t>>& dates) {
    RemoveTree(kRoot);
    ::CreateDirectoryA(kRoot, nullptr);
    for (const TreeFile& f : files) {
        std::string dir = std::string(kRoot) + "\\" + f.dateFolder;
        ::CreateDirectoryA(dir.c_str(), nullptr);
        dir += std::string("\\") + f.device;
        ::CreateDirectoryA(dir.c_str(), nullptr);
        dir += std::string("\\") + f.channel;
        ::CreateDirectoryA(dir.c_str(), nullptr);
        const std::string path = dir + "\\" + f.name;
        WriteBytes(path, Pattern(f.size, uint8_t(f.size)));
        SetTimes(path, f.time, f.time);
    }
    for (const auto& d : dates) {
        const std::string date = std::string(kRoot) + "\\" + d.first;
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((date + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (fd.cFileName[0] == '.') continue;
                const std::string dev = date + "\\" + fd.cFileName;
                WIN32_FIND_DATAA cd;
                HANDLE hc = ::FindFirstFileA((dev + "\\*").c_str(), &cd);
                if (hc != INVALID_HANDLE_VALUE) {
                    do {
                        if (cd.cFileName[0] != '.') SetTimes(dev + "\\" + cd.cFileName, d.second, d.second);
                    } while (::FindNextFileA(hc, &cd));
                    ::FindClose(hc);
                }
                SetTimes(dev, d.second, d.second);
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        SetTimes(date, d.second, d.second);
    }
}

std::string DevicePath(const char* date, const char* device, const char* channel, const char* name) {
    return std::string(kRoot) + "\\" + date + "\\" + device + "\\" + channel + "\\" + name;
}

const std::vector<TreeFile>& StandardTree() {
    static const std::vector<TreeFile> files = {
        {"20261120", "10.0.0.7", "01", "01-1-20261120-100000-Channel-1.264", 30 * 1024, At(20, 10)},
        {"20261120", "10.0.0.7", "01", "01-1-20261120-090000-Channel-1.264", 30 * 1024 - 1, At(20, 9)},
        {"20261120", "10.0.0.7", "02", "02-2-20261120-093000-Channel-2.264", 31 * 1024, At(20, 9, 30)},
        {"20261120", "10.0.0.70", "01", "01-1-20261120-080000-Door.264", 40 * 1024, At(20, 8)},
        {"20261120", "10.0.0.7", "10", "10-1-20261120-110000-Channel-10.264", 1200 * 1024, At(20, 11)},
        // A date folder of another day: skipped though its file is in range.
        {"20261118", "10.0.0.7", "01", "01-1-20261120-120000-Channel-1.264", 30 * 1024, At(20, 12)},
    };
    return files;
}

void MakeStandardTree() { MakeRecordTree(StandardTree(), {{"20261120", At(20, 7)}, {"20261118", At(18, 7)}}); }

void SetDevice(shell::DeviceRecord& d, const char* address, const char* name, uint8_t channels) {
    d.inUse = 1;
    std::strncpy(d.address, address, sizeof d.address - 1);
    std::strncpy(d.serverName, name, sizeof d.serverName - 1);
    d.channelCount = channels;
}

SYSTEMTIME Sys(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    st.wHour = WORD(hour);
    st.wMinute = WORD(minute);
    st.wSecond = WORD(second);
    return st;
}

void SetPicker(HWND page, int id, const SYSTEMTIME& st) {
    ::SendMessageA(::GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

// The window with its four pages, a fake main dialog with four device
// records (one not in use) and the search walking drive R: only.
struct PlaybackFixture {
    FakeMainDlg main;
    std::unique_ptr<CRecordPlaybackDlg> dlg;

    PlaybackFixture() {
        UseDefaultSolution();
        gui::InitControls();
        shell::DeviceRecord* d = main.m_pConfig->devices;
        SetDevice(d[0], "10.0.0.7", "Gate", 2);      // not logged in: default names
        SetDevice(d[2], "10.0.0.70", "Yard", 1);     // logged in with its block
        d[2].state = 1;
        d[2].loginId = 77;
        shell::EnsureChannelBlocks(d[2]);
        std::strcpy(shell::ChannelBlock(d[2], 0), "Door");
        SetDevice(d[3], "10.0.0.9", "Empty", 0);
        d[0].loginId = 55;
        dlg = std::make_unique<CRecordPlaybackDlg>();
        dlg->m_search.m_logicalDrives = [] { return kDriveR; };
        EXPECT_TRUE(dlg->ShowPlayback(nullptr));
        dlg->MoveWindow(0, 0, 1000, 640);
        gui::PumpFor(50);
    }
    ~PlaybackFixture() {
        dlg->DestroyWindow();
        dlg.reset();
        gui::PumpFor(20);
    }
    CRecordSearchDlg& Search() { return dlg->m_search; }
    HWND Page() { return dlg->m_search.m_hWnd; }
    CListCtrl& List() { return dlg->m_search.List(); }
    std::string Cell(int row, int column) { return List().GetItemText(row, column).GetString(); }
    std::vector<std::string> Row(int row) {
        std::vector<std::string> v;
        for (int c = 0; c < CRecordSearchDlg::kColumns; ++c) v.push_back(Cell(row, c));
        return v;
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> v;
        for (int i = 0; i < List().GetItemCount(); ++i) v.push_back(Cell(i, column));
        return v;
    }
    void SetRange(const SYSTEMTIME& b, const SYSTEMTIME& e) {
        SetPicker(Page(), IDC_SEARCH_BEGIN_DATE, b);
        SetPicker(Page(), IDC_SEARCH_BEGIN_TIME, b);
        SetPicker(Page(), IDC_SEARCH_END_DATE, e);
        SetPicker(Page(), IDC_SEARCH_END_TIME, e);
    }
    void SetTypes(bool normal, bool alarm) {
        ::CheckDlgButton(Page(), IDC_SEARCH_NORMAL, normal ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(Page(), IDC_SEARCH_ALARM, alarm ? BST_CHECKED : BST_UNCHECKED);
    }
    void ClickSearch() { gui::Command(Page(), IDC_SEARCH_RECORD, BN_CLICKED); }
    CTreeCtrlEx& Tree() { return dlg->m_source.Tree(); }
    HTREEITEM Root(int i) {
        HTREEITEM h = Tree().GetRootItem();
        while (h && i-- > 0) h = Tree().GetNextSiblingItem(h);
        return h;
    }
    HTREEITEM Child(HTREEITEM root, int i) {
        HTREEITEM h = Tree().GetChildItem(root);
        while (h && i-- > 0) h = Tree().GetNextSiblingItem(h);
        return h;
    }
    // A selection change as the tree reports it.
    void ChooseNode(HTREEITEM item, UINT action = TVC_BYMOUSE) {
        Tree().SelectItem(item);
        NMTREEVIEWA nm{};
        nm.hdr.hwndFrom = Tree().m_hWnd;
        nm.hdr.idFrom = IDC_SOURCE_TREE;
        nm.hdr.code = TVN_SELCHANGEDA;
        nm.action = action;
        nm.itemNew.hItem = item;
        dlg->m_source.SendMessage(WM_NOTIFY, IDC_SOURCE_TREE, reinterpret_cast<LPARAM>(&nm));
    }
    void SetSourceMode(int id) {
        ::CheckRadioButton(dlg->m_source.m_hWnd, IDC_SOURCE_LOCAL, IDC_SOURCE_REMOTE, id);
        gui::Command(dlg->m_source.m_hWnd, id, BN_CLICKED);
    }
};

CRect ChildRect(CWnd& parent, CWnd& child) {
    CRect r;
    child.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

}  // namespace

TEST(RecordPlayback, PagesTakeTheirPlacesAndTheSourceTreeShowsTheConfiguration) {
    PlaybackFixture f;
    CRect c;
    f.dlg->GetClientRect(&c);
    EXPECT_EQ(ChildRect(*f.dlg, f.dlg->m_panel), CRect(0, 0, c.right - 230, c.bottom - 70));
    EXPECT_EQ(ChildRect(*f.dlg, f.dlg->m_source), CRect(c.right - 230, 0, c.right, 200));
    EXPECT_EQ(ChildRect(*f.dlg, f.dlg->m_search), CRect(c.right - 230, 200, c.right, c.bottom));
    EXPECT_EQ(ChildRect(*f.dlg, f.dlg->m_playerBar), CRect(0, c.bottom - 70, c.right - 230, c.bottom));
    EXPECT_EQ(gui::Text(f.dlg->m_hWnd), "Record Playback");
    EXPECT_EQ(g_pPlaybackSearchPage, static_cast<CPlaybackSearchPage*>(&f.Search()));

    // Devices 0, 2 and 3 (1 is not in use): indexes stay record indexes.
    CTreeCtrlEx& t = f.Tree();
    ASSERT_EQ(t.GetCount(), 3u + 2 + 1);
    struct {
        int root;
        const char* text;
        DWORD_PTR data;
        int channels;
        int code;
    } roots[] = {{0, "Gate", 0, 2, 513}, {1, "Yard", 2, 1, 513}, {2, "Empty", 3, 0, 514}};
    for (const auto& r : roots) {
        HTREEITEM h = f.Root(r.root);
        ASSERT_TRUE(h) << r.text;
        EXPECT_EQ(std::string(t.GetItemText(h).GetString()), r.text);
        EXPECT_EQ(t.GetItemData(h), r.data) << r.text;
        int n = 0, image = -1, selected = -1;
        for (HTREEITEM c2 = t.GetChildItem(h); c2; c2 = t.GetNextSiblingItem(c2)) ++n;
        EXPECT_EQ(n, r.channels) << r.text;
        t.GetItemImage(h, image, selected);
        EXPECT_EQ(image, CTreeCtrlEx::ImageOfCode(r.code)) << r.text;
    }
    // Without channel blocks the default names; with them the block's name.
    EXPECT_EQ(std::string(t.GetItemText(f.Child(f.Root(0), 0)).GetString()), "Channel-1");
    EXPECT_EQ(std::string(t.GetItemText(f.Child(f.Root(0), 1)).GetString()), "Channel-2");
    EXPECT_EQ(std::string(t.GetItemText(f.Child(f.Root(1), 0)).GetString()), "Door");
    EXPECT_EQ(t.GetItemData(f.Child(f.Root(0), 1)), DWORD_PTR(0xFFFFFF01u));

    // GetSelection per node.
    uint32_t device = 99;
    uint16_t mask = 0;
    t.SelectItem(nullptr);
    EXPECT_FALSE(f.dlg->m_source.GetSelection(device, mask));
    struct {
        HTREEITEM node;
        BOOL result;
        uint32_t device;
        uint16_t mask;
    } selections[] = {
        {f.Root(0), TRUE, 0, 0x3}, {f.Child(f.Root(0), 1), TRUE, 0, 0x2},
        {f.Root(1), TRUE, 2, 0x1}, {f.Root(2), TRUE, 3, 0x0},
    };
    for (const auto& s : selections) {
        t.SelectItem(s.node);
        device = 99;
        mask = 0;
        EXPECT_EQ(f.dlg->m_source.GetSelection(device, mask), s.result);
        EXPECT_EQ(device, s.device);
        EXPECT_EQ(mask, s.mask);
    }

    // A click names the node in the search page; keys do not.
    f.ChooseNode(f.Child(f.Root(1), 0));
    EXPECT_EQ(gui::Text(f.Page(), IDC_SEARCH_CHANNEL_NAME), "Door");
    f.ChooseNode(f.Root(0), TVC_BYKEYBOARD);
    EXPECT_EQ(gui::Text(f.Page(), IDC_SEARCH_CHANNEL_NAME), "Door");
    f.ChooseNode(f.Root(0));
    EXPECT_EQ(std::string(f.Search().m_channelNameText.GetString()), "Gate");
    // Switching the source rebuilds the tree and empties the name.
    f.SetSourceMode(IDC_SOURCE_REMOTE);
    EXPECT_EQ(f.Search().m_sourceMode, 1u);
    EXPECT_EQ(gui::Text(f.Page(), IDC_SEARCH_CHANNEL_NAME), "");
    EXPECT_EQ(t.GetCount(), 6u);
    f.SetSourceMode(IDC_SOURCE_LOCAL);
    EXPECT_EQ(f.Search().m_sourceMode, 0u);
}

TEST(RecordPlayback, LocalSearchFiltersAndSortsTheRecordFolders) {
    MakeStandardTree();
    PlaybackFixture f;
    f.SetRange(Sys(2026, 11, 20, 0, 0, 0), Sys(2026, 11, 20, 23, 59, 59));
    const std::string door = DevicePath("20261120", "10.0.0.70", "01", "01-1-20261120-080000-Door.264");
    const std::string ch1 = DevicePath("20261120", "10.0.0.7", "01", "01-1-20261120-100000-Channel-1.264");
    const std::string ch2 = DevicePath("20261120", "10.0.0.7", "02", "02-2-20261120-093000-Channel-2.264");
    const std::string ch10 = DevicePath("20261120", "10.0.0.7", "10", "10-1-20261120-110000-Channel-10.264");

    f.SetTypes(true, false);
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{door, ch1, ch10})) << "29 KB and alarm files are not listed";
    ASSERT_EQ(f.List().GetItemCount(), 3);
    EXPECT_EQ(f.Row(0), (std::vector<std::string>{"10.0.0.70", "01", "2026-11-20 8:00:00", "2026-11-20 8:00:00",
                                                  "0:00:00", "40 KB", "Normal Record", door}));
    EXPECT_EQ(f.Cell(2, 5), "1,200 KB");
    EXPECT_EQ(f.Search().m_listMode, 0u);

    f.SetTypes(true, true);
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{door, ch2, ch1, ch10}));
    EXPECT_EQ(f.Cell(1, 6), "Alarm Record");
    f.SetTypes(false, true);
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{ch2}));

    // Only files overlapping the range.
    f.SetTypes(true, true);
    f.SetRange(Sys(2026, 11, 20, 9, 15, 0), Sys(2026, 11, 20, 10, 0, 0));
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{ch2, ch1}));
    f.SetRange(Sys(2026, 11, 20, 0, 0, 0), Sys(2026, 11, 20, 23, 59, 59));

    // A device node: its own folder only (10.0.0.70 merely contains 10.0.0.7).
    f.ChooseNode(f.Root(0));
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{ch2, ch1, ch10}));
    // A channel node: its own name only (not Channel-10).
    f.ChooseNode(f.Child(f.Root(0), 0));
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{ch1}));

    gui::MessageBoxScript boxes;
    f.SetTypes(false, false);
    f.ClickSearch();
    f.SetTypes(true, false);
    f.SetRange(Sys(2026, 11, 20, 10, 0, 1), Sys(2026, 11, 20, 10, 0, 0));
    f.ClickSearch();
    auto b = boxes.Boxes();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].text, "Please select record type!");
    EXPECT_EQ(b[0].caption, "PROMPT");
    EXPECT_EQ(b[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(b[1].text, "Please make sure that end time is larger than begin time!");
    EXPECT_EQ(f.List().GetItemCount(), 0);
    // Equal times pass.
    f.SetRange(Sys(2026, 11, 20, 10, 0, 0), Sys(2026, 11, 20, 10, 0, 0));
    f.ClickSearch();
    EXPECT_EQ(f.Column(7), (std::vector<std::string>{ch1}));
    EXPECT_EQ(boxes.Count(), 2u);

    f.SetRange(Sys(2026, 11, 20, 0, 0, 0), Sys(2026, 11, 20, 23, 59, 59));
    f.SetSourceMode(IDC_SOURCE_LOCAL);
    f.SetTypes(true, true);
    f.ClickSearch();
    gui::PumpFor(100);
    gui::SaveWindowBitmap(f.dlg->m_hWnd, gui::OutputPath("record_playback.bmp"));
}

TEST(RecordPlayback, RemoteSearchSendsTheRequestAndListsTheReplies) {
    PlaybackFixture f;
    f.SetSourceMode(IDC_SOURCE_REMOTE);
    f.SetTypes(true, false);
    // No selection: nothing is sent.
    f.ClickSearch();
    EXPECT_TRUE(f.main.Sent().empty());

    f.ChooseNode(f.Root(0));
    gui::MessageBoxScript boxes;
    f.SetRange(Sys(2026, 11, 20, 5, 30, 0), Sys(2026, 11, 20, 7, 10, 0));
    f.ClickSearch();
    EXPECT_TRUE(f.main.Sent().empty()) << "08:30 to 08:10 is refused";
    ASSERT_EQ(boxes.Count(), 1u);

    f.SetRange(Sys(2026, 11, 20, 5, 30, 0), Sys(2026, 11, 20, 9, 0, 0));
    f.SetTypes(true, true);
    f.ClickSearch();
    auto sent = f.main.Sent();
    ASSERT_EQ(sent.size(), 2u);
    const uint32_t begin = uint32_t(At(20, 8, 30, 0, -1)), end = uint32_t(At(20, 9, 0, 0, -1));
    std::vector<unsigned char> expect(28, 0);
    expect[0] = 1;
    expect[1] = 0xC2;
    expect[2] = 1;
    expect[14] = 12;
    std::memcpy(&expect[20], &begin, 4);
    std::memcpy(&expect[24], &end, 4);
    EXPECT_EQ(sent[0].bytes, expect);
    EXPECT_EQ(sent[0].address, "10.0.0.7");
    expect[2] = 2;
    EXPECT_EQ(sent[1].bytes, expect);
    // A channel node other than the first: byte 16 says so.
    f.ChooseNode(f.Child(f.Root(0), 1));
    f.SetTypes(true, false);
    f.ClickSearch();
    sent = f.main.Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].bytes[16], 0xFF);
    EXPECT_EQ(f.Search().m_listMode, 1u);

    // Replies, as the UDP dispatch hands them on.
    std::vector<uint8_t> reply(8 + 800, 0);
    reply[0] = 1;
    reply[1] = 4;
    const uint32_t times[] = {uint32_t(At(20, 8, 40)), uint32_t(At(20, 8, 50)), 0, uint32_t(At(20, 9)),
                              uint32_t(At(20, 9)), uint32_t(At(20, 9)), uint32_t(At(21, 9, 30)), uint32_t(At(20, 8, 30))};
    std::memcpy(&reply[8], times, sizeof times);
    f.main.m_udpReceivers.OnRecordList("10.0.0.7", 1, reply.data(), reply.size());
    ASSERT_EQ(f.List().GetItemCount(), 1) << "zero, equal and reversed entries make no row";
    EXPECT_EQ(f.Row(0), (std::vector<std::string>{"10.0.0.7", "2", "2026-11-20 8:40:00", "2026-11-20 8:50:00",
                                                  "0:10:00", "", "Normal Record", "ch1-4-202611208400-600"}));
    const RemoteRecordRow* row = f.Search().RemoteRow(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->deviceIndex, 0);
    EXPECT_EQ(std::string(row->file.fileName.GetString()), "ch1-4-202611208400-600");
    EXPECT_EQ(row->file.begin.hour, 8);
    EXPECT_EQ(row->file.end.minute, 50);

    // Short and malformed replies add nothing; an alarm reply adds its rows.
    f.main.m_udpReceivers.OnRecordList("10.0.0.7", 1, reply.data(), 15);
    f.main.m_udpReceivers.OnRecordList("10.0.0.7", 1, reply.data(), 3);
    EXPECT_EQ(f.List().GetItemCount(), 1);
    f.main.m_udpReceivers.OnRecordList("10.0.0.7", 2, reply.data(), 16);
    ASSERT_EQ(f.List().GetItemCount(), 2);
    EXPECT_EQ(f.Cell(1, 6), "Alarm Record");
    // A new search clears the rows and their records.
    f.ClickSearch();
    EXPECT_EQ(f.List().GetItemCount(), 0);
    EXPECT_EQ(f.Search().RemoteRow(0), nullptr);
}

TEST(RecordPlayback, EscStopsThePanesAndHidesTheWindow) {
    FixtureFile clip(40, "rpb_clip.264");
    PlaybackFixture f;
    f.dlg->m_panel.PlayFile(clip.path.c_str());
    ASSERT_TRUE(f.dlg->m_panel.Pane(0).m_busy);
    // Esc: the dialog manager's cancel command.
    f.dlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(gui::PumpUntil([&] { return !::IsWindowVisible(f.dlg->m_hWnd); }, 3000));
    EXPECT_FALSE(f.dlg->m_panel.Pane(0).m_busy) << "playback stops with the window";
    // Shown again, it is the same window.
    EXPECT_TRUE(f.dlg->ShowPlayback(nullptr));
    EXPECT_TRUE(::IsWindowVisible(f.dlg->m_hWnd));
}

namespace {

// Waits on its own thread for a top-level window of this caption, then runs act.
class WhenWindow {
public:
    WhenWindow(const char* caption, std::function<void(HWND)> act)
        : m_thread([this, caption, act] {
              for (int i = 0; i < 1000 && !m_stop; ++i) {
                  HWND h = ::FindWindowA(nullptr, caption);
                  if (h && ::IsWindowVisible(h)) {
                      act(h);
                      return;
                  }
                  ::Sleep(10);
              }
          }) {}
    ~WhenWindow() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

TEST(RecordPlayback, BackupCopiesRefusesTheSourceAndReportsFailures) {
    MakeStandardTree();
    PlaybackFixture f;
    f.SetRange(Sys(2026, 11, 20, 0, 0, 0), Sys(2026, 11, 20, 23, 59, 59));
    f.ClickSearch();
    ASSERT_EQ(f.List().GetItemCount(), 3);
    const std::string source = f.Cell(2, 7);   // the 1,200 KB file
    std::string target;
    f.Search().m_chooseSavePath = [&](const char* filter, CString& path) {
        EXPECT_STREQ(filter, "Record Files (*.264)|*.264|All Files (*.*)|*.*||");
        path = target.c_str();
        return TRUE;
    };

    // Nothing selected.
    {
        gui::MessageBoxScript boxes;
        f.List().SetSelectionMark(-1);
        f.Search().SaveSelected();
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Please select a record file to backup!");
    }
    f.List().SetSelectionMark(2);

    // A whole copy; a name without an extension gets ".264".
    ::DeleteFileA("Q:\\backup.264");
    target = "Q:\\backup";
    {
        gui::MessageBoxScript boxes;
        f.Search().SaveSelected();
        auto b = boxes.Boxes();
        ASSERT_EQ(b.size(), 1u);
        EXPECT_EQ(b[0].text, "Backup local record complete!");
        EXPECT_EQ(b[0].caption, "PROMPT");
    }
    EXPECT_EQ(ReadBytes("Q:\\backup.264"), ReadBytes(source));

    // The source under other spellings is refused and left whole.
    const std::string other = std::string(kRoot) + "\\20261120\\..\\20261120\\10.0.0.7\\10\\" +
                              "10-1-20261120-110000-Channel-10.264";
    for (const std::string& spelling : {other, std::string("r") + source.substr(1)}) {
        target = spelling;
        gui::MessageBoxScript boxes;
        f.Search().SaveSelected();
        auto b = boxes.Boxes();
        ASSERT_EQ(b.size(), 1u) << spelling;
        EXPECT_EQ(b[0].text, "File path can not be same!");
        EXPECT_EQ(b[0].caption, "ERROR");
    }
    EXPECT_EQ(ReadBytes(source).size(), 1200u * 1024);

}

namespace {

// The copy dialog with a slow destination, or one that takes nothing.
std::string g_source, g_dest;
bool g_failWrites = false;
class CSlowBackupDlg : public CBackupRecordDlg {
public:
    CSlowBackupDlg() : CBackupRecordDlg(g_source.c_str(), g_dest.c_str()) {}
    std::atomic<int> m_blocks{0};

protected:
    BOOL WriteBlock(CFile& dest, const void* data, UINT size) override {
        ++m_blocks;
        if (g_failWrites) return FALSE;
        ::Sleep(20);
        return CBackupRecordDlg::WriteBlock(dest, data, size);
    }
};

}  // namespace

TEST(RecordPlayback, BackupCancelEndsPromptlyAndWriteFailuresAreReported) {
    g_source = "Q:\\slow_source.264";
    g_dest = "Q:\\slow_copy.264";
    WriteBytes(g_source, Pattern(8u << 20, 3));
    g_failWrites = false;
    {
        gui::MessageBoxScript boxes({IDNO, IDYES});
        gui::ModalRunner<CSlowBackupDlg> run;
        HWND h = run.WaitForWindow(5000);
        ASSERT_TRUE(h);
        EXPECT_EQ(gui::Text(h), "Backup Local record");
        EXPECT_EQ(gui::Text(h, IDC_BACKUP_SOURCE), g_source);
        EXPECT_EQ(gui::Text(h, IDC_BACKUP_DEST), g_dest);
        ASSERT_TRUE(gui::PumpUntil([&] { return run.Dialog() && run.Dialog()->m_blocks >= 3; }, 5000));
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);   // No: the copy goes on
        const int before = run.Dialog()->m_blocks;
        ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 1 && run.Dialog()->m_blocks > before + 2; }, 5000));
        const int pos = int(::SendMessageA(::GetDlgItem(h, IDC_RECORD_PROGRESS), PBM_GETPOS, 0, 0));
        EXPECT_GT(pos, 0);
        EXPECT_LT(pos, 1000);
        const DWORD t0 = ::GetTickCount();
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);   // Yes
        // Pumping: closing the dialog may send to this thread's windows.
        ASSERT_TRUE(gui::PumpUntil([&] { return run.Wait(0); }, 5000));
        // A worker blocked on the dialog would hold it for the full 5 s wait;
        // hiding the window costs up to 2 s of X11 under Xvfb.
        EXPECT_LT(::GetTickCount() - t0, 4000u) << "cancel waits for one block at most";
        EXPECT_EQ(run.Result(), IDCANCEL);
        auto b = boxes.Boxes();
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(b[0].text, "Are you sure you want to cancel backup local record?");
        EXPECT_EQ(b[0].caption, "WARNING");
        WIN32_FILE_ATTRIBUTE_DATA fa{};
        ASSERT_TRUE(::GetFileAttributesExA(g_dest.c_str(), GetFileExInfoStandard, &fa));
        EXPECT_LT(fa.nFileSizeLow, 8u << 20) << "the copy stopped part way";
    }
    // A target that takes nothing (a full disk): reported, never "complete!".
    g_failWrites = true;
    {
        gui::MessageBoxScript boxes;
        gui::ModalRunner<CSlowBackupDlg> run;
        HWND h = run.WaitForWindow(5000);
        ASSERT_TRUE(h);
        ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() >= 1; }, 5000));
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);   // the worker has ended: no question
        ASSERT_TRUE(run.Wait(5000));
        auto b = boxes.Boxes();
        ASSERT_EQ(b.size(), 1u);
        EXPECT_EQ(b[0].text, "Write file " + g_dest + " failed!");
        EXPECT_EQ(b[0].caption, "ERROR");
    }
    g_failWrites = false;
    ::DeleteFileA(g_dest.c_str());
    ::DeleteFileA(g_source.c_str());
}

TEST(RecordPlayback, AddFilesListsChosenFiles) {
    RemoveTree(kRoot);
    PlaybackFixture f;
    // A file whose write time is not after its creation: the header's length.
    const std::string a = "Q:\\added.264";
    std::vector<uint8_t> bytes = FileHeader(25, 25 * 90000);
    bytes.resize(kShortestPlayableFile, 0);
    WriteBytes(a, bytes);
    f.Search().m_chooseOpenFiles = [&](const char* filter) {
        EXPECT_STREQ(filter, "Record Files (*.264)|*.264|Record Files (*.mp4)|*.mp4|All Files  (*.*)|*.*||");
        return std::vector<std::string>{a};
    };
    f.Search().AddFiles();
    ASSERT_EQ(f.List().GetItemCount(), 1);
    EXPECT_EQ(f.Cell(0, 0), "Unknown");
    EXPECT_EQ(f.Cell(0, 1), "");
    EXPECT_EQ(f.Cell(0, 4), "25:00:00");
    EXPECT_EQ(f.Cell(0, 5), "16 KB");
    EXPECT_EQ(f.Cell(0, 6), "Unknown");
    EXPECT_EQ(f.Cell(0, 7), a);
    EXPECT_EQ(f.Search().m_listMode, 0u);
    ::DeleteFileA(a.c_str());
}
TEST(RecordPlayback, DownloadWritesFedBytesAndEndsOnItsMessage) {
    PlaybackFixture f;
    f.SetSourceMode(IDC_SOURCE_REMOTE);
    f.ChooseNode(f.Root(1));
    f.ClickSearch();
    std::vector<uint8_t> reply(16, 0);
    const uint32_t times[] = {uint32_t(At(20, 8, 40)), uint32_t(At(20, 8, 50))};
    std::memcpy(&reply[8], times, sizeof times);
    f.main.m_udpReceivers.OnRecordList("10.0.0.70", 1, reply.data(), reply.size());
    ASSERT_EQ(f.List().GetItemCount(), 1);
    f.List().SetSelectionMark(0);
    ::DeleteFileA("Q:\\download.264");
    f.Search().m_chooseSavePath = [](const char*, CString& path) {
        path = "Q:\\download";
        return TRUE;
    };
    const std::vector<uint8_t> data = Pattern(1536000, 9);
    std::string downloaded, network, savePath;
    uint32_t loginId = 0;
    gui::MessageBoxScript boxes;
    WhenWindow feeder("Download Record File", [&](HWND h) {
        CRecordSearchDlg& s = f.Search();
        loginId = s.m_downloadLoginId;
        for (size_t at = 0; at < data.size(); at += 64000)
            EXPECT_TRUE(s.FeedDownload(&data[at], uint32_t(std::min<size_t>(64000, data.size() - at)),
                                       uint32_t((at + 64000) * 1000 / data.size())));
        // The dialog's one-second tick shows the counters.
        for (int i = 0; i < 300 && gui::Text(h, IDC_DOWNLOAD_DOWNLOADED) != "1,500"; ++i) ::Sleep(10);
        downloaded = gui::Text(h, IDC_DOWNLOAD_DOWNLOADED);
        network = gui::Text(h, IDC_DOWNLOAD_NETWORK_FILE);
        savePath = gui::Text(h, IDC_DOWNLOAD_SAVE_PATH);
        s.FinishDownload();
    });
    f.Search().SaveSelected();
    EXPECT_EQ(downloaded, "1,500");
    EXPECT_EQ(network, "ch0-0-202611208400-600");
    EXPECT_EQ(savePath, "Q:\\download.264");
    EXPECT_EQ(loginId, 77u);
    auto b = boxes.Boxes();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, "Download record file complete!");
    EXPECT_FALSE(f.Search().m_downloadActive);
    EXPECT_FALSE(f.Search().FeedDownload(data.data(), 10, 0)) << "nothing is written after the dialog";
    EXPECT_EQ(ReadBytes("Q:\\download.264"), data);
    ::DeleteFileA("Q:\\download.264");
}
