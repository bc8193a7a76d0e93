#include "RecordSearchDlg.h"

#include <commdlg.h>

#include <cstring>

#include "app_services.h"
#include "app_state.h"
#include "language.h"
#include "main_dlg_face.h"

using record::LocalTime;

namespace {

struct ListColumn {
    const char* title;
    int width;
};
const ListColumn kListColumns[CRecordSearchDlg::kColumns] = {
    {"Ipaddress", 100}, {"Channel", 40},    {"Begin Time", 128},  {"End Time", 128},
    {"Duration", 70},   {"File Size", 80},  {"Record Type", 100}, {"File Path", 400},
};

int64_t FileTimeToUnix(const FILETIME& ft) {
    const int64_t ticks = int64_t(uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime);
    return (ticks - 116444736000000000LL) / 10000000;
}

LocalTime UnixToLocal(int64_t t) {
    const time_t tt = time_t(t);
    LocalTime lt{1970, 1, 1, 0, 0, 0};
    if (const tm* p = localtime(&tt)) lt = {p->tm_year + 1900, p->tm_mon + 1, p->tm_mday, p->tm_hour, p->tm_min, p->tm_sec};
    return lt;
}

std::string ListTime(int64_t t) { return record::FormatListTime(UnixToLocal(t)); }

// The local time of a date picker's day and a time picker's time; isDst -1
// lets the library decide daylight saving, 0 takes standard time.
int64_t PickerTime(const SYSTEMTIME& date, LocalTime time, int isDst) {
    tm t{};
    t.tm_year = date.wYear - 1900;
    t.tm_mon = date.wMonth - 1;
    t.tm_mday = date.wDay;
    t.tm_hour = time.hour;
    t.tm_min = time.minute;
    t.tm_sec = time.second;
    t.tm_isdst = isDst;
    return int64_t(mktime(&t));
}

LocalTime TimeOf(const SYSTEMTIME& st) { return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}; }

bool IsDots(const char* name) { return !strcmp(name, ".") || !strcmp(name, ".."); }

// Calls f for each entry of a folder pattern.
template <class F>
void EachEntry(const std::string& pattern, F f) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!IsDots(fd.cFileName)) f(fd);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

