// The record search page of the "Record Playback" window: time pickers,
// record-type boxes and the result list. It lists record files of the local
// record disks or of the chosen device (answers to a search request over the
// UDP command channel), plays them in the playback panel, copies a local
// file elsewhere and downloads a remote one. Also the two progress dialogs
// of the copy and the download.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>
#include <afxdlgs.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "FilePlayerDlg.h"
#include "PlaybackPanelDlg.h"
#include "RecordResource.h"
#include "RecordSearch.h"
#include "RoundButton.h"
#include "udp_packets.h"

// The look of the window's side pages: the solution's background colour
// under the page and its labels, boxes and radio buttons (PageControlColor
// returns null where the default applies), and a child control stretched to
// the page's bottom.
void PaintPageBackground(CWnd& page);
HBRUSH PageControlColor(CDC* dc, CWnd* control, UINT ctlType);
void StretchToPageBottom(CWnd& page, CWnd& child, int pageHeight);

// A private message of the copy dialog (ids 1225..1229 are this folder's):
// lParam a PostedMessageBox the copy worker could not show itself.
#define WM_BACKUP_COPY_FAILED 1225

class CBackupRecordDlg : public CDialog {
public:
    enum { IDD = IDD_BACKUP_RECORD };
    CBackupRecordDlg(const CString& source, const CString& dest, CWnd* parent = nullptr);
    ~CBackupRecordDlg() override;

    const CString& SourcePath() const { return m_sourcePath; }
    const CString& DestPath() const { return m_destPath; }
    BOOL Running() const { return m_running; }
    // Whether the worker is still copying.
    BOOL WorkerAlive() const;

protected:
    // One block into the destination (on the worker); FALSE when it could
    // not all be written.
    virtual BOOL WriteBlock(CFile& dest, const void* data, UINT size) { return dest.WriteAll(data, size); }
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    afx_msg LRESULT OnCopyDone(WPARAM, LPARAM);
    afx_msg LRESULT OnCopyFailed(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static DWORD WINAPI CopyThreadProc(LPVOID self);
    void CopyFile();
    void PostFailure(const char* what, const CString& path);
    void StopWorker();

    CProgressCtrl m_progress;
    CString m_sourcePath;
    CString m_destPath;
    HANDLE m_thread = nullptr;
    volatile LONG m_running = 0;
    HWND m_window = nullptr;   // for the worker's posts
};

class CDownloadRecordDlg : public CDialog {
public:
    enum { IDD = IDD_DOWNLOAD_RECORD };
    explicit CDownloadRecordDlg(CWnd* parent = nullptr);

    void UpdateProgress();

    CString m_networkFile;
    CString m_savePath;
    // Raised by whoever carries the download's data; read by the timer.
    std::atomic<uint32_t> m_downloadedBytes{0};
    std::atomic<uint32_t> m_bytesThisSecond{0};
    std::atomic<uint32_t> m_progressPerMille{0};

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnDownloadDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    CProgressCtrl m_progress;
};

// A row of a remote search: the device (found by the sender's address) and
// the file as the panel plays it.
struct RemoteRecordRow {
    std::string address;
    int deviceIndex = -1;
    RemoteFileInfo file;
};

class CRecordSearchDlg : public CDialog, public CPlaybackSearchPage, public shell::UdpReceiver {
public:
    enum { IDD = IDD_RECORD_SEARCH };
    enum { kLocal = 0, kRemote = 1 };
    enum { kColumns = 8 };

    explicit CRecordSearchDlg(CWnd* parent = nullptr);
    ~CRecordSearchDlg() override;

    // CPlaybackSearchPage
    HWND PageWindow() const override { return m_hWnd; }
    void PlaySelected() override;
    void AddFiles() override;
    void SaveSelected() override;

    void OnSearch();
    void ClearResults();
    void SearchLocal();
    void SearchRemote();
    void PlayChecked();
    void BackupSelected();
    void DownloadSelected();
    void OnRemoteFileEntry(const char* from, uint32_t command, uint32_t payloadLength, const uint8_t* payload);
    static BOOL ReadRecordHeader(const char* path, record::RecordFileHeader& header);
    static uint32_t GetRecordSeconds(const char* path);

    // The download's data, from whoever carries it (any thread): appended to
    // the target file and counted; FALSE when no download is active or the
    // write failed. FinishDownload tells the dialog the file is complete.
    BOOL FeedDownload(const void* data, uint32_t size, uint32_t perMille);
    void FinishDownload();

    void SetChannelName(const CString& text);
    CListCtrl& List() { return m_list; }
    const RemoteRecordRow* RemoteRow(int row) const;
    CDownloadRecordDlg& DownloadDialog() { return m_download; }

    uint32_t m_sourceMode = kLocal;
    // The device and channels chosen beside the search (the playback
    // window's source list); false when none is chosen or there is no list.
    std::function<bool(uint32_t& device, uint16_t& mask)> m_chosenSource;
    uint32_t m_listMode = kLocal;
    CString m_channelNameText;
    BOOL m_normalWanted = TRUE;
    BOOL m_alarmWanted = FALSE;

    // Download bookkeeping.
    BOOL m_downloadActive = FALSE;
    uint32_t m_downloadBytes = 0;
    uint32_t m_downloadLoginId = 0;
    CFile m_downloadFile;

    // Seams: the drives the local search walks (bit n: 'A' + n), the save
    // dialog (filter in the "a|b||" form, path in and out; FALSE on cancel)
    // and the multi-select open dialog.
    std::function<uint32_t()> m_logicalDrives;
    std::function<BOOL(const char* filter, CString& path)> m_chooseSavePath;
    std::function<std::vector<std::string>(const char* filter)> m_chooseOpenFiles;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    afx_msg void OnPaint();
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // UdpReceiver: search replies.
    void OnRecordList(const std::string& from, uint8_t command, const uint8_t* payload, size_t size) override;

private:
    BOOL ReadControls();
    BOOL SearchTimes(bool remote, int64_t& begin, int64_t& end);
    void SearchDrive(char drive, int64_t begin, int64_t end, const std::string& deviceAddress,
                     const std::string& deviceNameFilter);
    void InsertLocalRow(const std::string& device, const std::string& channel, const std::string& path,
                        int64_t created, int64_t written, uint64_t length, char typeChar);
    int SelectedRow();
    void PlayRow(int row);
    BOOL ChooseSavePath(const char* extension, CString& path);

    CDateTimeCtrl m_beginDate, m_beginTime, m_endDate, m_endTime;
    CRoundButton m_searchButton, m_playButton;
    CListCtrl m_list;
    std::vector<RemoteRecordRow> m_remoteRows;   // row i's record, in remote list mode
    CDownloadRecordDlg m_download;
    std::mutex m_downloadLock;                    // the target file and the dialog's window
    bool m_registered = false;
};