bool IsDir(const WIN32_FIND_DATAA& fd) { return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

CString Filter(const char* extension, bool withMp4) {
    CString record = TranslateString("Record Files"), all = TranslateString("All Files");
    CString f;
    if (withMp4)
        f.Format("%s (*.%s)|*.%s|%s (*.%s)|*.%s|%s  (*.*)|*.*||", record.GetString(), "264", "264",
                 record.GetString(), "mp4", "mp4", all.GetString());
    else
        f.Format("%s (*.%s)|*.%s|%s (*.*)|*.*||", record.GetString(), extension, extension, all.GetString());
    return f;
}

CString OpenFailedText(const CString& path) {
    CString text;
    text.Format("%s %s %s", TranslateString("Open file").GetString(), path.GetString(),
                TranslateString("failed!").GetString());
    return text;
}

// Whether two paths name one existing file (another spelling, a short name,
// "..", a second mapping of the folder).
bool SameFile(const char* a, const char* b) {
    if (!_stricmp(a, b)) return true;
    auto open = [](const char* p) {
        return ::CreateFileA(p, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    HANDLE ha = open(a);
    if (ha == INVALID_HANDLE_VALUE) return false;
    HANDLE hb = open(b);
    bool same = false;
    if (hb != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION ia{}, ib{};
        if (::GetFileInformationByHandle(ha, &ia) && ::GetFileInformationByHandle(hb, &ib))
            same = ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
                   ia.nFileIndexLow == ib.nFileIndexLow;
        ::CloseHandle(hb);
    }
    ::CloseHandle(ha);
    return same;
}

CPlaybackPanelDlg* Panel() {
    CPlaybackPanelDlg* panel = g_pPlaybackPanel;
    return panel && ::IsWindow(panel->GetSafeHwnd()) ? panel : nullptr;
}

}  // namespace

// ------------------------------------------------------------- side pages

void PaintPageBackground(CWnd& page) {
    CPaintDC dc(&page);
    CRect client;
    page.GetClientRect(&client);
    dc.FillSolidRect(&client, g_skinBackColor);
}

HBRUSH PageControlColor(CDC* dc, CWnd* control, UINT ctlType) {
    // Read-only edits are "static" to the system too: they keep their own.
    char cls[16] = "";
    if (control) ::GetClassNameA(control->GetSafeHwnd(), cls, sizeof cls);
    if (ctlType != CTLCOLOR_STATIC || _stricmp(cls, "Edit") == 0) return nullptr;
    dc->SetBkColor(g_skinBackColor);
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void StretchToPageBottom(CWnd& page, CWnd& child, int pageHeight) {
    if (!child.GetSafeHwnd()) return;
    CRect r;
    child.GetWindowRect(&r);
    page.ScreenToClient(&r);
    child.MoveWindow(r.left, r.top, r.Width(), pageHeight > r.top ? pageHeight - r.top : 0);
}

// ------------------------------------------------------------- copy dialog

BEGIN_MESSAGE_MAP(CBackupRecordDlg, CDialog)
    ON_MESSAGE(WM_BACKUP_COPY_DONE, OnCopyDone)
    ON_MESSAGE(WM_BACKUP_COPY_FAILED, OnCopyFailed)
END_MESSAGE_MAP()

CBackupRecordDlg::CBackupRecordDlg(const CString& source, const CString& dest, CWnd* parent)
    : CDialog(IDD, parent), m_sourcePath(source), m_destPath(dest) {}

CBackupRecordDlg::~CBackupRecordDlg() { StopWorker(); }

BOOL CBackupRecordDlg::WorkerAlive() const {
    return m_thread && ::WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT;
}

BOOL CBackupRecordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(TranslateString("Backup Local record"));
    TranslateDialog(this);
    SetDlgItemText(IDC_BACKUP_SOURCE, m_sourcePath);
    SetDlgItemText(IDC_BACKUP_DEST, m_destPath);
    m_progress.SubclassDlgItem(IDC_RECORD_PROGRESS, this);
    m_progress.SetRange32(0, record::kProgressRange);
    m_window = m_hWnd;
    m_running = 1;
    m_thread = ::CreateThread(nullptr, 0, CopyThreadProc, this, 0, nullptr);
    if (m_thread) ::SetThreadPriority(m_thread, THREAD_PRIORITY_IDLE);
    return TRUE;
}

void CBackupRecordDlg::OnCancel() {
    if (WorkerAlive()) {
        if (TranslatedMessageBox(this, "Are you sure you want to cancel backup local record?", "WARNING",
                                 MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        // The worker never waits for this thread (its progress is posted), so
        // it notices the flag within one block.
        StopWorker();
    }
    EndDialog(IDCANCEL);
}

void CBackupRecordDlg::StopWorker() {
    m_running = 0;
    if (!m_thread) return;
    // At idle priority a busy machine may not run the worker for seconds:
    // it finishes its block at normal priority.
    ::SetThreadPriority(m_thread, THREAD_PRIORITY_NORMAL);
    if (::WaitForSingleObject(m_thread, 5000) == WAIT_TIMEOUT) ::TerminateThread(m_thread, DWORD(-1));
    ::CloseHandle(m_thread);
    m_thread = nullptr;
}

LRESULT CBackupRecordDlg::OnCopyDone(WPARAM, LPARAM) {
    m_progress.SetPos(record::kProgressRange);
    TranslatedMessageBox(this, "Backup local record complete!", "PROMPT", MB_OK | MB_ICONINFORMATION);
    EndDialog(1);
    return 0;
}

LRESULT CBackupRecordDlg::OnCopyFailed(WPARAM, LPARAM box) { return ShowPostedMessageBox(this, box); }

DWORD WINAPI CBackupRecordDlg::CopyThreadProc(LPVOID self) {
    static_cast<CBackupRecordDlg*>(self)->CopyFile();
    return 1007;
}

void CBackupRecordDlg::PostFailure(const char* what, const CString& path) {
    auto* box = new PostedMessageBox;
    box->text.Format("%s %s %s", TranslateString(what).GetString(), path.GetString(),
                     TranslateString("failed!").GetString());
    box->caption = "ERROR";
    box->type = MB_OK | MB_ICONSTOP;
    if (!::PostMessageA(m_window, WM_BACKUP_COPY_FAILED, 0, reinterpret_cast<LPARAM>(box))) delete box;
}

void CBackupRecordDlg::CopyFile() {
    CFile source, dest;
    if (!source.Open(m_sourcePath, CFile::modeRead | CFile::shareDenyNone)) {
        PostFailure("Open file", m_sourcePath);
        return;
    }
    if (!dest.Open(m_destPath, CFile::modeCreate | CFile::modeWrite)) {
        PostFailure("Open file", m_destPath);
        return;
    }
    const uint64_t length = source.GetLength();
    std::vector<char> block(record::kCopyBlockSize);
    uint64_t copied = 0;
    while (m_running && copied < length) {
        const UINT got = source.Read(block.data(), UINT(block.size()));
        if (got == 0) break;
        if (!WriteBlock(dest, block.data(), got)) {
            // A full or read-only target: never report this as complete.
            PostFailure("Write file", m_destPath);
            return;
        }
        copied += got;
        ::PostMessageA(::GetDlgItem(m_window, IDC_RECORD_PROGRESS), PBM_SETPOS,
                       WPARAM(record::CopyProgress(copied, length)), 0);
    }
    const bool cancelled = !m_running;
    dest.Close();
    source.Close();
    if (!cancelled) ::PostMessageA(m_window, WM_BACKUP_COPY_DONE, 0, 0);
}

// --------------------------------------------------------- download dialog

BEGIN_MESSAGE_MAP(CDownloadRecordDlg, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_DOWNLOAD_DONE, OnDownloadDone)
END_MESSAGE_MAP()

CDownloadRecordDlg::CDownloadRecordDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CDownloadRecordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(TranslateString("Download Record File"));
    TranslateDialog(this);
    SetTimer(1, 1000, nullptr);
    m_progress.SubclassDlgItem(IDC_RECORD_PROGRESS, this);
    m_progress.SetRange32(0, record::kProgressRange);
    SetDlgItemText(IDC_DOWNLOAD_NETWORK_FILE, m_networkFile);
    SetDlgItemText(IDC_DOWNLOAD_SAVE_PATH, m_savePath);
    return TRUE;
}

void CDownloadRecordDlg::UpdateProgress() {
    SetDlgItemText(IDC_DOWNLOAD_DOWNLOADED, record::FormatThousands(m_downloadedBytes / 1024).c_str());
    SetDlgItemText(IDC_DOWNLOAD_RATE,
                   record::FormatThousands(record::DownloadRateKbps(m_bytesThisSecond.exchange(0))).c_str());
    m_progress.SetPos(int(m_progressPerMille.load()));
}

void CDownloadRecordDlg::OnTimer(UINT_PTR id) {
    if (id == 1) UpdateProgress();
}

void CDownloadRecordDlg::OnCancel() {
    if (TranslatedMessageBox(this, "Are you sure you want to cancel the downloading?", "WARNING",
                             MB_YESNO | MB_ICONQUESTION) == IDYES)
        EndDialog(IDCANCEL);
}

LRESULT CDownloadRecordDlg::OnDownloadDone(WPARAM, LPARAM) {
    UpdateProgress();
    TranslatedMessageBox(this, "Download record file complete!", "PROMPT", MB_OK | MB_ICONINFORMATION);
    EndDialog(1);
    return 0;
}

void CDownloadRecordDlg::OnDestroy() {
    KillTimer(1);
    m_networkFile.Empty();
    m_downloadedBytes = 0;
    m_bytesThisSecond = 0;
    m_progressPerMille = 0;
    CDialog::OnDestroy();
}

// -------------------------------------------------------------- search page

BEGIN_MESSAGE_MAP(CRecordSearchDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CRecordSearchDlg::CRecordSearchDlg(CWnd* parent) : CDialog(IDD, parent) { g_pPlaybackSearchPage = this; }

CRecordSearchDlg::~CRecordSearchDlg() {
    if (g_pPlaybackSearchPage == this) g_pPlaybackSearchPage = nullptr;
    std::lock_guard<std::mutex> l(m_downloadLock);
    m_downloadFile.Close();
}

BOOL CRecordSearchDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateDialog(this);
    m_beginDate.SubclassDlgItem(IDC_SEARCH_BEGIN_DATE, this);
    m_beginTime.SubclassDlgItem(IDC_SEARCH_BEGIN_TIME, this);
    m_endDate.SubclassDlgItem(IDC_SEARCH_END_DATE, this);
    m_endTime.SubclassDlgItem(IDC_SEARCH_END_TIME, this);
    m_searchButton.SubclassDlgItem(IDC_SEARCH_RECORD, this);
    m_playButton.SubclassDlgItem(IDC_SEARCH_PLAY, this);
    m_searchButton.m_backColor = g_skinBackColor;
    m_playButton.m_backColor = g_skinBackColor;
    m_list.SubclassDlgItem(IDC_SEARCH_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kColumns; ++i)
        m_list.InsertColumn(i, TranslateString(kListColumns[i].title), LVCFMT_LEFT, kListColumns[i].width);

    m_normalWanted = TRUE;
    CheckDlgButton(IDC_SEARCH_NORMAL, BST_CHECKED);
    CheckDlgButton(IDC_SEARCH_ALARM, m_alarmWanted ? BST_CHECKED : BST_UNCHECKED);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    SYSTEMTIME day = now;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    m_beginDate.SetTime(&day);
    m_beginTime.SetTime(&day);
    day.wHour = 23;
    day.wMinute = day.wSecond = 59;
    m_endDate.SetTime(&day);
    m_endTime.SetTime(&day);
    SYSTEMTIME range[2] = {};
    range[0] = {1990, 12, 0, 1, 23, 59, 59, 0};
    range[1] = {WORD(now.wYear + 5), 12, 0, 1, 23, 59, 59, 0};
    m_beginDate.SendMessage(DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    m_endDate.SendMessage(DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    SetChannelName("");
    if (g_pMainDlg && !m_registered) {
        g_pMainDlg->RegisterUdpReceiver(this);
        m_registered = true;
    }
    return TRUE;
}

void CRecordSearchDlg::OnDestroy() {
    if (m_registered && g_pMainDlg) g_pMainDlg->UnregisterUdpReceiver(this);
    m_registered = false;
    if (m_listMode == kRemote) ClearResults();
    CDialog::OnDestroy();
}

void CRecordSearchDlg::OnPaint() { PaintPageBackground(*this); }

HBRUSH CRecordSearchDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType) {
    if (HBRUSH brush = PageControlColor(dc, wnd, ctlType)) return brush;
    return CDialog::OnCtlColor(dc, wnd, ctlType);
}

void CRecordSearchDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    StretchToPageBottom(*this, m_list, cy);
}

BOOL CRecordSearchDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDC_SEARCH_RECORD: OnSearch(); return TRUE;
            case IDC_SEARCH_PLAY: PlayChecked(); return TRUE;
            default: break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CRecordSearchDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
    if (nm && nm->idFrom == IDC_SEARCH_LIST && nm->code == NM_DBLCLK) {
        PlaySelected();
        *result = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CRecordSearchDlg::SetChannelName(const CString& text) {
    m_channelNameText = text;
    if (m_hWnd) SetDlgItemText(IDC_SEARCH_CHANNEL_NAME, text);
}

BOOL CRecordSearchDlg::ReadControls() {
    m_normalWanted = IsDlgButtonChecked(IDC_SEARCH_NORMAL) == BST_CHECKED;
    m_alarmWanted = IsDlgButtonChecked(IDC_SEARCH_ALARM) == BST_CHECKED;
    return TRUE;
}

BOOL CRecordSearchDlg::SearchTimes(bool remote, int64_t& begin, int64_t& end) {
    SYSTEMTIME bd{}, bt{}, ed{}, et{};
    m_beginDate.GetTime(&bd);
    m_beginTime.GetTime(&bt);
    m_endDate.GetTime(&ed);
    m_endTime.GetTime(&et);
    LocalTime b = TimeOf(bt), e = TimeOf(et);
    if (remote) {
        b = record::RemoteSearchTime(b);
        e = record::RemoteSearchTime(e);
    }
    begin = PickerTime(bd, b, remote ? -1 : 0);
    end = PickerTime(ed, e, remote ? -1 : 0);
    if (begin > end) {
        TranslatedMessageBox(this, "Please make sure that end time is larger than begin time!", "PROMPT",
                             MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

void CRecordSearchDlg::OnSearch() {
    ClearResults();
    if (m_sourceMode == kLocal) {
        SearchLocal();
        m_listMode = kLocal;
    } else {
        SearchRemote();
        m_listMode = kRemote;
    }
}

void CRecordSearchDlg::ClearResults() {
    m_remoteRows.clear();
    if (m_list.GetSafeHwnd()) m_list.DeleteAllItems();
}

const RemoteRecordRow* CRecordSearchDlg::RemoteRow(int row) const {
    if (m_listMode != kRemote || !m_list.GetSafeHwnd() || row < 0) return nullptr;
    const size_t i = size_t(m_list.GetItemData(row));
    return i < m_remoteRows.size() ? &m_remoteRows[i] : nullptr;
}

void CRecordSearchDlg::SearchLocal() {
    ReadControls();
    std::string deviceAddress, deviceNameFilter;
    uint32_t device = 0;
    uint16_t mask = 0;
    if (m_chosenSource && m_chosenSource(device, mask) && g_pMainDlg &&
        g_pMainDlg->m_pConfig && device < 36) {
        const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[device];
        deviceAddress.assign(d.address, strnlen(d.address, sizeof d.address));
        const std::string serverName(d.serverName, strnlen(d.serverName, sizeof d.serverName));
        if (m_channelNameText.GetString() == serverName) deviceNameFilter = serverName;
    }
    if (!m_normalWanted && !m_alarmWanted) {
        TranslatedMessageBox(this, "Please select record type!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int64_t begin = 0, end = 0;
    if (!SearchTimes(false, begin, end)) return;
    const uint32_t drives = m_logicalDrives ? m_logicalDrives() : ::GetLogicalDrives();
    for (int bit = 2; bit <= 24; ++bit)
        if (drives >> bit & 1) SearchDrive(char('A' + bit), begin, end, deviceAddress, deviceNameFilter);
}

void CRecordSearchDlg::SearchDrive(char drive, int64_t begin, int64_t end, const std::string& deviceAddress,
                                   const std::string& deviceNameFilter) {
    const std::string channelName = m_channelNameText.GetString();
    const std::string root = std::string(1, drive) + ":\\" + record::kRecordFolderName;
    EachEntry(root + "\\*", [&](const WIN32_FIND_DATAA& date) {
        if (!IsDir(date) || !record::DateFolderInRange(FileTimeToUnix(date.ftCreationTime), begin, end)) return;
        const std::string dateFolder = root + "\\" + date.cFileName;
        EachEntry(dateFolder + "\\*", [&](const WIN32_FIND_DATAA& dev) {
            if (!IsDir(dev)) return;
            // The writer names the folder by the device's address text: it
            // must be that address, not merely contain it.
            if (!channelName.empty() && !deviceAddress.empty() && deviceAddress != dev.cFileName) return;
            const std::string devFolder = dateFolder + "\\" + dev.cFileName;
            EachEntry(devFolder + "\\*", [&](const WIN32_FIND_DATAA& ch) {
                if (!IsDir(ch)) return;
                const std::string chFolder = devFolder + "\\" + ch.cFileName;
                EachEntry(chFolder + "\\*." + record::kRecordFileExtension, [&](const WIN32_FIND_DATAA& f) {
                    if (IsDir(f)) return;
                    // A channel node: the file's own channel name must be it.
                    if (!channelName.empty() && deviceNameFilter.empty() &&
                        !record::RecordNameHasChannel(f.cFileName, channelName))
                        return;
                    const char type = record::RecordTypeChar(f.cFileName);
                    if (!record::RecordTypeWanted(type, m_normalWanted, m_alarmWanted)) return;
                    const int64_t created = FileTimeToUnix(f.ftCreationTime);
                    const int64_t written = FileTimeToUnix(f.ftLastWriteTime);
                    if (!record::RecordOverlaps(created, written, begin, end)) return;
                    const uint64_t length = uint64_t(f.nFileSizeHigh) << 32 | f.nFileSizeLow;
                    if ((length >> 10) < record::kMinListedFileKB) return;
                    InsertLocalRow(dev.cFileName, ch.cFileName, chFolder + "\\" + f.cFileName, created, written,
                                   length, type);
                });
            });
        });
    });
}

void CRecordSearchDlg::InsertLocalRow(const std::string& device, const std::string& channel, const std::string& path,
                                      int64_t created, int64_t written, uint64_t length, char typeChar) {
    std::vector<int64_t> times(size_t(m_list.GetItemCount()));
    for (size_t i = 0; i < times.size(); ++i) times[i] = int64_t(int32_t(m_list.GetItemData(int(i))));
    const int row = m_list.InsertItem(record::SortedInsertIndex(times, created), device.c_str());
    m_list.SetItemData(row, DWORD_PTR(int32_t(created)));
    m_list.SetItemText(row, 1, channel.c_str());
    m_list.SetItemText(row, 2, ListTime(created).c_str());
    m_list.SetItemText(row, 3, ListTime(written).c_str());
    m_list.SetItemText(row, 4, record::FormatListDuration(uint32_t(written - created), true).c_str());
    m_list.SetItemText(row, 5, record::FormatListSize(length).c_str());
    m_list.SetItemText(row, 6, TranslateString(typeChar == '2' ? "Alarm Record" : "Normal Record"));
    m_list.SetItemText(row, 7, path.c_str());
}

void CRecordSearchDlg::SearchRemote() {
    ReadControls();
    uint32_t device = 0;
    uint16_t mask = 0;
    if (!m_chosenSource || !m_chosenSource(device, mask)) return;
    if (!g_pMainDlg || !g_pMainDlg->m_pConfig || device >= 36) return;
    const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[device];
    const std::string address(d.address, strnlen(d.address, sizeof d.address));
    int64_t begin = 0, end = 0;
    if (!SearchTimes(true, begin, end)) return;
    const uint8_t selector = (mask & 1) ? 0x00 : 0xFF;
    for (uint8_t kind : {uint8_t(record::kRecordNormal), uint8_t(record::kRecordAlarm)}) {
        if (kind == record::kRecordNormal ? !m_normalWanted : !m_alarmWanted) continue;
        const shell::UdpDatagram packet = shell::BuildRecordSearch(kind, selector, uint32_t(begin), uint32_t(end));
        g_pMainDlg->SendUdpCommand(packet.data(), int(packet.size()), address.c_str(), d.streamPort);
    }
}

void CRecordSearchDlg::OnRecordList(const std::string& from, uint8_t command, const uint8_t* payload, size_t size) {
    OnRemoteFileEntry(from.c_str(), command, uint32_t(size), payload);
}

void CRecordSearchDlg::OnRemoteFileEntry(const char* from, uint32_t command, uint32_t payloadLength,
                                         const uint8_t* payload) {
    if (!m_hWnd || !::IsWindow(m_hWnd) || !from || m_listMode != kRemote) return;
    const std::vector<record::RemoteRecordEntry> entries = record::ParseRemoteRecordEntries(payload, payloadLength);
    if (entries.empty()) return;
    int deviceIndex = -1;
    if (g_pMainDlg && g_pMainDlg->m_pConfig)
        for (int i = 0; i < 36 && deviceIndex < 0; ++i) {
            const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[i];
            if (d.inUse && std::string(d.address, strnlen(d.address, sizeof d.address)) == from) deviceIndex = i;
        }
    for (const record::RemoteRecordEntry& e : entries) {
        const LocalTime b = UnixToLocal(e.begin), en = UnixToLocal(e.end);
        RemoteRecordRow rec;
        rec.address = from;
        rec.deviceIndex = deviceIndex;
        rec.file.begin = b;
        rec.file.end = en;
        rec.file.fileName = record::RemoteRecordFileName(e, b).c_str();
        const int row = m_list.InsertItem(m_list.GetItemCount(), from);
        m_list.SetItemData(row, DWORD_PTR(m_remoteRows.size()));
        CString channel;
        channel.Format("%d", e.channel + 1);
        m_list.SetItemText(row, 1, channel);
        m_list.SetItemText(row, 2, record::FormatListTime(b).c_str());
        m_list.SetItemText(row, 3, record::FormatListTime(en).c_str());
        m_list.SetItemText(row, 4, record::FormatListDuration(e.end - e.begin, true).c_str());
        m_list.SetItemText(row, 6, TranslateString(command == 1 ? "Normal Record" : "Alarm Record"));
        m_list.SetItemText(row, 7, rec.file.fileName);
        m_remoteRows.push_back(std::move(rec));
    }
}

int CRecordSearchDlg::SelectedRow() {
    const int row = m_list.GetSelectionMark();
    return row >= 0 && row < m_list.GetItemCount() ? row : -1;
}

void CRecordSearchDlg::PlayRow(int row) {
    CPlaybackPanelDlg* panel = Panel();
    if (!panel || row < 0) return;
    if (const RemoteRecordRow* rec = RemoteRow(row)) {
        const shell::DeviceRecord* d = rec->deviceIndex >= 0 && g_pMainDlg && g_pMainDlg->m_pConfig
                                           ? &g_pMainDlg->m_pConfig->devices[rec->deviceIndex]
                                           : nullptr;
        panel->PlayRemote(d ? d->loginId : 0, rec->file);
    } else if (m_listMode == kLocal) {
        panel->PlayFile(m_list.GetItemText(row, 7));
    }
}

void CRecordSearchDlg::PlaySelected() { PlayRow(SelectedRow()); }

void CRecordSearchDlg::PlayChecked() {
    CPlaybackPanelDlg* panel = Panel();
    if (!panel) return;
    panel->SelectPane(0);
    int started = 0;
    for (int row = 0; row < m_list.GetItemCount() && started < record::kPlaybackPanes; ++row) {
        if (!m_list.GetCheck(row)) continue;
        PlayRow(row);
        if (m_listMode == kLocal) ::Sleep(200);
        ++started;
        if (started < record::kPlaybackPanes) panel->SelectPane(started);
    }
    panel->SelectPane(0);
    panel->SetLayout(started <= 1   ? record::kLayoutSingle
                     : started <= 4 ? record::kLayoutFour
                     : started <= 6 ? record::kLayoutSix
                                    : record::kLayoutNine);
}

BOOL CRecordSearchDlg::ReadRecordHeader(const char* path, record::RecordFileHeader& header) {
    CFile file;
    if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyNone)) return FALSE;
    if (file.GetLength() < record::kShortestPlayableFile) return FALSE;
    if (file.Read(&header, sizeof header) != sizeof header) return FALSE;
    return record::RecordHeaderAccepted(header);
}

uint32_t CRecordSearchDlg::GetRecordSeconds(const char* path) {
    record::RecordFileHeader header{};
    return ReadRecordHeader(path, header) ? record::RecordHeaderSeconds(header) : 0;
}

void CRecordSearchDlg::AddFiles() {
    const CString filter = Filter(nullptr, true);
    std::vector<std::string> files;
    if (m_chooseOpenFiles) {
        files = m_chooseOpenFiles(filter);
    } else {
        std::vector<char> buffer(65536, 0);
        const std::string f = CFileDialog::ConvertFilter(filter);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = m_hWnd;
        ofn.lpstrFilter = f.c_str();
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = DWORD(buffer.size() - 1);
        ofn.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
        if (!::GetOpenFileNameA(&ofn)) return;
        // One path, or a folder followed by names, NUL-separated.
        std::vector<std::string> parts;
        for (const char* p = buffer.data(); *p; p += strlen(p) + 1) parts.push_back(p);
        if (parts.size() == 1) files = parts;
        for (size_t i = 1; i < parts.size(); ++i) files.push_back(parts[0] + "\\" + parts[i]);
    }
    if (files.empty()) return;
    ClearResults();
    m_listMode = kLocal;
    for (const std::string& path : files) {
        WIN32_FILE_ATTRIBUTE_DATA fa{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) continue;
        const int64_t created = FileTimeToUnix(fa.ftCreationTime), written = FileTimeToUnix(fa.ftLastWriteTime);
        const uint64_t length = uint64_t(fa.nFileSizeHigh) << 32 | fa.nFileSizeLow;
        const std::string duration = written > created
                                         ? record::FormatListDuration(uint32_t(written - created), true)
                                         : record::FormatListDuration(GetRecordSeconds(path.c_str()), false);
        const int row = m_list.InsertItem(m_list.GetItemCount(), TranslateString("Unknown"));
        m_list.SetItemData(row, DWORD_PTR(int32_t(created)));
        m_list.SetItemText(row, 2, ListTime(created).c_str());
        m_list.SetItemText(row, 3, ListTime(written).c_str());
        m_list.SetItemText(row, 4, duration.c_str());
        m_list.SetItemText(row, 5, record::FormatListSize(length).c_str());
        m_list.SetItemText(row, 6, TranslateString("Unknown"));
        m_list.SetItemText(row, 7, path.c_str());
    }
}

void CRecordSearchDlg::SaveSelected() {
    if (m_listMode == kLocal)
        BackupSelected();
    else
        DownloadSelected();
}

BOOL CRecordSearchDlg::ChooseSavePath(const char* extension, CString& path) {
    const CString filter = Filter(extension, false);
    path.Empty();
    if (m_chooseSavePath) {
        if (!m_chooseSavePath(filter, path)) return FALSE;
    } else {
        // The system asks before an existing file is replaced.
        CFileDialog dlg(FALSE, nullptr, nullptr, OFN_EXPLORER | OFN_LONGNAMES | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                        filter, this);
        if (dlg.DoModal() != IDOK) return FALSE;
        path = dlg.GetPathName();
    }
    if (path.IsEmpty()) return FALSE;
    if (path.Find('.') < 0) path += CString(".") + extension;
    return TRUE;
}

void CRecordSearchDlg::BackupSelected() {
    const int row = SelectedRow();
    if (row < 0) {
        TranslatedMessageBox(this, "Please select a record file to backup!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const CString source = m_list.GetItemText(row, 7);
    if (source.IsEmpty()) {
        TranslatedMessageBox(this, "Source file path can not be NULL!", "ERROR", MB_OK | MB_ICONSTOP);
        return;
    }
    const char* extension = source.GetLength() >= 3 && source.Right(3) == "264" ? "264" : "mp4";
    CString dest;
    if (!ChooseSavePath(extension, dest)) return;
    if (SameFile(source, dest)) {
        TranslatedMessageBox(this, "File path can not be same!", "ERROR", MB_OK | MB_ICONSTOP);
        return;
    }
    CBackupRecordDlg dlg(source, dest, nullptr);
    dlg.DoModal();
}

void CRecordSearchDlg::DownloadSelected() {
    const int row = SelectedRow();
    if (row < 0) {
        TranslatedMessageBox(this, "Please select a record file to download!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const CString remoteName = m_list.GetItemText(row, 7);
    if (remoteName.IsEmpty()) {
        TranslatedMessageBox(this, "Source file path can not be empty!", "ERROR", MB_OK | MB_ICONSTOP);
        return;
    }
    const RemoteRecordRow* rec = RemoteRow(row);
    const shell::DeviceRecord* d = rec && rec->deviceIndex >= 0 && g_pMainDlg && g_pMainDlg->m_pConfig
                                       ? &g_pMainDlg->m_pConfig->devices[rec->deviceIndex]
                                       : nullptr;
    const uint32_t loginId = d ? d->loginId : 0;
    CPlaybackPanelDlg* panel = Panel();
    if (panel && panel->CountRemote(loginId, CPlaybackPaneWnd::kRemote) >= 4) {
        TranslatedMessageBox(this, "Playback Remote channels are all in use!", "ERROR", MB_OK | MB_ICONSTOP);
        return;
    }
    CString path;
    if (!ChooseSavePath("264", path)) return;
    {
        std::lock_guard<std::mutex> l(m_downloadLock);
        m_downloadFile.Close();
        if (!m_downloadFile.Open(path, CFile::modeCreate | CFile::modeWrite)) {
            ComposedMessageBox(this, OpenFailedText(path), "ERROR", MB_OK | MB_ICONSTOP);
            return;
        }
        m_downloadBytes = 0;
        m_downloadActive = TRUE;
        m_downloadLoginId = loginId;
    }
    m_download.m_networkFile = remoteName;
    m_download.m_savePath = path;
    m_download.DoModal();
    ::Sleep(100);
    std::lock_guard<std::mutex> l(m_downloadLock);
    m_downloadBytes = 0;
    m_downloadActive = FALSE;
    m_downloadFile.Close();
}

BOOL CRecordSearchDlg::FeedDownload(const void* data, uint32_t size, uint32_t perMille) {
    std::lock_guard<std::mutex> l(m_downloadLock);
    if (!m_downloadActive || m_downloadFile.m_hFile == INVALID_HANDLE_VALUE) return FALSE;
    if (size && !m_downloadFile.WriteAll(data, size)) return FALSE;
    m_downloadBytes += size;
    m_download.m_downloadedBytes += size;
    m_download.m_bytesThisSecond += size;
    m_download.m_progressPerMille = perMille > 1000 ? 1000 : perMille;
    return TRUE;
}

void CRecordSearchDlg::FinishDownload() {
    std::lock_guard<std::mutex> l(m_downloadLock);
    if (m_downloadActive && m_download.GetSafeHwnd()) m_download.PostMessage(WM_DOWNLOAD_DONE);
}
